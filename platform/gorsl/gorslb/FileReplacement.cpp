// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/FileReplacement.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "platform/gorsl/common/Errors.h"
#include "platform/gorsl/gorslb/FileUsage.h"
#include "platform/gorsl/gorslb/RegistryAccess.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/StagedFile.h"
#include "platform/support/UniqueToken.h"

namespace fs = std::filesystem;

namespace gorsl {

namespace {
namespace reg = platform::registry;
constexpr auto HKLM = reg::Hive::LocalMachine;
constexpr std::string_view kObjectPrefix = "\\??\\";

// The queue's own spelling of a path: the Windows-style form of the native file it names.
std::string canonical(const std::string& path) {
    return platform::prefix::toWindows(platform::prefix::toNative(path));
}

std::string withoutObjectPrefix(std::string_view entry) {
    if (entry.substr(0, kObjectPrefix.size()) == kObjectPrefix) entry.remove_prefix(kObjectPrefix.size());
    return std::string(entry);
}

std::vector<PendingRename> parse(const std::vector<std::string>& items) {
    std::vector<PendingRename> renames;
    for (std::size_t i = 0; i + 1 < items.size(); i += 2) {
        PendingRename r;
        r.source = withoutObjectPrefix(items[i]);
        std::string_view destination = items[i + 1];
        r.replaceExisting = !destination.empty() && destination.front() == '!';
        if (r.replaceExisting) destination.remove_prefix(1);
        r.destination = withoutObjectPrefix(destination);
        renames.push_back(std::move(r));
    }
    return renames;
}

std::vector<std::string> format(const std::vector<PendingRename>& renames) {
    std::vector<std::string> items;
    for (const auto& r : renames) {
        items.push_back(std::string(kObjectPrefix) + r.source);
        items.push_back(r.destination.empty()
                            ? std::string()
                            : (r.replaceExisting ? "!" : "") + std::string(kObjectPrefix) + r.destination);
    }
    return items;
}

std::vector<PendingRename> readQueue(reg::RegistryStore& store) {
    auto value = store.value(HKLM, kSessionManagerKey, kPendingRenamesValue);
    if (!value) return {};
    return parse(value->asStrings());
}

void writeQueue(reg::RegistryStore& store, const std::vector<PendingRename>& renames) {
    if (renames.empty())
        store.deleteValue(HKLM, kSessionManagerKey, kPendingRenamesValue);
    else
        store.setValue(HKLM, kSessionManagerKey, kPendingRenamesValue, reg::Value::multiString(format(renames)));
}

bool sameRename(const PendingRename& a, const PendingRename& b) {
    return a.source == b.source && a.destination == b.destination && a.replaceExisting == b.replaceExisting;
}

std::error_code perform(const PendingRename& r) {
    const fs::path from = platform::prefix::toNative(r.source);
    if (r.destination.empty()) {
        std::error_code error;
        fs::remove(from, error);
        return error;
    }
    return platform::moveFile(from, platform::prefix::toNative(r.destination),
                              r.replaceExisting ? platform::Overwrite::Replace : platform::Overwrite::Keep);
}
}  // namespace

void replaceFile(const std::string& target, const std::string& newFile, const std::string& source) {
    const fs::path nativeNew = platform::prefix::toNative(newFile);
    const fs::path nativeTarget = platform::prefix::toNative(target);
    struct stat info {};
    if (newFile.empty() || ::stat(nativeNew.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        throw fileError(source, "replace " + target + " with", newFile,
                        std::make_error_code(std::errc::no_such_file_or_directory));
    if (!isFileInUse(nativeTarget)) {
        if (auto error = platform::moveFile(nativeNew, nativeTarget, platform::Overwrite::Replace))
            throw fileError(source, "replace", target, error, Missing::Folder);
        return;
    }
    PendingRename rename{canonical(newFile), canonical(target), true};
    withRegistry(source, [&](reg::RegistryStore& store) {
        store.transaction([&] {
            auto queue = readQueue(store);
            queue.push_back(rename);
            writeQueue(store, queue);
        });
    });
}

void completeRestartReplacement(const std::string& newFile, const std::string& source) {
    const std::string key = canonical(newFile);
    std::optional<PendingRename> queued;
    withRegistry(source, [&](reg::RegistryStore& store) {
        for (const auto& r : readQueue(store))
            if (r.source == key && !r.destination.empty()) queued = r;
    });
    if (!queued) throw invalidArgument(source, "no replacement at the next start is queued for " + newFile);

    // The new file moves beside its target: its own folder may be gone by the next start,
    // and a rename within one file system cannot half-happen then.
    const fs::path target = platform::prefix::toNative(queued->destination);
    const fs::path from = platform::prefix::toNative(newFile);
    const std::string hidden = "." + target.filename().string() + ".pending-" + platform::uniqueToken();
    fs::path staged = target.parent_path() / hidden;
    std::error_code error = platform::moveFile(from, staged, platform::Overwrite::Keep);
    if (error) {
        staged = platform::prefix::toNative(platform::prefix::tempFolder()) / hidden;
        error = platform::moveFile(from, staged, platform::Overwrite::Keep);
    }
    if (error) throw fileError(source, "keep the new file for the next start:", newFile, error);

    bool updated = false;
    withRegistry(source, [&](reg::RegistryStore& store) {
        store.transaction([&] {
            auto queue = readQueue(store);
            for (auto it = queue.rbegin(); it != queue.rend() && !updated; ++it) {
                if (sameRename(*it, *queued)) {
                    it->source = platform::prefix::toWindows(staged);
                    updated = true;
                }
            }
            if (updated) writeQueue(store, queue);
        });
    });
    if (!updated) {
        // The queue lost the entry meanwhile (a boot ran): give the new file back.
        platform::moveFile(staged, from, platform::Overwrite::Keep);
        throw invalidArgument(source, "no replacement at the next start is queued for " + newFile);
    }
}

std::vector<PendingRename> pendingRenames(const std::string& source) {
    std::vector<PendingRename> queue;
    withRegistry(source, [&](reg::RegistryStore& store) { queue = readQueue(store); });
    return queue;
}

std::vector<RenameOutcome> performPendingRenames(const std::string& source) {
    std::vector<RenameOutcome> outcomes;
    for (const auto& r : pendingRenames(source)) outcomes.push_back({r, perform(r)});
    if (outcomes.empty()) return outcomes;
    withRegistry(source, [&](reg::RegistryStore& store) {
        store.transaction([&] {
            auto queue = readQueue(store);
            std::size_t done = 0;
            while (done < queue.size() && done < outcomes.size() && sameRename(queue[done], outcomes[done].rename))
                ++done;
            queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(done));
            writeQueue(store, queue);
        });
    });
    return outcomes;
}

}  // namespace gorsl
