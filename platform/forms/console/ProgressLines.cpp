// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/console/ProgressLines.h"

#include <ostream>

namespace platform::forms {

namespace {
// A terminal line is read at a glance; a log line is kept, so fewer of them.
constexpr std::chrono::milliseconds kTerminalInterval{200};
constexpr std::chrono::milliseconds kLogInterval{1000};
}  // namespace

ProgressLines::ProgressLines(std::ostream& out, ProgressStyle style, Clock clock)
    : out_(out), style_(style), clock_(std::move(clock)) {}

void ProgressLines::update(const void* bar, const std::string& phase, std::int64_t count, const std::string& status,
                           bool complete) {
    const auto now = clock_();
    const bool newPhase = bar != bar_ || phase != phase_ || count < count_;
    if (newPhase) {
        finishCurrent();
        bar_ = bar;
        phase_ = phase;
    }
    count_ = count;
    std::string line = phase.empty() ? status : phase + ": " + status;
    const auto interval = style_ == ProgressStyle::RewrittenLine ? kTerminalInterval : kLogInterval;
    if (newPhase || complete || now - lastShown_ >= interval)
        show(line, now);
    else
        pending_ = std::move(line);
}

void ProgressLines::finish(const void* bar) {
    if (bar == bar_) finishCurrent();
}

void ProgressLines::interrupt() {
    if (!lineOpen_) return;
    out_ << '\n' << std::flush;
    lineOpen_ = false;
}

void ProgressLines::show(const std::string& line, std::chrono::steady_clock::time_point now) {
    if (style_ == ProgressStyle::RewrittenLine)
        out_ << '\r' << line << "\x1b[K";  // back to the line's start, then clear what is left of the old one
    else
        out_ << line << '\n';
    out_ << std::flush;
    lineOpen_ = style_ == ProgressStyle::RewrittenLine;
    lastShown_ = now;
    pending_.clear();
}

void ProgressLines::finishCurrent() {
    if (!pending_.empty()) show(pending_, clock_());
    interrupt();
    bar_ = nullptr;
    phase_.clear();
    count_ = 0;
}

}  // namespace platform::forms
