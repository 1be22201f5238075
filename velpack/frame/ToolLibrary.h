// SPDX-License-Identifier: Apache-2.0
// How the component reaches the maker's tool library Gorsla: its global object, made through
// the component runtime on first use and kept while the component is loaded.
// Part of velpack/frame; depends on platform/com and platform/gorsl's interfaces.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/gorsl/Gorsl.h"

namespace velpack {

// The first call makes the object; a creation error (platform::com::Error, 429 when the
// library is missing or unregistered) propagates and the next call tries again.
gorsl::IGorsla& gorsla();

// Hands the component an object made another way, for programs that link the tool library
// in (the velpack command line works without a prefix). Null goes back to creation.
void useGorsla(platform::com::Ptr<gorsl::IGorsla> object);

}  // namespace velpack
