// SPDX-License-Identifier: Apache-2.0
// Gorsld's Internet client, the class behind IInternetClient: Internet access, then one server
// session (FTP, FTP with TLS or HTTPS) at a time.
// Part of platform/gorsl; depends on platform/com and libcurl.
#pragma once

#include "platform/com/Unknown.h"

namespace gorsl {

inline constexpr const char* kGorsldSource = "Gorsld.InternetClient";
inline constexpr int kDefaultFtpPort = 21;
inline constexpr int kDefaultHttpsPort = 443;

platform::com::Ptr<platform::com::Unknown> createInternetClient();

}  // namespace gorsl
