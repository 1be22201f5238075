// SPDX-License-Identifier: Apache-2.0
// Gorsld's Internet client over FTP with TLS and HTTPS against real servers on loopback with
// a certificate authority made for the test, and the resumption of archive downloads that
// break off, on every transport.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "platform/com/Events.h"
#include "tests/gorsl/GorslTesting.h"
#include "tests/support/FtpServer.h"
#include "tests/support/TestCertificates.h"

namespace gorsl_testing {
namespace {

using platform::com::False;
using platform::com::True;
using testing_support::FtpServer;
using testing_support::FtpServerOptions;
using testing_support::ServerProtocol;

constexpr std::int32_t kSecure = gorsl::kConnectSecure;

struct Transport {
    const char* name;
    ServerProtocol protocol;
    std::int32_t service;
    std::int32_t flags;
};
constexpr Transport kFtp{"ftp", ServerProtocol::Ftp, gorsl::kServiceFtp, 0};
constexpr Transport kFtps{"ftps", ServerProtocol::Ftps, gorsl::kServiceFtp, kSecure};
constexpr Transport kHttps{"https", ServerProtocol::Https, gorsl::kServiceHttp, kSecure};

std::string randomBytes(std::size_t size) {
    std::mt19937 generator(7);
    std::string bytes(size, '\0');
    for (auto& c : bytes) c = static_cast<char>(generator());
    return bytes;
}

class ServerTransports : public RegisteredPrefix {
protected:
    ServerTransports() {
        writeFile(root / "updates/index.txt", "adu1.0ov\r\nline\r\n");
        writeFile(root / "updates/archive.zip", archive);
        writeFile(root / "updates/too-big.idx", std::string((1 << 20) + 1, 'i'));
        fs::create_directories(native("C:\\certs"));
        ours = testing_support::makeTestAuthority(native("C:\\certs"), "ours");
        theirs = testing_support::makeTestAuthority(native("C:\\certs"), "theirs");
    }

    FtpServer& serve(const Transport& transport, int cutAfter = 0) {
        server.reset();
        server.emplace(FtpServerOptions{.root = root,
                                        .users = {{"anna", "geheim"}},
                                        .protocol = transport.protocol,
                                        .certificate = ours.serverFile,
                                        .cutAfter = cutAfter});
        return *server;
    }
    // A client that trusts `caFile` ("" for the system's store) and has tried to log on.
    Ptr<gorsl::IInternetClient> client(const Transport& transport, const std::string& caFile, bool& connected,
                                       const std::string& password = "geheim") {
        auto c = platform::com::createObject<gorsl::IInternetClient>(gorsl::kInternetClientProgId);
        EXPECT_EQ(c->Open("Quillon", 1, "", 0), True);
        c->TrustCertificateAuthorities(caFile);
        connected =
            c->Connect(transport.service, server->host(), server->port(), "anna", password, transport.flags, 0) == True;
        return c;
    }
    Ptr<gorsl::IInternetClient> connected(const Transport& transport) {
        bool ok = false;
        auto c = client(transport, ours.caFile.string(), ok);
        EXPECT_TRUE(ok) << transport.name << ": " << c->LastErrorText();
        return c;
    }

    const fs::path root = prefix / "server-root";
    const std::string archive = randomBytes(100000);
    testing_support::TestAuthority ours, theirs;
    std::optional<FtpServer> server;
};

TEST_F(ServerTransports, TlsTransportsFetchOnlyFromAServerTheyVerified) {
    const struct {
        Transport transport;
        std::string ourCa;  // a Windows-style path through the prefix, or a POSIX one
        const char* sawTls;
        const char* sawFile;
        const char* missing;
        const char* logonRefused;
    } cases[] = {
        {kFtps, "C:\\certs\\ours-ca.pem", "<- AUTH TLS", "<- RETR index.txt", "550", "530"},
        {kHttps, ours.caFile.string(), "<- GET /updates/index.txt", "<- GET /updates/index.txt", "404", "401"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.transport.name);
        serve(c.transport);
        bool ok = false;
        auto good = client(c.transport, c.ourCa, ok);
        ASSERT_TRUE(ok) << good->LastErrorText();
        ASSERT_EQ(good->ChangeDirectory("\\updates"), True) << good->LastErrorText();
        ASSERT_EQ(good->GetFile("\\updates/index.txt", "C:\\windows\\temp\\index.tmp", True, 0, 0, 0), True)
            << good->LastErrorText();
        EXPECT_EQ(readFile(native("C:\\windows\\temp\\index.tmp")), "adu1.0ov\r\nline\r\n");
        fs::remove(native("C:\\windows\\temp\\index.tmp"));
        EXPECT_EQ(good->GetFile("\\updates/missing.txt", "C:\\windows\\temp\\missing.tmp", True, 0, 0, 0), False);
        EXPECT_NE(good->LastErrorText().find(c.missing), std::string::npos) << good->LastErrorText();
        // The transfer bounds hold here too: a descriptor announced too big is refused.
        EXPECT_EQ(good->GetFile("\\updates/too-big.idx", "C:\\windows\\temp\\big.tmp", True, 0,
                                gorsl::kTransferDescriptor, 0),
                  False);
        EXPECT_NE(good->LastErrorText().find("ximum file size exceeded"), std::string::npos) << good->LastErrorText();
        good->Close();
        EXPECT_GE(server->count(c.sawTls), 1) << server->log();
        EXPECT_EQ(server->count(c.sawFile), 1) << server->log();

        const struct {
            const char* what;
            std::string caFile;
            const char* password;
            const char* says;
        } refusals[] = {
            {"wrong password", c.ourCa, "falsch", c.logonRefused},
            {"certificate from another CA", theirs.caFile.string(), "geheim", "certificate"},
            {"test CA not in the system's store", "", "geheim", "certificate"},
        };
        for (const auto& r : refusals) {
            auto refused = client(c.transport, r.caFile, ok, r.password);
            EXPECT_FALSE(ok) << r.what;
            EXPECT_NE(refused->LastErrorText().find(r.says), std::string::npos)
                << r.what << ": " << refused->LastErrorText();
        }
    }
}

TEST_F(ServerTransports, FtpsNeverFallsBackToPlainText) {
    serve(kFtp);
    bool ok = true;
    auto c = client(kFtps, ours.caFile.string(), ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(c->LastErrorText().empty());
    EXPECT_EQ(server->count("<- USER"), 0) << "the logon went out in plain text:\n" << server->log();
    EXPECT_EQ(server->count("<- PASS"), 0) << server->log();
    // HTTP without TLS is not offered at all.
    serve(kHttps);
    auto plain = client({"http", ServerProtocol::Https, gorsl::kServiceHttp, 0}, ours.caFile.string(), ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(server->count("<- "), 0) << server->log();
}

TEST_F(ServerTransports, AnArchiveThatBreaksOffIsResumedInAtMostFourTransfers) {
    struct Recorder final : platform::com::Object<gorsl::IInternetClientEvents> {
        void Progress(std::int64_t received, std::int64_t total) override { seen.emplace_back(received, total); }
        std::vector<std::pair<std::int64_t, std::int64_t>> seen;
    };
    const struct {
        Transport transport;
        const char* transfer;
        const char* resumedAt;  // what the second transfer asks for
    } transports[] = {
        {kFtp, "<- RETR", "<- REST 30000"},
        {kFtps, "<- RETR", "<- REST 30000"},
        {kHttps, "<- GET /updates/archive.zip", "Range: bytes=30000-"},
    };
    for (const auto& t : transports) {
        SCOPED_TRACE(t.transport.name);
        // 30000 bytes a transfer: the fourth brings the last 10000.
        serve(t.transport, 30000);
        auto c = connected(t.transport);
        auto recorder = platform::com::make<Recorder>();
        c.query<platform::com::IEventSource>()->advise(gorsl::IInternetClientEvents::iid, recorder.get());
        ASSERT_EQ(c->GetFile("/updates/archive.zip", "C:\\windows\\temp\\a.zip", True, 0, 0, 0), True)
            << c->LastErrorText() << server->log();
        EXPECT_TRUE(readFile(native("C:\\windows\\temp\\a.zip")) == archive) << "the pieces do not make the file";
        EXPECT_EQ(server->count(t.transfer), 4) << server->log();
        EXPECT_EQ(server->count(t.resumedAt), 1) << server->log();
        ASSERT_FALSE(recorder->seen.empty());
        EXPECT_EQ(recorder->seen.back(), std::make_pair(std::int64_t{100000}, std::int64_t{100000}));
        for (std::size_t i = 1; i < recorder->seen.size(); ++i)
            EXPECT_GE(recorder->seen[i].first, recorder->seen[i - 1].first) << "progress went back";

        // 20000 bytes a transfer: four transfers are not enough, and nothing is left behind.
        serve(t.transport, 20000);
        auto short4 = connected(t.transport);
        EXPECT_EQ(short4->GetFile("/updates/archive.zip", "C:\\windows\\temp\\b.zip", True, 0, 0, 0), False);
        EXPECT_EQ(server->count(t.transfer), 4) << server->log();
        EXPECT_FALSE(fs::exists(native("C:\\windows\\temp\\b.zip")));
        // A descriptor is not resumed: one transfer, and it failed.
        EXPECT_EQ(
            short4->GetFile("/updates/archive.zip", "C:\\windows\\temp\\c.idx", True, 0, gorsl::kTransferDescriptor, 0),
            False);
        EXPECT_EQ(server->count(t.transfer), 5) << server->log();
        fs::remove(native("C:\\windows\\temp\\a.zip"));
    }
}

}  // namespace
}  // namespace gorsl_testing
