// SPDX-License-Identifier: Apache-2.0
#include <algorithm>
#include <optional>

#include "platform/registry/RegFileParts.h"
#include "platform/support/TextCase.h"
#include "platform/support/TextEncoding.h"

namespace platform::registry {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}
std::string_view trimRight(std::string_view s) {
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}
std::string_view trim(std::string_view s) {
    return trimRight(trimLeft(s));
}

bool startsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && asciiLower(s.substr(0, prefix.size())) == prefix;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const char* unsupportedTypeName(std::uint32_t type) {
    switch (type) {
        case 0:
            return "REG_NONE";
        case 5:
            return "REG_DWORD_BIG_ENDIAN";
        case 6:
            return "REG_LINK";
        case 8:
            return "REG_RESOURCE_LIST";
        case 9:
            return "REG_FULL_RESOURCE_DESCRIPTOR";
        case 10:
            return "REG_RESOURCE_REQUIREMENTS_LIST";
        default:
            return nullptr;
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : lines_(splitRegLines(text)) {}

    std::pair<RegFormat, std::vector<RegChange>> run() {
        std::size_t i = 0;
        while (i < lines_.size() && trim(lines_[i]).empty()) ++i;
        std::string_view header = i < lines_.size() ? trim(lines_[i]) : std::string_view{};
        if (header == kRegHeader5) {
            format_ = RegFormat::Version5;
        } else if (header == kRegHeader4) {
            format_ = RegFormat::Regedit4;
        } else {
            throw LineError{lineNumber(i), "not a registry file: it must begin with \"" + std::string(kRegHeader5) +
                                               "\" or \"" + std::string(kRegHeader4) + "\""};
        }
        for (++i; i < lines_.size(); ++i) {
            std::string_view line = trimLeft(lines_[i]);
            if (line.empty() || line.front() == ';') continue;
            if (line.find('\0') != std::string_view::npos)
                throw LineError{lineNumber(i), "the line holds a NUL character"};
            if (line.front() == '[')
                keyLine(i, line);
            else if (line.front() == '"' || line.front() == '@')
                i = valueLine(i, line);
            else
                throw LineError{lineNumber(i), "neither a [key] line nor a value line: \"" + excerpt(line) + "\""};
        }
        return {format_, std::move(changes_)};
    }

private:
    static int lineNumber(std::size_t index) { return static_cast<int>(index) + 1; }

    void keyLine(std::size_t i, std::string_view line) {
        int number = lineNumber(i);
        std::size_t close = line.rfind(']');
        if (close == std::string_view::npos) throw LineError{number, "the key line has no closing ']'"};
        if (!trim(line.substr(close + 1)).empty())
            throw LineError{number, "unexpected text after the key's closing ']': \"" +
                                        excerpt(trim(line.substr(close + 1))) + "\""};
        std::string_view inside = line.substr(1, close - 1);
        bool remove = !inside.empty() && inside.front() == '-';
        if (remove) inside.remove_prefix(1);
        auto key = parseFullKeyPath(inside);
        if (!key) {
            std::string_view hive = inside.substr(0, inside.find('\\'));
            throw LineError{number, "unknown hive \"" + excerpt(hive) +
                                        "\": a key must begin with HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
                                        "HKEY_LOCAL_MACHINE or HKEY_USERS"};
        }
        if (remove && splitKeyPath(key->path).empty())
            throw LineError{number, "a whole hive cannot be deleted: \"" + excerpt(inside) + "\""};
        currentKey_ = *key;
        currentDeleted_ = remove;
        changes_.push_back({remove ? RegChange::Kind::DeleteKey : RegChange::Kind::CreateKey, *key, {}, {}, number});
    }

    // Reads a quoted text that starts at s[pos] == '"'; `pos` ends after the closing quote.
    // \\ and \" stand for \ and "; any other backslash is kept as it stands.
    static std::optional<std::string> quoted(std::string_view s, std::size_t& pos) {
        std::string out;
        for (++pos; pos < s.size(); ++pos) {
            char c = s[pos];
            if (c == '"') {
                ++pos;
                return out;
            }
            if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) ++pos;
            out += s[pos];
        }
        return std::nullopt;
    }

    // Returns the index of the value's last line (hex data may continue over several lines).
    std::size_t valueLine(std::size_t i, std::string_view line) {
        const int number = lineNumber(i);
        std::string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else {
            auto n = quoted(line, pos);
            if (!n) throw LineError{number, "the value name has no closing quote"};
            name = std::move(*n);
        }
        while (pos < line.size() && isBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=') throw LineError{number, "expected '=' after the value name"};
        std::string_view data = trimLeft(line.substr(pos + 1));

        std::size_t last = i;
        std::optional<Value> value;
        bool remove = false;
        if (data.starts_with('"')) {
            std::size_t p = 0;
            auto text = quoted(data, p);
            if (!text) throw LineError{number, "the string has no closing quote"};
            if (!trim(data.substr(p)).empty())
                throw LineError{number, "unexpected text after the string: \"" + excerpt(trim(data.substr(p))) + "\""};
            value = Value::string(*text);
        } else if (trimRight(data) == "-") {
            remove = true;
        } else if (startsWithIgnoreCase(data, "dword:")) {
            std::string_view digits = trim(data.substr(6));
            if (digits.empty() || digits.size() > 8 ||
                !std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; }))
                throw LineError{number, "a dword needs 1 to 8 hex digits, not \"" + excerpt(digits) + "\""};
            std::uint32_t v = 0;
            for (char c : digits) v = (v << 4) | static_cast<std::uint32_t>(hexDigit(c));
            value = Value::dword(v);
        } else if (startsWithIgnoreCase(data, "hex")) {
            std::uint32_t type = 3;
            std::string_view rest = data.substr(3);
            if (rest.starts_with('(')) {
                std::size_t close = rest.find(')');
                std::string_view digits = close == std::string_view::npos ? rest.substr(1) : rest.substr(1, close - 1);
                if (close == std::string_view::npos || digits.empty() || digits.size() > 8 ||
                    !std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; }))
                    throw LineError{number, "the type in hex(...) must be a hex number"};
                type = 0;
                for (char c : digits) type = (type << 4) | static_cast<std::uint32_t>(hexDigit(c));
                rest = rest.substr(close + 1);
            }
            if (!rest.starts_with(':')) throw LineError{number, "expected ':' after hex"};
            auto [bytes, end] = hexBytes(i, rest.substr(1));
            last = end;
            value = hexValue(number, type, std::move(bytes));
        } else {
            throw LineError{number, "unknown value data \"" + excerpt(data) +
                                        "\": expected a \"string\", dword:, hex:, hex(n): or -"};
        }

        if (!currentKey_) throw LineError{number, "a value line before any [key] line"};
        // Values under a key that the file deletes are ignored, as the registry editor does.
        if (currentDeleted_) return last;
        if (remove)
            changes_.push_back({RegChange::Kind::DeleteValue, *currentKey_, std::move(name), {}, number});
        else
            changes_.push_back({RegChange::Kind::SetValue, *currentKey_, std::move(name), std::move(value), number});
        return last;
    }

    // Reads comma-separated hex bytes that begin in `first` on line index i and continue on
    // the following lines while a line ends with a backslash. Returns the bytes and the index
    // of the last line used.
    std::pair<std::vector<std::uint8_t>, std::size_t> hexBytes(std::size_t i, std::string_view first) {
        std::string joined;
        std::vector<std::pair<std::size_t, std::size_t>> starts;  // offset in joined, line index
        std::string_view piece = trimRight(first);
        for (;;) {
            starts.emplace_back(joined.size(), i);
            bool more = piece.ends_with('\\');
            if (more) piece.remove_suffix(1);
            joined += piece;
            if (!more) break;
            if (++i >= lines_.size())
                throw LineError{lineNumber(i - 1), "the value continues past the end of the file"};
            piece = trim(lines_[i]);
        }
        auto lineAt = [&](std::size_t offset) {
            std::size_t index = starts.front().second;
            for (const auto& [o, l] : starts)
                if (o <= offset) index = l;
            return lineNumber(index);
        };

        std::vector<std::uint8_t> bytes;
        if (trim(joined).empty()) return {bytes, i};
        std::size_t pos = 0;
        while (pos <= joined.size()) {
            std::size_t comma = joined.find(',', pos);
            std::size_t end = comma == std::string::npos ? joined.size() : comma;
            std::string_view token = trim(std::string_view(joined).substr(pos, end - pos));
            bool lastToken = comma == std::string::npos;
            if (token.empty()) {
                if (!(lastToken && !bytes.empty())) throw LineError{lineAt(pos), "an empty byte in the hex data"};
            } else {
                if (token.size() > 2 || hexDigit(token[0]) < 0 || (token.size() == 2 && hexDigit(token[1]) < 0))
                    throw LineError{lineAt(pos), "\"" + excerpt(token) + "\" is not a hex byte"};
                int v = hexDigit(token[0]);
                if (token.size() == 2) v = v * 16 + hexDigit(token[1]);
                bytes.push_back(static_cast<std::uint8_t>(v));
            }
            if (lastToken) break;
            pos = comma + 1;
        }
        return {bytes, i};
    }

    // Text carried in hex(1), hex(2) or hex(7) data, as UTF-8.
    std::string hexText(int number, std::uint32_t type, const std::vector<std::uint8_t>& bytes) const {
        std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (format_ == RegFormat::Regedit4) return isValidUtf8(raw) ? std::string(raw) : windows1252ToUtf8(raw);
        if (firstBadUtf16Unit(raw) != std::string_view::npos)
            throw LineError{number, hexTypeText(type) + " data must be UTF-16LE text in this file form" +
                                        (raw.size() % 2 ? ", but it has an odd number of bytes" : "")};
        return utf16leToUtf8(raw);
    }

    Value hexValue(int number, std::uint32_t type, std::vector<std::uint8_t> bytes) const {
        switch (type) {
            case 1:
            case 2: {
                std::string text = hexText(number, type, bytes);
                if (text.ends_with('\0')) text.pop_back();  // the terminator that the registry editor writes
                return type == 1 ? Value::string(text) : Value::expandString(text);
            }
            case 3:
                return Value::binary(std::move(bytes));
            case 4:
            case 11: {
                std::size_t width = type == 4 ? 4 : 8;
                if (bytes.size() != width)
                    throw LineError{number, hexTypeText(type) + " data must be exactly " + std::to_string(width) +
                                                " bytes, not " + std::to_string(bytes.size())};
                return *Value::fromRaw(type == 4 ? ValueType::DWord : ValueType::QWord, std::move(bytes));
            }
            case 7: {
                // Items each end with a NUL and the list with one more; the store keeps the items
                // each followed by its NUL.
                std::string text = hexText(number, type, bytes);
                if (text.ends_with('\0')) text.pop_back();
                if (!text.empty() && !text.ends_with('\0')) text.push_back('\0');
                return *Value::fromRaw(ValueType::MultiString, std::vector<std::uint8_t>(text.begin(), text.end()));
            }
            default:
                break;
        }
        const char* name = unsupportedTypeName(type);
        throw LineError{number, "value type " + hexTypeText(type) + (name ? std::string(" (") + name + ")" : "") +
                                    " is not supported; the registry holds REG_SZ, REG_EXPAND_SZ, REG_BINARY, "
                                    "REG_DWORD, REG_MULTI_SZ and REG_QWORD"};
    }

    std::vector<std::string_view> lines_;
    RegFormat format_ = RegFormat::Version5;
    std::vector<RegChange> changes_;
    std::optional<FullKeyPath> currentKey_;
    bool currentDeleted_ = false;
};

}  // namespace

std::pair<RegFormat, std::vector<RegChange>> parseRegText(std::string_view text) {
    return Parser(text).run();
}

}  // namespace platform::registry
