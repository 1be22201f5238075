// SPDX-License-Identifier: Apache-2.0
#include "platform/registry/Value.h"

#include <charconv>

#include "platform/support/TextCase.h"

namespace platform::registry {

namespace {
struct HiveNames {
    Hive hive;
    std::string_view shortName;
    std::string_view longName;
};
constexpr HiveNames kHives[] = {
    {Hive::ClassesRoot, "HKCR", "HKEY_CLASSES_ROOT"},
    {Hive::CurrentUser, "HKCU", "HKEY_CURRENT_USER"},
    {Hive::LocalMachine, "HKLM", "HKEY_LOCAL_MACHINE"},
    {Hive::Users, "HKU", "HKEY_USERS"},
};

struct TypeNames {
    ValueType type;
    std::string_view name;
};
constexpr TypeNames kTypes[] = {
    {ValueType::String, "REG_SZ"},   {ValueType::ExpandString, "REG_EXPAND_SZ"}, {ValueType::Binary, "REG_BINARY"},
    {ValueType::DWord, "REG_DWORD"}, {ValueType::MultiString, "REG_MULTI_SZ"},   {ValueType::QWord, "REG_QWORD"},
};

std::vector<std::uint8_t> bytesOf(std::string_view s) {
    return {s.begin(), s.end()};
}

std::vector<std::uint8_t> littleEndian(std::uint64_t v, int width) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width));
    for (int i = 0; i < width; ++i) out[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    return out;
}

std::optional<std::uint64_t> parseNumber(std::string_view text, std::uint64_t max) {
    text = trimBlanks(text);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (ec != std::errc{} || end != text.data() + text.size() || v > max) return std::nullopt;
    return v;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<Hive> hiveFromNumber(std::int64_t number) {
    for (const auto& h : kHives)
        if (static_cast<std::int64_t>(h.hive) == number) return h.hive;
    return std::nullopt;
}

std::optional<Hive> hiveFromName(std::string_view name) {
    std::string upper = asciiUpper(name);
    for (const auto& h : kHives)
        if (upper == h.shortName || upper == h.longName) return h.hive;
    return std::nullopt;
}

std::string_view hiveLongName(Hive hive) {
    for (const auto& h : kHives)
        if (h.hive == hive) return h.longName;
    return {};
}

std::string_view hiveShortName(Hive hive) {
    for (const auto& h : kHives)
        if (h.hive == hive) return h.shortName;
    return {};
}

std::optional<ValueType> valueTypeFromNumber(std::int64_t number) {
    for (const auto& t : kTypes)
        if (static_cast<std::int64_t>(t.type) == number) return t.type;
    return std::nullopt;
}

std::optional<ValueType> valueTypeFromName(std::string_view name) {
    std::string upper = asciiUpper(name);
    for (const auto& t : kTypes)
        if (upper == t.name) return t.type;
    return std::nullopt;
}

std::string_view valueTypeName(ValueType type) {
    for (const auto& t : kTypes)
        if (t.type == type) return t.name;
    return "REG_NONE";
}

Value Value::string(std::string_view text) {
    return {ValueType::String, bytesOf(text)};
}
Value Value::expandString(std::string_view text) {
    return {ValueType::ExpandString, bytesOf(text)};
}
Value Value::binary(std::vector<std::uint8_t> bytes) {
    return {ValueType::Binary, std::move(bytes)};
}
Value Value::dword(std::uint32_t number) {
    return {ValueType::DWord, littleEndian(number, 4)};
}
Value Value::qword(std::uint64_t number) {
    return {ValueType::QWord, littleEndian(number, 8)};
}

Value Value::multiString(const std::vector<std::string>& items) {
    std::vector<std::uint8_t> data;
    for (const auto& item : items) {
        data.insert(data.end(), item.begin(), item.end());
        data.push_back(0);
    }
    return {ValueType::MultiString, std::move(data)};
}

std::optional<Value> Value::fromRaw(ValueType type, std::vector<std::uint8_t> data) {
    if (type == ValueType::DWord && data.size() != 4) return std::nullopt;
    if (type == ValueType::QWord && data.size() != 8) return std::nullopt;
    return Value(type, std::move(data));
}

std::optional<Value> Value::fromText(ValueType type, std::string_view text) {
    switch (type) {
        case ValueType::String:
            return string(text);
        case ValueType::ExpandString:
            return expandString(text);
        case ValueType::DWord:
            if (auto n = parseNumber(text, 0xFFFFFFFFu)) return dword(static_cast<std::uint32_t>(*n));
            return std::nullopt;
        case ValueType::QWord:
            if (auto n = parseNumber(text, ~std::uint64_t{0})) return qword(*n);
            return std::nullopt;
        case ValueType::Binary: {
            std::vector<std::uint8_t> bytes;
            if (text.size() % 2 != 0) return std::nullopt;
            for (std::size_t i = 0; i < text.size(); i += 2) {
                int hi = hexValue(text[i]), lo = hexValue(text[i + 1]);
                if (hi < 0 || lo < 0) return std::nullopt;
                bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
            }
            return binary(std::move(bytes));
        }
        case ValueType::MultiString: {
            std::vector<std::string> items;
            if (!text.empty()) {
                std::size_t start = 0;
                for (;;) {
                    std::size_t sep = text.find("\\0", start);
                    items.emplace_back(text.substr(start, sep == std::string_view::npos ? sep : sep - start));
                    if (sep == std::string_view::npos) break;
                    start = sep + 2;
                }
            }
            return multiString(items);
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> Value::asNumber() const {
    if (type_ != ValueType::DWord && type_ != ValueType::QWord) return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = data_.size(); i-- > 0;) v = (v << 8) | data_[i];
    return v;
}

std::vector<std::string> Value::asStrings() const {
    std::vector<std::string> items;
    std::string current;
    for (std::uint8_t b : data_) {
        if (b == 0) {
            items.push_back(std::move(current));
            current.clear();
        } else {
            current += static_cast<char>(b);
        }
    }
    if (!current.empty()) items.push_back(std::move(current));
    return items;
}

std::string Value::asString() const {
    if (type_ == ValueType::String || type_ == ValueType::ExpandString) return {data_.begin(), data_.end()};
    return text();
}

std::string Value::text() const {
    switch (type_) {
        case ValueType::String:
        case ValueType::ExpandString:
            return {data_.begin(), data_.end()};
        case ValueType::DWord:
        case ValueType::QWord:
            return std::to_string(asNumber().value_or(0));
        case ValueType::Binary: {
            static constexpr char digits[] = "0123456789ABCDEF";
            std::string s;
            for (std::uint8_t b : data_) {
                s += digits[b >> 4];
                s += digits[b & 15];
            }
            return s;
        }
        case ValueType::MultiString: {
            std::string s;
            auto items = asStrings();
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (i) s += "\\0";
                s += items[i];
            }
            return s;
        }
    }
    return {};
}

}  // namespace platform::registry
