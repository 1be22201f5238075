// SPDX-License-Identifier: Apache-2.0
// The built wizard against update servers over FTP with TLS and HTTPS on loopback, with a
// certificate authority made for the test: signed files accepted and foreign ones refused,
// the usual messages for servers it cannot trust or reach, and an archive download that
// breaks off resumed and installed, on every transport.
#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <random>

#include "tests/end-to-end/WizardProgram.h"
#include "tests/support/SigningTool.h"
#include "tests/support/TestCertificates.h"

namespace {

namespace fs = std::filesystem;
using namespace wizard_tests;
using testing_support::FtpServer;
using testing_support::FtpServerOptions;
using testing_support::ServerProtocol;

const std::string kServerKey = std::string(quillon::settings::kBaseKey) + "\\Servers\\S";
const std::string kFound = "Eine Aktualisierung f\xC3\xBCr \"Orvane Office\" ist verf\xC3\xBCgbar.";
const std::string kNoConnection = "Fehler\nUpdate fehlgeschlagen: Keine Verbindung zum Update-Server.\n";

std::string notSigned(const std::string& file) {
    return "Fehler\nUpdate fehlgeschlagen: Die Datei \"" + file + "\" ist nicht g\xC3\xBCltig signiert.\n";
}

struct Transport {
    const char* protocol;  // the Protocol value
    ServerProtocol server;
};
const Transport kTransports[] = {
    {"ftp", ServerProtocol::Ftp}, {"ftps", ServerProtocol::Ftps}, {"https", ServerProtocol::Https}};

class ServerTransports : public WizardProgram {
protected:
    ServerTransports() : keys(testing_support::makeTempDirectory("quillon-keys")) {
        maker = testing_support::makeSigningKey(keys, "maker");
        stranger = testing_support::makeSigningKey(keys, "stranger");
        ours = testing_support::makeTestAuthority(keys, "ours");
        theirs = testing_support::makeTestAuthority(keys, "theirs");
    }
    ~ServerTransports() override {
        std::error_code ec;
        fs::remove_all(keys, ec);
    }

    // The server "S" over `protocol` (server side `side`), trusting our CA, and Office on it.
    void serve(const char* protocol, ServerProtocol side, int cutAfter = 0) {
        server.reset();
        server = std::make_unique<FtpServer>(FtpServerOptions{.root = serverRoot,
                                                              .users = {{"anna", "geheim"}},
                                                              .protocol = side,
                                                              .certificate = ours.serverFile,
                                                              .cutAfter = cutAfter});
        registerServer({"S", "127.0.0.1", std::to_string(server->port()), "\\updates", "anna", "geheim"});
        set(kServerKey, "Protocol", protocol);
        set(kServerKey, "CAFile", ours.caFile.string());
        set(kServerKey, "PublicKey", maker.keyLine);
        registerProduct({"Office", "Orvane Office", "S", "index.idx", "1.4.3"});
    }
    void publish() {
        writeFile(serverRoot / "updates/index.idx", indexFor("=1.<5.>2", "office.sl"));
        writeFile(serverRoot / "updates/office.sl", descriptionFor(1, "office-1.5.zip", "Version 1.5"));
        sign("index.idx");
        sign("office.sl");
    }
    void sign(const std::string& file, const testing_support::SigningKey* key = nullptr) {
        testing_support::signFile(key ? *key : maker, serverRoot / "updates" / file,
                                  "timestamp:" + std::to_string(std::time(nullptr)));
    }

    fs::path keys;
    testing_support::SigningKey maker, stranger;
    testing_support::TestAuthority ours, theirs;
};

TEST_F(ServerTransports, SignedFilesOverTlsAreAcceptedAndForeignOnesRefused) {
    const struct {
        const char* what;
        std::function<void()> spoil;
        const char* file;  // refused; nullptr: accepted
    } cases[] = {
        {"signed", [] {}, nullptr},
        {"unsigned index", [this] { fs::remove(serverRoot / "updates/index.idx.minisig"); }, "index.idx"},
        {"description changed after signing",
         [this] { writeFile(serverRoot / "updates/office.sl", descriptionFor(1, "evil.zip", "Version 1.5")); },
         "office.sl"},
        {"description re-signed with another key", [this] { sign("office.sl", &stranger); }, "office.sl"},
    };
    for (const auto& t : {kTransports[1], kTransports[2]}) {
        serve(t.protocol, t.server);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(t.protocol) + ": " + c.what);
            publish();
            c.spoil();
            auto result = quillon({"s", "Office"});
            EXPECT_EQ(result.status, 0) << result.err;
            if (c.file) {
                EXPECT_NE(result.out.find(notSigned(c.file)), std::string::npos) << result.out;
                EXPECT_EQ(result.out.find(kFound), std::string::npos) << result.out;
            } else {
                EXPECT_NE(result.out.find(kFound), std::string::npos) << result.out << result.err;
            }
        }
    }
}

TEST_F(ServerTransports, ServersThatCannotBeTrustedOrReachedShowTheUsualMessages) {
    const struct {
        const char* what;
        const char* protocol;
        ServerProtocol side;
        std::function<void()> change;
        std::string says;
    } cases[] = {
        {"ftps against a server without TLS", "ftps", ServerProtocol::Ftp, [] {}, kNoConnection},
        {"ftps with a certificate from another CA", "ftps", ServerProtocol::Ftps,
         [this] { set(kServerKey, "CAFile", theirs.caFile.string()); }, kNoConnection},
        {"https with a certificate from another CA", "https", ServerProtocol::Https,
         [this] { set(kServerKey, "CAFile", theirs.caFile.string()); }, kNoConnection},
        {"https with the test CA left to the system's store", "https", ServerProtocol::Https,
         [this] { set(kServerKey, "CAFile", ""); }, kNoConnection},
        {"https refusing the password", "https", ServerProtocol::Https,
         [this] { set(kServerKey, "Password", "falsch"); }, kNoConnection},
        {"https without the file", "https", ServerProtocol::Https,
         [this] { fs::remove(serverRoot / "updates/index.idx"); },
         "Fehler\nUpdate fehlgeschlagen: Datei nicht erfolgreich heruntergeladen.\n"},
        {"an unknown protocol", "sftp", ServerProtocol::Ftp, [] {}, kNoConnection},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        publish();
        serve(c.protocol, c.side);
        c.change();
        auto result = quillon({"s", "Office"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find(c.says), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find(kFound), std::string::npos) << result.out;
        EXPECT_EQ(server->count("<- PASS"), 0) << "a logon went out in plain text:\n" << server->log();
    }
}

TEST_F(ServerTransports, AnArchiveDownloadThatBreaksOffIsResumedAndInstalls) {
    std::mt19937 generator(11);
    std::string payload(200000, '\0');
    for (auto& c : payload) c = static_cast<char>(generator());
    makeUpdateArchive(serverRoot / "updates/office-2.4.zip",
                      "COPY %installtemp%\\app.bin;C:\\Program Files\\Orvane\\Office\\app.bin\r\nSETVER 2;4;0\r\n",
                      {{"app.bin", payload}});
    sign("office-2.4.zip");
    const fs::path installed = prefix / "drive_c/Program Files/Orvane/Office/app.bin";
    // The server's log line of each transfer of the archive (not of its signature).
    const struct {
        const Transport& transport;
        const char* transfer;
    } cases[] = {{kTransports[0], "office-2.4.zip completed="},
                 {kTransports[1], "office-2.4.zip completed="},
                 {kTransports[2], "<- GET /updates/office-2.4.zip Range"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transport.protocol);
        serve(c.transport.protocol, c.transport.server, 120000);
        auto result = quillon({"u", "Office", "1", "office-2.4.zip"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find("Das Update wurde ausgef\xC3\xBChrt."), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("Update fehlgeschlagen"), std::string::npos) << result.out;
        EXPECT_EQ(server->count(c.transfer), 2) << server->log();
        EXPECT_TRUE(readFile(installed) == payload) << "the installed file is not the published one";
        EXPECT_EQ(get(std::string(quillon::settings::kBaseKey) + "\\Products\\Office", "VerMaj"), "2");
        fs::remove(installed);
        set(std::string(quillon::settings::kBaseKey) + "\\Products\\Office", "VerMaj", "1");
    }
}

}  // namespace
