// SPDX-License-Identifier: Apache-2.0
// Hives, value types and typed values of the registry store.
// Part of platform/registry; depends on the standard library only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry {

enum class Hive : std::uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
};

std::optional<Hive> hiveFromNumber(std::int64_t number);
// "HKLM" or "HKEY_LOCAL_MACHINE", any letter case.
std::optional<Hive> hiveFromName(std::string_view name);
std::string_view hiveLongName(Hive hive);   // HKEY_LOCAL_MACHINE
std::string_view hiveShortName(Hive hive);  // HKLM
inline constexpr Hive kAllHives[] = {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine, Hive::Users};

enum class ValueType : std::uint32_t {
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    DWord = 4,         // REG_DWORD
    MultiString = 7,   // REG_MULTI_SZ
    QWord = 11,        // REG_QWORD
};

std::optional<ValueType> valueTypeFromNumber(std::int64_t number);
std::optional<ValueType> valueTypeFromName(std::string_view name);  // "REG_SZ", any case
std::string_view valueTypeName(ValueType type);

// A typed value. Strings are held as UTF-8, numbers little-endian, a multi-string as its
// items each followed by a NUL byte.
class Value {
public:
    static Value string(std::string_view text);
    static Value expandString(std::string_view text);
    static Value binary(std::vector<std::uint8_t> bytes);
    static Value dword(std::uint32_t number);
    static Value qword(std::uint64_t number);
    static Value multiString(const std::vector<std::string>& items);
    // Raw form as stored; a DWORD or QWORD of the wrong length is rejected.
    static std::optional<Value> fromRaw(ValueType type, std::vector<std::uint8_t> data);
    // Parses the text form of `type` (the form that text() gives, and reg.exe's /d forms:
    // decimal or 0x-hex numbers, hex digit pairs for binary, "\0"-separated multi-strings).
    static std::optional<Value> fromText(ValueType type, std::string_view text);

    ValueType type() const { return type_; }
    const std::vector<std::uint8_t>& raw() const { return data_; }

    // The text form used by reads as text: strings as they are (an expand-string is not
    // expanded), DWORD and QWORD in decimal, binary as upper-case hex digit pairs,
    // a multi-string as its items joined by the two characters "\0".
    std::string text() const;

    std::string asString() const;  // string types; the text form otherwise
    std::optional<std::uint64_t> asNumber() const;
    std::vector<std::string> asStrings() const;  // multi-string items

    friend bool operator==(const Value&, const Value&) = default;

private:
    Value(ValueType type, std::vector<std::uint8_t> data) : type_(type), data_(std::move(data)) {}
    ValueType type_;
    std::vector<std::uint8_t> data_;
};

struct NamedValue {
    std::string name;
    Value value;
};

}  // namespace platform::registry
