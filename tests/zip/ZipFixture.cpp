// SPDX-License-Identifier: Apache-2.0
#include "tests/zip/ZipFixture.h"

#include <sys/stat.h>

#include <stdexcept>

#include "platform/com/Events.h"
#include "tests/support/TestPrefix.h"
#include "velpack/frame/Factories.h"

namespace zip_tests {

std::vector<std::string> RecordingSink::named(const std::string& event) const {
    std::vector<std::string> out;
    for (const std::string& e : events)
        if (e == event || e.rfind(event + "|", 0) == 0) out.push_back(e);
    return out;
}

void RecordingSink::add(std::initializer_list<std::string> parts) {
    std::string line;
    for (const std::string& p : parts) line += (line.empty() ? "" : "|") + p;
    events.push_back(line);
}

void RecordingSink::Zipping(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p, std::int32_t r) {
    add({"Zipping", f, std::to_string(s), std::to_string(b), std::to_string(p), std::to_string(r)});
}
void RecordingSink::Zipped(const std::string& f, std::int32_t s, std::int32_t c, std::int16_t ratio, std::int32_t r) {
    add({"Zipped", f, std::to_string(s), std::to_string(c), std::to_string(ratio), std::to_string(r)});
}
void RecordingSink::Unzipping(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) {
    add({"Unzipping", f, std::to_string(s), std::to_string(b), std::to_string(p)});
}
void RecordingSink::Unzipped(const std::string& f, std::int32_t s, std::int32_t b, std::int16_t p) {
    add({"Unzipped", f, std::to_string(s), std::to_string(b), std::to_string(p)});
}
void RecordingSink::View(const std::string& path, const std::string& name, std::int32_t size, std::int32_t compressed,
                         std::int16_t ratio, const std::string& date, const std::string& time,
                         const std::string& attributes, std::int16_t method, velpack::Boolean encrypted,
                         const std::string& crc, velpack::Boolean binary, const std::string& made,
                         const std::string& needed) {
    add({"View", path, name, std::to_string(size), std::to_string(compressed), std::to_string(ratio), date, time,
         attributes, std::to_string(method), std::to_string(encrypted), crc, std::to_string(binary), made, needed});
}

ZipObject::ZipObject() {
    zip = velpack::createZIPFile().query<velpack::IZIPFile>();
    sink = platform::com::make<RecordingSink>();
    auto source = zip.query<platform::com::IEventSource>();
    if (!source || source->advise(velpack::IZIPFileEvents::iid, sink.get()) == 0)
        throw std::runtime_error("ZIPFile does not take the sink");
}

std::vector<std::string> ZipObject::contents() const {
    auto c = zip->get_ZipContents();
    if (!c) throw std::runtime_error("ZipContents is Nothing");
    return c->Items();
}

ScratchTest::ScratchTest() : dir(testing_support::makeTempDirectory("zip-test")) {}
ScratchTest::~ScratchTest() {
    std::error_code ec;
    // Read-only folders made by a test must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (!it->is_symlink()) ::chmod(it->path().c_str(), 0700);
    fs::remove_all(dir, ec);
}

void buildArchive(const fs::path& archive, const std::vector<Entry>& entries) {
    int error = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z) throw std::runtime_error("zip_open failed");
    for (const Entry& e : entries) {
        zip_int64_t index;
        if (e.kind == Entry::Folder) {
            index = zip_dir_add(z, e.name.c_str(), ZIP_FL_ENC_RAW);
        } else {
            zip_source_t* src = zip_source_buffer(z, e.content.data(), e.content.size(), 0);
            index = zip_file_add(z, e.name.c_str(), src, ZIP_FL_ENC_RAW | ZIP_FL_OVERWRITE);
        }
        if (index < 0) throw std::runtime_error("cannot add " + e.name + ": " + zip_strerror(z));
        auto i = static_cast<zip_uint64_t>(index);
        if (e.kind == Entry::Link)
            zip_file_set_external_attributes(z, i, 0, ZIP_OPSYS_UNIX, static_cast<zip_uint32_t>(S_IFLNK | 0777) << 16);
        if (e.encrypted) {
            zip_set_file_compression(z, i, ZIP_CM_STORE, 0);
            zip_file_set_encryption(z, i, ZIP_EM_AES_256, "secret");
        }
    }
    if (zip_close(z) != 0) throw std::runtime_error(std::string("zip_close failed: ") + zip_strerror(z));
}

testing_support::ProgramResult runPeer(const std::string& program, const std::vector<std::string>& args,
                                       const fs::path& workingDirectory) {
    testing_support::RunOptions options;
    options.workingDirectory = workingDirectory;
    options.timeoutSeconds = 60;
    return testing_support::runProgram(fs::path("/usr/bin") / program, args, options);
}

}  // namespace zip_tests
