// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/unrar/RarVolumes.h"

#include <cctype>
#include <system_error>

#include "platform/prefix/Prefix.h"
#include "platform/support/TextCase.h"

namespace unrar {
namespace {

constexpr std::string_view kRar4Signature{"Rar!\x1a\x07\x00", 7};
constexpr std::string_view kRar5Signature{"Rar!\x1a\x07\x01\x00", 8};
constexpr std::uint8_t kRar4MainHeader = 0x73;
constexpr std::uint8_t kRar5MainHeader = 1;

bool endsWithIgnoreCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && platform::asciiLower(text.substr(text.size() - tail.size())) == tail;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "x.part0009.rar": the digits after ".part", incremented with carry.
std::optional<std::string> nextPartName(std::string_view name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string_view stem = name.substr(0, dot);
    std::size_t digitsEnd = stem.size(), digitsBegin = digitsEnd;
    while (digitsBegin > 0 && isDigit(stem[digitsBegin - 1])) --digitsBegin;
    if (digitsBegin == digitsEnd || !endsWithIgnoreCase(stem.substr(0, digitsBegin), ".part")) return std::nullopt;
    std::string digits(stem.substr(digitsBegin));
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0)
        digits.insert(digits.begin(), '1');
    else
        ++digits[i - 1];
    std::string extension = isupper(static_cast<unsigned char>(name[dot + 1])) ? ".RAR" : ".rar";
    return std::string(stem.substr(0, digitsBegin)) + digits + extension;
}

}  // namespace

std::optional<std::string> nextVolumeName(std::string_view name) {
    if (auto part = nextPartName(name)) {
        std::size_t dot = name.rfind('.');
        std::string_view extension = name.substr(dot);
        if (platform::asciiLower(extension) == ".rar" || platform::asciiLower(extension) == ".exe") return part;
    }
    if (endsWithIgnoreCase(name, ".rar") || endsWithIgnoreCase(name, ".exe")) {
        bool upper = isupper(static_cast<unsigned char>(name[name.size() - 3]));
        return std::string(name.substr(0, name.size() - 3)) + (upper ? "R00" : "r00");
    }
    // ".r00" ... ".r99", then ".s00" and on to ".z99".
    if (name.size() >= 4 && name[name.size() - 4] == '.' && isDigit(name[name.size() - 2]) &&
        isDigit(name[name.size() - 1])) {
        char letter = name[name.size() - 3];
        char lower = static_cast<char>(tolower(static_cast<unsigned char>(letter)));
        if (lower < 'r' || lower > 'z') return std::nullopt;
        int number = (name[name.size() - 2] - '0') * 10 + (name[name.size() - 1] - '0') + 1;
        if (number == 100) {
            if (lower == 'z') return std::nullopt;
            ++letter;
            number = 0;
        }
        std::string next(name.substr(0, name.size() - 3));
        next += letter;
        next += static_cast<char>('0' + number / 10);
        next += static_cast<char>('0' + number % 10);
        return next;
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> findVolumes(std::string_view windowsName) {
    std::vector<std::filesystem::path> volumes{platform::prefix::toNative(windowsName)};
    std::string name(windowsName);
    while (volumes.size() < kMaxVolumes) {
        std::optional<std::string> next = nextVolumeName(name);
        if (!next) break;
        std::filesystem::path native = platform::prefix::toNative(*next);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(native, ec)) break;
        volumes.push_back(std::move(native));
        name = std::move(*next);
    }
    return volumes;
}

std::optional<std::uint64_t> findArchiveStart(std::string_view bytes) {
    if (bytes.substr(0, kRar4Signature.size()) == kRar4Signature ||
        bytes.substr(0, kRar5Signature.size()) == kRar5Signature)
        return 0;
    if (bytes.substr(0, 2) != "MZ") return std::nullopt;
    bytes = bytes.substr(0, kMaxSfxStub);
    for (std::size_t at = bytes.find("Rar!\x1a\x07"); at != std::string_view::npos;
         at = bytes.find("Rar!\x1a\x07", at + 1)) {
        std::string_view rest = bytes.substr(at);
        // RAR 4: marker, then the main header (CRC 2 bytes, type 1 byte).
        if (rest.substr(0, kRar4Signature.size()) == kRar4Signature && rest.size() > 9 &&
            static_cast<std::uint8_t>(rest[9]) == kRar4MainHeader)
            return at;
        // RAR 5: marker, then the main header (CRC 4 bytes, size as a variable-length number,
        // type 1).
        if (rest.substr(0, kRar5Signature.size()) == kRar5Signature) {
            std::size_t i = kRar5Signature.size() + 4;
            while (i < rest.size() && i < kRar5Signature.size() + 4 + 3 && (static_cast<std::uint8_t>(rest[i]) & 0x80))
                ++i;
            if (i + 1 < rest.size() && static_cast<std::uint8_t>(rest[i + 1]) == kRar5MainHeader) return at;
        }
    }
    return std::nullopt;
}

}  // namespace unrar
