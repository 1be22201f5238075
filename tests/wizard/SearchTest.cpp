// SPDX-License-Identifier: Apache-2.0
// Update discovery inside the wizard: DownloadFile against a real FTP server, the search page
// on update servers and on the local server, and the found-updates page.
#include <fstream>

#include "platform/forms/Form.h"
#include "platform/forms/MessageBox.h"
#include "platform/gorsl/LibraryIds.h"
#include "platform/prefix/Prefix.h"
#include "quillon/discovery/ServerAccess.h"
#include "quillon/pages/FrmFoundUpdates.h"
#include "quillon/pages/frmDownloadProgress.h"
#include "quillon/pages/frmProductSelection.h"
#include "quillon/pages/frmSearchProgress.h"
#include "tests/support/FtpServer.h"
#include "tests/support/Recording.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TestPrefix.h"
#include "tests/wizard/UpdateServers.h"
#include "tests/wizard/WizardFixture.h"

namespace wizard_tests {
namespace {

namespace fs = std::filesystem;
namespace forms = platform::forms;
using testing_support::FtpServer;
using testing_support::FtpServerOptions;
using testing_support::FtpUser;
using testing_support::Moment;
using testing_support::TestHost;

constexpr auto kDescriptor = platform::TransferKind::Descriptor;

const std::string kInternetError =
    "Fehler beim Ausf\xC3\xBChren der Operation \xC3\xBC"
    "ber die WinInet-Schnittstelle:\r\n\r\n";

class Discovery : public WizardTest {
protected:
    Discovery() : serverRoot(testing_support::makeTempDirectory("quillon-updates")) {
        testing_support::recordCallsOf(gorsl::CLSID_InternetClient);
    }
    ~Discovery() override {
        std::error_code ec;
        fs::remove_all(serverRoot, ec);
    }

    FtpServer& startServer() {
        FtpServerOptions options{serverRoot, {FtpUser{"anna", "geheim"}}};
        options.endless = "endless.idx";
        server = std::make_unique<FtpServer>(options);
        return *server;
    }
    ServerEntry entry(const std::string& path = "\\updates") const {
        return {"S", "127.0.0.1", std::to_string(server->port()), path, "anna", "geheim"};
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& box : host.messageBoxes()) texts.push_back(box.text);
        return texts;
    }
    std::size_t calls(const std::string& what) const { return testing_support::recordedCalls(callLog, what).size(); }

    fs::path serverRoot;
    fs::path callLog = prefix / "calls.log";
    std::unique_ptr<FtpServer> server;
    testing_support::ScopedEnvironment callLogVariable{"QUILLON_TEST_CALL_LOG", callLog.string()};
    testing_support::ScopedEnvironment connectTimeout{"QUILLON_FTP_CONNECT_TIMEOUT", "10"};
    // Unset: the Internet client works; "unavailable": it cannot be opened.
    testing_support::ScopedEnvironment internet{"QUILLON_TEST_INTERNET", std::nullopt};
};

TEST_F(Discovery, DownloadFileTellsEachFailureAndClosesOnlyAfterAConnect) {
    startServer();
    writeFile(serverRoot / "updates/index.txt", "the index");
    registerProduct({"P", "Produkt", "S", "index.txt"});
    const std::string local = "C:\\windows\\temp\\fetched.tmp";
    const fs::path nativeLocal = platform::prefix::toNative(local);

    enum class Stale { Kept, Gone };
    struct Case {
        const char* name;
        ServerEntry server;
        std::string remote;
        bool internet;
        std::vector<std::string> messages;
        std::size_t closes;
        Stale stale;
    } cases[] = {
        {"no internet",
         entry(),
         "index.txt",
         false,
         {"Update fehlgeschlagen: Internet-Funktionen nicht verf\xC3\xBC"
          "gbar."},
         0,
         Stale::Kept},
        {"logon rejected",
         {"S", "127.0.0.1", std::to_string(server->port()), "\\updates", "anna", "falsch"},
         "index.txt",
         true,
         {kInternetError, "Update fehlgeschlagen: Keine Verbindung zum Update-Server."},
         0,
         Stale::Kept},
        {"no such directory",
         entry("\\missing"),
         "index.txt",
         true,
         {kInternetError, "Update fehlgeschlagen: Verzeichnis nicht gefunden."},
         1,
         Stale::Kept},
        {"no such file",
         entry(),
         "nothere.txt",
         true,
         {kInternetError, "Update fehlgeschlagen: Datei nicht erfolgreich heruntergeladen."},
         1,
         Stale::Gone},
        {"endless descriptor",
         entry(),
         "endless.idx",
         true,
         {kInternetError, "Update fehlgeschlagen: Datei nicht erfolgreich heruntergeladen."},
         1,
         Stale::Gone},
    };
    for (const auto& c : cases) {
        registerServer(c.server);
        if (c.internet)
            internet.unset();
        else
            internet.set("unavailable");
        writeFile(nativeLocal, "stale");
        std::size_t closesBefore = calls("Gorsld.Close");
        TestHost boxes;
        EXPECT_FALSE(quillon::DownloadFile("P", c.remote, local, kDescriptor)) << c.name;
        ASSERT_EQ(boxes.messageBoxes().size(), c.messages.size()) << c.name;
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            const auto& box = boxes.messageBoxes()[i];
            if (c.messages[i] == kInternetError) {
                EXPECT_EQ(box.text.rfind(kInternetError, 0), 0u) << c.name << ": " << box.text;
                EXPECT_GT(box.text.size(), kInternetError.size()) << c.name << ": the client's text is missing";
            } else {
                EXPECT_EQ(box.text, c.messages[i]) << c.name;
            }
            EXPECT_EQ(box.title, "Fehler");
            EXPECT_EQ(box.style, 48);
        }
        EXPECT_EQ(calls("Gorsld.Close") - closesBefore, c.closes) << c.name;
        EXPECT_EQ(fs::exists(nativeLocal), c.stale == Stale::Kept) << c.name;
    }

    internet.unset();
    registerServer(entry());
    std::size_t closesBefore = calls("Gorsld.Close");
    TestHost boxes;
    EXPECT_TRUE(quillon::DownloadFile("P", "index.txt", local, kDescriptor));
    EXPECT_TRUE(boxes.messageBoxes().empty());
    EXPECT_EQ(readFile(nativeLocal), "the index");
    EXPECT_EQ(calls("Gorsld.Close") - closesBefore, 1u);
}

TEST_F(Discovery, DownloadFileTakesThePortAndDirectoryDefaults) {
    startServer();
    writeFile(serverRoot / "index.txt", "at the root");
    registerProduct({"P", "Produkt", "S", "index.txt"});
    // No Path: the directory is a single backslash and the file "\/index.txt".
    registerServer({"S", "127.0.0.1", std::to_string(server->port()), "", "anna", "geheim"});
    EXPECT_TRUE(quillon::DownloadFile("P", "index.txt", "C:\\windows\\temp\\a.tmp", kDescriptor));
    EXPECT_EQ(testing_support::recordedCalls(callLog, "Gorsld.ChangeDirectory").back(), "Gorsld.ChangeDirectory \\");
    EXPECT_EQ(testing_support::recordedCalls(callLog, "Gorsld.GetFile").back().rfind("Gorsld.GetFile \\/index.txt|", 0),
              0u);

    // The port is the leading number rounded halves to even; no Port value is port 21. Nothing
    // listens on these ports, so each connect fails after it has been made.
    const std::pair<const char*, const char*> ports[] = {
        {"", "21"}, {"2120.5", "2120"}, {"2121.5", "2122"}, {"2121abc", "2121"}};
    for (auto [value, port] : ports) {
        registerServer({"S", "127.0.0.1", "", "", "anna", "geheim"});
        if (*value)
            store().setValue(reg::Hive::LocalMachine, std::string(quillon::settings::kBaseKey) + "\\Servers\\S", "Port",
                             reg::Value::string(value));
        else
            store().deleteValue(reg::Hive::LocalMachine, std::string(quillon::settings::kBaseKey) + "\\Servers\\S",
                                "Port");
        TestHost boxes;
        EXPECT_FALSE(quillon::DownloadFile("P", "index.txt", "C:\\windows\\temp\\a.tmp", kDescriptor));
        auto connect = testing_support::recordedCalls(callLog, "Gorsld.Connect").back();
        EXPECT_EQ(connect, "Gorsld.Connect 1|127.0.0.1|" + std::string(port) + "|anna|geheim|0|0") << value;
    }
}

TEST_F(Discovery, SearchListsEveryFoundUpdateInProductOrder) {
    startServer();
    registerServer(entry());
    writeFile(serverRoot / "updates/a.idx", indexFor("=1.=0.=0", "a.sl"));
    writeFile(serverRoot / "updates/a.sl", descriptionFor(1, "a-update.zip", "Neue Funktionen f\xC3\xBCr A"));
    writeFile(serverRoot / "updates/b.idx", indexFor("=2.=0.=0", "b.sl"));
    writeFile(serverRoot / "updates/b.sl", descriptionFor(2, "http://example.org/b", "Mehr zu B"));
    writeFile(serverRoot / "updates/c.idx", indexFor("=9.=9.=9", "c.sl"));  // up to date
    registerProduct({"A", "Produkt A", "S", "a.idx", "1.0.0"});
    registerProduct({"B", "", "S", "b.idx", "2.0.0"});
    registerProduct({"C", "Produkt C", "S", "c.idx", "1.0.0"});

    host.whenShown("frmProductSelection", [](forms::Form& page) { TestHost::click(page, "cmdContinue"); });
    host.whenShown("FrmFoundUpdates", [&](forms::Form& page) {
        auto& rows = page.control<forms::ListView>("lsvUpdates");
        ASSERT_EQ(rows.count(), 2);
        EXPECT_EQ(rows.item(1).text(), "Produkt A");
        EXPECT_EQ(rows.item(2).text(), "n/a");
        for (int i = 1; i <= 2; ++i) EXPECT_FALSE(rows.item(i).checked());
        auto& description = page.control<forms::TextBox>("txtUpdateDesc");
        EXPECT_EQ(description.text(),
                  "W\xC3\xA4hlen Sie ein Update aus, um zus\xC3\xA4tzliche Informationen zu erhalten.\r\n");
        TestHost::clickRow(page, "lsvUpdates", 2);
        EXPECT_EQ(description.text(), "Mehr zu B");
        TestHost::clickRow(page, "lsvUpdates", 1);
        EXPECT_EQ(description.text(), "Neue Funktionen f\xC3\xBCr A");
        EXPECT_FALSE(rows.item(1).checked());  // a click does not tick
        // The list and the rows are in step.
        ASSERT_EQ(wizard->FoundUpdates.size(), 2u);
        EXPECT_EQ(wizard->FoundUpdates[1].ProductKey, "B");
        EXPECT_EQ(wizard->FoundUpdates[1].UpdateType, "2");
        EXPECT_EQ(wizard->FoundUpdates[1].UpdateData, "http://example.org/b");
        TestHost::click(page, "cmdCancel");
    });
    run("");
    EXPECT_TRUE(host.messageBoxes().empty());
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastResult"), "1");
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastT"), "1");
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastD"), "a-update.zip");
    EXPECT_TRUE(platform::forms::loadedForms().empty());
    // The one temporary file is gone.
    for (const auto& entry : fs::directory_iterator(platform::prefix::toNative("C:\\windows\\temp")))
        EXPECT_EQ(entry.path().filename().string().find("Quillon"), std::string::npos) << entry.path();
}

TEST_F(Discovery, SearchOnlyRunReportsTheFirstUpdateAndShowsNoPage) {
    startServer();
    registerServer(entry());
    writeFile(serverRoot / "updates/a.idx", indexFor("=1.=0.=0", "a.sl"));
    writeFile(serverRoot / "updates/a.sl", descriptionFor(1, "a.zip", "Behebt Fehler"));
    registerProduct({"Prod A", "Produkt A", "S", "a.idx", "1.0.0"});
    run("s Prod A");
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].text,
              "Eine Aktualisierung f\xC3\xBCr \"Produkt A\" ist verf\xC3\xBC"
              "gbar.\r\n\r\nBeschreibung:\r\nBehebt Fehler");
    EXPECT_EQ(host.messageBoxes()[0].style, 64);
    for (const auto& shown : host.shownForms()) EXPECT_NE(shown.form, "FrmFoundUpdates");
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastResult"), "1");
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastD"), "a.zip");
}

TEST_F(Discovery, LocalServerReportsEachFileThatDidNotArriveUnderTheRowsTitle) {
    // \\srv\share\updates is the prefix's unc/srv/share/updates.
    const fs::path share = prefix / "unc/srv/share/updates";
    writeFile(share / "a.idx", indexFor("=1.=0.=0", "a.sl"));
    writeFile(share / "a.sl", descriptionFor(1, "a.zip", "A von lokal"));
    writeFile(share / "b.idx", indexFor("=1.=0.=0", "missing.sl"));
    // A valid index, but larger than any descriptor may be: refused before it is copied.
    writeFile(share / "c.idx", indexFor("=1.=0.=0", "a.sl") + std::string(1 << 20, ' '));
    registerProduct({"A", "Produkt A", "", "a.idx"});
    registerProduct({"B", "Produkt B", "", "b.idx"});
    registerProduct({"C", "Produkt C", "", "c.idx"});
    registerProduct({"D", "Produkt D", "", "missing.idx"});
    useLocalServer("srv", "share\\updates");

    host.whenShown("frmProductSelection", [](forms::Form& page) { TestHost::click(page, "cmdContinue"); });
    host.whenShown("FrmFoundUpdates", [&](forms::Form& page) {
        auto& rows = page.control<forms::ListView>("lsvUpdates");
        ASSERT_EQ(rows.count(), 1);
        EXPECT_EQ(rows.item(1).text(), "Produkt A");
        EXPECT_EQ(rows.item(1).tag(), "A von lokal");
        TestHost::click(page, "cmdCancel");
    });
    run("");
    // B: the description is missing; C: the index is too large; D: the index is missing.
    const char* failed[] = {"B", "C", "D"};
    ASSERT_EQ(host.messageBoxes().size(), std::size(failed));
    for (std::size_t i = 0; i < std::size(failed); ++i) {
        const auto& box = host.messageBoxes()[i];
        EXPECT_EQ(box.title, std::string("Produkt ") + failed[i] + " - Fehler");
        EXPECT_EQ(box.text, "Update fehlgeschlagen: Lokaler Server lieferte keine g\xC3\xBCltige Datei.");
        EXPECT_EQ(box.style, 48);
    }
    EXPECT_EQ(calls("Gorsld."), 0u);  // the local server needs no Internet client
}

TEST_F(Discovery, ContinueDisablesThePageAndOffersTheRestartOnlyWhenAsked) {
    startServer();
    registerServer(entry());
    writeFile(serverRoot / "updates/a.idx", indexFor("=1.=0.=0", "a.sl"));
    // A type the download page passes over: its closing message is its only box.
    writeFile(serverRoot / "updates/a.sl", descriptionFor(3, "a.zip", "A"));
    registerProduct({"A", "Produkt A", "S", "a.idx"});
    const fs::path restarts = prefix / "restarts.log";
    testing_support::ScopedEnvironment restartCommand("QUILLON_RESTART_COMMAND",
                                                      "echo restart >> '" + restarts.string() + "'");

    for (bool reboot : {false, true}) {
        host.whenShown("frmProductSelection", [](forms::Form& page) { TestHost::click(page, "cmdContinue"); });
        if (reboot) host.answerMessageBoxes({platform::forms::answer::Ok, platform::forms::answer::Yes});
        host.whenShown("FrmFoundUpdates", [&](forms::Form& page) {
            wizard->RebootRequired = reboot;
            TestHost::tick(page, "lsvUpdates", 1, testing_support::Check::Ticked);
            TestHost::click(page, "cmdContinue");
        });
        host.whenShown(
            "frmDownloadProgress",
            [&](forms::Form&) {
                auto& page = wizard->foundUpdates();
                for (const char* name : {"lsvUpdates", "txtUpdateDesc", "cmdCancel", "cmdContinue"})
                    EXPECT_FALSE(page.find(name)->enabled()) << name;
                EXPECT_TRUE(wizard->FoundUpdates.size() == 1 && page.lsvUpdates.item(1).checked());
            },
            Moment::AtShow);
        std::size_t boxesBefore = host.messageBoxes().size();
        run("");
        EXPECT_TRUE(platform::forms::loadedForms().empty());
        EXPECT_EQ(fs::exists(restarts), reboot);
        // After the closing message, the restart question, asked only when a restart is needed.
        ASSERT_EQ(host.messageBoxes().size() - boxesBefore, reboot ? 2u : 1u);
        EXPECT_EQ(host.messageBoxes()[boxesBefore].text, "Alle Updates wurden ausgef\xC3\xBChrt.");
    }
    EXPECT_EQ(readFile(restarts), "restart\n");  // once, after both pages were unloaded
}

TEST_F(Discovery, CancelOnTheFoundUpdatesPageInstallsNothingAndWritesNothingMore) {
    startServer();
    registerServer(entry());
    writeFile(serverRoot / "updates/a.idx", indexFor("=1.=0.=0", "a.sl"));
    writeFile(serverRoot / "updates/a.sl", descriptionFor(1, "a.zip", "A"));
    registerProduct({"A", "Produkt A", "S", "a.idx"});
    std::string before;
    host.whenShown("frmProductSelection", [](forms::Form& page) { TestHost::click(page, "cmdContinue"); });
    host.whenShown("FrmFoundUpdates", [&](forms::Form& page) {
        before = get(quillon::settings::kBaseKey, "LastResult") + get(quillon::settings::kBaseKey, "LastT") +
                 get(quillon::settings::kBaseKey, "LastD");
        TestHost::click(page, "cmdCancel");
    });
    run("");
    EXPECT_EQ(before, "11a.zip");
    EXPECT_EQ(get(quillon::settings::kBaseKey, "LastResult") + get(quillon::settings::kBaseKey, "LastT") +
                  get(quillon::settings::kBaseKey, "LastD"),
              before);
    for (const auto& shown : host.shownForms()) EXPECT_NE(shown.form, "frmDownloadProgress");
}

}  // namespace
}  // namespace wizard_tests
