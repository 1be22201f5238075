// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorsla/Tools.h"

#include <mutex>

#include "platform/com/Error.h"
#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorsla/FileOperations.h"
#include "platform/gorsl/gorsla/PathParts.h"
#include "platform/gorsl/gorsla/TextOperations.h"

namespace gorsl {

namespace {
using platform::com::toBoolean;

// What the running program announced, kept for the rest of the process.
struct Announcement {
    std::string name;
    std::string version;
    std::string folder;
    std::string fileName;
};
std::mutex announcementMutex;
Announcement announcement;

std::size_t checkedCount(std::int32_t count) {
    if (count < 0) throw invalidArgument(kGorslaSource, "a count of characters cannot be negative");
    return static_cast<std::size_t>(count);
}

void checkReserved(std::int32_t value, const char* operation) {
    if (value != 0) throw invalidArgument(kGorslaSource, std::string(operation) + " takes 0 as its last argument");
}

class Tools final : public platform::com::Object<IGorsla> {
public:
    Boolean Ready() override { return platform::com::True; }
    void AnnounceProgram(const std::string& name, const std::string& version, const std::string& folder,
                         const std::string& fileName) override {
        std::lock_guard lock(announcementMutex);
        announcement = {name, version, folder, fileName};
    }
    std::string FirstWord(const std::string& text) override { return firstWord(text); }
    std::string RestAfterFirstWord(const std::string& text) override { return restAfterFirstWord(text); }
    std::string DropLeading(const std::string& text, std::int32_t count) override {
        return dropLeadingCharacters(text, checkedCount(count));
    }
    std::string DropTrailing(const std::string& text, std::int32_t count) override {
        return dropTrailingCharacters(text, checkedCount(count));
    }
    Boolean FileExists(const std::string& path) override { return toBoolean(fileExists(path)); }
    std::string FileNamePart(const std::string& path, std::int32_t reserved) override {
        checkReserved(reserved, "FileNamePart");
        return fileNamePart(path);
    }
    std::string FolderPart(const std::string& path) override { return folderPart(path); }
    void CreateFolder(const std::string& path) override { createFolder(path, kGorslaSource); }
    void CopyFile(const std::string& source, const std::string& destination, Boolean overwrite) override {
        // The callers judge the copy by whether the destination exists afterwards.
        (void)copyFileTo(source, destination, overwrite ? platform::Overwrite::Replace : platform::Overwrite::Keep);
    }
    void WriteTextFile(const std::string& path, const std::string& text) override {
        writeTextFile(path, text, kGorslaSource);
    }
    Boolean TruthValue(Boolean value) override { return toBoolean(value != 0); }
    void PrepareOutputFile(const std::string& path) override { prepareOutputFile(path, kGorslaSource); }
    Ptr<IStringCollection> SplitText(const std::string& text, const std::string& separator,
                                     std::int32_t reserved) override {
        checkReserved(reserved, "SplitText");
        auto pieces = platform::com::makeStringCollection();
        for (auto& piece : splitText(text, separator)) pieces->Add(piece);
        return pieces;
    }
    std::string FixedTextToString(const std::string& field) override { return fixedTextToString(field); }
    Boolean CollectionContains(IStringCollection* collection, const std::string& text) override {
        if (!collection) return platform::com::False;
        for (const auto& item : collection->Items())
            if (item == text) return platform::com::True;
        return platform::com::False;
    }
};
}  // namespace

platform::com::Ptr<platform::com::Unknown> createTools() {
    return platform::com::make<Tools>();
}

}  // namespace gorsl
