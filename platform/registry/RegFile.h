// SPDX-License-Identifier: Apache-2.0
// .reg files: the two classic text forms of registry data, read into the registry store in one
// transaction and written from it with a key's whole subtree.
// Part of platform/registry; depends on the registry store and platform/support.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/FullKeyPath.h"
#include "platform/registry/RegistryStore.h"
#include "platform/registry/Value.h"
#include "platform/support/Expected.h"

namespace platform::registry {

enum class RegFormat {
    // "REGEDIT4": 8-bit text (UTF-8 when valid, else Windows-1252); the strings inside hex(1),
    // hex(2) and hex(7) data are 8-bit bytes as well.
    Regedit4,
    // "Windows Registry Editor Version 5.00": UTF-16LE with byte order mark as written, UTF-8
    // also read; the strings inside hex(1), hex(2) and hex(7) data are UTF-16LE.
    Version5,
};

// One change that a .reg file asks for.
struct RegChange {
    enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
    Kind kind;
    FullKeyPath key;
    std::string name;            // SetValue and DeleteValue; empty for the default value
    std::optional<Value> value;  // SetValue only
    int line = 0;                // the line of the file that asks for it
};

// A parsed .reg file: its form and its changes in file order.
class RegScript {
public:
    // Reads a whole file. After success the script holds every change the file asks for; after
    // failure the message starts with "line N: " and says what is wrong there.
    static Expected<RegScript> parse(std::string_view bytes);

    RegFormat format() const { return format_; }
    const std::vector<RegChange>& changes() const { return changes_; }

    // Makes every change in one transaction of `store`. Throws StoreError when the store
    // fails; then none of the changes has been made.
    void applyTo(RegistryStore& store) const;

private:
    RegScript(RegFormat format, std::vector<RegChange> changes) : format_(format), changes_(std::move(changes)) {}
    RegFormat format_;
    std::vector<RegChange> changes_;
};

struct RegImportResult {
    RegFormat format;
    std::size_t changes = 0;
};

// Imports the bytes of a .reg file as one transaction. After failure (a bad line, or the store
// failing) the store is as it was; the message names the line when a line was at fault.
Expected<RegImportResult> importRegText(RegistryStore& store, std::string_view bytes);
// The same for a file; a file that cannot be read is a failure naming it.
Expected<RegImportResult> importRegFile(RegistryStore& store, const std::filesystem::path& file);

// The .reg text of each key with its subtree, read as one snapshot: Version5 as UTF-16LE with
// byte order mark, Regedit4 as UTF-8. Fails, naming the key, when a key is missing or a key
// or value name holds a line break or NUL, which a .reg line cannot carry.
Expected<std::string> exportRegText(RegistryStore& store, const std::vector<FullKeyPath>& keys, RegFormat format);
// Writes that text to `file` through a StagedFile beside it; a `file` that exists and is not a
// regular file (a link, a device, a pipe) is refused. After success `file` holds the
// export and the result is the number of keys written; after failure an existing `file` is as
// it was.
Expected<std::size_t> exportRegFile(RegistryStore& store, const std::vector<FullKeyPath>& keys, RegFormat format,
                                    const std::filesystem::path& file);

}  // namespace platform::registry
