// SPDX-License-Identifier: Apache-2.0
// The built wizard, run as a program with the console host: start-up checks and search-only
// runs against a real FTP server and against the local server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

#include "platform/support/TemporaryNames.h"
#include "tests/end-to-end/WizardProgram.h"

namespace {

namespace fs = std::filesystem;
using namespace wizard_tests;

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
