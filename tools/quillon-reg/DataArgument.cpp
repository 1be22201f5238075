// SPDX-License-Identifier: Apache-2.0
#include "tools/quillon-reg/DataArgument.h"

#include <vector>

namespace tools {

namespace reg = platform::registry;

platform::Expected<reg::Value> parseDataArgument(const std::optional<std::string>& typeName, const std::string& data,
                                                 const std::optional<std::string>& separator) {
    const std::string name = typeName.value_or("REG_SZ");
    auto type = reg::valueTypeFromName(name);
    if (!type)
        return platform::Failure{"Invalid type \"" + name +
                                 "\": use REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD or REG_QWORD."};
    if (separator) {
        if (*type != reg::ValueType::MultiString)
            return platform::Failure{"Invalid syntax: /s is only for REG_MULTI_SZ."};
        if (separator->size() != 1)
            return platform::Failure{"Invalid syntax: the separator of /s must be one character."};
        std::vector<std::string> items;
        if (!data.empty()) {
            std::size_t start = 0;
            for (std::size_t sep; (sep = data.find((*separator)[0], start)) != std::string::npos; start = sep + 1)
                items.push_back(data.substr(start, sep - start));
            items.push_back(data.substr(start));
        }
        return reg::Value::multiString(items);
    }
    // Without /d a number is 0, as reg.exe makes it.
    const bool number = *type == reg::ValueType::DWord || *type == reg::ValueType::QWord;
    auto value = reg::Value::fromText(*type, data.empty() && number ? "0" : data);
    if (!value) {
        std::string expected =
            *type == reg::ValueType::Binary ? "pairs of hex digits" : "a decimal number or 0x and hex digits";
        if (*type == reg::ValueType::DWord) expected += " up to 4294967295";
        return platform::Failure{"Invalid data \"" + data + "\" for " + name + ": expected " + expected + "."};
    }
    return *value;
}

}  // namespace tools
