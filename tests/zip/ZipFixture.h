// SPDX-License-Identifier: Apache-2.0
// Shared by the zip tests: a scratch folder, a ZIPFile with a sink that records its events,
// archives built entry by entry with libzip, and the peer archivers.
#pragma once

#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <velpack/Velpack.h>
#include "platform/com/Unknown.h"
#include "tests/support/Files.h"
#include "tests/support/Programs.h"

namespace zip_tests {

namespace fs = std::filesystem;

// Every event as one line, "Name|arg|arg...", in the order raised.
class RecordingSink final : public platform::com::Object<velpack::IZIPFileEvents> {
public:
    std::vector<std::string> events;
    std::vector<std::string> named(const std::string& event) const;  // the lines of one event

    void Searching(const std::string& p, const std::string& d) override { add({"Searching", p, d}); }
    void ZipComment(const std::string& c) override { add({"ZipComment", c}); }
    void Zipping(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p, std::int32_t r) override;
    void Zipped(const std::string& f, std::int32_t s, std::int32_t c, std::int16_t ratio, std::int32_t r) override;
    void Unzipping(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) override;
    void Unzipped(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) override;
    void Deleting(const std::string& f) override { add({"Deleting", f}); }
    void Deleted(const std::string& f) override { add({"Deleted", f}); }
    void View(const std::string& path, const std::string& name, std::int32_t size, std::int32_t compressed,
              std::int16_t ratio, const std::string& date, const std::string& time, const std::string& attributes,
              std::int16_t method, velpack::Boolean encrypted, const std::string& crc, velpack::Boolean binary,
              const std::string& made, const std::string& needed) override;
    void Error(const std::string& f, std::int32_t code) override { add({"Error", f, std::to_string(code)}); }
    void Warning(const std::string& f, std::int32_t code) override { add({"Warning", f, std::to_string(code)}); }
    void QueryOverwrite(const std::string& a, std::int32_t, const std::string&, const std::string&, std::int32_t,
                        const std::string&) override {
        add({"QueryOverwrite", a});
    }
    void Copying() override { add({"Copying"}); }
    void Copied() override { add({"Copied"}); }

private:
    void add(std::initializer_list<std::string> parts);
};

// A ZIPFile made by the component's own factory, with a recording sink advised.
struct ZipObject {
    ZipObject();
    velpack::Ptr<velpack::IZIPFile> zip;
    velpack::Ptr<RecordingSink> sink;
    std::vector<std::string> contents() const;  // ZipContents as a vector
};

// A fresh folder, removed at the end of the test.
class ScratchTest : public ::testing::Test {
protected:
    ScratchTest();
    ~ScratchTest() override;
    fs::path dir;
};

using testing_support::crcOf;
using testing_support::readFile;
using testing_support::treeOf;
using testing_support::writeFile;

// One entry of an archive built with libzip.
struct Entry {
    enum Kind { File, Folder, Link } kind = File;
    std::string name;
    std::string content;  // for a link, its target
    bool encrypted = false;
};
void buildArchive(const fs::path& archive, const std::vector<Entry>& entries);

// Runs a peer archiver (zip, unzip, 7zz) and returns its result.
testing_support::ProgramResult runPeer(const std::string& program, const std::vector<std::string>& args,
                                       const fs::path& workingDirectory = {});

}  // namespace zip_tests
