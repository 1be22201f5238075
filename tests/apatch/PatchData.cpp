// SPDX-License-Identifier: Apache-2.0
#include "tests/apatch/PatchData.h"

#include <fstream>
#include <iterator>
#include <random>

#include <gtest/gtest.h>

#include "tests/support/Programs.h"

namespace apatch_tests {

Bytes randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

Bytes textBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::string> words;
    for (int i = 0; i < 2000; ++i) {
        std::string word;
        for (std::size_t length = 2 + random() % 8; word.size() < length;) word += char('a' + random() % 26);
        words.push_back(word);
    }
    Bytes bytes;
    bytes.reserve(size + 16);
    while (bytes.size() < size) {
        const auto& word = words[random() % words.size()];
        bytes.insert(bytes.end(), word.begin(), word.end());
        bytes.push_back(random() % 12 == 0 ? '\n' : ' ');
    }
    bytes.resize(size);
    return bytes;
}

Bytes edited(const Bytes& old, std::size_t stride, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes result;
    result.reserve(old.size() + old.size() / 8);
    std::size_t position = 0;
    while (position < old.size()) {
        const std::size_t keep = std::min(old.size() - position, stride / 2 + random() % stride);
        result.insert(result.end(), old.begin() + position, old.begin() + position + keep);
        position += keep;
        switch (random() % 3) {
            case 0: {  // insertion of new bytes
                const Bytes inserted = randomBytes(1 + random() % 200, random());
                result.insert(result.end(), inserted.begin(), inserted.end());
                break;
            }
            case 1:  // deletion
                position += std::min(old.size() - position, std::size_t{1 + random() % 300});
                break;
            default: {  // a block from elsewhere in the old file
                const std::size_t length = std::min(old.size(), std::size_t{64 + random() % 4000});
                const std::size_t from = random() % (old.size() - length + 1);
                result.insert(result.end(), old.begin() + from, old.begin() + from + length);
            }
        }
    }
    return result;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void makePatch(const std::filesystem::path& old, const std::filesystem::path& target,
               const std::filesystem::path& patch, const std::vector<std::string>& options) {
    std::vector<std::string> args = {"-e", "-f"};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {"-s", old.string(), target.string(), patch.string()});
    const auto result = testing_support::runProgram("/usr/bin/xdelta3", args);
    ASSERT_EQ(result.status, 0) << result.err;
}

}  // namespace apatch_tests
