// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/Program.h"

#include <cerrno>
#include <iostream>
#include <new>
#include <optional>

#include "platform/forms/Runtime.h"
#include "platform/support/Expected.h"
#include "platform/support/ProgramLocation.h"
#include "platform/support/VisibleText.h"

namespace platform::forms {

using platform::com::Error;
using platform::com::standardDescription;
namespace errc = platform::com::errc;

namespace {

// The host's number for a failure whose system reason is known; 51 when there is none.
std::int32_t hostErrorNumber(std::error_code reason) {
    if (reason.category() != std::generic_category() && reason.category() != std::system_category())
        return errc::InternalError;
    switch (reason.value()) {
        case ENOENT:
            return errc::FileNotFound;
        case ENOTDIR:
            return errc::PathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return errc::PermissionDenied;
        case ENOSPC:
        case EDQUOT:
            return errc::DiskFull;
        case EEXIST:
            return errc::FileAlreadyExists;
        case EIO:
            return errc::DeviceIoError;
        case ENOMEM:
            return errc::OutOfMemory;
        default:
            return errc::InternalError;
    }
}

void report(const Error& error) {
    try {
        messageBox(runtimeErrorText(error), style::Critical, programTitle());
    } catch (...) {
        std::cerr << programTitle() << ": "
                  << platform::visibleText(runtimeErrorText(error), platform::LineBreaks::Kept) << std::endl;
    }
}

}  // namespace

int runProgram(const ProgramOptions& options, const std::function<void()>& start) {
    auto& rt = Runtime::get();
    if (!options.title.empty()) setProgramTitle(options.title);
    rt.unwinding = nullptr;
    rt.ending = false;

    std::optional<Error> failure;
    try {
        start();
        rt.currentHost().runUntil(
            [&] { return rt.loaded.empty() || rt.unwinding || (!hosting::anyFormVisible() && rt.queue.empty()); });
        rt.rethrowUnwinding();
    } catch (const ProgramEnded&) {
    } catch (const Error& error) {
        failure = error;
    } catch (const std::bad_alloc&) {
        failure = Error(errc::OutOfMemory, programTitle(), standardDescription(errc::OutOfMemory));
    } catch (const FailureError& error) {
        failure = Error(hostErrorNumber(error.failure().reason), programTitle(), error.failure().message);
    } catch (const std::exception& error) {
        failure = Error(errc::InternalError, programTitle(), error.what());
    } catch (...) {
        failure = Error(errc::InternalError, programTitle(), standardDescription(errc::InternalError));
    }

    // From here no handler of the program runs any more.
    rt.ending = true;
    rt.unwinding = nullptr;
    rt.dropAllForms();
    if (failure) report(*failure);
    rt.ending = false;
    return failure ? 1 : 0;
}

void endProgram() {
    throw ProgramEnded{};
}

std::string runtimeErrorText(const Error& error) {
    return "Laufzeitfehler '" + std::to_string(error.number()) + "':\r\n\r\n" + error.description();
}

const std::string& programTitle() {
    auto& rt = Runtime::get();
    if (rt.title.empty()) rt.title = platform::executablePath().stem().string();
    return rt.title;
}

void setProgramTitle(std::string_view title) {
    Runtime::get().title = title;
}

}  // namespace platform::forms
