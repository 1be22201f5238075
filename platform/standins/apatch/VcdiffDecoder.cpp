// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/apatch/VcdiffDecoder.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "platform/standins/apatch/AddressCache.h"
#include "platform/standins/apatch/Adler32.h"
#include "platform/standins/apatch/ByteReader.h"
#include "platform/standins/apatch/CodeTable.h"
#include "platform/standins/apatch/LzmaSection.h"

namespace apatch {
namespace {

using Bytes = std::span<const std::uint8_t>;
using Status = std::optional<platform::Failure>;

constexpr std::array<std::uint8_t, 4> kMagic = {0xD6, 0xC3, 0xC4, 0x00};

enum HeaderIndicator : std::uint8_t { kSecondaryCompressor = 0x01, kCodeTable = 0x02, kAppHeader = 0x04 };
enum WindowIndicator : std::uint8_t { kFromSource = 0x01, kFromTarget = 0x02, kAdler32 = 0x04 };
enum DeltaIndicator : std::uint8_t {
    kDataCompressed = 0x01,
    kInstructionsCompressed = 0x02,
    kAddressesCompressed = 0x04
};
constexpr std::uint8_t kLzmaCompressor = 2;

enum Section { kData, kInstructions, kAddresses, kSectionCount };

class Decoder {
public:
    Decoder(Bytes patch, Bytes source, TargetSink& sink, const DecodeLimits& limits)
        : patch_(patch), source_(source), sink_(sink), limits_(limits) {}

    platform::Expected<std::uint64_t> run() {
        if (auto failure = readHeader()) return *failure;
        for (std::uint64_t window = 1; !patch_.empty(); ++window) {
            if (auto failure = decodeWindow()) {
                return platform::Failure{"window " + std::to_string(window) + ": " + failure->message};
            }
        }
        return produced_;
    }

private:
    static platform::Failure fail(std::string message) { return {std::move(message)}; }

    Status readHeader() {
        const auto magic = patch_.take(kMagic.size());
        if (!magic || !std::equal(magic->begin(), magic->end(), kMagic.begin())) return fail("not a VCDIFF patch");
        const auto indicator = patch_.byte();
        if (!indicator) return fail("the patch header is truncated");
        if (*indicator & ~(kSecondaryCompressor | kCodeTable | kAppHeader)) return fail("unknown header flags");
        if (*indicator & kSecondaryCompressor) {
            const auto compressor = patch_.byte();
            if (!compressor) return fail("the patch header is truncated");
            if (*compressor != kLzmaCompressor) {
                return fail("secondary compressor " + std::to_string(*compressor) + " is not supported");
            }
            lzmaAllowed_ = true;
        }
        if (*indicator & kCodeTable) return fail("patches with their own code table are not supported");
        if (*indicator & kAppHeader) {
            const auto length = patch_.integer();
            if (!length || !patch_.take(*length)) return fail("the patch header is truncated");
        }
        return std::nullopt;
    }

    Status decodeWindow() {
        const auto indicator = patch_.byte();
        if (*indicator & ~(kFromSource | kFromTarget | kAdler32)) return fail("unknown window flags");
        if ((*indicator & kFromSource) && (*indicator & kFromTarget)) return fail("window copies from both files");

        Bytes segment;
        if (*indicator & (kFromSource | kFromTarget)) {
            const auto length = patch_.integer();
            const auto offset = patch_.integer();
            if (!length || !offset) return fail("the window header is truncated");
            if (auto failure = takeSegment(*indicator & kFromSource, *length, *offset, segment)) return failure;
        }

        const auto deltaLength = patch_.integer();
        if (!deltaLength) return fail("the window header is truncated");
        const auto delta = patch_.take(*deltaLength);
        if (!delta) return fail("the patch is truncated");
        ByteReader reader(*delta);

        const auto targetLength = reader.integer();
        const auto deltaIndicator = reader.byte();
        std::array<std::optional<std::uint64_t>, kSectionCount> lengths;
        for (auto& length : lengths) length = reader.integer();
        if (!targetLength || !deltaIndicator || !lengths[kData] || !lengths[kInstructions] || !lengths[kAddresses]) {
            return fail("the window header is truncated");
        }
        if (*targetLength > limits_.maxWindowBytes) return fail("the window is larger than allowed");
        if (*targetLength > limits_.maxTargetBytes - produced_) return fail("the target is larger than allowed");
        if (*deltaIndicator & ~(kDataCompressed | kInstructionsCompressed | kAddressesCompressed)) {
            return fail("unknown section flags");
        }
        if (*deltaIndicator && !lzmaAllowed_) return fail("compressed sections without a secondary compressor");

        std::optional<std::uint32_t> checksum;
        if (*indicator & kAdler32) {
            const auto digits = reader.take(4);
            if (!digits) return fail("the window header is truncated");
            checksum = (std::uint32_t{(*digits)[0]} << 24) | (std::uint32_t{(*digits)[1]} << 16) |
                       (std::uint32_t{(*digits)[2]} << 8) | std::uint32_t{(*digits)[3]};
        }

        std::array<ByteReader, kSectionCount> sections;
        for (int section = 0; section < kSectionCount; ++section) {
            const auto bytes = reader.take(*lengths[section]);
            if (!bytes) return fail("the window's sections are truncated");
            if (!(*deltaIndicator & (1u << section))) {
                sections[section] = ByteReader(*bytes);
                continue;
            }
            auto& stream = lzma_[section];
            if (!stream) stream = std::make_unique<LzmaSection>();
            auto expanded = stream->expand(*bytes, section == kData ? *targetLength : limits_.maxWindowBytes);
            if (!expanded) return expanded.failure();
            sections[section] = ByteReader(*expanded);
        }
        if (!reader.empty()) return fail("the window has bytes beyond its sections");

        const auto window = reserveTarget(static_cast<std::size_t>(*targetLength));
        if (auto failure = execute(segment, window, sections)) return failure;
        if (checksum && adler32(window) != *checksum) {
            return fail("checksum mismatch: the patch does not fit this old file");
        }
        if (auto failure = sink_.append(window)) return failure;
        produced_ += window.size();
        return std::nullopt;
    }

    // The bytes a window copies from besides its own: part of the old file, or of the target
    // made so far.
    Status takeSegment(bool fromSource, std::uint64_t length, std::uint64_t offset, Bytes& segment) {
        if (fromSource) {
            if (length > source_.size() || offset > source_.size() - length) {
                return fail("the patch needs bytes beyond the end of the old file: it does not fit this old file");
            }
            segment = source_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
            return std::nullopt;
        }
        if (length > limits_.maxWindowBytes) return fail("the window's source is larger than allowed");
        if (length > produced_ || offset > produced_ - length)
            return fail("the window copies target bytes not made yet");
        targetSegment_.resize(static_cast<std::size_t>(length));
        if (auto failure = sink_.readBack(offset, targetSegment_)) return failure;
        segment = targetSegment_;
        return std::nullopt;
    }

    std::span<std::uint8_t> reserveTarget(std::size_t length) {
        if (length > targetCapacity_) {
            target_.reset(new std::uint8_t[length]);
            targetCapacity_ = length;
        }
        return {target_.get(), length};
    }

    Status execute(Bytes segment, std::span<std::uint8_t> window, std::array<ByteReader, kSectionCount>& sections) {
        ByteReader& data = sections[kData];
        ByteReader& instructions = sections[kInstructions];
        ByteReader& addresses = sections[kAddresses];
        const CodeTable& table = defaultCodeTable();
        const std::uint64_t segmentLength = segment.size();
        std::uint8_t* const out = window.data();
        const std::size_t length = window.size();
        std::size_t position = 0;
        cache_.reset();

        while (!instructions.empty()) {
            const CodeEntry& entry = table[*instructions.byte()];
            for (const Instruction& instruction : {entry.first, entry.second}) {
                if (instruction.type == InstructionType::NoOp) continue;
                std::uint64_t size = instruction.size;
                if (size == 0) {
                    const auto explicitSize = instructions.integer();
                    if (!explicitSize) return fail("an instruction's size is missing");
                    size = *explicitSize;
                }
                if (size > length - position) return fail("an instruction runs past the end of the window");
                const auto count = static_cast<std::size_t>(size);
                switch (instruction.type) {
                    case InstructionType::Add: {
                        const auto bytes = data.take(count);
                        if (!bytes) return fail("the data section is too short");
                        if (count > 0) std::memcpy(out + position, bytes->data(), count);
                        break;
                    }
                    case InstructionType::Run: {
                        const auto byte = data.byte();
                        if (!byte) return fail("the data section is too short");
                        if (count > 0) std::memset(out + position, *byte, count);
                        break;
                    }
                    case InstructionType::Copy: {
                        const auto address = cache_.decode(instruction.mode, segmentLength + position, addresses);
                        if (!address) return fail("a copy has a bad address");
                        copy(segment, *address, out, position, count);
                        break;
                    }
                    case InstructionType::NoOp:
                        break;
                }
                position += count;
            }
        }
        if (position != length) return fail("the instructions make fewer bytes than the window holds");
        if (!data.empty() || !addresses.empty()) return fail("the window has unused data or addresses");
        return std::nullopt;
    }

    // Copies `count` bytes from `address` in the segment-then-window address space to `position`.
    // The address lies before `position`'s own address; a copy may overlap what it writes, which
    // repeats the bytes between.
    static void copy(Bytes segment, std::uint64_t address, std::uint8_t* out, std::size_t position, std::size_t count) {
        if (count == 0) return;
        if (address < segment.size()) {
            const std::size_t fromSegment = std::min<std::uint64_t>(count, segment.size() - address);
            std::memcpy(out + position, segment.data() + address, fromSegment);
            position += fromSegment;
            count -= fromSegment;
            address = segment.size();
        }
        std::size_t from = static_cast<std::size_t>(address - segment.size());
        while (count > 0) {
            const std::size_t chunk = std::min(count, position - from);
            std::memcpy(out + position, out + from, chunk);
            from += chunk;
            position += chunk;
            count -= chunk;
        }
    }

    ByteReader patch_;
    Bytes source_;
    TargetSink& sink_;
    DecodeLimits limits_;
    bool lzmaAllowed_ = false;
    std::array<std::unique_ptr<LzmaSection>, kSectionCount> lzma_;
    std::unique_ptr<std::uint8_t[]> target_;
    std::size_t targetCapacity_ = 0;
    std::vector<std::uint8_t> targetSegment_;
    std::uint64_t produced_ = 0;
    AddressCache cache_;
};

}  // namespace

std::optional<platform::Failure> MemorySink::append(std::span<const std::uint8_t> window) {
    bytes.insert(bytes.end(), window.begin(), window.end());
    return std::nullopt;
}

std::optional<platform::Failure> MemorySink::readBack(std::uint64_t offset, std::span<std::uint8_t> into) {
    if (offset > bytes.size() || into.size() > bytes.size() - offset)
        return platform::Failure{"read beyond the target"};
    std::memcpy(into.data(), bytes.data() + offset, into.size());
    return std::nullopt;
}

platform::Expected<std::uint64_t> decodeDelta(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source,
                                              TargetSink& sink, const DecodeLimits& limits) {
    return Decoder(patch, source, sink, limits).run();
}

}  // namespace apatch
