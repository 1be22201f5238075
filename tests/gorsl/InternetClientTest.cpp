// SPDX-License-Identifier: Apache-2.0
// Gorsld's Internet client against a real FTP server on a loopback port, in the order the
// wizard calls it: open, connect, change directory, get file, last error text, close.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/com/Events.h"
#include "platform/support/TextCase.h"
#include "tests/gorsl/GorslTesting.h"
#include "tests/support/FtpServer.h"
#include "tests/support/ScopedEnvironment.h"

namespace gorsl_testing {
namespace {

using platform::com::False;
using platform::com::True;
using testing_support::Anonymous;
using testing_support::FtpMode;
using testing_support::FtpServer;
using testing_support::FtpServerOptions;

// A port on which nobody listens: bound, read, and let go again.
int unusedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

class InternetClient : public RegisteredPrefix {
protected:
    void SetUp() override {
        writeFile(root / "index.txt", "adu1.0ov\r\nline\r\n");
        writeFile(root / "updates" / "prod" / "Prod 2.zip", std::string(100000, 'z'));
        writeFile(root / "big.bin", std::string(1 << 20, 'b'));
        writeFile(root / "too-big.idx", std::string((1 << 20) + 1, 'i'));
        writeFile(root / "empty.txt", "");
    }
    FtpServer& server(FtpMode mode = FtpMode::Normal, Anonymous anonymous = Anonymous::Off) {
        server_.emplace(FtpServerOptions{root, {{"anna", "geheim"}}, anonymous, mode, 0});
        return *server_;
    }
    // A client that is open and logged on as anna.
    Ptr<gorsl::IInternetClient> connected() {
        auto c = makeClient();
        EXPECT_EQ(c->Open("Quillon", 1, "", 0), True);
        EXPECT_EQ(c->Connect(1, server_->host(), server_->port(), "anna", "geheim", 0, 0), True) << c->LastErrorText();
        return c;
    }
    static Ptr<gorsl::IInternetClient> makeClient() {
        return platform::com::createObject<gorsl::IInternetClient>(gorsl::kInternetClientProgId);
    }
    // The local folder of the downloads, and whether anything but `name` is in it.
    fs::path local(const std::string& name) { return native("C:\\windows\\temp\\" + name); }
    bool onlyIn(const std::string& name) {
        for (const auto& entry : fs::directory_iterator(native("C:\\windows\\temp")))
            if (entry.path().filename() != name) return false;
        return true;
    }

    const fs::path root = prefix / "ftp-root";
    std::optional<FtpServer> server_;
};

TEST_F(InternetClient, FetchesAFileOverOneLogon) {
    server();
    auto client = connected();
    ASSERT_EQ(client->ChangeDirectory("\\"), True) << client->LastErrorText();
    // As the wizard forms it: the directory, a slash and the file name.
    ASSERT_EQ(client->GetFile("\\/index.txt", "C:\\windows\\temp\\Quillon-1.tmp", True, 0, 0, 0), True)
        << client->LastErrorText();
    EXPECT_EQ(readFile(local("Quillon-1.tmp")), "adu1.0ov\r\nline\r\n");  // binary: line ends kept
    ASSERT_EQ(client->GetFile("\\updates\\prod/Prod 2.zip", "C:\\windows\\temp\\archive.tmp", True, 0, 0, 0), True)
        << client->LastErrorText();
    EXPECT_EQ(fs::file_size(local("archive.tmp")), 100000u);
    ASSERT_EQ(client->GetFile("/empty.txt", "C:\\windows\\temp\\empty.txt", True, 0, 0, 0), True)
        << client->LastErrorText();
    EXPECT_EQ(fs::file_size(local("empty.txt")), 0u);
    client->Close();
    EXPECT_EQ(server_->count("<- USER anna"), 1) << server_->log();
    EXPECT_EQ(server_->count("<- QUIT"), 1) << server_->log();
    EXPECT_EQ(server_->count("<- RETR index.txt"), 1) << server_->log();
}

TEST_F(InternetClient, RaisesProgressUpToTheWholeFileAndAFailingSinkEndsTheTransfer) {
    struct Recorder final : platform::com::Object<gorsl::IInternetClientEvents> {
        void Progress(std::int64_t received, std::int64_t total) override {
            if (failAt && received >= failAt) throw platform::com::Error(18, "Test", "Benutzerunterbrechung");
            seen.emplace_back(received, total);
        }
        std::vector<std::pair<std::int64_t, std::int64_t>> seen;
        std::int64_t failAt = 0;
    };
    server();
    auto client = connected();
    auto recorder = platform::com::make<Recorder>();
    auto source = client.query<platform::com::IEventSource>();
    ASSERT_TRUE(source);
    ASSERT_NE(source->advise(gorsl::IInternetClientEvents::iid, recorder.get()), 0u);
    ASSERT_EQ(client->GetFile("/big.bin", "C:\\windows\\temp\\big.tmp", True, 0, 0, 0), True)
        << client->LastErrorText();
    ASSERT_FALSE(recorder->seen.empty());
    EXPECT_EQ(recorder->seen.back(), std::make_pair(std::int64_t{1} << 20, std::int64_t{1} << 20));
    for (std::size_t i = 1; i < recorder->seen.size(); ++i) {
        EXPECT_GE(recorder->seen[i].first, recorder->seen[i - 1].first);
        EXPECT_NE(recorder->seen[i], recorder->seen[i - 1]);  // raised on news only
    }

    recorder->failAt = 1;
    try {
        client->GetFile("/big.bin", "C:\\windows\\temp\\again.tmp", True, 0, 0, 0);
        ADD_FAILURE() << "the sink's error did not reach the caller";
    } catch (const platform::com::Error& e) {
        EXPECT_EQ(e.number(), 18);
    }
    EXPECT_TRUE(onlyIn("big.tmp"));  // no partial file of the broken transfer
    // The client goes on working after it.
    recorder->failAt = 0;
    EXPECT_EQ(client->GetFile("/index.txt", "C:\\windows\\temp\\index.tmp", True, 0, 0, 0), True)
        << client->LastErrorText();
}

TEST_F(InternetClient, RefusesABadPassword) {
    server();
    auto client = makeClient();
    ASSERT_EQ(client->Open("Quillon", 1, "", 0), True);
    EXPECT_EQ(client->Connect(1, server_->host(), server_->port(), "anna", "falsch", 0, 0), False);
    EXPECT_NE(client->LastErrorText().find("530"), std::string::npos) << client->LastErrorText();
    EXPECT_EQ(client->ChangeDirectory("\\"), False);  // nothing to work on without a logon
}

TEST_F(InternetClient, LogsOnAnonymouslyOnlyWhereTheServerAllowsIt) {
    server(FtpMode::Normal, Anonymous::On);
    auto client = makeClient();
    ASSERT_EQ(client->Open("Quillon", 1, "", 0), True);
    EXPECT_EQ(client->Connect(1, server_->host(), server_->port(), "", "", 0, 0), True) << client->LastErrorText();
    EXPECT_EQ(client->GetFile("index.txt", "C:\\windows\\temp\\anon.txt", True, 0, 0, 0), True);

    server(FtpMode::Normal, Anonymous::Off);
    auto refused = makeClient();
    ASSERT_EQ(refused->Open("Quillon", 1, "", 0), True);
    EXPECT_EQ(refused->Connect(1, server_->host(), server_->port(), "", "", 0, 0), False);
}

TEST_F(InternetClient, ChangesOnlyIntoDirectoriesThatExist) {
    server();
    auto client = connected();
    EXPECT_EQ(client->ChangeDirectory("\\updates\\prod"), True) << client->LastErrorText();
    EXPECT_EQ(client->ChangeDirectory("/nope"), False);
    EXPECT_FALSE(client->LastErrorText().empty());
    // The failed change left the directory as it was: a relative name still finds the file.
    EXPECT_EQ(client->GetFile("Prod 2.zip", "C:\\windows\\temp\\a.zip", True, 0, 0, 0), True)
        << client->LastErrorText();
    EXPECT_EQ(client->ChangeDirectory("index.txt"), False);  // a file is no directory
    EXPECT_EQ(client->ChangeDirectory("/"), True);
    EXPECT_EQ(client->ChangeDirectory("updates"), True);
    EXPECT_EQ(client->ChangeDirectory("prod"), True);
    EXPECT_EQ(client->GetFile("Prod 2.zip", "C:\\windows\\temp\\b.zip", True, 0, 0, 0), True)
        << client->LastErrorText();
}

TEST_F(InternetClient, LeavesNothingBehindForAMissingFile) {
    server();
    auto client = connected();
    EXPECT_EQ(client->GetFile("/missing.txt", "C:\\windows\\temp\\missing.txt", True, 0, 0, 0), False);
    EXPECT_NE(client->LastErrorText().find("550"), std::string::npos) << client->LastErrorText();
    EXPECT_TRUE(onlyIn("")) << "no partial or temporary file";
    // The session goes on after the failure.
    EXPECT_EQ(client->GetFile("/index.txt", "C:\\windows\\temp\\index.txt", True, 0, 0, 0), True);
}

TEST_F(InternetClient, KeepsAFileAlreadyAtTheLocalPath) {
    server();
    auto client = connected();
    writeFile(local("index.txt"), "stale");
    EXPECT_EQ(client->GetFile("/index.txt", "C:\\windows\\temp\\index.txt", True, 0, 0, 0), False);
    EXPECT_EQ(client->LastErrorText(), "The file exists: C:\\windows\\temp\\index.txt");
    EXPECT_EQ(readFile(local("index.txt")), "stale");
    EXPECT_EQ(client->GetFile("/index.txt", "C:\\windows\\temp\\index.txt", False, 0, 0, 0), True);
    EXPECT_EQ(readFile(local("index.txt")), "adu1.0ov\r\nline\r\n");
}

TEST_F(InternetClient, GivesUpOnAServerThatSaysNothing) {
    server(FtpMode::Silent);
    testing_support::ScopedEnvironment connectTimeout("QUILLON_FTP_CONNECT_TIMEOUT", "2");
    auto client = makeClient();
    ASSERT_EQ(client->Open("Quillon", 1, "", 0), True);
    EXPECT_EQ(client->Connect(1, server_->host(), server_->port(), "anna", "geheim", 0, 0), False);
    // The limit ended it ("... timed out after 2001 milliseconds", "FTP response timeout").
    const std::string text = platform::asciiLower(client->LastErrorText());
    EXPECT_TRUE(text.find("timed out") != std::string::npos || text.find("timeout") != std::string::npos) << text;
}

TEST_F(InternetClient, GivesUpOnAStalledTransferAndLeavesNoPartialFile) {
    server(FtpMode::Stall);
    testing_support::ScopedEnvironment lowSpeedTime("QUILLON_TRANSFER_LOW_SPEED_TIME", "2");
    auto client = connected();
    EXPECT_EQ(client->GetFile("/big.bin", "C:\\windows\\temp\\big.bin", True, 0, 0, 0), False);
    EXPECT_NE(client->LastErrorText().find("too slow"), std::string::npos) << client->LastErrorText();
    EXPECT_TRUE(onlyIn("")) << "no partial or temporary file";
}

// A hostile or broken server meets the transfer bounds: each case fails the get, says why and
// leaves no file. The time bounds are shortened through the environment.
TEST_F(InternetClient, BoundsEveryTransferInSizeTimeAndSpace) {
    constexpr std::int32_t kDescriptor = gorsl::kTransferDescriptor, kArchive = 0;
    struct Case {
        const char* name;
        const char* remote;
        std::int32_t flags;
        int rate;  // bytes per second the server sends; 0: as fast as it can
        std::pair<const char*, const char*> bound;
        const char* says;
    } cases[] = {
        {"endless descriptor", "/endless.idx", kDescriptor, 0, {}, "larger than 1048576 bytes"},
        {"descriptor announced too big", "/too-big.idx", kDescriptor, 0, {}, "ximum file size exceeded"},
        {"endless archive, disk nearly full",
         "/endless.idx",
         kArchive,
         0,
         {"QUILLON_TRANSFER_MIN_FREE_SPACE", "18446744073709551615"},
         "bytes would be left free"},
        {"two bytes a second", "/big.bin", kArchive, 2, {"QUILLON_TRANSFER_LOW_SPEED_TIME", "2"}, "too slow"},
        {"descriptor past its deadline",
         "/endless.idx",
         kDescriptor,
         8192,
         {"QUILLON_TRANSFER_DESCRIPTOR_DEADLINE", "3"},
         "did not arrive within 3 seconds"},
    };
    for (const auto& c : cases) {
        std::optional<testing_support::ScopedEnvironment> bound;
        if (c.bound.first) bound.emplace(c.bound.first, c.bound.second);
        server_.emplace(
            FtpServerOptions{root, {{"anna", "geheim"}}, Anonymous::Off, FtpMode::Normal, 0, "endless.idx", c.rate});
        auto client = connected();
        EXPECT_EQ(client->GetFile(c.remote, "C:\\windows\\temp\\got.tmp", True, 0, c.flags, 0), False) << c.name;
        EXPECT_NE(client->LastErrorText().find(c.says), std::string::npos) << c.name << ": " << client->LastErrorText();
        EXPECT_TRUE(onlyIn("")) << c.name << ": no partial or temporary file";
    }
    // Within the bounds a descriptor of exactly 1 MiB arrives.
    server_.emplace(FtpServerOptions{root, {{"anna", "geheim"}}});
    EXPECT_EQ(connected()->GetFile("/big.bin", "C:\\windows\\temp\\big.bin", True, 0, kDescriptor, 0), True);
}

TEST_F(InternetClient, ConnectsToTheGivenPortOnly) {
    server();
    auto client = makeClient();
    ASSERT_EQ(client->Open("Quillon", 1, "", 0), True);
    EXPECT_EQ(client->Connect(1, server_->host(), unusedPort(), "anna", "geheim", 0, 0), False);
    EXPECT_FALSE(client->LastErrorText().empty());
    EXPECT_EQ(client->Connect(1, server_->host(), server_->port(), "anna", "geheim", 0, 0), True)
        << client->LastErrorText();
    EXPECT_EQ(client->Connect(1, "", 21, "anna", "geheim", 0, 0), False);  // a product without a server entry
    EXPECT_EQ(client->Connect(1, server_->host() + "/x", server_->port(), "anna", "geheim", 0, 0), False);
    EXPECT_EQ(client->Connect(3, server_->host(), server_->port(), "anna", "geheim", 0, 0), False);  // not FTP
}

TEST_F(InternetClient, WorksOnlyWhenOpened) {
    server();
    auto client = makeClient();
    EXPECT_EQ(client->LastErrorText(), "");
    EXPECT_EQ(client->Connect(1, server_->host(), server_->port(), "anna", "geheim", 0, 0), False);
    EXPECT_FALSE(client->LastErrorText().empty());
    EXPECT_NO_THROW(client->Close());  // nothing to close
    EXPECT_EQ(client->Open("Quillon", 1, "", 0), True);
}

}  // namespace
}  // namespace gorsl_testing
