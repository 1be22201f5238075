// `quillon-prefix boot`: what the host does at its next start, on the current prefix. First
// the temporary files that killed runs left (removeStaleTemporaryFiles), then the file
// replacements queued in PendingFileRenameOperations, then the commands of
// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce, one after another.
#pragma once

namespace tools {

// Performs both steps and reports each operation on standard output, each failure on
// standard error. Returns 0 when everything was done, 1 when something failed; a failed
// operation is taken off its queue all the same, as the host does.
int bootPrefix();

}  // namespace tools
