// SPDX-License-Identifier: Apache-2.0
// The verifier against keys and signatures made by the real signing tool: both signature
// forms accepted, and a wrong key, a changed file or a changed trusted comment refused; the
// parsers on damaged key lines, signature files and trusted comments.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/trust/Minisign.h"
#include "platform/trust/SignatureCheck.h"
#include "tests/support/SigningTool.h"
#include "tests/support/TestPrefix.h"

namespace {

namespace fs = std::filesystem;
namespace trust = platform::trust;
using testing_support::SignatureForm;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeAll(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class SignatureTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing_support::makeTempDirectory("trust");
        maker_ = testing_support::makeSigningKey(folder_, "maker");
        other_ = testing_support::makeSigningKey(folder_, "other");
        file_ = folder_ / "update.ini";
        writeAll(file_, "[Update]\nVersion=2.1.0\n");
    }
    void TearDown() override { fs::remove_all(folder_); }

    static trust::PublicKey keyOf(const testing_support::SigningKey& key) {
        return trust::parsePublicKey(key.keyLine).value();
    }
    trust::Signature signatureOf(const fs::path& file) const {
        return trust::parseSignature(readAll(file.string() + ".minisig")).value();
    }

    fs::path folder_;
    testing_support::SigningKey maker_;
    testing_support::SigningKey other_;
    fs::path file_;
};

TEST_F(SignatureTest, BothSignatureFormsVerifyAndYieldTheirTrustedComment) {
    for (SignatureForm form : {SignatureForm::Prehashed, SignatureForm::Legacy}) {
        SCOPED_TRACE(form == SignatureForm::Prehashed ? "prehashed" : "legacy");
        testing_support::signFile(maker_, file_, "timestamp:1700000000\tfile:update.ini", form);
        const trust::Signature signature = signatureOf(file_);
        EXPECT_EQ(signature.prehashed, form == SignatureForm::Prehashed);

        auto fromFile = trust::verifyFile(keyOf(maker_), signature, file_);
        ASSERT_TRUE(fromFile) << fromFile.error();
        EXPECT_EQ(*fromFile, "timestamp:1700000000\tfile:update.ini");
        auto fromContent = trust::verifyContent(keyOf(maker_), signature, readAll(file_));
        ASSERT_TRUE(fromContent) << fromContent.error();
        EXPECT_EQ(trust::timestampOf(*fromContent).value(), 1700000000);
    }
}

TEST_F(SignatureTest, AFileLargerThanOneReadBufferVerifies) {
    writeAll(file_, std::string(200 * 1024, 'x') + "end");
    testing_support::signFile(maker_, file_, "timestamp:1");
    EXPECT_TRUE(trust::verifyFile(keyOf(maker_), signatureOf(file_), file_));
}

TEST_F(SignatureTest, AnotherKeyIsRefusedEvenWhenItsIdIsForged) {
    testing_support::signFile(maker_, file_, "timestamp:1700000000");
    const auto wrong = trust::verifyFile(keyOf(other_), signatureOf(file_), file_);
    ASSERT_FALSE(wrong);
    EXPECT_EQ(wrong.error(), "the file was signed with another key");

    // A key that claims the maker's id still has to hold the signature.
    trust::PublicKey forged = keyOf(other_);
    forged.keyId = keyOf(maker_).keyId;
    EXPECT_FALSE(trust::verifyFile(forged, signatureOf(file_), file_));
}

TEST_F(SignatureTest, AChangedFileIsRefusedInBothForms) {
    for (SignatureForm form : {SignatureForm::Prehashed, SignatureForm::Legacy}) {
        testing_support::signFile(maker_, file_, "timestamp:1700000000", form);
        writeAll(file_, "[Update]\nVersion=2.1.1\n");
        const auto result = trust::verifyFile(keyOf(maker_), signatureOf(file_), file_);
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error(), "the signature does not match the file");
        writeAll(file_, "[Update]\nVersion=2.1.0\n");
    }
}

TEST_F(SignatureTest, AChangedTrustedCommentIsRefused) {
    testing_support::signFile(maker_, file_, "timestamp:1700000000\tfile:update.ini");
    std::string text = readAll(file_.string() + ".minisig");
    const auto at = text.find("1700000000");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 10, "1900000000");
    const auto result = trust::verifyFile(keyOf(maker_), trust::parseSignature(text).value(), file_);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), "the trusted comment does not match its signature");
}

TEST_F(SignatureTest, ACommentMovedFromAnotherSignatureIsRefused) {
    // Both signatures are genuine; an old file's signature paired with a newer file's comment
    // and global signature must not make the old file look new.
    writeAll(file_, "[Update]\nVersion=1.0.0\n");
    testing_support::signFile(maker_, file_, "timestamp:1000");
    const trust::Signature old = signatureOf(file_);
    const std::string oldContent = readAll(file_);
    writeAll(file_, "[Update]\nVersion=2.0.0\n");
    testing_support::signFile(maker_, file_, "timestamp:2000");
    trust::Signature spliced = signatureOf(file_);
    spliced.fileSignature = old.fileSignature;
    EXPECT_TRUE(trust::verifyContent(keyOf(maker_), old, oldContent));
    EXPECT_FALSE(trust::verifyContent(keyOf(maker_), spliced, oldContent));
}

TEST(SignatureFormat, CrlfLineEndsAndAMissingFinalLineEndAreAccepted) {
    const std::string sig =
        "untrusted comment: x\r\n"
        "RUSSM8czvl1Uvh/ohLxqXxc9ulhzmfgK+hctZsbLDOEQUCwHvJlziKrRcxWR3gHg0IoOSjxyYev/WdRjLWN0FbRDGx39iaTVqAg=\r\n"
        "trusted comment: timestamp:5\r\n"
        "LkItEEWQFUjn1q4qg0onoQIlh6ipU9PnvnQ/z2RnqTIpJTTHJbZptRu4PcWwFWnSLkM6aLxRsu5YJq2d2uHtBw==";
    auto parsed = trust::parseSignature(sig);
    ASSERT_TRUE(parsed) << parsed.error();
    EXPECT_TRUE(parsed->prehashed);
    EXPECT_EQ(parsed->trustedComment, "timestamp:5");
}

TEST(SignatureFormat, MalformedSignatureFilesAreRefused) {
    const std::string untrusted = "untrusted comment: x\n";
    const std::string line =
        "RUSSM8czvl1Uvh/ohLxqXxc9ulhzmfgK+hctZsbLDOEQUCwHvJlziKrRcxWR3gHg0IoOSjxyYev/WdRjLWN0FbRDGx39iaTVqAg=";
    const std::string trusted = "trusted comment: timestamp:5\n";
    const std::string global =
        "LkItEEWQFUjn1q4qg0onoQIlh6ipU9PnvnQ/z2RnqTIpJTTHJbZptRu4PcWwFWnSLkM6aLxRsu5YJq2d2uHtBw==";
    auto withLine = [&](std::string l) { return untrusted + l + "\n" + trusted + global + "\n"; };
    std::string unknownAlgorithm = line;
    unknownAlgorithm.replace(0, 2, "Rk");  // "Fd"
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"three lines", untrusted + line + "\n" + trusted},
        {"a fifth line", withLine(line) + "more\n"},
        {"no untrusted comment", "comment: x\n" + line + "\n" + trusted + global},
        {"no trusted comment", untrusted + line + "\ncomment: timestamp:5\n" + global},
        {"signature line cut short", withLine(line.substr(0, 96))},
        {"signature line too long", withLine(line + "AAAA")},
        {"character outside base64", withLine("*" + line.substr(1))},
        {"unknown algorithm", withLine(unknownAlgorithm)},
        {"global signature cut short", untrusted + line + "\n" + trusted + global.substr(0, 84)},
        {"global signature with trailing bits set", untrusted + line + "\n" + trusted + global.substr(0, 85) + "x==\n"},
        {"NUL byte in trusted comment",
         untrusted + line + "\ntrusted comment: a" + std::string(1, '\0') + "b\n" + global},
        {"oversized", withLine(line) + std::string(trust::kMaxSignatureFileBytes, '\n')},
    };
    for (const auto& c : cases) EXPECT_FALSE(trust::parseSignature(c.text)) << c.what;
    EXPECT_TRUE(trust::parseSignature(withLine(line))) << "the unchanged file must parse";
}

TEST(SignatureFormat, MalformedKeyLinesAreRefused) {
    const std::string good = "RWSSM8czvl1UvoY029x5AkRRAuHDj+Kcy86n4uWHuh/7LDoEMlRALHqx";
    EXPECT_TRUE(trust::parsePublicKey("  " + good + "\n"));
    const std::string cases[] = {
        "",
        good.substr(0, 52),
        good + "AAAA",
        "untrusted comment: minisign public key BE545DBE33C73392\n" + good,
        "RU" + good.substr(2),  // an "ED" key
        good.substr(0, 55) + "!",
    };
    for (const auto& c : cases) EXPECT_FALSE(trust::parsePublicKey(c)) << c;
}

TEST(SignatureFormat, TimestampOfTrustedComments) {
    const struct {
        const char* comment;
        std::optional<std::int64_t> seconds;
        bool valid;
    } cases[] = {
        {"timestamp:1700000000\tfile:a.ini\thashed", 1700000000, true},
        {"file:a.ini timestamp:42", 42, true},
        {"timestamp:0", 0, true},
        {"no time here", std::nullopt, true},
        {"", std::nullopt, true},
        {"mytimestamp:5", std::nullopt, true},
        {"timestamp:", std::nullopt, false},
        {"timestamp:-5", std::nullopt, false},
        {"timestamp:+5", std::nullopt, false},
        {"timestamp:12abc", std::nullopt, false},
        {"timestamp:99999999999999999999", std::nullopt, false},
        {"timestamp:1 timestamp:2", std::nullopt, false},
    };
    for (const auto& c : cases) {
        auto result = trust::timestampOf(c.comment);
        ASSERT_EQ(bool(result), c.valid) << c.comment;
        if (c.valid) {
            EXPECT_EQ(*result, c.seconds) << c.comment;
        }
    }
}

}  // namespace
