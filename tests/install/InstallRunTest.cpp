// SPDX-License-Identifier: Apache-2.0
// The install run: the missing script, the log with its header and its appending, the line
// loop (blank lines, keywords with trailing blanks, line ends, encodings) and cancellation.
#include <gtest/gtest.h>

#include <regex>

#include "platform/com/Error.h"

#include "tests/install/InstallFixture.h"

namespace install_tests {
namespace {

const std::string kScript = std::string(kUpdateFolder) + "\\aupdate.inf";

TEST_F(InstallTest, AMissingScriptIsReportedAndLogsNothing) {
    fs::create_directories(native(kUpdateFolder));
    quillon::RunInstallScript(kUpdateFolder, "Office");
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].title, "Update-Fehler");
    EXPECT_EQ(host.messageBoxes()[0].text, "Das Update lieferte keine Informationen zur automatischen Installation.");
    EXPECT_EQ(host.messageBoxes()[0].style, 48);
    EXPECT_EQ(logBytes(), std::nullopt);
}

TEST_F(InstallTest, TwoRunsAppendToOneLogEachWithItsHeader) {
    run("REQUIREREBOOT");
    run("   \r\n\r\n  \r\n");
    EXPECT_FALSE(fs::exists(native(kScript)));
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 5u);
    const std::regex header("=== PROTOKOLL VON \\S+ \\S+ UNTER .+ ===");
    EXPECT_EQ(lines[0], "");
    EXPECT_TRUE(std::regex_match(lines[1], header)) << lines[1];
    EXPECT_EQ(lines[2], "(system must be restarted after update has finished)");
    EXPECT_EQ(lines[3], "");
    EXPECT_TRUE(std::regex_match(lines[4], header)) << lines[4];
    EXPECT_NE(lines[4].find(" UNTER " + quillon::toollib::gorslb().SystemDescription() + " ==="), std::string::npos);
    EXPECT_EQ(quillon::sharedRunState().InstallLogFolder, "C:\\Program Files\\Common Files\\Orvane\\InstallLogs");
}

TEST_F(InstallTest, KeywordsWithTrailingBlanksAndSingleWordsRunWithoutArguments) {
    run("wl_rmdir   \r\nREBOOTREQUIRED   \r\nREQUIREREBOOT");
    EXPECT_EQ(runLines(), (std::vector<std::string>{
                              "Error: WL_RMDIR needs 1 argument but was given 0, so nothing was done.",
                              "(system must be restarted after update has finished)",
                              "(system must be restarted after update has finished)",
                          }));
}

TEST_F(InstallTest, CancelStopsTheRunAfterItsLineAndTheScriptIsDeleted) {
    run("WL_RMDIR a\r\nCANCEL\r\nWL_RMDIR b\r\nCANCEL");
    EXPECT_EQ(runLines(), (std::vector<std::string>{"Removing Internet shortcut subdirectory a...",
                                                    "Error: currently not supported"}));
    ASSERT_EQ(host.messageBoxes().size(), 1u);
    EXPECT_EQ(host.messageBoxes()[0].title, "Quillon");
    EXPECT_EQ(host.messageBoxes()[0].text, "Die Installation wurde abgebrochen.");
    EXPECT_EQ(host.messageBoxes()[0].style, 16);
    EXPECT_FALSE(fs::exists(native(kScript)));
}

TEST_F(InstallTest, AProductKeyWithBlanksNamesTheLogVerbatim) {
    run("REQUIREREBOOT", "Orvane Office  Pro");
    EXPECT_TRUE(
        fs::exists(native("C:\\Program Files\\Common Files\\Orvane\\InstallLogs\\UpdateLog Orvane Office  Pro.txt")));
    EXPECT_EQ(runLines("Orvane Office  Pro").size(), 1u);
}

// CR LF and a lone CR end lines, a lone LF does not; a last line without a line end counts;
// bytes that are not UTF-8 are Windows-1252; the log is UTF-8.
TEST_F(InstallTest, ScriptLinesEndAtCrAndAreDecoded) {
    run("WL_RMDIR Gr\xFC\xDF"
        "e\rWL_RMDIR a\nWL_RMDIR b\r\nWL_RMDIR \x80");
    EXPECT_EQ(runLines(), (std::vector<std::string>{
                              "Removing Internet shortcut subdirectory Gr\xC3\xBC\xC3\x9F"
                              "e...",
                              "Error: currently not supported",
                              "Removing Internet shortcut subdirectory a\nWL_RMDIR b...",
                              "Error: currently not supported",
                              "Removing Internet shortcut subdirectory \xE2\x82\xAC...",
                              "Error: currently not supported",
                          }));
    run("\xEF\xBB\xBFWL_RMDIR \xC3\xA4");
    EXPECT_EQ(runLines().front(), "Removing Internet shortcut subdirectory \xC3\xA4...");
}

TEST_F(InstallTest, AMissingLogFolderIsMadeAgain) {
    run("REQUIREREBOOT");
    fs::remove_all(native(quillon::sharedRunState().InstallLogFolder));
    run("REQUIREREBOOT");
    EXPECT_EQ(logLines().size(), 3u);
}

// A link planted where the log goes is not written through: the run ends with the error.
TEST_F(InstallTest, TheLogIsNeverWrittenThroughALink) {
    quillon::SetUpInstallLogFolder();
    const fs::path outside = prefix / "outside.txt";
    writeFile(outside.string(), "keep");
    fs::create_symlink(outside, native(quillon::installLogPath("Office")));
    try {
        quillon::WriteInstallLog("line", "Office");
        ADD_FAILURE() << "the log was written through a link";
    } catch (const platform::com::Error& error) {
        EXPECT_EQ(error.number(), 75);
    }
    EXPECT_EQ(readFile(outside.string()), "keep");
}

}  // namespace
}  // namespace install_tests
