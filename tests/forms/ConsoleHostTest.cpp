// SPDX-License-Identifier: Apache-2.0
// The console host's output and input rules: in process with string streams for the exact
// text, and as a child process (this test binary run again) for real standard input, its end,
// and the host choice.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "platform/forms/Program.h"
#include "platform/forms/UserInput.h"
#include "platform/forms/choice/HostChoice.h"
#include "platform/forms/console/ConsoleHost.h"
#include "tests/forms/SampleWizard.h"
#include "tests/support/Programs.h"

namespace {

using namespace platform::forms;
using forms_sample::PickPage;

// The child: FORMS_CONSOLE_CHILD names what to run, on the host the environment chooses.
int runChild(const std::string& what) {
    int argc = 1;
    char name[] = "forms_tests";
    char* argv[] = {name, nullptr};
    if (what == "wizard") {
        PickPage page;
        return runProgramOnChosenHost(argc, argv, {"Quillon"}, [&] { page.show(); });
    }
    if (what == "question then child") {
        // Answers a question, then reads the rest of file descriptor 0 as a started program would.
        return runProgramOnChosenHost(argc, argv, {"Quillon"}, [] {
            int answer = messageBox("Weiter?", style::YesNo | style::Question, "Frage");
            std::string rest(256, '\0');
            ssize_t got = read(STDIN_FILENO, rest.data(), rest.size());
            rest.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
            std::cout << "answer " << answer << ", left for the child: " << rest;
        });
    }
    if (what == "libraries")
        return runProgramOnChosenHost(argc, argv, {"Quillon"}, [] {
            std::ifstream maps("/proc/self/maps");
            const std::string all((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
            std::cout << (all.find("libQt6") == std::string::npos ? "no Qt" : "Qt") << " loaded\n";
        });
    if (what == "error")
        return runProgramOnChosenHost(argc, argv, {"Quillon"}, [] {
            throw platform::com::Error(429, "Quillon", "ActiveX component can't create object");
        });
    return 99;
}

const int childStatus = [] {
    if (const char* what = std::getenv("FORMS_CONSOLE_CHILD")) {
        int status = runChild(what);
        std::cout.flush();
        std::exit(status);
    }
    return 0;
}();

struct Console {
    explicit Console(std::string input) : in(std::move(input)), host(in, out, err, Prompts::Hidden), scope(host) {}
    std::istringstream in;
    std::ostringstream out, err;
    ConsoleHost host;
    HostScope scope;
};

const char* const kPickPage =
    "== Auswahl ==\n"
    "Bitte wählen Sie die Produkte aus.\n"
    "[x] 1 Alpha\n"
    "[x] 2 Beta\n"
    "[Alles auswählen] [Alles abwählen] [Weiter >] [Abbrechen]\n";

TEST(ConsoleHost, RunsTheSampleWizardFromInputLines) {
    struct Case {
        const char* what;
        const char* input;
        std::string output;
    };
    for (const Case& c : std::vector<Case>{
             {"toggle a row, continue, answer yes", "2\nweiter\nj\n",
              std::string(kPickPage) + "[ ] 2 Beta\n"
                                       "== Suche ==\nUpdates werden gesucht...\nAlpha\n"
                                       "Quillon\n1 gewählt\nFrage\nNochmal?\nQuillon\nJa gewählt\n"},
             {"untick and tick explicitly, answer no", "-1 -2\n+2\nWEITER >\nnein\n",
              std::string(kPickPage) + "[ ] 1 Alpha\n[ ] 2 Beta\n[x] 2 Beta\n"
                                       "== Suche ==\nUpdates werden gesucht...\nBeta\n"
                                       "Quillon\n1 gewählt\nFrage\nNochmal?\n"},
             {"clear all by button text", "alles abwählen\n\n\n",
              std::string(kPickPage) + "[ ] 1 Alpha\n[ ] 2 Beta\n"
                                       "== Suche ==\nUpdates werden gesucht...\n"
                                       "Quillon\n0 gewählt\nFrage\nNochmal?\nQuillon\nJa gewählt\n"},
             {"end of input: the default button, then the default answer", "",
              std::string(kPickPage) + "== Suche ==\nUpdates werden gesucht...\nAlpha\nBeta\n"
                                       "Quillon\n2 gewählt\nFrage\nNochmal?\nQuillon\nJa gewählt\n"},
             {"cancel", "Abbrechen\n", kPickPage},
         }) {
        Console console(c.input);
        PickPage page;
        EXPECT_EQ(runProgram({"Quillon"}, [&] { page.show(); }), 0) << c.what;
        EXPECT_EQ(console.out.str(), c.output) << c.what;
        EXPECT_TRUE(loadedForms().empty()) << c.what;
    }
}

TEST(ConsoleHost, ComplainsAboutBadInputOnStandardErrorAndGoesOn) {
    Console console("7\nx1\n?1\nabbrechen\n");
    PickPage page;
    runProgram({"Quillon"}, [&] { page.show(); });
    EXPECT_EQ(console.out.str(), kPickPage) << "row clicks and bad input print nothing on standard output";
    EXPECT_THAT(console.err.str(), testing::HasSubstr("Zeile 7 gibt es nicht."));
    EXPECT_THAT(console.err.str(), testing::HasSubstr("Unbekannte Eingabe: x1"));
}

TEST(ConsoleHost, MessageBoxesPrintTitleAndTextExactlyAndReadAnswersOnlyForQuestions) {
    struct Case {
        int style;
        const char* input;
        int answer;
    };
    for (const Case& c : std::vector<Case>{
             {style::Information, "nein\n", answer::Ok},  // nothing is read for a lone OK
             {style::Critical, "", answer::Ok},
             {style::YesNo | style::Question, "j\n", answer::Yes},
             {style::YesNo | style::Question, "JA\n", answer::Yes},
             {style::YesNo | style::Question, "y\n", answer::Yes},
             {style::YesNo | style::Question, "n\n", answer::No},
             {style::YesNo | style::Question, " Nein \n", answer::No},
             {style::YesNo | style::Question, "vielleicht\nok\nn\n", answer::No},  // ok is no button here
             {style::YesNo | style::Question, "\n", answer::Yes},
             {style::YesNo | style::Question | style::DefaultButton2, "", answer::No},
             {style::OkCancel | style::Information, "ok\n", answer::Ok},
             {style::OkCancel | style::Information, "a\n", answer::Cancel},
             {style::OkCancel | style::Information, "Abbrechen\n", answer::Cancel},
             {style::OkCancel | style::Information | style::DefaultButton2, "", answer::Cancel},
             {style::AbortRetryIgnore, "a\n", answer::Abort},
             {style::RetryCancel, "w\n", answer::Retry},
         }) {
        Console console(c.input);
        EXPECT_EQ(messageBox("Zeile 1\r\n\r\nZeile 3", c.style, "Quillon"), c.answer) << c.style << " " << c.input;
        EXPECT_EQ(console.out.str(), "Quillon\nZeile 1\r\n\r\nZeile 3\n");
        EXPECT_THAT(console.err.str(), testing::EndsWith("box " + std::to_string(c.style) + " \"Quillon\" -> " +
                                                         std::to_string(c.answer) + "\n"));
        if (c.style == style::Information) {
            std::string rest;
            std::getline(console.in, rest);
            EXPECT_EQ(rest, "nein") << "the line is left for the next reader";
        }
    }
}

TEST(ConsoleHost, LabelChangesPrintAsProgressLinesOnlyWhileVisible) {
    Console console("");
    Form form("frmSearchProgress");
    form.setCaption("Suche");
    auto& label = form.add<Label>("lblProduct");
    auto& hidden = form.add<Label>("lblHidden", "unsichtbar");
    auto& box = form.add<TextBox>("txtUpdateDesc");
    hidden.setVisible(false);
    label.setText("vorher");  // before load: part of the form
    form.load();
    label.setText("geladen");  // loaded, not shown: nothing
    form.show();
    label.setText("Produkt A");
    label.setText("");  // empty lines are left out
    hidden.setText("immer noch unsichtbar");
    hidden.setVisible(true);
    box.setText("Beschreibung");
    form.hide();
    label.setText("danach");
    form.unload();
    EXPECT_EQ(console.out.str(), "== Suche ==\ngeladen\nProdukt A\nimmer noch unsichtbar\nBeschreibung\n");
}

TEST(ConsoleHost, ProgressBarsGoToStandardErrorWithTheirPercentageOnlyWhileShown) {
    Console console("");
    Form form("frmDownloadProgress");
    form.setCaption("Quillon");
    auto& bar = form.add<ProgressBar>("prgProgress");
    form.load();
    bar.begin("vorher", 10);  // loaded, not shown: nothing
    form.show();
    bar.begin("Herunterladen: a.zip", 2048);
    bar.setProgress(2048, 2048);
    bar.begin("Entpacken: a.zip", 4096);
    bar.setProgress(1024, 4096);
    form.hide();  // ends the phase with its last state
    bar.setProgress(4096, 4096);
    form.unload();
    EXPECT_EQ(console.out.str(), "== Quillon ==\n");
    EXPECT_EQ(console.err.str(),
              "Herunterladen: a.zip: 0 Bytes von 2,0 KB (0 %)\n"
              "Herunterladen: a.zip: 2,0 KB von 2,0 KB (100 %)\n"
              "Entpacken: a.zip: 0 Bytes von 4,0 KB (0 %)\n"
              "Entpacken: a.zip: 1,0 KB von 4,0 KB (25 %)\n");
}

TEST(ConsoleHost, ShowsControlCharactersOfTextsFromOutside) {
    Console console("");
    Form form("frmSearchProgress");
    form.setCaption("Suche \x1b[2J");
    form.add<Label>("lblProduct", "Produkt \x1b]0;owned\x07");
    form.add<TextBox>("txtUpdateDesc", "Zeile 1\r\nZeile 2 \x1b[31m");
    auto& list = form.add<ListView>("lsvUpdates");
    list.add("update",
             "Update \x9b"
             "2J");  // not UTF-8: a raw C1 control
    auto& bar = form.add<ProgressBar>("prgProgress");
    form.show();
    bar.begin("Herunterladen: a\x1b[2J.zip", 10);
    messageBox("Text \x1b[8m", style::Information, "Titel \x1b[1m");
    form.unload();
    EXPECT_EQ(console.out.str(),
              "== Suche ^[[2J ==\nProdukt ^[]0;owned^G\nZeile 1\r\nZeile 2 ^[[31m\n1 Update \xEF\xBF\xBD"
              "2J\n"
              "Titel ^[[1m\nText ^[[8m\n");
    EXPECT_EQ(console.err.str(),
              "Herunterladen: a^[[2J.zip: 0 Bytes von 10 Bytes (0 %)\nbox 64 \"Titel ^[[1m\" -> 1\n");
}

TEST(ConsoleHost, AtEndOfInputAWaitingFormGetsDefaultThenCancelThenIsClosed) {
    struct Case {
        const char* what;
        bool withDefault, withCancel;
        const char* journal;
    };
    for (const Case& c : std::vector<Case>{
             {"default button that does nothing, then cancel", true, true, "default cancel unload"},
             {"only a cancel button", false, true, "cancel unload"},
             {"no buttons at all", false, false, "unload"},
         }) {
        Console console("");
        std::string journal;
        Form form("frmStubborn");
        auto& ok = form.add<CommandButton>("cmdOk", "OK");
        auto& cancel = form.add<CommandButton>("cmdCancel", "Abbrechen");
        ok.onClick([&] { journal += "default "; });
        cancel.onClick([&] { journal += "cancel "; });  // neither unloads: the host must still end
        form.onUnload([&] { journal += "unload"; });
        if (c.withDefault) form.setDefaultButton(&ok);
        if (c.withCancel) form.setCancelButton(&cancel);
        EXPECT_EQ(runProgram({"Test"}, [&] { form.show(Modality::Modal); }), 0) << c.what;
        EXPECT_EQ(journal, c.journal) << c.what;
    }
}

TEST(ConsoleHostChild, ReadsRealStandardInputAndEndsAtItsEnd) {
    using testing_support::runProgram;
    testing_support::RunOptions options;
    options.environment = {{"FORMS_CONSOLE_CHILD", "wizard"}, {"QUILLON_UI", "console"}};
    options.timeoutSeconds = 60;
    options.input = "1\nweiter\nn\n";
    auto answered = runProgram(testing_support::selfExecutable(), {}, options);
    EXPECT_EQ(answered.status, 0) << answered.err;
    EXPECT_EQ(answered.out, std::string(kPickPage) +
                                "[ ] 1 Alpha\n== Suche ==\nUpdates werden gesucht...\nBeta\n"
                                "Quillon\n1 gewählt\nFrage\nNochmal?\n");

    // No display at all picks the console host too; the input closes at once.
    options.environment = {{"FORMS_CONSOLE_CHILD", "wizard"},
                           {"QUILLON_UI", ""},
                           {"DISPLAY", ""},
                           {"WAYLAND_DISPLAY", ""},
                           {"QT_QPA_PLATFORM", ""}};
    options.input.clear();
    auto closed = runProgram(testing_support::selfExecutable(), {}, options);
    EXPECT_EQ(closed.status, 0) << closed.err;
    EXPECT_THAT(closed.out, testing::HasSubstr("Quillon\n2 gewählt\nFrage\nNochmal?\nQuillon\nJa gewählt\n"));
    EXPECT_THAT(closed.err, testing::HasSubstr("Ende der Eingabe: Weiter"));
}

TEST(ConsoleHostChild, ReadsNoFurtherThanTheAnswerAndRecordsTheBox) {
    testing_support::RunOptions options;
    options.environment = {{"FORMS_CONSOLE_CHILD", "question then child"}, {"QUILLON_UI", "console"}};
    options.timeoutSeconds = 60;
    options.input = "nein\nZeile für das Kind\n";
    auto result = testing_support::runProgram(testing_support::selfExecutable(), {}, options);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Frage\nWeiter?\nanswer 7, left for the child: Zeile für das Kind\n");
    EXPECT_EQ(result.err, "box 36 \"Frage\" -> 7\n");
}

TEST(ConsoleHostChild, ShowsTheRunTimeErrorReportAndEndsWithStatusOne) {
    testing_support::RunOptions options;
    options.environment = {{"FORMS_CONSOLE_CHILD", "error"}, {"QUILLON_UI", "console"}};
    options.timeoutSeconds = 60;
    auto result = testing_support::runProgram(testing_support::selfExecutable(), {}, options);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Quillon\nLaufzeitfehler '429':\r\n\r\nActiveX component can't create object\n");
    EXPECT_EQ(result.err, "box 16 \"Quillon\" -> 1\n");
}

TEST(HostChoice, QtOnlyOnAPlatformThatOpens) {
    using Env = std::map<std::string, std::string>;
    struct Case {
        Env env;
        std::set<std::string> opening;  // what the probe lets open
        HostKind kind;
        std::string platform;
    };
    for (const Case& c : std::vector<Case>{
             {{}, {}, HostKind::Console, ""},
             {{{"DISPLAY", ":0"}}, {"xcb"}, HostKind::Qt, "xcb"},
             {{{"DISPLAY", ":99"}}, {}, HostKind::Console, ""},  // named, but does not open
             {{{"WAYLAND_DISPLAY", "wayland-0"}}, {"wayland"}, HostKind::Qt, "wayland"},
             {{{"QT_QPA_PLATFORM", "offscreen"}}, {"offscreen"}, HostKind::Qt, "offscreen"},
             {{{"QT_QPA_PLATFORM", "wayland;xcb"}}, {"xcb"}, HostKind::Qt, "xcb"},
             {{{"QT_QPA_PLATFORM", "xcb"}}, {"offscreen"}, HostKind::Console, ""},
             {{{"DISPLAY", ":0"}, {"QUILLON_UI", "console"}}, {"xcb"}, HostKind::Console, ""},
             {{{"DISPLAY", ":0"}, {"QUILLON_UI", "Console"}}, {"xcb"}, HostKind::Console, ""},
             {{{"DISPLAY", ":0"}, {"QUILLON_UI", "qt"}}, {"xcb"}, HostKind::Qt, "xcb"},
         }) {
        auto environment = [&](std::string_view name) -> std::optional<std::string> {
            auto it = c.env.find(std::string(name));
            if (it == c.env.end()) return std::nullopt;
            return it->second;
        };
        auto probe = [&](std::string_view platform, const Environment&) {
            return c.opening.count(std::string(platform)) > 0;
        };
        HostChoice choice = chooseHost(environment, probe);
        EXPECT_EQ(choice.kind, c.kind) << testing::PrintToString(c.env);
        EXPECT_EQ(choice.platform, c.platform) << testing::PrintToString(c.env);
    }
}

TEST(HostChoice, ProbesRealDisplays) {
    auto only = [](std::map<std::string, std::string> env) {
        return [env](std::string_view name) -> std::optional<std::string> {
            auto it = env.find(std::string(name));
            if (it == env.end()) return std::nullopt;
            return it->second;
        };
    };
    EXPECT_FALSE(platformOpens("xcb", only({{"DISPLAY", ":4711"}})));
    EXPECT_FALSE(platformOpens("xcb", only({})));
    EXPECT_FALSE(platformOpens("wayland", only({{"WAYLAND_DISPLAY", "/nonexistent/wayland-9"}})));
    EXPECT_TRUE(platformOpens("offscreen", only({})));
    EXPECT_FALSE(platformOpens("no-such-platform", only({})));
}

// The Qt host is a plugin: a run on the console host loads no Qt library at all.
TEST(HostChoiceChild, OnlyTheQtHostLoadsQt) {
    struct Case {
        const char* ui;
        const char* platform;
        const char* out;
    };
    for (const Case& c : {Case{"console", "offscreen", "no Qt loaded\n"}, Case{"", "", "no Qt loaded\n"},
                          Case{"", "offscreen", "Qt loaded\n"}}) {
        testing_support::RunOptions options;
        options.environment = {{"FORMS_CONSOLE_CHILD", "libraries"},
                               {"QUILLON_UI", c.ui},
                               {"DISPLAY", ""},
                               {"WAYLAND_DISPLAY", ""},
                               {"QT_QPA_PLATFORM", c.platform}};
        options.timeoutSeconds = 60;
        auto result = testing_support::runProgram(testing_support::selfExecutable(), {}, options);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.out) << "QUILLON_UI=" << c.ui << " QT_QPA_PLATFORM=" << c.platform;
    }
}

TEST(HostChoiceChild, ADisplayThatDoesNotOpenFallsBackToTheConsole) {
    testing_support::RunOptions options;
    options.environment = {{"FORMS_CONSOLE_CHILD", "wizard"},
                           {"QUILLON_UI", ""},
                           {"DISPLAY", ":4711"},
                           {"WAYLAND_DISPLAY", ""},
                           {"QT_QPA_PLATFORM", ""}};
    options.timeoutSeconds = 60;
    options.input = "weiter\nn\n";
    auto result = testing_support::runProgram(testing_support::selfExecutable(), {}, options);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_THAT(result.out, testing::StartsWith(kPickPage));
}

}  // namespace
