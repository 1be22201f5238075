// SPDX-License-Identifier: Apache-2.0
// The addZIP and addUNZIP functions: archive creation, listing and deletion (addZIP_*) and
// extraction (addUNZIP_*), configured by setter calls and started by one run call. Every piece
// of progress and every result reaches the caller only as a callback message written into the
// window it named (platform/forms/WindowHandles.h). Depends on platform/forms, platform/prefix
// and libzip; not thread-safe, like the libraries it stands in for.
//
// Settings are kept between runs until Initialise: an include list, exclude list, destination,
// list mode or delete mode set for one run holds for the next one too.
//
// Values and defaults (after Initialise):
//   compression level  0 stored, 1 fastest deflate, 2 normal deflate (default), 3 best deflate
//   overwrite          10 query, 11 all (default), 12 none. Nobody answers a query (the
//                      question goes out as a code 24 message), so an unanswered query keeps the
//                      existing file or entry and reports a Warning, as "none" does.
//   structure          0 file names only (default), 1 paths below the folder the search
//                      started in (a folder named as such keeps its own name), 2 the whole path
//                      without drive or share
//   restore structure  on by default: extraction recreates the folders; off extracts every
//                      file into the destination itself
//   span, build SFX    accepted and kept, but a run writes one plain ZIP file and reports a
//                      Warning that the archive was neither split nor made self-extracting
//   file specifications several in one text, separated by "|" (a character no Windows file
//                      name holds). * and ? match case-insensitively; a pattern without a
//                      separator matches the file name, one with "\" or "/" the whole path.
// Paths (archive name, destination, file specifications) are Windows-style and mapped with
// platform::prefix::toNative; texts are UTF-8, this platform's 8-bit code page.
//
// Setters return -1 when they took the value and 0 when they refused it (the value is kept).
// Results of the run calls: the number of files handled (listed, deleted, added, extracted,
// at most 32767 for addZIP) when nothing failed; otherwise the negative of the first error
// code (AddZipCode in Messages.h), the same code that the Error message carried.
#pragma once

#include <cstdint>

#define ADDZIP_API extern "C" __attribute__((visibility("default")))

ADDZIP_API std::int16_t addZIP_Initialise();
ADDZIP_API std::int16_t addZIP_SetWindowHandle(std::int32_t window);
ADDZIP_API std::int16_t addZIP_SetParentWindowHandle(std::int32_t window);
ADDZIP_API std::int16_t addZIP_SetCompressionLevel(std::int16_t level);
ADDZIP_API std::int16_t addZIP_Recurse(std::int16_t recurse);
ADDZIP_API std::int16_t addZIP_ArchiveName(const char* name);
ADDZIP_API std::int16_t addZIP_Overwrite(std::int16_t mode);
ADDZIP_API std::int16_t addZIP_Span(std::int16_t span);
ADDZIP_API std::int16_t addZIP_SaveStructure(std::int16_t mode);
ADDZIP_API std::int16_t addZIP_BuildSFX(std::int16_t build);
// True switches the next runs into list mode (or delete mode); False back to creation.
ADDZIP_API std::int16_t addZIP_View(std::int16_t on);
ADDZIP_API std::int16_t addZIP_Delete(std::int16_t on);
// Replace the include or exclude list; an empty text clears it.
ADDZIP_API std::int16_t addZIP_Include(const char* specs);
ADDZIP_API std::int16_t addZIP_Exclude(const char* specs);
// Runs the configured creation, listing or deletion. The archive is rewritten through a
// temporary file: after a failure the archive is as it was before the run.
ADDZIP_API std::int16_t addZIP();

ADDZIP_API std::int16_t addUNZIP_Initialise();
ADDZIP_API std::int16_t addUNZIP_SetWindowHandle(std::int32_t window);
ADDZIP_API std::int16_t addUNZIP_ArchiveName(const char* name);
ADDZIP_API std::int16_t addUNZIP_Overwrite(std::int16_t mode);
ADDZIP_API std::int16_t addUNZIP_RestoreStructure(std::int16_t restore);
ADDZIP_API std::int16_t addUNZIP_Include(const char* specs);
ADDZIP_API std::int16_t addUNZIP_Exclude(const char* specs);
// Empty: the working directory. Created when missing.
ADDZIP_API std::int16_t addUNZIP_ExtractTo(const char* directory);
// Extracts the selected entries. An entry with an absolute name, a drive letter or a ".."
// component, one that would be written through a symbolic link, an encrypted one and one
// whose data is damaged is not written and is reported as an Error; the others go on. Each
// file is written under a temporary name and renamed into place, so a failed entry leaves no
// partial file and an existing file stays whole until its replacement is complete.
ADDZIP_API std::int32_t addUNZIP();
