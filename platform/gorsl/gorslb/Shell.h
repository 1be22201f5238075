// SPDX-License-Identifier: Apache-2.0
// Gorslb's shell operations: opening files, programs and addresses, deleting into the trash,
// and restarting the computer. The desktop opener and the restart command come from the
// environment (QUILLON_OPEN_COMMAND, QUILLON_RESTART_COMMAND), so that tests never open a
// browser or restart the machine.
// Part of platform/gorsl; depends on platform/prefix and POSIX.
#pragma once

#include <cstdint>
#include <string>

namespace gorsl {

// The shell's flag for deletion that can be undone (FOF_ALLOWUNDO): to the trash.
inline constexpr std::int32_t kAllowUndo = 0x40;
// The restart mode that reboots (EWX_REBOOT).
inline constexpr std::int32_t kRebootMode = 2;

// See IGorslb::ShellOpen. True when the program or the opener was started.
bool shellOpen(const std::string& file, const std::string& verb, const std::string& parameters,
               const std::string& directory);
// See IGorslb::ShellDelete. Throws Error 53 when nothing matches, 75 when a deletion fails
// (the items before it are deleted, the failing one and those after it stay).
void shellDelete(const std::string& path, std::int32_t flags, const std::string& source);
// See IGorslb::RestartComputer. Throws Error 5 for a mode other than reboot.
bool restartComputer(std::int32_t mode, const std::string& source);

}  // namespace gorsl
