// SPDX-License-Identifier: Apache-2.0
#include "tests/gorsl/GorslTesting.h"

#include <fstream>
#include <sstream>
#include <thread>

namespace gorsl_testing {

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::int32_t errorNumberOf(const std::function<void()>& call, std::string* description) {
    try {
        call();
    } catch (const platform::com::Error& e) {
        if (description) *description = e.description();
        return e.number();
    }
    return 0;
}

}  // namespace gorsl_testing
