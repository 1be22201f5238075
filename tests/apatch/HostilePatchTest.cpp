// SPDX-License-Identifier: Apache-2.0
// The VCDIFF decoder on patches made by hand and on damaged xdelta3 patches: windows that copy
// from the target, every address mode, and hostile headers refused before anything is
// allocated for them.
#include <gtest/gtest.h>

#include <string>

#include <zlib.h>

#include "platform/standins/apatch/Adler32.h"
#include "platform/standins/apatch/PatchFile.h"
#include "platform/standins/apatch/VcdiffDecoder.h"
#include "tests/apatch/PatchData.h"
#include "tests/support/TestPrefix.h"

namespace apatch_tests {
namespace {

namespace fs = std::filesystem;
using apatch::DecodeLimits;
using apatch::MemorySink;

// A patch written field by field.
class PatchWriter {
public:
    explicit PatchWriter(std::uint8_t headerIndicator = 0) : bytes_{0xD6, 0xC3, 0xC4, 0x00, headerIndicator} {}
    PatchWriter& byte(std::uint8_t value) {
        bytes_.push_back(value);
        return *this;
    }
    PatchWriter& integer(std::uint64_t value) { return raw(encodeInteger(value)); }
    PatchWriter& raw(const Bytes& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    // One window without a checksum; `segment` is {length, offset} when `indicator` names one.
    PatchWriter& window(std::uint8_t indicator, std::pair<std::uint64_t, std::uint64_t> segment,
                        std::uint64_t targetLength, const Bytes& data, const Bytes& instructions,
                        const Bytes& addresses, std::uint8_t deltaIndicator = 0) {
        byte(indicator);
        if (indicator & 0x03) integer(segment.first).integer(segment.second);
        Bytes delta = encodeInteger(targetLength);
        delta.push_back(deltaIndicator);
        for (const Bytes* section : {&data, &instructions, &addresses}) {
            const Bytes length = encodeInteger(section->size());
            delta.insert(delta.end(), length.begin(), length.end());
        }
        for (const Bytes* section : {&data, &instructions, &addresses}) {
            delta.insert(delta.end(), section->begin(), section->end());
        }
        return integer(delta.size()).raw(delta);
    }
    const Bytes& bytes() const { return bytes_; }

    static Bytes encodeInteger(std::uint64_t value) {
        Bytes digits{static_cast<std::uint8_t>(value & 0x7F)};
        while (value >>= 7) digits.insert(digits.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
        return digits;
    }

private:
    Bytes bytes_;
};

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Instruction codes of the default table used below.
constexpr std::uint8_t kRunSized = 0, kAdd3 = 4, kAdd4 = 5, kCopy4Self = 20, kCopy7Self = 23, kCopySizedSelf = 19,
                       kCopy4Here = 36, kCopy4Near1 = 68, kCopy4Same0 = 116;
constexpr std::uint8_t kNoSegment = 0, kSource = 0x01, kTarget = 0x02;

platform::Expected<std::uint64_t> decode(const Bytes& patch, const Bytes& old, MemorySink& sink,
                                         const DecodeLimits& limits = {}) {
    return apatch::decodeDelta(patch, old, sink, limits);
}

TEST(HandMadePatch, WindowsCopyFromTheTargetAndUseEveryAddressMode) {
    PatchWriter patch;
    patch.window(kNoSegment, {}, 3, text("abc"), {kAdd3}, {});
    // Seven bytes from the three of the first window: the copy runs on into what it writes.
    patch.window(kTarget, {3, 0}, 7, {}, {kCopy7Self}, {0});
    patch.window(kNoSegment, {}, 4, text("z"), {kRunSized, 4}, {});
    // SELF 0, HERE 12-8, near slot 1 (address 4) plus 1, same-cache slot of address 0.
    patch.window(kSource, {4, 1}, 20, text("efgh"), {kAdd4, kCopy4Self, kCopy4Here, kCopy4Near1, kCopy4Same0},
                 {0, 8, 1, 0});
    MemorySink sink;
    auto length = decode(patch.bytes(), text("0ABCD"), sink);
    ASSERT_TRUE(length) << length.error();
    EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()),
              "abc"
              "abcabca"
              "zzzz"
              "efgh"
              "ABCD"
              "efgh"
              "fghA"
              "ABCD");
    EXPECT_EQ(*length, sink.bytes.size());

    // The same through files, where the windows that copy from the target read the new file back.
    const fs::path dir = testing_support::makeTempDirectory("apatch-target-windows");
    writeFile(dir / "patch", patch.bytes());
    writeFile(dir / "old", text("0ABCD"));
    auto written = apatch::applyPatchFile(dir / "patch", dir / "old", dir / "new");
    ASSERT_TRUE(written) << written.error();
    EXPECT_TRUE(readFile(dir / "new") == sink.bytes);
    fs::remove_all(dir);
}

TEST(HandMadePatch, HostileHeadersAreRefused) {
    struct Case {
        const char* name;
        Bytes patch;
        const char* reason;
    };
    const Bytes old = text("old file");
    const std::vector<Case> cases = {
        {"huge window", PatchWriter().window(0, {}, 1ull << 40, {}, {kRunSized}, {}).bytes(), "larger than allowed"},
        {"segment past the old file", PatchWriter().window(kSource, {4, 5}, 4, {}, {kCopy4Self}, {0}).bytes(),
         "beyond the end of the old file"},
        {"segment from target not made yet", PatchWriter().window(kTarget, {1, 0}, 4, {}, {kCopy4Self}, {0}).bytes(),
         "not made yet"},
        {"both segments", PatchWriter().window(kSource | kTarget, {1, 0}, 0, {}, {}, {}).bytes(), "both"},
        {"copy from the future", PatchWriter().window(kSource, {4, 0}, 8, {}, {kCopy4Self, kCopy4Self}, {0, 8}).bytes(),
         "bad address"},
        {"instruction past the window", PatchWriter().window(0, {}, 2, text("abc"), {kAdd3}, {}).bytes(),
         "past the end"},
        {"too few bytes made", PatchWriter().window(0, {}, 5, text("abc"), {kAdd3}, {}).bytes(), "fewer bytes"},
        {"unused data", PatchWriter().window(0, {}, 3, text("abcd"), {kAdd3}, {}).bytes(), "unused"},
        {"size missing", PatchWriter().window(0, {}, 3, text("a"), {kCopySizedSelf}, {}).bytes(), "size is missing"},
        {"integer too long", PatchWriter().byte(0).raw(Bytes(10, 0xFF)).byte(1).bytes(), "truncated"},
        {"delta longer than the patch", PatchWriter().byte(0).integer(1000).byte(0).bytes(), "truncated"},
        {"compressor 1", PatchWriter(0x01).byte(1).bytes(), "not supported"},
        {"own code table", PatchWriter(0x02).integer(3).raw({0, 0, 0}).bytes(), "own code table"},
        {"unknown header flag", PatchWriter(0x08).bytes(), "unknown header flags"},
        {"compressed section without compressor", PatchWriter().window(0, {}, 3, {3, 0}, {kAdd3}, {}, 0x01).bytes(),
         "without a secondary compressor"},
        {"compressed section expanding hugely",
         PatchWriter(0x01).byte(2).window(0, {}, 3, {}, PatchWriter::encodeInteger(1ull << 40), {}, 0x02).bytes(),
         "beyond the allowed size"},
        {"compressed section not xz",
         PatchWriter(0x01)
             .byte(2)
             .window(0, {}, 3, {3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {kAdd3}, {}, 0x01)
             .bytes(),
         "not an xz stream"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySink sink;
        const auto result = decode(c.patch, old, sink);
        ASSERT_FALSE(result);
        EXPECT_NE(result.error().find(c.reason), std::string::npos) << result.error();
        EXPECT_TRUE(sink.bytes.empty());
    }
}

TEST(HandMadePatch, TheTargetAsAWholeIsBounded) {
    PatchWriter patch;
    for (int i = 0; i < 5; ++i) patch.window(0, {}, 1000, text("x"), {kRunSized, 0x87, 0x68}, {});
    MemorySink sink;
    const auto result = decode(patch.bytes(), {}, sink, {.maxWindowBytes = 1000, .maxTargetBytes = 4500});
    ASSERT_FALSE(result);
    EXPECT_NE(result.error().find("window 5: the target is larger than allowed"), std::string::npos) << result.error();
}

TEST(Adler32, AgreesWithZlibAcrossBlockAndRunBoundaries) {
    const Bytes ones(20'000, 0xFF);  // the largest sums, where an overflow would show
    const Bytes random = randomBytes(20'000, 51);
    for (const Bytes* bytes : {&ones, &random}) {
        for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 5551u, 5552u, 5553u, 11104u, 20'000u}) {
            for (std::uint32_t start : {1u, 0xFFF0FFF0u}) {
                const std::span<const std::uint8_t> part(bytes->data(), length);
                EXPECT_EQ(apatch::adler32(part, start), ::adler32_z(start, part.data(), part.size()))
                    << "length " << length << ", start " << start;
            }
        }
    }
}

// Every damaged copy of a real patch either fails or still gives exactly the right bytes
// (a change the format cannot see, such as in the application header); a cut patch never
// gives more than a prefix of them.
TEST(DamagedPatch, NeverGivesWrongBytes) {
    const fs::path dir = testing_support::makeTempDirectory("apatch-damage");
    const Bytes old = textBytes(60'000, 21);
    const Bytes target = edited(old, 4'000, 22);
    writeFile(dir / "old", old);
    writeFile(dir / "new", target);
    makePatch(dir / "old", dir / "new", dir / "patch", {"-W", "16384"});
    const Bytes patch = readFile(dir / "patch");
    fs::remove_all(dir);

    MemorySink intact;
    ASSERT_TRUE(decode(patch, old, intact));
    ASSERT_TRUE(intact.bytes == target);

    int failures = 0;
    for (std::size_t position = 0; position < patch.size(); ++position) {
        for (std::uint8_t mask : {0x01, 0x80}) {
            Bytes damaged = patch;
            damaged[position] ^= mask;
            MemorySink sink;
            if (decode(damaged, old, sink)) {
                ASSERT_TRUE(sink.bytes == target) << "byte " << position << " changed, wrong output accepted";
            } else {
                ++failures;
            }
        }
    }
    EXPECT_GT(failures, static_cast<int>(patch.size()));
    for (std::size_t length = 0; length < patch.size(); ++length) {
        MemorySink sink;
        if (decode(Bytes(patch.begin(), patch.begin() + length), old, sink)) {
            ASSERT_TRUE(sink.bytes.size() < target.size() &&
                        std::equal(sink.bytes.begin(), sink.bytes.end(), target.begin()))
                << "cut at " << length;
        }
    }
}

}  // namespace
}  // namespace apatch_tests
