// SPDX-License-Identifier: Apache-2.0
// Class creation by ProgID or CLSID through the registry store of the prefix: the class is
// looked up under HKCR, its library loaded and its class factory asked. Anything missing is
// error 429 with a description naming the class.
// Part of the component runtime; depends on platform/registry and the dynamic loader.
#pragma once

#include <optional>
#include <string_view>

#include "Error.h"
#include "Unknown.h"

namespace platform::com {

// `name` is a ProgID ("Velpack.ZIPFile") or a CLSID in braces.
Ptr<Unknown> createObject(std::string_view name);
Ptr<Unknown> createObject(const Guid& clsid);

// The new object as interface I; error 430 when the class does not implement I.
template <class I>
Ptr<I> createObject(std::string_view name) {
    Ptr<Unknown> object = createObject(name);
    Ptr<I> typed = object.template query<I>();
    if (!typed)
        throw Error(errc::InterfaceNotSupported, std::string(name), standardDescription(errc::InterfaceNotSupported));
    return typed;
}

// The CLSID registered for a ProgID, if any.
std::optional<Guid> clsidFromProgId(std::string_view progId);

}  // namespace platform::com
