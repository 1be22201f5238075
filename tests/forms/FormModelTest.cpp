// SPDX-License-Identifier: Apache-2.0
// The form model's life cycle, the event queue, list views and the program entry, driven
// through the test host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/EventLoop.h"
#include "platform/forms/Form.h"
#include "platform/forms/Host.h"
#include "platform/forms/MessageBox.h"
#include "platform/forms/Program.h"
#include "platform/forms/UserInput.h"
#include "platform/support/Expected.h"
#include "tests/support/TestHost.h"

namespace {

using namespace platform::forms;
using platform::com::Error;
using testing::ElementsAre;
using testing_support::Check;
using testing_support::Moment;
using testing_support::TestHost;

// A form that writes every event it sees into a shared journal.
class JournalForm : public Form {
public:
    JournalForm(std::string name, std::vector<std::string>& journal) : Form(name), journal_(journal) {
        setCaption(name);
        onLoad([this] { note("load"); });
        onActivate([this] { note("activate"); });
        onUnload([this] { note("unload"); });
        cmdOk.onClick([this] { note("click"); });
        setDefaultButton(&cmdOk);
    }
    void note(const std::string& what) { journal_.push_back(name() + ":" + what); }

    Label& lblStatus = add<Label>("lblStatus", "Bereit");
    CommandButton& cmdOk = add<CommandButton>("cmdOk", "OK");
    ListView& lsvRows = add<ListView>("lsvRows");

private:
    std::vector<std::string>& journal_;
};

int errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

TEST(FormLifecycle, LoadRunsOnceAndJoinsTheLoadedSetHidden) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm form("frmA", journal);
    form.load();
    form.load();
    EXPECT_THAT(journal, ElementsAre("frmA:load"));
    EXPECT_TRUE(form.loaded());
    EXPECT_FALSE(form.visible());
    EXPECT_THAT(loadedForms(), ElementsAre(&form));
    form.unload();
    EXPECT_THAT(journal, ElementsAre("frmA:load", "frmA:unload"));
    EXPECT_TRUE(loadedForms().empty());
    EXPECT_TRUE(host.shownForms().empty());
}

TEST(FormLifecycle, ModelessShowLoadsFirstAndQueuesActivateForDoEvents) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm form("frmA", journal);
    form.show();
    journal.push_back("show returned");
    EXPECT_TRUE(form.visible());
    doEvents();
    EXPECT_THAT(journal, ElementsAre("frmA:load", "show returned", "frmA:activate"));
    // Showing a visible form again queues nothing.
    form.show();
    doEvents();
    EXPECT_EQ(journal.size(), 3u);
    form.unload();
}

TEST(FormLifecycle, ActivateOfAFormHiddenBeforeTheQueueRunsIsDropped) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm form("frmA", journal);
    form.show();
    form.hide();
    doEvents();
    EXPECT_THAT(journal, ElementsAre("frmA:load"));
    form.unload();
    JournalForm gone("frmGone", journal);
    { gone.show(); }
    gone.unload();
    doEvents();
    EXPECT_THAT(journal, ElementsAre("frmA:load", "frmA:unload", "frmGone:load", "frmGone:unload"));
}

TEST(FormLifecycle, DoEventsRunsWhatIsQueuedOnceAndReturns) {
    TestHost host;
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        post(again);  // a task that keeps queueing itself must not trap DoEvents
    };
    post(again);
    doEvents();
    EXPECT_EQ(runs, 1);
    doEvents();
    EXPECT_EQ(runs, 2);
    while (platform::forms::hosting::hasPendingEvents()) {
        platform::forms::hosting::runPendingEvents();
        if (runs > 3) break;
    }
    again = [] {};
    doEvents();
}

TEST(FormLifecycle, ModalShowRunsANestedLoopUntilTheFormHidesItself) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm outer("frmOuter", journal);
    JournalForm inner("frmInner", journal);
    // The inner page does its work in its activation and hides itself, as the search page does.
    inner.onActivate([&] {
        inner.note("activate");
        inner.hide();
    });
    outer.cmdOk.onClick([&] {
        outer.note("click");
        inner.show(Modality::Modal);
        outer.note("modal returned");
        inner.unload();
        outer.unload();
    });
    host.whenShown("frmOuter", [](Form& f) { TestHost::click(f, "cmdOk"); });
    int status = runProgram({"Test"}, [&] { outer.show(); });
    EXPECT_EQ(status, 0);
    EXPECT_THAT(journal,
                ElementsAre("frmOuter:load", "frmOuter:activate", "frmOuter:click", "frmInner:load",
                            "frmInner:activate", "frmOuter:modal returned", "frmInner:unload", "frmOuter:unload"));
    EXPECT_TRUE(loadedForms().empty());
    ASSERT_EQ(host.shownForms().size(), 2u);
    EXPECT_EQ(host.shownForms()[1].modality, Modality::Modal);
}

TEST(FormLifecycle, ModalFormsNestAndBlockInputToTheFormsBehind) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm a("frmA", journal), b("frmB", journal), c("frmC", journal);
    a.cmdOk.onClick([&] {
        b.show(Modality::Modal);
        a.note("b returned");
        a.unload();
    });
    b.cmdOk.onClick([&] {
        c.show(Modality::Modal);
        b.note("c returned");
        b.hide();
    });
    host.whenShown("frmA", [](Form& f) { TestHost::click(f, "cmdOk"); });
    host.whenShown("frmB", [](Form& f) { TestHost::click(f, "cmdOk"); });
    host.whenShown("frmC", [&](Form& f) {
        EXPECT_FALSE(acceptsInput(a.cmdOk));
        EXPECT_FALSE(acceptsInput(b.cmdOk));
        EXPECT_TRUE(acceptsInput(c.cmdOk));
        EXPECT_EQ(hosting::inputForm(), &c);
        f.unload();
    });
    runProgram({"Test"}, [&] { a.show(); });
    EXPECT_THAT(journal, testing::IsSupersetOf({"frmB:c returned", "frmA:b returned"}));
    auto cReturned = std::find(journal.begin(), journal.end(), "frmB:c returned");
    auto bReturned = std::find(journal.begin(), journal.end(), "frmA:b returned");
    EXPECT_LT(cReturned, bReturned);
}

TEST(FormLifecycle, ShowErrorsOfTheHostSystem) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm form("frmA", journal);
    form.show();
    EXPECT_EQ(errorNumber([&] { form.show(Modality::Modal); }), 400);
    form.unload();
    JournalForm quitter("frmQuit", journal);
    quitter.onLoad([&] { quitter.unload(); });
    EXPECT_EQ(errorNumber([&] { quitter.show(); }), 364);
    EXPECT_FALSE(quitter.loaded());
}

TEST(FormLifecycle, UnloadReturnsControlsToTheirStateAtLoad) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm form("frmA", journal);
    form.lsvRows.setCheckBoxes(true);
    form.load();
    form.lblStatus.setText("Arbeite");
    form.lblStatus.setVisible(false);
    form.lsvRows.add("k1", "Eins").setChecked(true);
    form.setCaption("Anders");
    form.unload();
    EXPECT_EQ(form.lblStatus.text(), "Bereit");
    EXPECT_TRUE(form.lblStatus.visible());
    EXPECT_EQ(form.lsvRows.count(), 0);
    EXPECT_TRUE(form.lsvRows.checkBoxes());
    EXPECT_EQ(form.caption(), "frmA");
}

TEST(FormLifecycle, ALoadHandlerThatFailsLeavesTheFormUnloaded) {
    TestHost host;
    Form form("frmBad");
    form.onLoad([] { throw Error(53, "Test", "File not found"); });
    EXPECT_EQ(errorNumber([&] { form.show(); }), 53);
    EXPECT_FALSE(form.loaded());
    EXPECT_TRUE(loadedForms().empty());
    EXPECT_TRUE(host.shownForms().empty());
}

TEST(FormControls, AreFoundByNameWithoutRegardToCase) {
    Form form("frmA");
    auto& label = form.add<Label>("Label1", "Text", Geometry{1, 2, 3, 4});
    EXPECT_EQ(&form.control<Label>("label1"), &label);
    EXPECT_EQ(form.find("nothing"), nullptr);
    EXPECT_EQ(errorNumber([&] { form.control<CommandButton>("Label1"); }), 730);
    EXPECT_THROW(form.add<Label>("LABEL1"), std::logic_error);
    EXPECT_EQ(label.geometry(), (Geometry{1, 2, 3, 4}));
}

TEST(FormListView, RowsAreAddressedFromOneAndKeysAreUnique) {
    Form form("frmA");
    auto& list = form.add<ListView>("lsvProducts");
    list.add("alpha", "Alpha");
    list.add("", "no key");
    list.add("", "no key either");
    list.add("beta", "Beta").setTag("tag");
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.item(1).text(), "Alpha");
    EXPECT_EQ(list.item(4).index(), 4);
    EXPECT_EQ(list.item("BETA").tag(), "tag");

    struct Case {
        const char* what;
        std::function<void()> call;
        int number;
    };
    for (const Case& c : std::vector<Case>{
             {"duplicate key", [&] { list.add("Alpha", "again"); }, 35602},
             {"index 0", [&] { list.item(0); }, 35600},
             {"index past the end", [&] { list.item(5); }, 35600},
             {"remove past the end", [&] { list.remove(5); }, 35600},
             {"missing key", [&] { list.item("gamma"); }, 35601},
         }) {
        EXPECT_EQ(errorNumber(c.call), c.number) << c.what;
    }
    EXPECT_EQ(list.count(), 4) << "failed calls change nothing";
    try {
        list.add("alpha", "again");
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), "Key is not unique in collection");
    }
    list.remove(1);
    EXPECT_EQ(list.item(1).text(), "no key");
    EXPECT_EQ(list.find("alpha"), nullptr);
    list.clear();
    EXPECT_EQ(list.count(), 0);
}

TEST(FormListView, UserInputRaisesItemClickAndItemCheckWithTheRow) {
    TestHost host;
    Form form("frmA");
    auto& list = form.add<ListView>("lsvUpdates");
    auto& desc = form.add<TextBox>("txtUpdateDesc");
    list.setCheckBoxes(true);
    list.onItemClick([&](ListItem& item) { desc.setText(item.tag()); });
    std::vector<int> checks;
    list.onItemCheck([&](ListItem& item) { checks.push_back(item.index() * (item.checked() ? 1 : -1)); });
    form.show();
    list.add("a", "A").setTag("Beschreibung A");
    list.add("b", "B");
    TestHost::clickRow(form, "lsvUpdates", 1);
    EXPECT_EQ(desc.text(), "Beschreibung A");
    EXPECT_TRUE(list.item(1).selected());
    TestHost::clickRow(form, "lsvUpdates", 2);
    EXPECT_EQ(desc.text(), "");
    TestHost::tick(form, "lsvUpdates", 2, Check::Ticked);
    TestHost::tick(form, "lsvUpdates", 2, Check::Ticked);  // no change, no event
    TestHost::tick(form, "lsvUpdates", 2, Check::Unticked);
    list.item(1).setChecked(true);  // by code: no event
    EXPECT_THAT(checks, ElementsAre(2, -2));

    list.setEnabled(false);
    EXPECT_FALSE(setItemChecked(list.item(2), true));
    EXPECT_FALSE(clickItem(list.item(2)));
    EXPECT_FALSE(list.item(2).checked());
    form.unload();
}

TEST(FormButtons, ACodeClickRunsEvenWhenDisabledButAUserPressDoesNot) {
    TestHost host;
    Form form("frmA");
    auto& button = form.add<CommandButton>("cmdSelectAll", "Alles auswählen");
    int clicks = 0;
    button.onClick([&] { ++clicks; });
    form.show();
    button.setEnabled(false);
    button.click();
    EXPECT_FALSE(pressButton(button));
    button.setEnabled(true);
    button.setVisible(false);
    EXPECT_FALSE(pressButton(button));
    button.setVisible(true);
    EXPECT_TRUE(pressButton(button));
    EXPECT_EQ(clicks, 2);
    form.hide();
    EXPECT_FALSE(pressButton(button)) << "hidden forms take no input";
    form.unload();
}

TEST(FormButtons, AreNamedByTheirTextWithoutAccessKeyAndArrow) {
    Form form("frmA");
    auto& next = form.add<CommandButton>("cmdContinue", "&Weiter >");
    auto& back = form.add<CommandButton>("cmdBack", "< &Zurück");
    auto& all = form.add<CommandButton>("cmdAll", "Alles a&uswählen");
    auto& amp = form.add<CommandButton>("cmdAmp", "Fragen && Antworten");
    struct Case {
        const char* typed;
        CommandButton* expected;
    };
    for (const Case& c : std::vector<Case>{{"weiter", &next},
                                           {"WEITER >", &next},
                                           {"  Weiter > ", &next},
                                           {"&Weiter >", &next},
                                           {"zurück", &back},
                                           {"< Zurück", &back},
                                           {"alles auswählen", &all},
                                           {"fragen & antworten", &amp},
                                           {"weit", nullptr},
                                           {"", nullptr}}) {
        EXPECT_EQ(findButtonByWords(form, c.typed), c.expected) << c.typed;
    }
    EXPECT_EQ(buttonWords("&Weiter >"), "Weiter");
}

TEST(FormProgram, EndsWhenTheLastFormIsUnloaded) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm first("frmFirst", journal), second("frmSecond", journal);
    first.cmdOk.onClick([&] {
        second.show();  // modeless: hands over to the next page
        first.unload();
    });
    host.whenShown("frmFirst", [](Form& f) { TestHost::click(f, "cmdOk"); });
    host.whenShown("frmSecond", [&](Form& f) {
        EXPECT_EQ(loadedForms().size(), 1u);
        f.unload();
    });
    EXPECT_EQ(runProgram({"Test"}, [&] { first.show(); }), 0);
    EXPECT_THAT(journal, ElementsAre("frmFirst:load", "frmFirst:activate", "frmSecond:load", "frmFirst:unload",
                                     "frmSecond:activate", "frmSecond:unload"));
}

TEST(FormProgram, DoesNotWaitForeverOnFormsThatAreLoadedButHidden) {
    TestHost host;
    Form hidden("frmAddCallback");
    hidden.add<TextBox>("txtCallback");
    EXPECT_EQ(runProgram({"Test"}, [&] { hidden.load(); }), 0);
    EXPECT_FALSE(hidden.loaded()) << "left behind forms are dropped at the end";
}

TEST(FormProgram, AnUnforeseenErrorShowsTheRunTimeErrorReportAndEnds) {
    struct Case {
        const char* what;
        std::function<void()> raise;
        std::string text;
    };
    for (const Case& c : std::vector<Case>{
             {"component error", [] { throw Error(429, "Quillon", "ActiveX component can't create object"); },
              "Laufzeitfehler '429':\r\n\r\nActiveX component can't create object"},
             {"object-defined error", [] { throw Error(platform::com::errc::ObjectDefined + 5, "Velpack", "Kaputt"); },
              "Laufzeitfehler '-2147221499':\r\n\r\nKaputt"},
             {"standard exception", [] { throw std::runtime_error("disk on fire"); },
              "Laufzeitfehler '51':\r\n\r\ndisk on fire"},
             {"failure with a system reason",
              [] {
                  platform::Expected<int> written =
                      platform::Failure{"cannot write C:\\x", std::make_error_code(std::errc::no_space_on_device)};
                  (void)written.value();
              },
              "Laufzeitfehler '61':\r\n\r\ncannot write C:\\x"},
             {"failure without one", [] { (void)platform::Expected<int>(platform::Failure{"no good"}).value(); },
              "Laufzeitfehler '51':\r\n\r\nno good"},
         }) {
        TestHost host;
        std::vector<std::string> journal;
        JournalForm form("frmA", journal);
        // The error comes from an activation, through the event loop, while a form is shown.
        form.onActivate(c.raise);
        EXPECT_EQ(runProgram({"Quillon"}, [&] { form.show(); }), 1) << c.what;
        ASSERT_EQ(host.messageBoxes().size(), 1u) << c.what;
        EXPECT_EQ(host.messageBoxes()[0].title, "Quillon");
        EXPECT_EQ(host.messageBoxes()[0].text, c.text);
        EXPECT_EQ(host.messageBoxes()[0].style, style::Critical);
        EXPECT_THAT(journal, ElementsAre("frmA:load")) << "no Unload handler runs after the report";
        EXPECT_TRUE(loadedForms().empty());
    }
}

TEST(FormProgram, AnErrorInAClickHandlerLeavesThroughTheModalShow) {
    TestHost host;
    Form outer("frmOuter"), inner("frmInner");
    auto& cmd = inner.add<CommandButton>("cmdGo", "Los");
    cmd.onClick([] { throw Error(6, "Test", "Overflow"); });
    bool returned = false;
    host.whenShown("frmInner", [](Form& f) { TestHost::click(f, "cmdGo"); });
    int status = runProgram({"Quillon"}, [&] {
        outer.show();
        inner.show(Modality::Modal);
        returned = true;
    });
    EXPECT_EQ(status, 1);
    EXPECT_FALSE(returned);
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].text, "Laufzeitfehler '6':\r\n\r\nOverflow");
}

TEST(FormProgram, EndProgramInALoadHandlerEndsAtOnceWithoutReport) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm form("frmProductSelection", journal);
    form.onLoad([&] {
        messageBox("Fehler beim Initialisieren von Gorslb.dll.", style::Exclamation, "Quillon");
        endProgram();
    });
    bool after = false;
    EXPECT_EQ(runProgram({"Quillon"},
                         [&] {
                             form.show();
                             after = true;
                         }),
              0);
    EXPECT_FALSE(after);
    EXPECT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_TRUE(host.shownForms().empty());
    EXPECT_THROW(endProgram(), ProgramEnded);
}

TEST(TestHostActions, RunAtShowOrAfterActivation) {
    TestHost host;
    std::vector<std::string> journal;
    JournalForm form("frmA", journal);
    host.whenShown(
        "frmA", [&](Form&) { journal.push_back("at show"); }, Moment::AtShow);
    host.whenShown("frmA", [&](Form& f) {
        journal.push_back("after activation");
        f.unload();
    });
    runProgram({"Test"}, [&] {
        form.show();
        form.hide();
        form.show();
    });
    EXPECT_THAT(journal, ElementsAre("frmA:load", "at show", "frmA:activate", "after activation", "frmA:unload"));
}

TEST(FormProgressBar, TellsBytesOfTheWholeAndAPercentageThatNeverPassesOneHundred) {
    struct Case {
        std::int64_t value, maximum;
        std::optional<int> percent;
        const char* text;
    } cases[] = {
        {0, 0, std::nullopt, "0 Bytes"},
        {1, 0, std::nullopt, "1 Byte"},
        {1536, 0, std::nullopt, "1,5 KB"},
        {0, 2048, 0, "0 Bytes von 2,0 KB (0 %)"},
        {2047, 2048, 99, "2,0 KB von 2,0 KB (99 %)"},  // short of the whole is not done
        {1048575, 1048576, 99, "1,0 MB von 1,0 MB (99 %)"},
        {3 * 1048576, 3 * 1048576, 100, "3,0 MB von 3,0 MB (100 %)"},
        {5000, 1000, 100, "4,9 KB von 1000 Bytes (100 %)"},  // more than announced
        {-5, -1, std::nullopt, "0 Bytes"},
        {INT64_MAX - 1, INT64_MAX, 99, "8,0 EB von 8,0 EB (99 %)"},
    };
    Form form("frmProgress");
    auto& bar = form.add<ProgressBar>("prgProgress");
    for (const auto& c : cases) {
        bar.setProgress(c.value, c.maximum);
        EXPECT_EQ(bar.percent(), c.percent) << c.value << " of " << c.maximum;
        EXPECT_EQ(bar.progressText(), c.text) << c.value << " of " << c.maximum;
    }
}

TEST(FormProgressBar, BeginIsOneChangeForTheHostAndUnloadResetsTheBar) {
    std::vector<std::string> seen;
    struct Watch : Host {
        std::vector<std::string>& seen;
        explicit Watch(std::vector<std::string>& s) : seen(s) {}
        void controlChanged(Control& c, Change change, int) override {
            auto& bar = static_cast<ProgressBar&>(c);
            seen.push_back(std::to_string(static_cast<int>(change)) + " " + bar.text() + " " + bar.progressText());
        }
        int messageBox(const MessageBoxRequest&) override { return 0; }
        void runUntil(const std::function<bool()>&) override {}
    } watch(seen);
    HostScope scope(watch);
    Form form("frmProgress");
    auto& bar = form.add<ProgressBar>("prgProgress");
    form.load();
    bar.begin("Herunterladen: a.zip", 0);
    bar.setProgress(10, 20);
    bar.begin("Herunterladen: a.zip", 30);  // same text: still one change
    bar.setProgress(10, 30);
    bar.setProgress(10, 30);  // no change, no news
    const std::string text = std::to_string(static_cast<int>(Change::Text)),
                      progress = std::to_string(static_cast<int>(Change::Progress));
    EXPECT_THAT(seen, ElementsAre(text + " Herunterladen: a.zip 0 Bytes",
                                  progress + " Herunterladen: a.zip 10 Bytes von 20 Bytes (50 %)",
                                  progress + " Herunterladen: a.zip 0 Bytes von 30 Bytes (0 %)",
                                  progress + " Herunterladen: a.zip 10 Bytes von 30 Bytes (33 %)"));
    form.unload();
    EXPECT_EQ(bar.text(), "");
    EXPECT_EQ(bar.value(), 0);
    EXPECT_EQ(bar.maximum(), 0);
}

}  // namespace
