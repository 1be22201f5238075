// Archive entry names: the check that decides whether an entry may be extracted, the split
// into the Windows-style path and file name of a listing, and the names files are stored under.
// Part of platform/standins/addzip; standard library only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace addzip {

enum class NameProblem { None, Empty, Absolute, DriveLetter, ParentReference };

struct CheckedName {
    NameProblem problem = NameProblem::None;
    std::vector<std::string> components;  // when no problem: at least one, none "." or ".."
    bool directory = false;               // the name ended with a separator
};

// Both "/" and "\" separate. A name that starts with a separator, whose first component is a
// drive ("C:"), or that has a ".." component is refused rather than repaired; "." and empty
// components are dropped.
CheckedName checkEntryName(std::string_view name);

// "dir/sub/file.txt" as the listing shows it: path "dir\sub", file name "file.txt".
struct ListedName {
    std::string path;
    std::string fileName;
};
ListedName listedName(std::string_view entryName);

// True when a link stored at `linkComponents` (its own name included) pointing at `target`
// stays inside the extraction folder: a relative target whose ".." never climbs above it.
bool linkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target);

// The "/"-separated name of a Windows-style or POSIX path with drive, share or leading
// separators removed and "." and ".." resolved by name; empty when nothing is left.
std::string storedPath(std::string_view path);

}  // namespace addzip
