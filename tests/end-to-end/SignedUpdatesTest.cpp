// SPDX-License-Identifier: Apache-2.0
// Search-only runs of the built wizard against servers with a public key: files signed by
// the real signing tool are accepted and their timestamps kept; unsigned, wrongly signed,
// changed, older and too old files are refused with the message, on the FTP server and on
// the local server.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <functional>

#include "tests/end-to-end/WizardProgram.h"
#include "tests/support/SigningTool.h"

namespace {

namespace fs = std::filesystem;
using namespace wizard_tests;
using testing_support::SigningKey;

const std::string kServerKey = std::string(quillon::settings::kBaseKey) + "\\Servers\\S";
const std::string kTrustKey = std::string(quillon::settings::kBaseKey) + "\\Trust\\S";
const std::string kFound = "Eine Aktualisierung f\xC3\xBCr \"Orvane Office\" ist verf\xC3\xBCgbar.";

std::string notSigned(const std::string& file) {
    return "Fehler\nUpdate fehlgeschlagen: Die Datei \"" + file + "\" ist nicht g\xC3\xBCltig signiert.\n";
}
std::string older(const std::string& file) {
    return "Fehler\nUpdate fehlgeschlagen: Die Datei \"" + file +
           "\" ist \xC3\xA4lter als die zuletzt gepr\xC3\xBC"
           "fte Fassung.\n";
}

class SignedUpdates : public WizardProgram {
protected:
    SignedUpdates() : keys(testing_support::makeTempDirectory("quillon-keys")) {
        maker = testing_support::makeSigningKey(keys, "maker");
        stranger = testing_support::makeSigningKey(keys, "stranger");
    }
    ~SignedUpdates() override {
        std::error_code ec;
        fs::remove_all(keys, ec);
    }
    static std::string stamp(std::int64_t seconds) { return "timestamp:" + std::to_string(seconds); }

    // index.idx and office.sl on the FTP server "S", both signed by `key` at `seconds`.
    void publish(std::int64_t seconds, const SigningKey& key) {
        writeFile(serverRoot / "updates/index.idx", indexFor("=1.<5.>2", "office.sl"));
        writeFile(serverRoot / "updates/office.sl", descriptionFor(1, "office-1.5.zip", "Version 1.5"));
        testing_support::signFile(key, serverRoot / "updates/index.idx", stamp(seconds));
        testing_support::signFile(key, serverRoot / "updates/office.sl", stamp(seconds));
    }
    void keyedProduct() {
        ftpProduct("Office", "Orvane Office", "1.4.3");
        set(kServerKey, "PublicKey", maker.keyLine);
    }

    fs::path keys;
    SigningKey maker;
    SigningKey stranger;
    const std::int64_t now = std::time(nullptr);
};

TEST_F(SignedUpdates, SignedFilesAreAcceptedAndTheirTimestampsKept) {
    publish(now - 60, maker);
    keyedProduct();
    auto result = quillon({"s", "Office"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find(kFound), std::string::npos) << result.out;
    EXPECT_EQ(get(kTrustKey, "index.idx"), std::to_string(now - 60));
    EXPECT_EQ(get(kTrustKey, "office.sl"), std::to_string(now - 60));
    EXPECT_EQ(get("LastResult"), "1");
}

TEST_F(SignedUpdates, BadlySignedFilesAreRefused) {
    const struct {
        const char* what;
        std::function<void()> spoil;
        const char* file;
    } cases[] = {
        {"unsigned index", [this] { fs::remove(serverRoot / "updates/index.idx.minisig"); }, "index.idx"},
        {"description signed by another key",
         [this] { testing_support::signFile(stranger, serverRoot / "updates/office.sl", stamp(now)); }, "office.sl"},
        {"description changed after signing",
         [this] { writeFile(serverRoot / "updates/office.sl", descriptionFor(1, "evil.zip", "Version 1.5")); },
         "office.sl"},
        {"garbage signature", [this] { writeFile(serverRoot / "updates/index.idx.minisig", "x"); }, "index.idx"},
        {"no timestamp in the trusted comment",
         [this] { testing_support::signFile(maker, serverRoot / "updates/index.idx", "file:index.idx"); }, "index.idx"},
    };
    keyedProduct();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        publish(now, maker);
        c.spoil();
        auto result = quillon({"s", "Office"});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_NE(result.out.find(notSigned(c.file)), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find(kFound), std::string::npos) << result.out;
        EXPECT_NE(result.err.find(c.file), std::string::npos) << result.err;  // the reason
        EXPECT_EQ(get("LastResult"), "0");
    }
}

TEST_F(SignedUpdates, AnOlderIndexIsRefusedAndAnEqualOneAccepted) {
    keyedProduct();
    publish(2000000000, maker);
    ASSERT_NE(quillon({"s", "Office"}).out.find(kFound), std::string::npos);

    publish(1999999999, maker);
    auto rolledBack = quillon({"s", "Office"});
    EXPECT_NE(rolledBack.out.find(older("index.idx")), std::string::npos) << rolledBack.out;
    EXPECT_EQ(rolledBack.out.find(kFound), std::string::npos);
    EXPECT_EQ(get(kTrustKey, "index.idx"), "2000000000");

    publish(2000000000, maker);
    auto same = quillon({"s", "Office"});
    EXPECT_NE(same.out.find(kFound), std::string::npos) << same.out;
}

TEST_F(SignedUpdates, MaxAgeDaysRefusesAnIndexSignedTooLongAgo) {
    keyedProduct();
    publish(now - 10 * 86400, maker);
    set(kServerKey, "MaxAgeDays", "5");
    auto stale = quillon({"s", "Office"});
    EXPECT_NE(stale.out.find(notSigned("index.idx")), std::string::npos) << stale.out;
    EXPECT_NE(stale.err.find("days"), std::string::npos) << stale.err;

    set(kServerKey, "MaxAgeDays", "30");
    auto fresh = quillon({"s", "Office"});
    EXPECT_NE(fresh.out.find(kFound), std::string::npos) << fresh.out;
}

TEST_F(SignedUpdates, TheLocalServerChecksItsOwnKeyAndKeepsItsOwnRecords) {
    const fs::path share = prefix / "unc/fileserver/updates";
    writeFile(share / "index.idx", indexFor("=3.=0.=0", "draw.sl"));
    writeFile(share / "draw.sl", descriptionFor(2, "http://example.org/v31", "Neue Version 3.1"));
    testing_support::signFile(maker, share / "index.idx", stamp(now));
    registerProduct({"Draw", "Orvane Draw", "", "index.idx", "3.0.0"});
    useLocalServer("fileserver", "updates");
    set(std::string(quillon::settings::kBaseKey) + "\\LocalServer", "PublicKey", maker.keyLine);

    auto unsignedDescription = quillon({"s", "Draw"});
    EXPECT_NE(unsignedDescription.out.find(notSigned("draw.sl")), std::string::npos) << unsignedDescription.out;
    EXPECT_EQ(get("LastResult"), "0");

    // A FIFO in the signature's place would block a reader that opens it: refused instead.
    ASSERT_EQ(::mkfifo((share / "draw.sl.minisig").c_str(), 0600), 0);
    auto fifo = quillon({"s", "Draw"});
    EXPECT_NE(fifo.out.find(notSigned("draw.sl")), std::string::npos) << fifo.out;
    fs::remove(share / "draw.sl.minisig");

    testing_support::signFile(maker, share / "draw.sl", stamp(now));
    auto signedRun = quillon({"s", "Draw"});
    EXPECT_NE(signedRun.out.find("Neue Version 3.1"), std::string::npos) << signedRun.out;
    const std::string trust = std::string(quillon::settings::kBaseKey) + "\\Trust\\LocalServer";
    EXPECT_EQ(get(trust, "index.idx"), std::to_string(now));
    EXPECT_EQ(get(trust, "draw.sl"), std::to_string(now));
}

}  // namespace
