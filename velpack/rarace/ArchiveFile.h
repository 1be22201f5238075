// SPDX-License-Identifier: Apache-2.0
// RARFile and ACEFile are twins: one class template holds their members, events and the
// listing and extraction loops; each format's library calls sit behind a small adapter.
// Part of velpack/rarace; depends on velpack/frame (the tool library) and platform/com.
//
// An adapter `Library` provides
//   static constexpr std::uint32_t kViewOpenMode;          // open mode of View (Extract uses 1)
//   class Archive {                                        // closes the archive when destroyed
//       static std::optional<Archive> open(const std::string& name, std::uint32_t mode);
//       void setPassword(const std::string& password);
//       bool readHeader(std::string& fileNameField);       // false when the header call failed
//       void skip();                                       // an entry not worked on
//       std::int32_t extract(const std::string& target);   // 0 when the entry came out
//   };
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <velpack/Velpack.h>
#include "platform/com/Collection.h"
#include "platform/com/Conversion.h"
#include "platform/com/Events.h"
#include "platform/support/TextCase.h"
#include "velpack/frame/ToolLibrary.h"

namespace velpack::rarace {

template <class Interface, class Events, class Library>
class ArchiveFile final : public platform::com::Object<Interface, platform::com::IEventSource> {
public:
    ~ArchiveFile() override { contents_.reset(); }

    Ptr<IStringCollection> get_ArchiveContents() override { return contents_; }
    void putref_ArchiveContents(Ptr<IStringCollection> contents) override { contents_ = std::move(contents); }

    std::int32_t Extract(const std::string& Destination, const std::string& Files) override {
        Ptr<Interface> keep(this);
        std::string destination = Destination;
        if (!destination.empty() && destination.back() != '\\') destination += '\\';
        std::optional<typename Library::Archive> archive = Library::Archive::open(archiveName_, 1);
        if (!archive) return -1;
        if (!password_.empty()) archive->setPassword(password_);
        Ptr<IStringCollection> selection;
        if (!Files.empty()) selection = gorsla().SplitText(Files, ";", 0);
        std::string field;
        while (archive->readHeader(field)) {
            std::string name = entryName(field);
            if (selection && !gorsla().CollectionContains(selection.get(), platform::lowerCase(name))) {
                archive->skip();
                continue;
            }
            sinks_.raise(static_cast<void (Events::*)(const std::string&)>(&Events::Extracting), name);
            std::int32_t result = archive->extract(destination + name);
            sinks_.raise(static_cast<void (Events::*)(const std::string&, Boolean)>(&Events::Extracted), name,
                         platform::com::toBoolean(result == 0));
        }
        return 1;
    }

    void put_Password(const std::string& password) override { password_ = password; }
    std::string get_Password() override { return password_; }
    void put_ArchiveName(const std::string& name) override { archiveName_ = name; }
    std::string get_ArchiveName() override { return archiveName_; }

    Boolean View() override {
        Ptr<Interface> keep(this);
        contents_ = platform::com::makeStringCollection();
        std::optional<typename Library::Archive> archive = Library::Archive::open(archiveName_, Library::kViewOpenMode);
        if (!archive) return platform::com::False;
        if (!password_.empty()) archive->setPassword(password_);
        Ptr<IStringCollection> listing = contents_;
        std::string field;
        while (archive->readHeader(field)) {
            listing->Add(entryName(field));
            archive->skip();
        }
        return platform::com::True;
    }

    std::uint32_t advise(const Guid& eventIid, Unknown* sink) override {
        return eventIid == Events::iid ? sinks_.advise(sink) : 0;
    }
    void unadvise(std::uint32_t cookie) override { sinks_.unadvise(cookie); }

private:
    static std::string entryName(const std::string& field) {
        return std::string(platform::trimBlanks(gorsla().FixedTextToString(field)));
    }

    Ptr<IStringCollection> contents_;
    std::string archiveName_;
    std::string password_;
    platform::com::EventSinks<Events> sinks_;
};

}  // namespace velpack::rarace
