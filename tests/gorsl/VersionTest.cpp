// SPDX-License-Identifier: Apache-2.0
// Comparing the fixed file versions of PE images, through the registered library, and the
// reader's refusal of damaged images.
#include <gtest/gtest.h>

#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorslb/PeVersion.h"
#include "tests/gorsl/GorslTesting.h"

namespace gorsl_testing {
namespace {

const fs::path kFixtures = QUILLON_PE_FIXTURES;

class Versions : public RegisteredPrefix {
protected:
    void SetUp() override {
        fs::create_directories(native("C:\\Program Files\\Shared"));
        for (const auto& entry : fs::directory_iterator(kFixtures))
            if (entry.path().extension() != ".sh")
                fs::copy_file(entry.path(), native("C:\\Program Files\\Shared\\" + entry.path().filename().string()));
        writeFile(native("C:\\Program Files\\Shared\\readme.txt"), "not an image");
    }
    static std::string at(const std::string& name) { return "C:\\Program Files\\Shared\\" + name; }
};

TEST_F(Versions, ComparesTheFixedFileVersions) {
    struct Case {
        const char* existing;
        const char* incoming;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"lib-1.2.3.4-x86.dll", "lib-1.2.3.5-x86.dll", 1},   // a higher revision is newer
        {"lib-1.2.3.5-x86.dll", "lib-1.2.3.4-x86.dll", -1},  // the installed file is newer
        {"lib-1.2.3.4-x86.dll", "lib-1.2.3.4-x64.dll", 0},   // 32-bit and 64-bit images alike
        {"lib-1.2.3.5-x86.dll", "lib-1.10.0.0-x64.dll", 1},  // 10 is more than 2
        {"lib-1.10.0.0-x64.dll", "lib-1.10.0.0-x64.dll", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(system->CompareFileVersions(at(c.existing), at(c.incoming)), c.expected)
            << c.existing << " vs " << c.incoming;
}

TEST_F(Versions, RaisesAClearErrorWhenAVersionCannotBeRead) {
    for (const char* unreadable : {"strings-only-x86.dll", "plain-x64.exe", "readme.txt"}) {
        std::string description;
        EXPECT_EQ(errorNumberOf([&] { system->CompareFileVersions(at("lib-1.2.3.4-x86.dll"), at(unreadable)); },
                                &description),
                  gorsl::kVersionNotReadable)
            << unreadable;
        EXPECT_EQ(description.rfind("version not readable: " + at(unreadable), 0), 0u) << description;
    }
    EXPECT_EQ(errorNumberOf([&] { system->CompareFileVersions(at("missing.dll"), at("lib-1.2.3.4-x86.dll")); }), 53);
}

TEST(PeVersion, ReadsDamagedImagesSafely) {
    for (const char* name : {"lib-1.2.3.4-x86.dll", "lib-1.10.0.0-x64.dll"}) {
        std::string bytes = readFile(kFixtures / name);
        std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
        auto whole = gorsl::readFileVersion(std::span<const std::uint8_t>(image));
        ASSERT_TRUE(whole) << whole.error();
        // Cut short, the image has lost its version or still has it whole; nothing is read
        // past its end (the sanitizer build sees to that).
        int refused = 0;
        for (std::size_t length = 0; length < image.size(); ++length) {
            auto cut = gorsl::readFileVersion(std::span<const std::uint8_t>(image.data(), length));
            if (!cut)
                ++refused;
            else
                EXPECT_EQ(*cut, *whole) << length;
        }
        EXPECT_GT(refused, 0);
        // Every byte of the headers flipped in turn: refused or read, never out of bounds.
        for (std::size_t at = 0; at < 1024 && at < image.size(); ++at) {
            auto damaged = image;
            damaged[at] ^= 0xFF;
            (void)gorsl::readFileVersion(std::span<const std::uint8_t>(damaged));
        }
    }
    EXPECT_EQ(gorsl::readFileVersion(kFixtures / "lib-1.10.0.0-x64.dll")->text(), "1.10.0.0");
}

}  // namespace
}  // namespace gorsl_testing
