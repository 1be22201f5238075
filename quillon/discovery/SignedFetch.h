// SPDX-License-Identifier: Apache-2.0
// Signed update files: when a server has a public key configured, every file fetched from it
// must come with a valid <file>.minisig beside it, and must not be older than the newest
// version of that file accepted before (rollback and freeze protection). Without a key
// nothing changes. Both the update servers' fetch and the local server's copy end here.
// Part of quillon/discovery; depends on platform/trust, quillon/settings and quillon/toollib.
#pragma once

#include <string>

namespace quillon {

// What a fetched file is for; index files may also have a maximum age.
enum class FileRole { Index, Description, Archive };

// Where a file came from: the registry key with its PublicKey (and MaxAgeDays), and the
// name its accepted timestamps are kept under (below the base key's Trust key).
struct FileSource {
    std::string settingsKey;
    std::string trustName;
};

FileSource updateServerSource(const std::string& serverName);
FileSource localServerSource();

// Whether the source has a key, so that a signature must be fetched with each file.
bool signatureRequired(const FileSource& source);

// The signature of a file fetched to `localPath` (both Windows-style).
std::string signaturePathFor(const std::string& localPath);

// Call after `remoteName` was fetched to `localPath`, with its signature fetched (or lying)
// at `signaturePath`. No key configured: true. Otherwise true only when the signature holds
// and its timestamp is not older than the last accepted one (which it then becomes). On
// false the user has been told ("Fehler" box, the reason on standard error) and the file at
// `localPath` is gone.
bool verifyFetchedFile(const FileSource& source, const std::string& remoteName, const std::string& localPath,
                       const std::string& signaturePath, FileRole role);

}  // namespace quillon
