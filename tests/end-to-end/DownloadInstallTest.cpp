// SPDX-License-Identifier: Apache-2.0
// The download-and-install page through the built wizard on the console host: direct updates
// and the interactive wizard against a real FTP server and the local server, with update
// archives made by zip and installed by their scripts.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/end-to-end/WizardProgram.h"

namespace {

namespace fs = std::filesystem;
using namespace wizard_tests;

// Puts app.txt into the product's folder, sets the version, adds a shortcut, asks for a restart.
std::string installScript(const std::string& product, const std::string& version) {
    return "COPY %installtemp%\\app.txt;C:\\Program Files\\Orvane\\" + product + "\\app.txt\r\n" + "SETVER " + version +
           "\r\n" + "WL_ADD %WL%\\" + product + ".url;http://example.org/" + product + "\r\nREQUIREREBOOT\r\n";
}

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Whether the console host's progress shows the phase complete on a line of its own.
bool phaseCompleted(const std::string& err, const std::string& phase) {
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(phase + ": ") && line.ends_with("(100 %)")) return true;
    return false;
}

class DownloadPage : public WizardProgram {
protected:
    std::string installLog(const std::string& product) {
        return readFile(prefix /
                        ("drive_c/Program Files/Common Files/Orvane/InstallLogs/UpdateLog " + product + ".txt"));
    }
    std::string installed(const std::string& product) {
        return readFile(prefix / ("drive_c/Program Files/Orvane/" + product + "/app.txt"));
    }
    std::string version(const std::string& product) {
        const std::string key = std::string(quillon::settings::kBaseKey) + "\\Products\\" + product;
        return get(key, "VerMaj") + "." + get(key, "VerMin") + "." + get(key, "VerRev");
    }
    bool temporaryFileLeft() {
        for (const auto& entry : fs::directory_iterator(prefix / "drive_c/windows/temp"))
            if (entry.path().filename().string().starts_with("Quillon")) return true;
        return false;
    }
    // Programs the shell would start, as scripts that note what they were asked.
    std::vector<std::pair<std::string, std::string>> recorders() {
        return {{"QUILLON_OPEN_COMMAND", "echo >> '" + opened.string() + "'"},
                {"QUILLON_RESTART_COMMAND", "echo restart >> '" + restarts.string() + "'"}};
    }

    const fs::path opened = prefix / "opened.log";
    const fs::path restarts = prefix / "restarts.log";
};

TEST_F(DownloadPage, DirectUpdateInstallsFromTheUpdateServerAndFromTheLocalServer) {
    struct Case {
        const char* server;
        std::string updateData;
    } cases[] = {{"FTP", "office-2.4.zip"}, {"local", "Aktuell\\office-2.4.zip"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.server);
        const bool ftp = std::string(c.server) == "FTP";
        const fs::path archive =
            ftp ? serverRoot / "updates/office-2.4.zip" : prefix / "unc/fileserver/updates/office-2.4.zip";
        makeUpdateArchive(archive, installScript("Office", "2;4;0"), {{"app.txt", std::string(300000, 'o')}});
        if (ftp) {
            ftpProduct("Office", "Orvane Office", "2.3.7");
        } else {
            registerProduct({"Office", "Orvane Office", "", "office.idx", "2.3.7"});
            useLocalServer("fileserver", "updates");
        }
        set("LastResult", "0");
        auto result = quillon({"u", "Office", "1", c.updateData}, "", recorders());

        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find("Quillon\nDas Update wurde ausgef\xC3\xBChrt.\n"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("Alle Updates"), std::string::npos);
        EXPECT_EQ(installed("Office"), std::string(300000, 'o'));
        EXPECT_EQ(version("Office"), "2.4.0");
        EXPECT_EQ(get("LastResult"), "1");
        const std::string log = installLog("Office");
        EXPECT_NE(log.find("\r\n=== PROTOKOLL VON "), std::string::npos) << log;
        EXPECT_NE(log.find("Setting new version for Office...\r\n"), std::string::npos) << log;
        EXPECT_NE(log.find("(system must be restarted after update has finished)\r\n"), std::string::npos) << log;
        EXPECT_EQ(readFile(prefix / "drive_c/users/Public/Favorites/Web-Links/Office.url"),
                  "[InternetShortcut]\r\nURL=http://example.org/Office\r\n");
        // The script asked for a restart, but a direct update never offers one.
        EXPECT_FALSE(fs::exists(restarts));
        EXPECT_EQ(result.err.find("\"Quillon\" -> 7"), std::string::npos) << result.err;
        EXPECT_EQ(phaseCompleted(result.err, "Herunterladen: office-2.4.zip"), ftp) << result.err;
        EXPECT_TRUE(phaseCompleted(result.err, "Entpacken: office-2.4.zip")) << result.err;
        EXPECT_FALSE(temporaryFileLeft());
        fs::remove_all(prefix / "drive_c/Program Files/Orvane");
    }
}

TEST_F(DownloadPage, AnUpdateThatCannotBeHadIsReportedAndNothingIsInstalled) {
    struct Case {
        const char* name;
        bool ftp;
        const char* archive;  // written under the server's folder when not empty
        const char* says;
    } cases[] = {
        {"not a ZIP archive on the local server", false, "this is no zip",
         "Fehler\nUpdate fehlgeschlagen: Das Update konnte nicht entpackt werden.\n"},
        {"not a ZIP archive on the update server", true, "this is no zip",
         "Fehler\nUpdate fehlgeschlagen: Das Update konnte nicht entpackt werden.\n"},
        {"missing on the local server", false, "",
         "Fehler\nUpdate fehlgeschlagen: Lokaler Server lieferte keine g\xC3\xBCltige Datei.\n"},
        {"missing on the update server", true, "",
         "Fehler\nUpdate fehlgeschlagen: Datei nicht erfolgreich heruntergeladen.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path archive =
            c.ftp ? serverRoot / "updates/office-2.4.zip" : prefix / "unc/fileserver/updates/office-2.4.zip";
        fs::remove(archive);
        if (*c.archive) writeFile(archive, c.archive);
        if (c.ftp) {
            ftpProduct("Office", "Orvane Office", "2.3.7");
            set(std::string(quillon::settings::kBaseKey) + "\\LocalServer", "UseLocalServer", "0");
        } else {
            registerProduct({"Office", "Orvane Office", "", "office.idx", "2.3.7"});
            useLocalServer("fileserver", "updates");
        }
        set("LastResult", "1");  // as a search before it leaves it
        auto result = quillon({"u", "Office", "1", "office-2.4.zip"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(occurrences(result.out, c.says), 1) << result.out;
        EXPECT_NE(result.out.find("Das Update wurde ausgef\xC3\xBChrt."), std::string::npos) << result.out;
        EXPECT_EQ(get("LastResult"), "0");
        EXPECT_EQ(version("Office"), "2.3.7");
        EXPECT_FALSE(fs::exists(prefix / "drive_c/Program Files/Common Files/Orvane/InstallLogs/UpdateLog Office.txt"));
        EXPECT_FALSE(temporaryFileLeft());
    }
}

TEST_F(DownloadPage, TheWizardInstallsTheTickedUpdatesOffersWebPagesAndTheRestartOnce) {
    // Six products, found in this order: two archives to install, one archive left unticked,
    // two web pages (answered No, then Yes) and an update of a type the wizard does not know.
    struct Product {
        const char* key;
        int type;
        std::string data;
    } products[] = {{"A1", 1, "alpha.zip"},
                    {"B2", 1, "beta.zip"},
                    {"C3", 1, "gamma.zip"},
                    {"D4", 2, "http://example.org/d4"},
                    {"E5", 2, "http://example.org/e5"},
                    {"F6", 3, "whatever"}};
    for (const auto& p : products) {
        const std::string index = std::string(p.key) + ".idx", description = std::string(p.key) + ".sl";
        writeFile(serverRoot / "updates" / index, indexFor("=1.=0.=0", description));
        writeFile(serverRoot / "updates" / description, descriptionFor(p.type, p.data, std::string("Update ") + p.key));
        ftpProduct(p.key, std::string("Produkt ") + p.key, "1.0.0", index);
    }
    makeUpdateArchive(serverRoot / "updates/alpha.zip", installScript("A1", "2;4;0"),
                      {{"app.txt", "alpha"}, {"only-alpha.txt", "a"}});
    // B2's script reaches for a file of A1's archive: the install temp folder is emptied between them.
    makeUpdateArchive(
        serverRoot / "updates/beta.zip",
        installScript("B2", "3;1;0") + "COPY %installtemp%\\only-alpha.txt;C:\\Program Files\\Orvane\\B2\\leak.txt\r\n",
        {{"app.txt", "beta"}});
    makeUpdateArchive(serverRoot / "updates/gamma.zip", installScript("C3", "9;9;9"), {{"app.txt", "gamma"}});

    // Continue, tick all rows but the third, continue, No and Yes to the web pages, Yes to the restart.
    auto result = quillon({}, "\n1 2 4 5 6\n\nn\nj\nj\n", recorders());

    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(installed("A1"), "alpha");
    EXPECT_EQ(installed("B2"), "beta");
    EXPECT_EQ(version("A1"), "2.4.0");
    EXPECT_EQ(version("B2"), "3.1.0");
    EXPECT_EQ(version("C3"), "1.0.0");
    EXPECT_FALSE(fs::exists(prefix / "drive_c/Program Files/Orvane/B2/leak.txt"));
    EXPECT_NE(installLog("B2").find("...failed (because C:\\Program Files\\Orvane\\B2\\leak.txt does not exist)."),
              std::string::npos)
        << installLog("B2");
    EXPECT_EQ(installLog("A1").find("B2"), std::string::npos);  // each product its own log
    EXPECT_EQ(server->count("RETR gamma.zip"), 0) << server->log();
    EXPECT_EQ(get("LastResult"), "1");

    const std::string question =
        "Update\nDas Update kann nicht automatisch heruntergeladen werden. Sie k\xC3\xB6nnen aber die folgende "
        "Website besuchen, um mehr Informationen zu erhalten: http://example.org/d4\r\n\r\nM\xC3\xB6"
        "chten Sie diese URL \xC3\xB6"
        "ffnen?\n";
    EXPECT_NE(result.out.find(question), std::string::npos) << result.out;
    ASSERT_TRUE(testing_support::waitForFile(opened));
    EXPECT_EQ(readFile(opened), "http://example.org/e5\n");
    // Every box of the run in order: the two offers, the closing message, the restart offer once.
    std::string boxes;
    for (auto at = result.err.find("box "); at != std::string::npos; at = result.err.find("box ", at + 1))
        if (at == 0 || result.err[at - 1] == '\n') boxes += result.err.substr(at, result.err.find('\n', at) - at + 1);
    EXPECT_EQ(boxes,
              "box 36 \"Update\" -> 7\n"
              "box 36 \"Update\" -> 6\n"
              "box 64 \"Quillon\" -> 1\n"
              "box 292 \"Quillon\" -> 6\n")
        << result.err;
    EXPECT_NE(result.out.find("Quillon\nAlle Updates wurden ausgef\xC3\xBChrt.\n"), std::string::npos);
    EXPECT_EQ(readFile(restarts), "restart\n");
    for (const char* phase :
         {"Herunterladen: alpha.zip", "Entpacken: alpha.zip", "Herunterladen: beta.zip", "Entpacken: beta.zip"})
        EXPECT_TRUE(phaseCompleted(result.err, phase)) << phase << "\n" << result.err;
    EXPECT_FALSE(temporaryFileLeft());
}

}  // namespace
