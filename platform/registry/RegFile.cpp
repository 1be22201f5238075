// SPDX-License-Identifier: Apache-2.0
#include "platform/registry/RegFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/support/StagedFile.h"
#include "platform/support/TextCase.h"
#include "platform/support/TextEncoding.h"

namespace platform::registry {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

// ---- reading ---------------------------------------------------------------------------

// Thrown inside the parser and turned into a Failure at its edge.
struct LineError {
    int line;
    std::string what;
};

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

// Shortens a piece of a line for an error message.
std::string excerpt(std::string_view s) {
    constexpr std::size_t kMax = 40;
    if (s.size() <= kMax) return std::string(s);
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return std::string(s.substr(0, cut)) + "...";
}

// Index of the first UTF-16LE code unit that is not part of a well-formed sequence, or npos.
// An odd trailing byte counts as a bad unit.
std::size_t firstBadUtf16Unit(std::string_view bytes) {
    auto unit = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    std::size_t n = bytes.size() / 2;
    for (std::size_t k = 0; k < n; ++k) {
        unsigned u = unit(2 * k);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 >= n) return k;
            unsigned low = unit(2 * k + 2);
            if (low < 0xDC00 || low > 0xDFFF) return k;
            ++k;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return k;
        }
    }
    return bytes.size() % 2 ? n : std::string_view::npos;
}

// The file's text as UTF-8: UTF-16LE when it has the byte order mark (or plainly is UTF-16LE
// text without one), else UTF-8 when valid and Windows-1252 otherwise.
std::string decodeFile(std::string_view bytes) {
    bool utf16 = false;
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        utf16 = true;
    } else if (bytes.starts_with("\xFE\xFF")) {
        throw LineError{1, "the file is UTF-16 big-endian; only UTF-16LE, UTF-8 and Windows-1252 are read"};
    } else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) {
        utf16 = true;
    }
    if (!utf16) return decodeExternalText(bytes);
    std::size_t bad = firstBadUtf16Unit(bytes);
    if (bad != std::string_view::npos) {
        std::string before = utf16leToUtf8(bytes.substr(0, bad * 2));
        int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
        throw LineError{line, "the text is not valid UTF-16LE"};
    }
    return utf16leToUtf8(bytes);
}

// Lines end at CR LF, LF or a lone CR.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
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

std::string hexTypeText(std::uint32_t type) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%x)", type);
    return buf;
}

class Parser {
public:
    explicit Parser(std::string_view text) : lines_(splitLines(text)) {}

    std::pair<RegFormat, std::vector<RegChange>> run() {
        std::size_t i = 0;
        while (i < lines_.size() && trim(lines_[i]).empty()) ++i;
        std::string_view header = i < lines_.size() ? trim(lines_[i]) : std::string_view{};
        if (header == kHeader5) {
            format_ = RegFormat::Version5;
        } else if (header == kHeader4) {
            format_ = RegFormat::Regedit4;
        } else {
            throw LineError{lineNumber(i), "not a registry file: it must begin with \"" + std::string(kHeader5) +
                                               "\" or \"" + std::string(kHeader4) + "\""};
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

// ---- writing ---------------------------------------------------------------------------

// Text that the store holds outside its UTF-8 contract is written as Windows-1252 text, the
// way such bytes from outside are read everywhere else.
std::string asUtf8(std::string_view text) {
    return isValidUtf8(text) ? std::string(text) : windows1252ToUtf8(text);
}

bool fitsOnALine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string escaped(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

class Writer {
public:
    explicit Writer(RegFormat format) : format_(format) {
        text_ = format == RegFormat::Version5 ? kHeader5 : kHeader4;
        text_ += "\r\n\r\n";
    }

    void key(Hive hive, std::string_view storedPath, const std::vector<NamedValue>& values) {
        std::string path = asUtf8(formatFullKeyPath(hive, storedPath));
        if (!fitsOnALine(path)) throw LineError{0, "the key name \"" + excerpt(path) + "\" holds a line break or NUL"};
        text_ += "[" + path + "]\r\n";
        for (const auto& v : values) value(path, v);
        text_ += "\r\n";
        ++keys_;
    }

    std::size_t keys() const { return keys_; }

    std::string finish() && {
        if (format_ == RegFormat::Regedit4) return std::move(text_);
        return "\xFF\xFE" + utf8ToUtf16le(text_);
    }

private:
    void value(const std::string& keyPath, const NamedValue& v) {
        std::string name = asUtf8(v.name);
        if (!fitsOnALine(name))
            throw LineError{0, "a value name under \"" + excerpt(keyPath) + "\" holds a line break or NUL"};
        std::string line = name.empty() ? "@=" : escaped(name) + "=";
        const auto& raw = v.value.raw();
        switch (v.value.type()) {
            case ValueType::String: {
                std::string text = asUtf8(v.value.asString());
                if (fitsOnALine(text)) {
                    text_ += line + escaped(text) + "\r\n";
                    return;
                }
                hex(line, 1, stringBytes(text + '\0'));
                return;
            }
            case ValueType::ExpandString:
                hex(line, 2, stringBytes(asUtf8(v.value.asString()) + '\0'));
                return;
            case ValueType::MultiString: {
                std::string text;
                for (const auto& item : v.value.asStrings()) text += asUtf8(item) + '\0';
                hex(line, 7, stringBytes(text + '\0'));
                return;
            }
            case ValueType::DWord: {
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v.value.asNumber().value_or(0)));
                text_ += line + buf + "\r\n";
                return;
            }
            case ValueType::QWord:
                hex(line, 11, raw);
                return;
            case ValueType::Binary:
                hex(line, 3, raw);
                return;
        }
    }

    std::vector<std::uint8_t> stringBytes(const std::string& utf8) const {
        std::string bytes = format_ == RegFormat::Version5 ? utf8ToUtf16le(utf8) : utf8;
        return {bytes.begin(), bytes.end()};
    }

    // hex:xx,xx,... wrapped before the 80th column as the registry editor wraps it.
    void hex(std::string line, std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
        static constexpr char digits[] = "0123456789abcdef";
        line += type == 3 ? std::string("hex:") : hexTypeText(type) + ":";
        std::size_t column = line.size();
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            std::string item{digits[bytes[k] >> 4], digits[bytes[k] & 15]};
            if (k + 1 < bytes.size()) item += ',';
            if (column + item.size() > 78) {
                line += "\\\r\n  ";
                column = 2;
            }
            line += item;
            column += item.size();
        }
        text_ += line + "\r\n";
    }

    RegFormat format_;
    std::string text_;
    std::size_t keys_ = 0;
};

std::pair<std::string, std::size_t> exportKeys(RegistryStore& store, const std::vector<FullKeyPath>& keys,
                                               RegFormat format) {
    Writer writer(format);
    // One snapshot: no other writer can change the keys while they are read.
    store.transaction([&] {
        for (const auto& root : keys) {
            auto paths = store.subtree(root.hive, root.path);
            if (paths.empty())
                throw LineError{0, "the key " + formatFullKeyPath(root.hive, root.path) + " does not exist"};
            for (const auto& path : paths) writer.key(root.hive, path, store.values(root.hive, path));
        }
    });
    std::size_t count = writer.keys();
    return {std::move(writer).finish(), count};
}

std::string describe(const LineError& e) {
    return "line " + std::to_string(e.line) + ": " + e.what;
}

}  // namespace

Expected<RegScript> RegScript::parse(std::string_view bytes) {
    try {
        std::string text = decodeFile(bytes);
        auto [format, changes] = Parser(text).run();
        return RegScript(format, std::move(changes));
    } catch (const LineError& e) {
        return Failure{describe(e)};
    }
}

void RegScript::applyTo(RegistryStore& store) const {
    store.transaction([&] {
        for (const auto& c : changes_) {
            switch (c.kind) {
                case RegChange::Kind::CreateKey:
                    store.createKey(c.key.hive, c.key.path);
                    break;
                case RegChange::Kind::DeleteKey:
                    store.deleteKey(c.key.hive, c.key.path, Subtree::Delete);
                    break;
                case RegChange::Kind::SetValue:
                    store.setValue(c.key.hive, c.key.path, c.name, *c.value);
                    break;
                case RegChange::Kind::DeleteValue:
                    store.deleteValue(c.key.hive, c.key.path, c.name);
                    break;
            }
        }
    });
}

Expected<RegImportResult> importRegText(RegistryStore& store, std::string_view bytes) {
    auto script = RegScript::parse(bytes);
    if (!script) return script.failure();
    try {
        script->applyTo(store);
    } catch (const StoreError& e) {
        return Failure{std::string("nothing was imported: ") + e.what()};
    }
    return RegImportResult{script->format(), script->changes().size()};
}

Expected<RegImportResult> importRegFile(RegistryStore& store, const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return Failure{"cannot open " + file.string() + ": it does not exist"};
    if (!std::filesystem::is_regular_file(file, ec))
        return Failure{"cannot open " + file.string() + ": it is not a file"};
    std::ifstream in(file, std::ios::binary);
    if (!in) return Failure{"cannot open " + file.string()};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return Failure{"cannot read " + file.string()};
    return importRegText(store, bytes.str());
}

Expected<std::string> exportRegText(RegistryStore& store, const std::vector<FullKeyPath>& keys, RegFormat format) {
    try {
        return exportKeys(store, keys, format).first;
    } catch (const LineError& e) {
        return Failure{e.what};
    } catch (const StoreError& e) {
        return Failure{e.what()};
    }
}

Expected<std::size_t> exportRegFile(RegistryStore& store, const std::vector<FullKeyPath>& keys, RegFormat format,
                                    const std::filesystem::path& file) {
    std::pair<std::string, std::size_t> result;
    try {
        result = exportKeys(store, keys, format);
    } catch (const LineError& e) {
        return Failure{e.what};
    } catch (const StoreError& e) {
        return Failure{e.what()};
    }
    StagedFile staged(file);
    std::error_code error = staged.create(0666, "export");
    if (!error) error = staged.write(result.first);
    if (!error) error = staged.commit(Overwrite::Replace);
    if (error) return Failure{"cannot write " + file.string() + ": " + error.message(), error};
    return result.second;
}

}  // namespace platform::registry
