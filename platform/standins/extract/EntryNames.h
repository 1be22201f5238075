// SPDX-License-Identifier: Apache-2.0
// Archive entry names judged before anything is written: the check that decides whether an
// entry may be extracted at all, and the check of a link's target text. Every reader on top of
// the safe extractor gets the same rules. Part of platform/standins/extract; standard library
// only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace extract {

enum class NameProblem { None, Empty, Absolute, DriveLetter, ParentReference, ControlCharacter };

struct CheckedName {
    NameProblem problem = NameProblem::None;
    std::vector<std::string> components;  // when no problem: at least one, none "." or ".."
    bool directory = false;               // the name ended with a separator
};

// The components of a path whose folders are separated by "/" or "\\", empty ones included.
std::vector<std::string_view> splitPath(std::string_view path);
// "C:" and the like: a drive letter and a colon at the start of a component.
bool isDrive(std::string_view component);

// True when the bytes hold 0x00 to 0x1F or 0x7F. Judge the name as the archive stores it, before
// any decoding: a code page may turn such a byte into a printable character.
bool hasControlCharacter(std::string_view rawName);

// Both "/" and "\" separate. A name that starts with a separator, whose first component is a
// drive ("C:"), that has a ".." component or a control character is refused rather than
// repaired; "." and empty components are dropped.
CheckedName checkEntryName(std::string_view name);

// True when a link stored at `linkComponents` (its own name included) pointing at `target`
// stays inside the extraction folder by its text: relative, "/"-separated (a "\" is refused,
// the system would take it for part of a name), no control character, and its ".." never
// climbs above the folder. Links met on the way are judged by the extractor against the disk.
bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target);

// A caller's target path for one entry, cut where the entry's own name begins, so that only
// that name is judged and placed by the extractor.
struct TargetSplit {
    std::string_view folder;  // the caller's part, as written (trailing separator kept); may be empty
    std::string_view name;    // below `folder`
};
// When `target` ends with `entryName` after a separator (or is it; "/" and "\" count as the
// same), the folder is what comes before and the name is `entryName`. Otherwise the folder is
// `target` up to and including its last separator and the name what follows.
TargetSplit splitAtEntryName(std::string_view target, std::string_view entryName);

}  // namespace extract
