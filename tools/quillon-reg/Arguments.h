// SPDX-License-Identifier: Apache-2.0
// quillon-reg's command line and what its commands share: the usage text, the parsed line,
// the key and value it names, the questions before a change and the problem that ends a run.
// Part of tools/quillon-reg; depends on platform/registry and tools/common.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/FullKeyPath.h"

namespace regtool {

inline constexpr const char* kUsage =
    "usage: quillon-reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "       quillon-reg query KEY [/v NAME | /ve] [/s]\n"
    "       quillon-reg delete KEY [/v NAME | /ve | /va] [/f]\n"
    "       quillon-reg import FILE\n"
    "       quillon-reg export KEY FILE [/y]\n"
    "KEY begins with HKLM, HKCU, HKCR or HKU (or HKEY_LOCAL_MACHINE and so on).\n"
    "TYPE is REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD or REG_QWORD.\n";
inline constexpr const char* kNotFound = "The system was unable to find the specified registry key or value.";
inline constexpr const char* kDone = "The operation completed successfully.";

// Thrown for anything the user has to be told; main prints it and exits with 1.
struct Problem {
    std::string message;
};

[[noreturn]] void fail(std::string message);

struct CommandLine {
    std::string operation;
    std::vector<std::string> words;               // KEY, FILE
    std::map<std::string, std::string> switches;  // lower-case name without "/" -> argument
    bool has(const char* name) const { return switches.count(name) > 0; }
    std::optional<std::string> argument(const char* name) const {
        auto it = switches.find(name);
        return it == switches.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
};

// The operation in lower case and its words and switches; fails on an unknown operation or
// switch, a switch given twice or one missing its argument.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The KEY word (the first); fails when it is missing, remote or names no hive.
platform::registry::FullKeyPath keyArgument(const CommandLine& line);
// Fails unless exactly `count` words were given.
void expectWords(const CommandLine& line, std::size_t count);
// The value a command names: /v NAME, /ve (the default value, ""), or none.
std::optional<std::string> valueName(const CommandLine& line);
// "(Default)" for the default value's empty name.
std::string displayName(const std::string& name);
// True when forced, else the user's answer on the terminal.
bool confirmed(const std::string& prompt, bool force);
[[noreturn]] void cancelled();

}  // namespace regtool
