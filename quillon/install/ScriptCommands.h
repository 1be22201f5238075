// SPDX-License-Identifier: Apache-2.0
// The install script interpreter: argument preparation, the keyword dispatcher and the
// commands that show messages, delete, add, copy and move files, set the product's version,
// write and remove Internet shortcut files and raise the restart and cancel flags.
// Commands return nothing: success and failure show only as English lines in the product's
// install log. A command given fewer arguments than it reads writes one line saying so and
// does nothing else.
// Part of quillon/install; depends on quillon/toollib, platform/forms and platform/prefix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "quillon/install/ScriptArguments.h"

namespace quillon {

// Every command takes the prepared arguments A1, A2, ... (at least as many as it reads), the
// product key and the run's cancellation flag.
using ScriptCommandHandler = void (*)(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);

struct ScriptCommand {
    std::string_view keyword;  // upper case, as the dispatcher matches it
    std::string_view name;     // the command an alias stands for (the keyword itself otherwise)
    std::size_t reads;         // arguments it always reads
    ScriptCommandHandler run;
};

// The command of a keyword (exact match, upper case); nothing for any other word, which the
// run skips as a remark.
const ScriptCommand* findScriptCommand(std::string_view keyword);
// How many arguments the command reads from these: WL_ADD reads A4 only when A3 is not empty.
std::size_t argumentsRead(const ScriptCommand& command, const ScriptArguments& A);
// The log line of a command given too few arguments.
std::string tooFewArgumentsLine(std::string_view keyword, std::size_t reads, std::size_t given);

// Prepares the argument text and executes one command; a keyword that is no command does
// nothing. Errors of the tool library that a command does not catch by its own rules reach
// the caller. Nested steps of the commands come back through here.
void ExecuteScriptCommand(const std::string& keyword, const std::string& argumentText, const std::string& productKey,
                          bool& CancelRequested);

// The commands of the dispatcher table.
void MessageCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void QueryCancelCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// DELETE: every file the path names (wildcards * and ? in its last component, names compared
// as the prefix compares them) is gone; folders are never deleted. Nothing named, or a file
// that cannot be removed, logs the failure line; the deletion stops at the first such file.
void DeleteCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void ShellDeleteCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void AddCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// COPY: afterwards A2 is a copy of A1. An existing A2 is set aside under a hidden name in its
// folder (logged as the nested delete) and put back when the copy is not produced, so a failed
// COPY leaves the old A2 in place.
void CopyCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
// MOVE: the nested COPY, then the source deleted; when the COPY did not produce A2, the source
// stays and the log says so instead of the deletion lines.
void MoveCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void SetVersionCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void WebLinkAddCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void WebLinkRemoveCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void WebLinkRemoveFolderCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void RequireRebootCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void CancelCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);
void InstallerVersionCommand(const ScriptArguments& A, const std::string& productKey, bool& CancelRequested);

}  // namespace quillon
