// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unace/BlockedDecoder.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/Lz77Decoder.h"
#include "platform/standins/unace/PicDecoder.h"
#include "platform/standins/unace/SoundDecoder.h"
#include "platform/standins/unace/UnAce.h"

namespace unace {

namespace {

constexpr std::size_t kChunk = 64u << 10;  // a multiple of 4, as SOUND runs need

enum ModeId : unsigned { kLz77 = 0, kDelta = 1, kExe = 2, kSound8 = 3, kSound32B = 6, kPic = 7 };

struct Mode {
    unsigned id = kLz77;
    unsigned deltaDistance = 0;
    unsigned deltaLength = 0;
    unsigned exeMode = 0;
};

Mode readMode(BitReader& in) {
    Mode mode;
    mode.id = in.read(8);
    if (mode.id == kDelta) {
        mode.deltaDistance = in.read(8);
        mode.deltaLength = in.read(17);
        if (mode.deltaDistance == 0 || mode.deltaLength == 0 || mode.deltaLength % mode.deltaDistance != 0) {
            throwCorrupt("bad DELTA parameters");
        }
    } else if (mode.id == kExe) {
        mode.exeMode = in.read(8);
    } else if (mode.id > kPic) {
        throw AceError(ACE_ERROR_METHOD, "unknown ACE 2.0 mode");
    }
    return mode;
}

std::uint32_t le32(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

// Undoes the x86 CALL/JMP transform in buf from index 0 up to where fewer than 4 bytes follow
// an opcode; `base` is the member position of buf[0]. Returns where it stopped.
std::size_t undoExe(std::vector<std::uint8_t>& buf, std::uint64_t base, unsigned exeMode) {
    std::size_t i = 0;
    const std::size_t n = buf.size();
    while (i + 4 < n) {
        const std::uint8_t op = buf[i];
        const std::uint64_t at = base + i;
        if (op == 0xE8 && exeMode != 0) {
            const std::uint32_t v = le32(&buf[i + 1]) - static_cast<std::uint32_t>(at);
            for (std::size_t k = 0; k < 4; ++k) buf[i + 1 + k] = static_cast<std::uint8_t>(v >> (8 * k));
            i += 5;
        } else if (op == 0xE8 || op == 0xE9) {
            const auto v = static_cast<std::uint16_t>((buf[i + 1] | buf[i + 2] << 8) - static_cast<std::uint16_t>(at));
            buf[i + 1] = static_cast<std::uint8_t>(v);
            buf[i + 2] = static_cast<std::uint8_t>(v >> 8);
            i += 3;
        } else {
            ++i;
        }
    }
    return i;
}

}  // namespace

class BlockedDecoder::State {
public:
    State(BitReader& in, HistoryWindow& history, std::uint64_t size, OutputSink& sink)
        : in_(in), history_(history), size_(size), sink_(sink), lz_(in, history, Lz77Decoder::Symbols::Ace20) {}

    bool finished() const { return emitted_ >= size_; }

    void step() {
        if (pending_) {
            if (pending_->id != mode_.id) {
                sound_.reset();
                pic_.reset();
                if (pending_->id >= kSound8 && pending_->id <= kSound32B) {
                    sound_ = std::make_unique<SoundDecoder>(in_, pending_->id);
                }
                if (pending_->id == kPic) pic_ = std::make_unique<PicDecoder>(in_);
            }
            mode_ = *pending_;
            pending_.reset();
        }
        switch (mode_.id) {
            case kLz77:
            case kExe:
                lz77Stretch();
                break;
            case kDelta:
                flushCarry();
                deltaBlock();
                break;
            case kPic:
                flushCarry();
                directStretch([this](std::vector<std::uint8_t>& out, std::size_t want) { return pic_->run(out, want); },
                              remaining());
                break;
            default:
                flushCarry();
                directStretch(
                    [this](std::vector<std::uint8_t>& out, std::size_t want) { return sound_->run(out, want); },
                    remaining() & ~std::uint64_t{3});
                break;
        }
    }

private:
    std::uint64_t remaining() const { return size_ - emitted_; }

    void emit(const std::uint8_t* data, std::size_t n) {
        n = static_cast<std::size_t>(std::min<std::uint64_t>(n, remaining()));
        sink_.write(data, n);
        emitted_ += n;
    }

    // Bytes an EXE stretch held back are emitted as they are when a non-LZ77 mode follows.
    void flushCarry() {
        if (carry_.empty()) return;
        emit(carry_.data(), carry_.size());
        carry_.clear();
    }

    void switchMode() {
        if (pending_) throwCorrupt("two mode switches in one block");
        pending_ = readMode(in_);
    }

    void lz77Stretch() {
        const std::uint64_t left = remaining() - carry_.size();
        if (left == 0) {  // the held-back bytes are the member's end
            flushCarry();
            return;
        }
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, left));
        const auto limit = static_cast<std::size_t>(std::min<std::uint64_t>(left, SIZE_MAX));
        const Lz77Decoder::Run run = lz_.run(carry_, want, limit);
        if (run.modeSwitch) switchMode();
        std::vector<std::uint8_t> chunk;
        chunk.swap(carry_);
        if (mode_.id == kLz77) {
            emit(chunk.data(), chunk.size());
            return;
        }
        std::size_t keep = undoExe(chunk, emitted_, mode_.exeMode);
        const bool memberEnd = emitted_ + chunk.size() >= size_;
        if (memberEnd) {
            keep = chunk.size();
        } else if (run.modeSwitch) {
            // An opcode whose operand the next stretch completes is looked at again then.
            while (keep < chunk.size() && chunk[keep] != 0xE8 && chunk[keep] != 0xE9) ++keep;
        }
        emit(chunk.data(), keep);
        carry_.assign(chunk.begin() + static_cast<std::ptrdiff_t>(keep), chunk.end());
    }

    void deltaBlock() {
        const std::size_t length = mode_.deltaLength;
        std::vector<std::uint8_t> buf;
        buf.reserve(length);
        while (buf.size() < length) {
            const std::size_t left = length - buf.size();
            const Lz77Decoder::Run run = lz_.run(buf, left, left);
            if (run.modeSwitch) {
                switchMode();
                if (buf.empty()) return;  // a switch at a block boundary
            }
        }
        for (auto& b : buf) {
            deltaSum_ = static_cast<std::uint8_t>(deltaSum_ + b);
            b = deltaSum_;
        }
        const std::size_t distance = mode_.deltaDistance;
        const std::size_t plane = length / distance;
        std::vector<std::uint8_t> out(length);
        for (std::size_t i = 0; i < plane; ++i) {
            for (std::size_t j = 0; j < distance; ++j) out[i * distance + j] = buf[j * plane + i];
        }
        emit(out.data(), out.size());
    }

    template <class Run>
    void directStretch(Run runDecoder, std::uint64_t available) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, available));
        std::vector<std::uint8_t> out;
        out.reserve(want);
        const bool switched = want > 0 && runDecoder(out, want);
        if (switched) switchMode();
        if (out.empty() && !switched) throwCorrupt("no progress in SOUND or PIC mode");
        history_.append(out.data(), out.size());
        emit(out.data(), out.size());
    }

    BitReader& in_;
    HistoryWindow& history_;
    std::uint64_t size_;
    OutputSink& sink_;
    std::uint64_t emitted_ = 0;
    Lz77Decoder lz_;
    Mode mode_;
    std::optional<Mode> pending_;
    std::vector<std::uint8_t> carry_;  // decoded by an EXE stretch, not yet emitted
    std::uint8_t deltaSum_ = 0;
    std::unique_ptr<SoundDecoder> sound_;
    std::unique_ptr<PicDecoder> pic_;
};

BlockedDecoder::BlockedDecoder(BitReader& in, HistoryWindow& history, std::uint64_t size, OutputSink& sink)
    : state_(std::make_unique<State>(in, history, size, sink)) {}
BlockedDecoder::~BlockedDecoder() = default;
bool BlockedDecoder::finished() const {
    return state_->finished();
}
void BlockedDecoder::step() {
    state_->step();
}

}  // namespace unace
