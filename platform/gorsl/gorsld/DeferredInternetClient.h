// SPDX-License-Identifier: Apache-2.0
// The Internet client as Gorsld's class table hands it out: a stand-in that loads the real
// client (InternetClient.h, with libcurl and what it needs) from its plugin library only on
// its first call, so that a program that only makes the object (the wizard's library check)
// or never goes online loads none of it. Every call goes to the real client unchanged.
// Part of platform/gorsl; depends on platform/com and platform/support.
#pragma once

#include "platform/com/Unknown.h"

namespace gorsl {

// The plugin lies beside Gorsld's server library; its entry point returns a new real client
// with one reference for the caller.
inline constexpr const char* kInternetPluginFile = "libquillon-gorsld-internet.so";
inline constexpr const char* kInternetPluginEntry = "quillonGorsldInternetClient";
using InternetPluginEntry = platform::com::Unknown* (*)();

platform::com::Ptr<platform::com::Unknown> createDeferredInternetClient();

}  // namespace gorsl
