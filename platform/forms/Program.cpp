#include "platform/forms/Program.h"

#include <iostream>
#include <new>
#include <optional>

#include "platform/forms/Runtime.h"
#include "platform/support/ProgramLocation.h"

namespace platform::forms {

using platform::com::Error;

namespace {

void report(const Error& error) {
    try {
        messageBox(runtimeErrorText(error), style::Critical, programTitle());
    } catch (...) {
        std::cerr << programTitle() << ": " << runtimeErrorText(error) << std::endl;
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
        failure = Error(7, programTitle(), "Out of memory");
    } catch (const std::exception& error) {
        failure = Error(51, programTitle(), error.what());
    } catch (...) {
        failure = Error(51, programTitle(), "Internal error");
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
