// SPDX-License-Identifier: Apache-2.0
#include "platform/registry/RegFile.h"

#include <fstream>
#include <sstream>
#include <utility>

#include "platform/registry/RegFileParts.h"
#include "platform/support/StagedFile.h"

namespace platform::registry {

namespace {

std::string describe(const LineError& e) {
    return "line " + std::to_string(e.line) + ": " + e.what;
}

}  // namespace

Expected<RegScript> RegScript::parse(std::string_view bytes) {
    try {
        std::string text = decodeRegFile(bytes);
        auto [format, changes] = parseRegText(text);
        return RegScript(format, std::move(changes));
    } catch (const LineError& e) {
        return Failure{describe(e)};
    }
}

void RegScript::applyTo(RegistryStore& store) const {
    store.transaction([&] {
        for (const auto& c : changes_) {
            switch (c.kind) {
                case RegChange::Kind::CreateKey:
                    store.createKey(c.key.hive, c.key.path);
                    break;
                case RegChange::Kind::DeleteKey:
                    store.deleteKey(c.key.hive, c.key.path, Subtree::Delete);
                    break;
                case RegChange::Kind::SetValue:
                    store.setValue(c.key.hive, c.key.path, c.name, *c.value);
                    break;
                case RegChange::Kind::DeleteValue:
                    store.deleteValue(c.key.hive, c.key.path, c.name);
                    break;
            }
        }
    });
}

Expected<RegImportResult> importRegText(RegistryStore& store, std::string_view bytes) {
    auto script = RegScript::parse(bytes);
    if (!script) return script.failure();
    try {
        script->applyTo(store);
    } catch (const StoreError& e) {
        return Failure{std::string("nothing was imported: ") + e.what()};
    }
    return RegImportResult{script->format(), script->changes().size()};
}

Expected<RegImportResult> importRegFile(RegistryStore& store, const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return Failure{"cannot open " + file.string() + ": it does not exist"};
    if (!std::filesystem::is_regular_file(file, ec))
        return Failure{"cannot open " + file.string() + ": it is not a file"};
    std::ifstream in(file, std::ios::binary);
    if (!in) return Failure{"cannot open " + file.string()};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return Failure{"cannot read " + file.string()};
    return importRegText(store, bytes.str());
}

Expected<std::string> exportRegText(RegistryStore& store, const std::vector<FullKeyPath>& keys, RegFormat format) {
    try {
        return writeRegKeys(store, keys, format).first;
    } catch (const LineError& e) {
        return Failure{e.what};
    } catch (const StoreError& e) {
        return Failure{e.what()};
    }
}

Expected<std::size_t> exportRegFile(RegistryStore& store, const std::vector<FullKeyPath>& keys, RegFormat format,
                                    const std::filesystem::path& file) {
    std::pair<std::string, std::size_t> result;
    try {
        result = writeRegKeys(store, keys, format);
    } catch (const LineError& e) {
        return Failure{e.what};
    } catch (const StoreError& e) {
        return Failure{e.what()};
    }
    StagedFile staged(file);
    std::error_code error = staged.create(0666, "export");
    if (!error) error = staged.write(result.first);
    if (!error) error = staged.commit(Overwrite::Replace);
    if (error) return Failure{"cannot write " + file.string() + ": " + error.message(), error};
    return result.second;
}

}  // namespace platform::registry
