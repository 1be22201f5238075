// SPDX-License-Identifier: Apache-2.0
// Shared by the RAR tests: where the RAR fixtures are, a throwaway prefix with a scratch drive,
// the stand-in driven through its records, and a RARFile with a sink that records its events.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <velpack/Velpack.h>
#include "platform/com/Events.h"
#include "platform/com/Unknown.h"
#include "tests/support/TestPrefix.h"

namespace rar_tests {

namespace fs = std::filesystem;

// ../shared/fixtures/rar beside the source tree; empty when it is not there.
fs::path fixtureFolder();
fs::path fixture(const std::string& name);

#define SKIP_WITHOUT_RAR_FIXTURES()                                                                  \
    do {                                                                                             \
        if (::rar_tests::fixtureFolder().empty())                                                    \
            GTEST_SKIP() << "RAR fixtures not found: ../shared/fixtures/rar beside the source tree"; \
    } while (0)

// True for a fixture this build cannot run: on two of them libarchive 3.6.2 asks malloc for
// about 2^63 bytes (a size read from the archive, once after an underflow) and handles the null
// it gets, but AddressSanitizer aborts on such a request instead of returning null.
bool unreadableUnderSanitizer(const std::string& fixtureName);

// The stand-in driven as the component drives it: open with a mode, read every header, and
// skip (operation 0) or test (operation 1) each entry.
struct Listing {
    std::int32_t openResult = -1;
    std::vector<std::string> names;
    std::vector<std::int32_t> processResults;  // one per name
    std::int32_t lastHeaderResult = -1;        // the result that ended the loop
};
Listing listWithUnrar(const std::string& archiveName, std::int32_t operation = 0);

// A test with its own prefix; drive C is `driveC`, so "C:\out" is driveC / "out".
class PrefixTest : public ::testing::Test {
protected:
    PrefixTest();
    testing_support::TestPrefix prefix;
    fs::path driveC;
};

// Every event as one line: "Extracting|name", "Extracted|name|True".
template <class Events>
class RecordingSink final : public platform::com::Object<Events> {
public:
    std::vector<std::string> events;
    void Extracting(const std::string& name) override { events.push_back("Extracting|" + name); }
    void Extracted(const std::string& name, velpack::Boolean success) override {
        events.push_back("Extracted|" + name + (success ? "|True" : "|False"));
    }
};

// The tool library linked in, for objects made by the component's own factories.
void useLinkedToolLibrary();

// A RARFile or ACEFile made by the component's own factory, with the tool library linked in
// and a recording sink advised.
template <class Interface, class Events>
struct ArchiveObject {
    ArchiveObject(const platform::com::Ptr<velpack::Unknown>& made, const std::string& archiveName) {
        useLinkedToolLibrary();
        object = made.template query<Interface>();
        sink = platform::com::make<RecordingSink<Events>>();
        object.template query<platform::com::IEventSource>()->advise(Events::iid, sink.get());
        object->put_ArchiveName(archiveName);
    }
    Interface* operator->() const { return object.get(); }
    std::vector<std::string> contents() const {  // ArchiveContents as a vector
        std::vector<std::string> out;
        velpack::Ptr<velpack::IStringCollection> collection = object->get_ArchiveContents();
        for (std::int32_t i = 1; collection && i <= collection->Count(); ++i) out.push_back(collection->Item(i));
        return out;
    }
    velpack::Ptr<Interface> object;
    velpack::Ptr<RecordingSink<Events>> sink;
};

struct RarObject : ArchiveObject<velpack::IRARFile, velpack::IRARFileEvents> {
    explicit RarObject(const std::string& archiveName);
};
struct AceObject : ArchiveObject<velpack::IACEFile, velpack::IACEFileEvents> {
    explicit AceObject(const std::string& archiveName);
};

}  // namespace rar_tests
