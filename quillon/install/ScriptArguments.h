// SPDX-License-Identifier: Apache-2.0
// The argument text of an install script line: blanks inside double quotes protected while the
// text is split at every ";", the script's variables expanded, blanks trimmed, quotes removed
// again. The rules are pure functions; ExpandScriptVariables and PrepareScriptArguments put
// the tool library and the product's registry behind them.
// Part of quillon/install; depends on quillon/settings, quillon/toollib and platform/com.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

using ScriptArguments = std::vector<std::string>;

// Stands for a blank inside double quotes while the arguments are split and trimmed.
inline constexpr std::string_view kQuotedBlank = "$$%%space%%$$";

// Blanks between a double quote and the next one become kQuotedBlank. The in-quotes state runs
// across semicolons, so an unclosed quote protects every blank up to the end.
std::string ProtectQuotedBlanks(std::string_view text);
// Every kQuotedBlank becomes a blank. Only when at least one was replaced and the result
// begins and ends with a double quote are those two quotes removed; quotes around a text
// without a protected blank stay part of it.
std::string RestoreQuotedBlanks(std::string_view text);
// The pieces between the semicolons, in order: "" gives none, "a;;b" gives "a", "", "b" and
// "a;" gives "a", "".
ScriptArguments splitScriptArguments(std::string_view text);
// Every occurrence of `from` replaced, left to right, by `to`; a replacement is never searched
// again. An empty `from` changes nothing.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);

// The hive number of an indirect variable ("-2147483646", "&H80000002", "&h1"): decimal with
// an optional sign, rounded, or hexadecimal after "&H" read as a 32-bit pattern; a text that
// is no number reads as 0. Nothing when the number does not fit in 32 bits.
std::optional<std::int32_t> readHiveNumber(std::string_view word);

// One value of a product's Vars key, as the registry lists it.
struct ProductVariable {
    std::string name;
    std::string data;
};

// Where the expansion finds its replacements; each is asked at its step of the order.
struct VariableSources {
    std::function<std::string(const std::string&)> expandLibraryPlaceholders;
    std::function<std::string()> installTempFolder;  // asked once per spelling
    std::function<std::string()> favoritesFolder;
    std::function<std::vector<ProductVariable>()> productVariables;
    // May throw; the indirect variable then keeps its stored text.
    std::function<std::string(std::int32_t hive, const std::string& keyPath, const std::string& valueName)>
        registryRead;
};

// The text with the variables replaced, in this order, each step seeing what the earlier
// ones put in: the library's placeholders, "%installtemp%" and "%InstallTemp%", "%WL%"
// (Favorites + "\Web-Links"), then each product variable in the registry's order, exactly as
// named, case included. A name beginning with "@" is indirect: its data is a hive number, a
// blank and a key path, and the replacement is that key's value of the variable's name.
std::string expandVariables(std::string text, const VariableSources& sources);

// expandVariables with the tool library: special folders 1003 and 6, and the values of
// HKLM\Software\Orvane\Software Updates\Products\<key>\Vars, listed anew on every call.
std::string ExpandScriptVariables(const std::string& text, const std::string& productKey);

// The argument preparation of one command: protect, split, then for each argument expand,
// trim blanks, restore.
ScriptArguments prepareScriptArguments(std::string_view text,
                                       const std::function<std::string(const std::string&)>& expand);
ScriptArguments PrepareScriptArguments(const std::string& text, const std::string& productKey);

}  // namespace quillon
