// SPDX-License-Identifier: Apache-2.0
// The one way to fetch a file from a product's FTP update server. It reads the server
// settings anew on every call, tells the user itself why a transfer failed and returns only
// success or failure.
// Part of quillon/discovery; depends on quillon/settings, quillon/toollib, platform/forms and
// platform/trust.
#pragma once

#include <optional>
#include <string>

#include "platform/support/TransferBounds.h"
#include "quillon/discovery/SignedFetch.h"

namespace gorsl {
struct IInternetClientEvents;
}

namespace quillon {

// After true the file was fetched and exists at the local path (Windows-style). After false
// the user has been told why; a file that was at the local path is gone when the failure
// came after the change of directory, untouched when it came before.
// `kind` chooses the transfer bounds (platform/support/TransferBounds.h); a transfer beyond
// them fails like any other. `progress`, when given, hears how far the transfer has come.
// When the server has a PublicKey, the file's signature is fetched and checked too
// (SignedFetch.h); `role` defaults to a description for descriptors and an archive otherwise.
bool DownloadFile(const std::string& productKey, const std::string& remoteFile, const std::string& localPath,
                  platform::TransferKind kind, gorsl::IInternetClientEvents* progress = nullptr,
                  std::optional<FileRole> role = std::nullopt);

// The Internet client's error text in a message box titled "Fehler".
void ShowInternetError(const std::string& errorText);

}  // namespace quillon
