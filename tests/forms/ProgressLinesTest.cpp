// SPDX-License-Identifier: Apache-2.0
// The console host's progress output: its pace and what each phase leaves, on a clock the
// test moves by hand.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/forms/console/ProgressLines.h"

namespace {

using namespace platform::forms;
using namespace std::chrono_literals;

struct Lines {
    explicit Lines(ProgressStyle style) : lines(out, style, [this] { return now; }) {}
    void at(std::chrono::milliseconds t, const std::string& phase, std::int64_t count, bool complete = false) {
        now = std::chrono::steady_clock::time_point(t);
        lines.update(&bar, phase, count, std::to_string(count), complete);
    }
    std::ostringstream out;
    std::chrono::steady_clock::time_point now{};
    int bar = 0;
    ProgressLines lines;
};

TEST(ProgressLines, ALogGetsTheFirstAndLastStateOfEveryPhaseAndAtMostOneLineASecond) {
    Lines log(ProgressStyle::SeparateLines);
    log.at(0ms, "Herunterladen: a.zip", 0);
    for (int i = 1; i <= 30; ++i) log.at(i * 100ms, "Herunterladen: a.zip", i);  // 3 seconds
    log.at(3050ms, "Herunterladen: a.zip", 31, true);
    log.at(3060ms, "Entpacken: a.zip", 0);
    log.at(3070ms, "Entpacken: a.zip", 5);
    log.lines.finish(&log.bar);  // the form went away before the phase was complete
    log.at(3080ms, "Herunterladen: b.zip", 7);
    log.at(3090ms, "Herunterladen: b.zip", 2);  // went back: a new phase of the same name
    log.lines.finish(&log.bar);
    EXPECT_EQ(log.out.str(),
              "Herunterladen: a.zip: 0\n"
              "Herunterladen: a.zip: 10\n"
              "Herunterladen: a.zip: 20\n"
              "Herunterladen: a.zip: 30\n"
              "Herunterladen: a.zip: 31\n"
              "Entpacken: a.zip: 0\n"
              "Entpacken: a.zip: 5\n"
              "Herunterladen: b.zip: 7\n"
              "Herunterladen: b.zip: 2\n");
}

TEST(ProgressLines, ATerminalGetsOneLineRewrittenAFewTimesASecondAndEndedBeforeOtherOutput) {
    Lines terminal(ProgressStyle::RewrittenLine);
    terminal.at(0ms, "Entpacken", 0);
    terminal.at(100ms, "Entpacken", 1);  // too soon: kept
    terminal.at(250ms, "Entpacken", 2);
    terminal.lines.interrupt();  // a message box is about to be printed
    terminal.lines.interrupt();  // nothing open any more: nothing more
    terminal.at(300ms, "Entpacken", 3, true);
    terminal.at(320ms, "Fertig", 0);
    terminal.lines.finish(&terminal.bar);
    EXPECT_EQ(terminal.out.str(),
              "\rEntpacken: 0\x1b[K"
              "\rEntpacken: 2\x1b[K\n"
              "\rEntpacken: 3\x1b[K\n"
              "\rFertig: 0\x1b[K\n");
}

}  // namespace
