// SPDX-License-Identifier: Apache-2.0
#include "tests/rarace/RarFixture.h"

#include "platform/com/Events.h"
#include "platform/gorsl/gorsla/Tools.h"
#include "platform/standins/unrar/UnRAR.h"
#include "velpack/frame/Factories.h"
#include "velpack/frame/ToolLibrary.h"

namespace rar_tests {

fs::path fixtureFolder() {
    fs::path folder = fs::path(QUILLON_SHARED_DIR) / "fixtures" / "rar";
    std::error_code ec;
    return fs::is_directory(folder, ec) ? folder : fs::path();
}

fs::path fixture(const std::string& name) {
    return fixtureFolder() / name;
}

bool unreadableUnderSanitizer(const std::string& fixtureName) {
#if defined(__SANITIZE_ADDRESS__)
    return fixtureName == "test_read_format_rar_newsub_huge.rar" ||
           fixtureName == "test_read_format_rar5_bytes_remaining_underflow.rar";
#else
    (void)fixtureName;
    return false;
#endif
}

Listing listWithUnrar(const std::string& archiveName, std::int32_t operation) {
    Listing listing;
    RAROpenArchiveData open{};
    open.OpenMode = UNRAR_OPEN_LIST;
    UnrarArchive* archive = RAROpenArchive(&open, archiveName.c_str());
    listing.openResult = static_cast<std::int32_t>(open.OpenResult);
    if (!archive) return listing;
    RARHeaderData header{};
    while ((listing.lastHeaderResult = RARReadHeader(archive, &header)) == UNRAR_OK) {
        listing.names.emplace_back(header.FileName);
        listing.processResults.push_back(RARProcessFile(archive, operation, nullptr, nullptr));
    }
    RARCloseArchive(archive);
    return listing;
}

PrefixTest::PrefixTest() : driveC(prefix / "drive_c") {}

void useLinkedToolLibrary() {
    velpack::useGorsla(gorsl::createTools().query<gorsl::IGorsla>());
}

RarObject::RarObject(const std::string& archiveName) : ArchiveObject(velpack::createRARFile(), archiveName) {}
AceObject::AceObject(const std::string& archiveName) : ArchiveObject(velpack::createACEFile(), archiveName) {}

}  // namespace rar_tests
