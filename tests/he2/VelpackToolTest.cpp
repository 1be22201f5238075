// SPDX-License-Identifier: Apache-2.0
// The velpack program's he2 subcommand, run as a child process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace {

using namespace std::string_literals;
using testing_support::program;
using testing_support::ProgramResult;
using testing_support::runProgram;

ProgramResult velpack(const std::vector<std::string>& args, const std::string& input = {}) {
    testing_support::RunOptions options;
    options.input = input;
    options.timeoutSeconds = 60;
    return runProgram(program("velpack"), args, options);
}

const std::string kAbForced = "\x48\x45\x32\x0D\x36\x0D\x61\x01\x00\x62\x01\x01\x03\x32\x0D\x02"s;

TEST(VelpackTool, EncodesAndDecodesStandardInput) {
    ProgramResult forced = velpack({"he2", "encode", "--force"}, "ab");
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(forced.out, kAbForced);

    ProgramResult stored = velpack({"he2", "encode"}, "ab");
    EXPECT_EQ(stored.out, "HE0\rab");

    ProgramResult plain = velpack({"he2", "decode"}, kAbForced);
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, "ab");
    EXPECT_EQ(plain.err, "");
}

TEST(VelpackTool, RoundTripsBinaryFiles) {
    std::filesystem::path dir = testing_support::makeTempDirectory("velpack-he2");
    std::string bytes;
    for (int round = 0; round < 40; ++round)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(round % 3 ? b : 'e');
    std::ofstream(dir / "in.bin", std::ios::binary) << bytes;

    ProgramResult encoded = velpack({"he2", "encode", (dir / "in.bin").string()});
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    EXPECT_EQ(encoded.out.substr(0, 4), "HE2\r");
    std::ofstream(dir / "in.he2", std::ios::binary) << encoded.out;
    ProgramResult decoded = velpack({"he2", "decode", "--", (dir / "in.he2").string()});
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, bytes);
    std::filesystem::remove_all(dir);
}

TEST(VelpackTool, DecodeErrorsNameNumberSourceAndDescription) {
    struct Case {
        std::string input;
        std::string message;
    } cases[] = {
        {"HE2\rx\r", "velpack he2 decode: error -2147221504 (0x80040000) in HuffmanDecode(): The header is corrupt\n"},
        {kAbForced + "\x01",
         "velpack he2 decode: error -2147221504 (0x80040000) in HuffmanDecode(): "
         "Found extra bytes at end of data stream\n"},
        {"HE2\r3\ra\x01"s, "velpack he2 decode: error 5 in Velpack: Invalid procedure call or argument\n"},
    };
    for (const Case& c : cases) {
        ProgramResult r = velpack({"he2", "decode"}, c.input);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "") << "no partial output";
        EXPECT_EQ(r.err, c.message);
    }
}

TEST(VelpackTool, RejectsBadCommandLines) {
    const std::vector<std::string> usageErrors[] = {
        {},
        {"he3"},
        {"he2"},
        {"he2", "compress"},
        {"he2", "decode", "--force"},
        {"he2", "encode", "--fast"},
        {"he2", "encode", "a", "b"},
    };
    for (const auto& args : usageErrors) {
        ProgramResult r = velpack(args);
        EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("usage: velpack he2 encode [--force] [FILE]"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    ProgramResult help = velpack({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("\n       velpack he2 decode [FILE]"), std::string::npos) << help.out;

    ProgramResult missing = velpack({"he2", "decode", "/nonexistent/file.he2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "velpack he2 decode: /nonexistent/file.he2: No such file or directory\n");
}

}  // namespace
