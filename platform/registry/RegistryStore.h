// SPDX-License-Identifier: Apache-2.0
// The registry store: hives, keys and typed values in one SQLite database (WAL, synchronous
// FULL, busy timeout), safe for several processes at once and for a process killed mid-write.
// Key and value names compare case-insensitively and keep the case they were created with;
// subkeys list in case-insensitive name order, values in creation order.
// Part of platform/registry; depends on platform/support and SQLite.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/Value.h"
#include "platform/support/Expected.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform::registry {

// A failure of the database itself (disk full, corrupt file, lock held too long).
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Subtree { Keep, Delete };

class RegistryStore {
public:
    // Opens the store at `path`, creating the file and its schema when missing (the folder
    // must exist). After failure nothing has been created. A store this user may not write
    // (a prefix that root made, read by someone else) opens read-only: reads work, and every
    // write throws StoreError naming the prefix folder and the permission that is missing.
    static Expected<RegistryStore> open(const std::filesystem::path& path);

    // The store of the current prefix, opened on first use and kept for the process.
    // Throws StoreError when the prefix has not been made (neither its store nor its drive
    // folder exists); then nothing has been created.
    static RegistryStore& forPrefix();
    // Forgets the store of forPrefix(), so that the next call opens the then-current prefix.
    static void resetPrefixStore();

    RegistryStore(RegistryStore&&) noexcept;
    RegistryStore& operator=(RegistryStore&&) noexcept;
    ~RegistryStore();

    const std::filesystem::path& path() const { return path_; }

    // Key paths are relative to the hive, components separated by backslashes; empty
    // components are ignored, so "\A\\B\" is A\B. The empty path is the hive itself.
    bool keyExists(Hive hive, std::string_view keyPath);
    // Creates the key and any missing parents. Afterwards the key exists.
    void createKey(Hive hive, std::string_view keyPath);
    // Deletes the key; with Subtree::Keep only when it has no subkeys. Returns false when
    // the key was missing or (Keep) had subkeys, and then nothing changed. Hives stay.
    bool deleteKey(Hive hive, std::string_view keyPath, Subtree subtree);

    // The key's name as stored (its own case), or nothing when missing.
    std::optional<std::string> keyName(Hive hive, std::string_view keyPath);
    // The key's path with every component in its stored case ("" for the hive itself), or
    // nothing when the key is missing.
    std::optional<std::string> storedPath(Hive hive, std::string_view keyPath);
    // Subkey names in case-insensitive order; empty when the key is missing.
    std::vector<std::string> subkeys(Hive hive, std::string_view keyPath);
    // The key and every key below it as stored paths, depth first with subkeys in the order of
    // subkeys(); empty when the key is missing.
    std::vector<std::string> subtree(Hive hive, std::string_view keyPath);
    // Values in creation order; empty when the key is missing. The default value has the
    // empty name.
    std::vector<NamedValue> values(Hive hive, std::string_view keyPath);

    std::optional<Value> value(Hive hive, std::string_view keyPath, std::string_view name);
    // The value's text form, or `fallback` when the key or the value is missing.
    std::string readText(Hive hive, std::string_view keyPath, std::string_view name, std::string_view fallback);
    // Stores the value, creating the key when missing. A value that exists keeps its name's
    // case and its place in the creation order.
    void setValue(Hive hive, std::string_view keyPath, std::string_view name, const Value& value);
    // Returns false when the key or the value was missing.
    bool deleteValue(Hive hive, std::string_view keyPath, std::string_view name);

    // Runs `work` as one write transaction: all of its changes or, when it throws, none.
    // Transactions nest: an inner one is a savepoint, taken back alone when it throws; only
    // the outermost commits.
    void transaction(const std::function<void()>& work);

private:
    class Statement;
    RegistryStore(std::filesystem::path path, sqlite3* db);
    void exec(const char* sql);
    Statement& statement(const char* sql);
    std::optional<std::int64_t> findKey(Hive hive, std::string_view keyPath);
    std::int64_t ensureKey(Hive hive, std::string_view keyPath);
    void ensureSchema();
    template <class F>
    auto write(F&& work) -> decltype(work());

    std::filesystem::path path_;
    sqlite3* db_ = nullptr;
    std::string readOnlyReason_;  // empty when the store can be written
    std::map<std::string, std::unique_ptr<Statement>, std::less<>> statements_;
    int transactionDepth_ = 0;
};

// Splits a key path at backslashes, dropping empty components.
std::vector<std::string_view> splitKeyPath(std::string_view keyPath);

}  // namespace platform::registry
