// SPDX-License-Identifier: Apache-2.0
// The start procedure, its command line and run modes, and the product selection page.
#include <filesystem>

#include "platform/forms/Form.h"
#include "platform/gorsl/LibraryIds.h"
#include "platform/prefix/Prefix.h"
#include "quillon/pages/FrmFoundUpdates.h"
#include "quillon/pages/frmDownloadProgress.h"
#include "quillon/pages/frmProductSelection.h"
#include "quillon/pages/frmSearchProgress.h"
#include "tests/support/Programs.h"
#include "tests/support/Recording.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/wizard/WizardFixture.h"

namespace wizard_tests {
namespace {

namespace forms = platform::forms;
using testing_support::Moment;
using testing_support::TestHost;

TEST_F(WizardTest, CommandLineSplitsIntoModeWordAndRest) {
    struct Case {
        const char* line;
        const char* mode;
        const char* rest;
    } cases[] = {
        {"", "", ""},
        {"    ", "", ""},
        {"/s", "/s", ""},
        {"  S  My Product  ", "s", "My Product"},
        {"u key 1 some  data here ", "u", "key 1 some  data here"},
        {"s", "s", ""},
    };
    for (const auto& c : cases) {
        auto parsed = quillon::ModMain::ParseCommandLine(c.line);
        EXPECT_EQ(parsed.modeWord, c.mode) << '"' << c.line << '"';
        EXPECT_EQ(parsed.rest, c.rest) << '"' << c.line << '"';
    }
}

TEST_F(WizardTest, EmptyBlankAndUnknownSwitchesStartTheInteractiveWizard) {
    addProduct("P1", "Produkt 1");
    for (const char* line : {"", "   ", "/s", "x y"}) {
        host.whenShown("frmProductSelection", [](forms::Form& page) { TestHost::click(page, "cmdCancel"); });
        EXPECT_EQ(run(line), 0);
        EXPECT_EQ(wizard->RunMode, quillon::RunInteractive) << '"' << line << '"';
        EXPECT_EQ(wizard->ProductKeys, std::vector<std::string>{"P1"});
        EXPECT_FALSE(wizard->productSelection().loaded());
    }
    EXPECT_TRUE(host.messageBoxes().empty());
}

TEST_F(WizardTest, SearchOnlyRunSearchesTheWholeProductKeyAsTheOneTickedRow) {
    addProduct("Other", "Anderes");  // the registry is not enumerated in this mode
    bool looked = false;
    host.whenShown(
        "frmSearchProgress",
        [&](forms::Form&) {
            const auto& rows = wizard->productSelection().lsvProducts;
            ASSERT_EQ(rows.count(), 1);
            EXPECT_EQ(rows.item(1).key(), "product");
            EXPECT_EQ(rows.item(1).text(), "My Product");
            EXPECT_TRUE(rows.item(1).checked());
            looked = true;
        },
        Moment::AtShow);
    run("S My Product");
    EXPECT_TRUE(looked);
    EXPECT_EQ(wizard->RunMode, quillon::RunSearchOnly);
    EXPECT_EQ(wizard->ProductKeys, std::vector<std::string>{"My Product"});
    EXPECT_FALSE(wizard->productSelection().loaded());
    EXPECT_FALSE(wizard->searchProgress().loaded());
}

TEST_F(WizardTest, DirectUpdateKeepsTheBlanksOfTheUpdateDataAndTicksTheOneRow) {
    bool looked = false;
    host.whenShown(
        "frmDownloadProgress",
        [&](forms::Form&) {
            const auto& rows = wizard->foundUpdates().lsvUpdates;
            ASSERT_EQ(rows.count(), 1);
            EXPECT_EQ(rows.item(1).key(), "update");
            EXPECT_EQ(rows.item(1).text(), "prod");
            EXPECT_TRUE(rows.item(1).checked());
            looked = true;
        },
        Moment::AtShow);
    run("u prod 1  my update  data.zip ");
    EXPECT_TRUE(looked);
    EXPECT_EQ(wizard->RunMode, quillon::RunDirectUpdate);
    ASSERT_EQ(wizard->FoundUpdates.size(), 1u);
    const auto& update = wizard->FoundUpdates[0];
    EXPECT_EQ(update.ProductKey, "prod");
    EXPECT_EQ(update.UpdateType, "1");
    EXPECT_EQ(update.UpdateData, "my update  data.zip");
    EXPECT_EQ(update.Title, "");
    EXPECT_FALSE(wizard->foundUpdates().loaded());
    EXPECT_FALSE(wizard->downloadProgress().loaded());
    // The log folder is made in this mode too.
    EXPECT_EQ(wizard->InstallLogFolder, "C:\\Program Files\\Common Files\\Orvane\\InstallLogs");
    EXPECT_TRUE(std::filesystem::is_directory(platform::prefix::toNative(wizard->InstallLogFolder)));
}

TEST_F(WizardTest, AnnouncesItselfOncePerStartInEveryMode) {
    auto log = prefix / "calls.log";
    testing_support::ScopedEnvironment callLog("QUILLON_TEST_CALL_LOG", log.string());
    testing_support::recordCallsOf(gorsl::CLSID_GorslaTools);
    quillon::toollib::releaseGlobalObjects();

    auto self = testing_support::selfExecutable();
    const std::string expected =
        "Gorsla.AnnounceProgram Quillon|1.0|" + self.parent_path().string() + "|" + self.stem().string() + ".exe";
    host.whenShown("frmProductSelection", [](forms::Form& page) { TestHost::click(page, "cmdCancel"); });
    std::size_t runs = 0;
    for (const char* line : {"", "s product", "u product 2 http://example.org"}) {
        run(line);
        ++runs;
        auto calls = testing_support::recordedCalls(log, "Gorsla.AnnounceProgram");
        ASSERT_EQ(calls.size(), runs) << line;
        EXPECT_EQ(calls.back(), expected);
    }
}

TEST_F(WizardTest, ProductPageListsEveryProductTickedInTheRegistrysOrder) {
    addProduct("Zeta", "Zeta Pro");
    addProduct("alpha", "Alpha Office");
    addProduct("Beta", std::nullopt);
    bool looked = false;
    host.whenShown("frmProductSelection", [&](forms::Form& page) {
        auto& rows = page.control<forms::ListView>("lsvProducts");
        ASSERT_EQ(rows.count(), 3);
        const std::pair<const char*, const char*> expected[] = {
            {"alpha", "Alpha Office"}, {"Beta", "n/a"}, {"Zeta", "Zeta Pro"}};
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(rows.item(i).key(), expected[i - 1].first);
            EXPECT_EQ(rows.item(i).text(), expected[i - 1].second);
            EXPECT_TRUE(rows.item(i).checked());
        }
        EXPECT_EQ(page.caption(), "Quillon");
        EXPECT_EQ(page.fontName(), "Tahoma");
        EXPECT_FALSE(page.control<forms::Label>("lblUsingLocalUpdateServer").visible());
        looked = true;
        TestHost::click(page, "cmdCancel");
    });
    run("");
    EXPECT_TRUE(looked);
    EXPECT_EQ(wizard->ProductKeys, (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
}

TEST_F(WizardTest, LocalServerLabelShowsForNonZeroNumbersOnly) {
    const std::string localServer = std::string(quillon::settings::kBaseKey) + "\\LocalServer";
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {"1", true}, {"2", true}, {"1abc", true}, {"0", false}, {"abc", false}, {std::nullopt, false},
    };
    for (const auto& [value, shown] : cases) {
        store().deleteKey(reg::Hive::LocalMachine, localServer, reg::Subtree::Delete);
        if (value) set(localServer, "UseLocalServer", *value);
        bool visible = !shown;
        host.whenShown("frmProductSelection", [&](forms::Form& page) {
            visible = page.control<forms::Label>("lblUsingLocalUpdateServer").visible();
            TestHost::click(page, "cmdCancel");
        });
        run("");
        EXPECT_EQ(visible, shown) << value.value_or("(missing)");
    }
}

TEST_F(WizardTest, ClearAllThenContinueSearchesNothing) {
    addProduct("P1", "Produkt 1");
    addProduct("P2", "Produkt 2");
    set(std::string(quillon::settings::kBaseKey), "LastResult", "1");
    host.whenShown("frmProductSelection", [](forms::Form& page) {
        TestHost::click(page, "cmdClearAll");
        TestHost::click(page, "cmdContinue");
    });
    host.whenShown(
        "frmSearchProgress",
        [&](forms::Form&) {
            auto& page = wizard->productSelection();
            const auto& rows = page.lsvProducts;
            for (int i = 1; i <= rows.count(); ++i) EXPECT_FALSE(rows.item(i).checked());
            for (const char* name : {"lsvProducts", "cmdCancel", "cmdSelectAll", "cmdClearAll", "cmdContinue"})
                EXPECT_FALSE(page.find(name)->enabled()) << name;
        },
        Moment::AtShow);
    run("");
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].text,
              "Keine Updates verf\xC3\xBC"
              "gbar.");
    EXPECT_EQ(host.messageBoxes()[0].style, 64);
    EXPECT_EQ(host.messageBoxes()[0].title, "Quillon");
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastResult"), "0");
    for (const auto& shown : host.shownForms()) EXPECT_NE(shown.form, "FrmFoundUpdates");
    EXPECT_FALSE(wizard->productSelection().loaded());
}

// Unregisters one server library of the prefix through the real regsvr32.
void unregister(const char* library) {
    auto result = testing_support::runProgram(testing_support::program("regsvr32"),
                                              {"/u", "/s", std::string(QUILLON_LIB_DIR) + "/" + library});
    ASSERT_EQ(result.status, 0) << result.err;
}

TEST_F(WizardTest, AMissingLibraryIsTheOnlyMessageAndEndsTheProgram) {
    addProduct("P1", "Produkt 1");
    const std::pair<const char*, const char*> cases[] = {
        {"Gorslb.so", "Gorslb.dll"}, {"Gorsld.so", "Gorsld.dll"}, {"Velpack.so", "Velpack.dll"}};
    for (auto [library, file] : cases) {
        unregister(library);
        quillon::toollib::releaseGlobalObjects();
        TestHost quiet;  // a fresh record for each library
        run("");
        ASSERT_EQ(quiet.messageBoxes().size(), 1u) << file;
        const auto& box = quiet.messageBoxes()[0];
        EXPECT_EQ(box.title, "Quillon");
        EXPECT_EQ(box.style, 48);
        EXPECT_EQ(box.text.rfind("Fehler beim Initialisieren von " + std::string(file) +
                                     ". Die DLL-Datei ist m\xC3\xB6glicherweise nicht korrekt registriert, besitzt "
                                     "eine falsche Version oder fehlt.\r\n\r\n(Fehler 429: ",
                                 0),
                  0u)
            << box.text;
        EXPECT_EQ(box.text.back(), ')');
        EXPECT_TRUE(quiet.shownForms().empty()) << file;
        EXPECT_TRUE(forms::loadedForms().empty());
        // Register it again for the next case, through quillon-prefix's own way.
        auto again = testing_support::runProgram(testing_support::program("regsvr32"),
                                                 {"/s", std::string(QUILLON_LIB_DIR) + "/" + library});
        ASSERT_EQ(again.status, 0);
    }
}

TEST_F(WizardTest, DirectUpdateRunsTheLibraryChecksToo) {
    unregister("Velpack.so");
    run("u prod 1 x.zip");
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_NE(host.messageBoxes()[0].text.find("Velpack.dll"), std::string::npos);
    EXPECT_TRUE(host.shownForms().empty());
}

}  // namespace
}  // namespace wizard_tests
