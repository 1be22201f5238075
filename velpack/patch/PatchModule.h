// SPDX-License-Identifier: Apache-2.0
// The patch module: ApplyPatch over the patch tool that the component carries. Each object
// writes the tool to a temporary file of the tool library at creation and deletes it at
// destruction. Part of velpack/patch; depends on platform/com, platform/forms (message boxes,
// the event loop), platform/prefix and the tool libraries' interfaces (platform/gorsl/Gorsl.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

#include <velpack/Velpack.h>
#include "platform/gorsl/Gorsl.h"

namespace velpack {

struct PatchToolSettings {
    std::span<const std::uint8_t> image;  // the tool's bytes, written out at creation
    std::chrono::milliseconds timeLimit;  // a run still going after this is ended and fails
};

// The tool built into the component, and a bound far above any real patch's run.
PatchToolSettings builtInPatchTool();

class PatchModule final : public platform::com::Object<IPatchModule> {
public:
    // Creating the tool library objects may raise their creation error (429).
    explicit PatchModule(const PatchToolSettings& tool = builtInPatchTool());

    Boolean ApplyPatch(const std::string& OriginalFile, const std::string& PatchData, Boolean& RequiresReboot,
                       Boolean ShowErrors = platform::com::False, Boolean HideProgress = platform::com::False) override;

    // Where the tool was written (a Windows-style path of the tool library).
    const std::string& programPath() const { return mvarProgramPath; }

private:
    ~PatchModule() override;
    Boolean fail(Boolean showErrors, const std::string& message);
    bool runAndWait(const std::string& programPath, const std::vector<std::string>& arguments, Boolean hide);

    platform::com::Ptr<gorsl::IGorsla> gorsla_;
    platform::com::Ptr<gorsl::IGorslb> gorslb_;
    std::string mvarProgramPath;
    bool toolWritten_ = false;
    std::chrono::milliseconds timeLimit_;
};

}  // namespace velpack
