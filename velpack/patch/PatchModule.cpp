// SPDX-License-Identifier: Apache-2.0
#include "velpack/patch/PatchModule.h"

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "platform/com/Creation.h"
#include "platform/com/Error.h"
#include "platform/forms/MessageBox.h"
#include "platform/prefix/Prefix.h"
#include "velpack/frame/Factories.h"
#include "velpack/patch/ToolRun.h"

namespace velpack {

extern const unsigned char kPatchToolImage[];
extern const std::size_t kPatchToolImageSize;

namespace {

using platform::com::False;
using platform::com::True;

constexpr const char* kTitle = "Patch-Fehler";
constexpr int kStyle = platform::forms::style::Exclamation | platform::forms::style::OkOnly;  // 48

// A real patch of an installed file takes seconds; ten minutes only ends a tool that hangs.
constexpr std::chrono::minutes kToolTimeLimit{10};

// Writes the whole image to a file that did not exist before (never through a link planted at
// the name), executable, since the tool is started from there. False when anything failed;
// a partly written file is removed.
bool writeTool(const std::string& path, std::span<const std::uint8_t> image) {
    const auto native = platform::prefix::toNative(path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
    if (fd < 0) return false;
    bool written = true;
    for (std::size_t done = 0; done < image.size() && written;) {
        const ssize_t n = ::write(fd, image.data() + done, image.size() - done);
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else
            written = n < 0 && errno == EINTR;
    }
    written = (::close(fd) == 0) && written;
    if (!written) ::unlink(native.c_str());
    return written;
}

}  // namespace

PatchToolSettings builtInPatchTool() {
    return {{kPatchToolImage, kPatchToolImageSize}, kToolTimeLimit};
}

PatchModule::PatchModule(const PatchToolSettings& tool)
    : gorsla_(platform::com::createObject<gorsl::IGorsla>(gorsl::kGorslaProgId)),
      gorslb_(platform::com::createObject<gorsl::IGorslb>(gorsl::kGorslbProgId)),
      mvarProgramPath(gorslb_->TempFileName("Patcher")),
      timeLimit_(tool.timeLimit) {
    toolWritten_ = writeTool(mvarProgramPath, tool.image);
}

PatchModule::~PatchModule() {
    try {
        if (toolWritten_) gorslb_->DeleteFile(mvarProgramPath);
    } catch (const platform::com::Error&) {
    }
}

Boolean PatchModule::fail(Boolean showErrors, const std::string& message) {
    if (showErrors) platform::forms::messageBox(message, kStyle, kTitle);
    return False;
}

Boolean PatchModule::ApplyPatch(const std::string& OriginalFile, const std::string& PatchData, Boolean& RequiresReboot,
                                Boolean ShowErrors, Boolean HideProgress) {
    if (!gorsla_->FileExists(OriginalFile)) {
        return fail(
            ShowErrors,
            "Ein Patch konnte nicht installiert werden, weil die zu aktualisierende Datei nicht gefunden wurde (" +
                OriginalFile + ").");
    }
    if (!gorsla_->FileExists(PatchData)) {
        return fail(ShowErrors,
                    "Ein Patch konnte nicht installiert werden, weil die Patch-Datei nicht gefunden wurde (" +
                        PatchData + ").");
    }
    // Only the copy this object wrote counts: a file someone else put at the name is not run.
    if (!toolWritten_ || !gorsla_->FileExists(mvarProgramPath)) {
        return fail(ShowErrors,
                    "Ein Patch konnte nicht installiert werden, weil das Programm zur Anwendung von Patches nicht "
                    "verfügbar ist.\r\n\r\n" +
                        mvarProgramPath);
    }
    const std::string kFailed = "Der Patch konnte nicht installiert werden.";

    std::string output = gorslb_->TempFileName("Patched");
    gorsla_->PrepareOutputFile(output);
    output = gorslb_->ShortPath(output);
    gorslb_->DeleteFile(output);

    const std::string longTarget = OriginalFile;
    const std::string shortPatch = gorslb_->ShortPath(PatchData);
    const std::string shortTarget = gorslb_->ShortPath(OriginalFile);

    if (!runAndWait(mvarProgramPath, {shortPatch, shortTarget, output}, HideProgress)) return fail(ShowErrors, kFailed);
    if (!gorsla_->FileExists(output)) return fail(ShowErrors, kFailed);

    // A file in use can still be deleted here, so "the target cannot be deleted" is what the
    // tool library's replace file decides: in use (open or mapped by a running process) means
    // the replacement waits for the next start and the patched file stays where it is.
    try {
        gorslb_->ReplaceFile(longTarget, output);
    } catch (const platform::com::Error&) {
        // The target could not be replaced (no permission, say): not a success.
        try {
            gorslb_->DeleteFile(output);
        } catch (const platform::com::Error&) {
        }
        return fail(ShowErrors, kFailed);
    }
    if (gorsla_->FileExists(output)) {
        gorslb_->CompleteRestartReplacement(output);
        RequiresReboot = True;
    } else {
        RequiresReboot = False;
    }
    return True;
}

// The tool takes native paths: the short forms are mapped through the prefix here, where the
// process starts, and go to it one by one, so the host's quoting of the command line is not
// needed. The working directory is the tool's folder, as the tool library names it.
//
// HideProgress: on this platform the tool is a console program without a window of its own
// (its messages go to the caller's standard error), so there is no window to find and hide;
// the flag has no effect.
bool PatchModule::runAndWait(const std::string& programPath, const std::vector<std::string>& arguments,
                             Boolean /*hide*/) {
    std::vector<std::string> nativeArguments;
    for (const auto& argument : arguments) nativeArguments.push_back(platform::prefix::toNative(argument).string());
    const auto folder = platform::prefix::toNative(gorsla_->FolderPart(programPath));
    return runToolAndWait(platform::prefix::toNative(programPath), nativeArguments, folder, timeLimit_) ==
           ToolRunOutcome::Ended;
}

platform::com::Ptr<platform::com::Unknown> createPatchModule() {
    return platform::com::make<PatchModule>();
}

}  // namespace velpack
