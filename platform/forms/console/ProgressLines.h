// SPDX-License-Identifier: Apache-2.0
// How the console host shows progress bars on standard error. In a terminal one line is
// rewritten in place, at most a few times a second; elsewhere (a log, a pipe) each shown state
// is a line of its own, at most one a second. Either way the first and the last state of every
// phase are shown, so each phase leaves at least one line with its percentage.
// Part of platform/forms/console; depends on the standard library only.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace platform::forms {

enum class ProgressStyle { RewrittenLine, SeparateLines };

class ProgressLines {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    ProgressLines(std::ostream& out, ProgressStyle style, Clock clock = &std::chrono::steady_clock::now);

    // The state of a bar: `phase` names its piece of work, `status` tells how far it is, and
    // `complete` says the whole is there. A new bar or phase, or a count that went back,
    // ends the phase shown before.
    void update(const void* bar, const std::string& phase, std::int64_t count, const std::string& status,
                bool complete);
    // The phase has ended (the bar or its form went away): its last state is shown.
    void finish(const void* bar);
    // Something else is about to be written: a line rewritten in place is ended first, and the
    // next state of the phase starts a fresh one.
    void interrupt();

private:
    void show(const std::string& line, std::chrono::steady_clock::time_point now);
    void finishCurrent();

    std::ostream& out_;
    ProgressStyle style_;
    Clock clock_;
    const void* bar_ = nullptr;
    std::string phase_;
    std::int64_t count_ = 0;
    std::string pending_;  // a state not shown yet because the last one was too recent
    std::chrono::steady_clock::time_point lastShown_{};
    bool lineOpen_ = false;  // a rewritten line that has not been ended
};

}  // namespace platform::forms
