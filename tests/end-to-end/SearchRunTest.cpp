// The built wizard, run as a program with the console host: start-up checks and search-only
// runs against a real FTP server and against the local server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

#include "platform/registry/RegistryStore.h"
#include "platform/support/TemporaryNames.h"
#include "quillon/ModMain.h"
#include "tests/support/FtpServer.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"
#include "tests/wizard/UpdateServers.h"

namespace {

namespace fs = std::filesystem;
namespace reg = platform::registry;
using namespace wizard_tests;
using testing_support::FtpServer;
using testing_support::ProgramResult;

class WizardProgram : public ::testing::Test {
protected:
    WizardProgram() : serverRoot(testing_support::makeTempDirectory("quillon-updates")) {}
    ~WizardProgram() override {
        std::error_code ec;
        fs::remove_all(serverRoot, ec);
    }

    ProgramResult quillon(const std::vector<std::string>& args, const std::string& input = {}) {
        testing_support::RunOptions options;
        options.input = input;
        options.environment = {{"QUILLON_UI", "console"}, {"QUILLON_PREFIX", prefix.root().string()}};
        options.timeoutSeconds = 120;
        // The registry store is shared with the child: let go of ours while it runs.
        reg::RegistryStore::resetPrefixStore();
        return testing_support::runProgram(testing_support::program("quillon"), args, options);
    }
    std::string get(const char* name) {
        return reg::RegistryStore::forPrefix().readText(reg::Hive::LocalMachine, quillon::kBaseKey, name, "<missing>");
    }
    void ftpProduct(const std::string& key, const std::string& title, const std::string& version) {
        if (!server)
            server = std::make_unique<FtpServer>(
                testing_support::FtpServerOptions{serverRoot, {testing_support::FtpUser{"anna", "geheim"}}});
        registerServer({"S", "127.0.0.1", std::to_string(server->port()), "\\updates", "anna", "geheim"});
        registerProduct({key, title, "S", "index.idx", version});
    }

    testing_support::TestPrefix prefix{testing_support::Libraries::Registered};
    fs::path serverRoot;
    std::unique_ptr<FtpServer> server;
};

TEST_F(WizardProgram, SearchOnlyRunOnAnFtpServerReportsTheUpdate) {
    writeFile(serverRoot / "updates/index.idx", indexFor("=1.<5.>2", "v1.sl"));
    writeFile(serverRoot / "updates/v1.sl", descriptionFor(1, "office-1.1.zip", "Version 1.1 mit neuen Vorlagen"));
    ftpProduct("Office Pro", "Orvane Office", "1.4.3");
    auto result = quillon({"s", "Office Pro"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Quillon\nEine Aktualisierung f\xC3\xBCr \"Orvane Office\" ist verf\xC3\xBC"
                              "gbar.\r\n\r\nBeschreibung:\r\nVersion 1.1 mit neuen Vorlagen\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(get("LastResult"), "1");
    EXPECT_EQ(get("LastT"), "1");
    EXPECT_EQ(get("LastD"), "office-1.1.zip");
}

TEST_F(WizardProgram, SearchOnlyRunWithoutUpdateSaysSo) {
    writeFile(serverRoot / "updates/index.idx", indexFor("=1.=0.=0", "v1.sl"));
    ftpProduct("Office", "Orvane Office", "2.0.0");
    // The start also removes what a killed run left in the temporary folder long ago.
    const fs::path leftover = prefix / ("drive_c/windows/temp/" + platform::temporaryName("download"));
    writeFile(leftover, "partial");
    const timespec twoHoursAgo[2] = {{std::time(nullptr) - 7200, 0}, {std::time(nullptr) - 7200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, leftover.c_str(), twoHoursAgo, 0), 0);
    auto result = quillon({"s", "Office"});
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Quillon\nKeine Updates verf\xC3\xBC"
                              "gbar.\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(get("LastResult"), "0");
    EXPECT_EQ(get("LastT"), "<missing>");
}

TEST_F(WizardProgram, SearchOnlyRunOnTheLocalServer) {
    const fs::path share = prefix / "unc/fileserver/updates/orvane";
    writeFile(share / "index.idx", indexFor("=3.=0.=0", "v31.sl"));
    writeFile(share / "v31.sl", descriptionFor(2, "http://example.org/v31", "Neue Version 3.1"));
    registerProduct({"Draw", "Orvane Draw", "", "index.idx", "3.0.0"});
    useLocalServer("fileserver", "updates\\orvane");
    auto result = quillon({"s", "Draw"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Eine Aktualisierung f\xC3\xBCr \"Orvane Draw\" ist verf\xC3\xBC"
                              "gbar.\r\n\r\nBeschreibung:\r\nNeue Version 3.1"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(get("LastResult"), "1");
    EXPECT_EQ(get("LastT"), "2");
    EXPECT_EQ(get("LastD"), "http://example.org/v31");
}

TEST_F(WizardProgram, LocalServerWithoutTheDescriptionFileFailsOnce) {
    const fs::path share = prefix / "unc/fileserver/updates";
    writeFile(share / "index.idx", indexFor("=3.=0.=0", "gone.sl"));
    registerProduct({"Draw", "Orvane Draw", "", "index.idx", "3.0.0"});
    useLocalServer("fileserver", "updates");
    auto result = quillon({"s", "Draw"});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string failure =
        "Draw - Fehler\nUpdate fehlgeschlagen: Lokaler Server lieferte keine g\xC3\xBCltige Datei.\n";
    auto first = result.out.find(failure);
    EXPECT_NE(first, std::string::npos) << result.out;
    EXPECT_EQ(result.out.find(failure, first + 1), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Keine Updates verf\xC3\xBC"
                              "gbar."),
              std::string::npos);
    EXPECT_EQ(get("LastResult"), "0");
}

TEST_F(WizardProgram, AnUnregisteredLibraryIsReportedAndEndsTheProgram) {
    auto unregistered = testing_support::runProgram(testing_support::program("regsvr32"),
                                                    {"/u", "/s", std::string(QUILLON_LIB_DIR) + "/Gorslb.so"});
    ASSERT_EQ(unregistered.status, 0) << unregistered.err;
    auto result = quillon({});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.rfind("Quillon\nFehler beim Initialisieren von Gorslb.dll. Die DLL-Datei ist "
                               "m\xC3\xB6glicherweise nicht korrekt registriert, besitzt eine falsche Version oder "
                               "fehlt.\r\n\r\n(Fehler 429: ",
                               0),
              0u)
        << result.out;
    EXPECT_EQ(result.out.find("Willkommen"), std::string::npos);  // no page was shown
}

}  // namespace
