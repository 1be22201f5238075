// SPDX-License-Identifier: Apache-2.0
#include "tests/support/Recording.h"

#include <fstream>

#include "platform/registry/RegistryStore.h"

namespace testing_support {

namespace reg = platform::registry;

void recordCallsOf(const platform::com::Guid& clsid) {
    auto& store = reg::RegistryStore::forPrefix();
    const std::string key = "CLSID\\" + clsid.toString();
    std::string real = store.readText(reg::Hive::ClassesRoot, key + "\\InprocServer32", "", "");
    store.setValue(reg::Hive::ClassesRoot, key, "RealServer", reg::Value::string(real));
    store.setValue(reg::Hive::ClassesRoot, key + "\\InprocServer32", "",
                   reg::Value::string(std::string(QUILLON_LIB_DIR) + "/RecordingTools.so"));
}

std::vector<std::string> recordedCalls(const std::filesystem::path& log, const std::string& prefix) {
    std::vector<std::string> lines;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

}  // namespace testing_support
