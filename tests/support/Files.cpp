// SPDX-License-Identifier: Apache-2.0
#include "tests/support/Files.h"

#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& content) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::uint32_t crcOf(const std::string& content) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
}

std::vector<std::string> treeOf(const fs::path& root) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::string name = it->path().lexically_relative(root).generic_string();
        if (it->is_symlink()) name += " -> " + fs::read_symlink(it->path()).string();
        out.push_back(std::move(name));
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace testing_support
