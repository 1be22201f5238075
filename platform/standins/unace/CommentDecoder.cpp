#include "platform/standins/unace/CommentDecoder.h"

#include <array>
#include <cstring>

#include "platform/standins/unace/AceError.h"
#include "platform/standins/unace/BitReader.h"
#include "platform/standins/unace/HuffmanTable.h"

namespace unace {

namespace {
class StringSource : public ByteSource {
public:
    explicit StringSource(const std::string& bytes) : bytes_(bytes) {}
    std::size_t read(std::uint8_t* data, std::size_t size) override {
        const std::size_t n = std::min(size, bytes_.size() - pos_);
        std::memcpy(data, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const std::string& bytes_;
    std::size_t pos_ = 0;
};
}  // namespace

std::string decodeComment(const std::string& packed) {
    if (packed.empty()) return {};
    StringSource bytes(packed);
    BitReader in(bytes);
    const std::size_t length = in.read(15);
    const HuffmanTable table = HuffmanTable::read(in, 11, 284);
    std::string out;
    out.reserve(length);
    // Where the last symbol after each sum of two previous bytes began.
    std::array<std::size_t, 511> lastPos{};
    while (out.size() < length) {
        std::size_t from = 0;
        if (out.size() >= 2) {
            const std::size_t h =
                static_cast<std::uint8_t>(out[out.size() - 1]) + static_cast<std::uint8_t>(out[out.size() - 2]);
            from = lastPos[h];
            lastPos[h] = out.size();
        }
        const unsigned s = table.decode(in);
        if (s < 256) {
            out.push_back(static_cast<char>(s));
            continue;
        }
        if (from >= out.size()) throwCorrupt("comment copy before its start");
        for (std::size_t i = 0; i < s - 256 + 2 && out.size() < length; ++i) out.push_back(out[from + i]);
    }
    return out;
}

}  // namespace unace
