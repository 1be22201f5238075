// SPDX-License-Identifier: Apache-2.0
#include "platform/registry/RegistryStore.h"

#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

#include "platform/prefix/Prefix.h"
#include "platform/support/TextCase.h"

namespace platform::registry {

namespace {
constexpr int kBusyTimeoutMs = 30000;
constexpr int kSchemaVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS keys(
    id     INTEGER PRIMARY KEY,
    parent INTEGER NOT NULL,      -- 0 for the hive roots, whose id is the hive number
    name   TEXT NOT NULL,         -- as created
    fold   TEXT NOT NULL,         -- upper-case fold, for lookups and ordering
    UNIQUE(parent, fold));
CREATE TABLE IF NOT EXISTS vals(
    id    INTEGER PRIMARY KEY AUTOINCREMENT,  -- creation order
    key   INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
    name  TEXT NOT NULL,
    fold  TEXT NOT NULL,
    type  INTEGER NOT NULL,
    data  BLOB NOT NULL,
    UNIQUE(key, fold));
)sql";
}  // namespace

// A prepared statement, reset after each use.
class RegistryStore::Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
            throw StoreError(std::string("registry store: cannot prepare statement: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, std::int64_t v) {
        check(sqlite3_bind_int64(stmt_, i, v));
        return *this;
    }
    Statement& bind(int i, std::string_view v) {
        check(sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& bindBlob(int i, const std::vector<std::uint8_t>& v) {
        // A zero-length blob must still be a blob, not NULL.
        check(sqlite3_bind_blob(stmt_, i, v.empty() ? "" : static_cast<const void*>(v.data()),
                                static_cast<int>(v.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // Steps once; true when a row is available.
    bool step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        std::string msg = sqlite3_errmsg(db_);
        reset();
        throw StoreError("registry store: " + msg);
    }
    void run() {
        step();
        reset();
    }
    std::int64_t integer(int col) { return sqlite3_column_int64(stmt_, col); }
    std::string text(int col) {
        auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col))) : std::string();
    }
    std::vector<std::uint8_t> blob(int col) {
        auto p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, col));
        int n = sqlite3_column_bytes(stmt_, col);
        return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
    }
    void reset() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

private:
    void check(int rc) {
        if (rc != SQLITE_OK) throw StoreError(std::string("registry store: ") + sqlite3_errmsg(db_));
    }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

namespace {
// Resets a statement when a read leaves its scope, also through an exception.
template <class S>
struct ResetOnExit {
    explicit ResetOnExit(S& s) : statement(s) {}
    ~ResetOnExit() { statement.reset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;
    S& statement;
};
}  // namespace

std::vector<std::string_view> splitKeyPath(std::string_view keyPath) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= keyPath.size()) {
        std::size_t sep = keyPath.find('\\', start);
        if (sep == std::string_view::npos) sep = keyPath.size();
        if (sep > start) parts.push_back(keyPath.substr(start, sep - start));
        start = sep + 1;
    }
    return parts;
}

namespace {
std::string userName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) return found->pw_name;
    return "uid " + std::to_string(::geteuid());
}

// Why this user cannot write the store: the first of the store, its folder (where the WAL
// and shared-memory files live) and those files that is not writable.
std::string missingWritePermission(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path();
    std::string what = "the registry store " + path.string();
    if (::access(path.c_str(), W_OK) == 0) {
        what = "the folder " + folder.string();
        for (const char* suffix : {"-wal", "-shm"}) {
            const std::string companion = path.string() + suffix;
            if (::access(companion.c_str(), F_OK) == 0 && ::access(companion.c_str(), W_OK) != 0) what = companion;
        }
    }
    return "cannot change the registry of the prefix " + folder.string() + ": no write permission for user " +
           userName() + " on " + what;
}
}  // namespace

Expected<RegistryStore> RegistryStore::open(const std::filesystem::path& path) {
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return Failure{"cannot open registry store " + path.string() + ": " + msg};
    }
    try {
        RegistryStore store(path, db);
        if (sqlite3_db_readonly(db, "main") == 1) {
            store.readOnlyReason_ = missingWritePermission(path);
            // A reader cannot make the WAL's shared-memory file in a folder it may not write; a
            // store whose writers removed it (older versions did on their last close) cannot
            // be read until one of them writes again.
            const std::string shm = path.string() + "-shm";
            if (::access(shm.c_str(), F_OK) != 0)
                return Failure{"cannot open registry store " + path.string() + ": it is read-only for user " +
                               userName() + " and " + shm + " is missing; any change to the registry by a user " +
                               "who may write " + path.parent_path().string() + " makes it"};
        }
        store.ensureSchema();
        return store;
    } catch (const StoreError& e) {
        return Failure{"cannot open registry store " + path.string() + ": " + e.what()};
    }
}

RegistryStore::RegistryStore(std::filesystem::path path, sqlite3* db) : path_(std::move(path)), db_(db) {}

RegistryStore::RegistryStore(RegistryStore&& o) noexcept
    : path_(std::move(o.path_)),
      db_(std::exchange(o.db_, nullptr)),
      readOnlyReason_(std::move(o.readOnlyReason_)),
      statements_(std::move(o.statements_)),
      transactionDepth_(o.transactionDepth_) {}

RegistryStore& RegistryStore::operator=(RegistryStore&& o) noexcept {
    if (this != &o) {
        statements_.clear();
        if (db_) sqlite3_close(db_);
        path_ = std::move(o.path_);
        db_ = std::exchange(o.db_, nullptr);
        readOnlyReason_ = std::move(o.readOnlyReason_);
        statements_ = std::move(o.statements_);
        transactionDepth_ = o.transactionDepth_;
    }
    return *this;
}

RegistryStore::~RegistryStore() {
    statements_.clear();
    if (db_) sqlite3_close(db_);
}

namespace {
std::mutex prefixStoreMutex;
std::unique_ptr<RegistryStore> prefixStore;
}  // namespace

RegistryStore& RegistryStore::forPrefix() {
    std::lock_guard lock(prefixStoreMutex);
    if (!prefixStore) {
        auto root = prefix::root();
        // A folder that was never made a prefix must not silently get a new, empty store:
        // it has neither the store nor the prefix's drive folder.
        std::error_code ec;
        bool made = std::filesystem::is_regular_file(prefix::registryPath(), ec) ||
                    std::filesystem::is_directory(root / "drive_c", ec);
        if (!made)
            throw StoreError("the prefix " + root.string() + " has not been made; make it with 'quillon-prefix init'");
        auto store = open(prefix::registryPath());
        if (!store) throw StoreError(store.error());
        prefixStore = std::make_unique<RegistryStore>(std::move(store).value());
    }
    return *prefixStore;
}

void RegistryStore::resetPrefixStore() {
    std::lock_guard lock(prefixStoreMutex);
    prefixStore.reset();
}

void RegistryStore::exec(const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw StoreError("registry store: " + msg);
    }
}

RegistryStore::Statement& RegistryStore::statement(const char* sql) {
    auto it = statements_.find(sql);
    if (it == statements_.end()) it = statements_.emplace(sql, std::make_unique<Statement>(db_, sql)).first;
    return *it->second;
}

namespace {
// True when the store already holds this schema (and its hives, written with it), so that a
// run that only reads opens it without a write transaction and the syncs of its commit.
bool hasCurrentSchema(sqlite3* db) {
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT value FROM meta WHERE name = 'schema'", -1, &query, nullptr) != SQLITE_OK) {
        sqlite3_finalize(query);
        return false;
    }
    const bool current = sqlite3_step(query) == SQLITE_ROW && sqlite3_column_int(query, 0) == kSchemaVersion;
    sqlite3_finalize(query);
    return current;
}
}  // namespace

void RegistryStore::ensureSchema() {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    exec("PRAGMA foreign_keys=ON");
    if (!readOnlyReason_.empty()) return;  // a reader takes the store as its writers made it
    // The WAL and shared-memory files stay after the last writer closes, so that users who may
    // only read the prefix can still open it: they cannot create those files themselves.
    int persist = 1;
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=FULL");
    if (hasCurrentSchema(db_)) return;
    write([&] {
        exec(kSchema);
        auto& hive = statement("INSERT OR IGNORE INTO keys(id, parent, name, fold) VALUES(?1, 0, ?2, ?3)");
        for (Hive h : kAllHives) {
            hive.bind(1, static_cast<std::int64_t>(h)).bind(2, hiveLongName(h)).bind(3, hiveLongName(h));
            hive.run();
        }
        statement("INSERT OR IGNORE INTO meta(name, value) VALUES('schema', ?1)")
            .bind(1, std::to_string(kSchemaVersion))
            .run();
    });
}

template <class F>
auto RegistryStore::write(F&& work) -> decltype(work()) {
    // A nested write is a savepoint, so that work which throws takes back its own changes even
    // when an outer caller catches the exception and commits the rest. The outermost write
    // takes the write lock at once (IMMEDIATE), so two writers queue on the busy timeout
    // instead of failing when one of them upgrades a read lock.
    if (!readOnlyReason_.empty()) throw StoreError(readOnlyReason_);
    const bool nested = transactionDepth_ > 0;
    const int outer = transactionDepth_;
    exec(nested ? "SAVEPOINT nested" : "BEGIN IMMEDIATE");
    ++transactionDepth_;
    auto finish = [&] {
        exec(nested ? "RELEASE nested" : "COMMIT");
        transactionDepth_ = outer;
    };
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            finish();
        } else {
            auto result = work();
            finish();
            return result;
        }
    } catch (...) {
        transactionDepth_ = outer;
        if (nested) {
            sqlite3_exec(db_, "ROLLBACK TO nested", nullptr, nullptr, nullptr);
            sqlite3_exec(db_, "RELEASE nested", nullptr, nullptr, nullptr);
        } else {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        }
        throw;
    }
}

void RegistryStore::transaction(const std::function<void()>& work) {
    write(work);
}

std::optional<std::int64_t> RegistryStore::findKey(Hive hive, std::string_view keyPath) {
    std::int64_t id = static_cast<std::int64_t>(hive);
    auto& find = statement("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
    for (std::string_view part : splitKeyPath(keyPath)) {
        ResetOnExit guard(find);
        find.bind(1, id).bind(2, foldCase(part));
        if (!find.step()) return std::nullopt;
        id = find.integer(0);
    }
    return id;
}

std::int64_t RegistryStore::ensureKey(Hive hive, std::string_view keyPath) {
    std::int64_t id = static_cast<std::int64_t>(hive);
    auto& find = statement("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
    auto& insert = statement("INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
    for (std::string_view part : splitKeyPath(keyPath)) {
        std::string fold = foldCase(part);
        bool found = false;
        {
            ResetOnExit guard(find);
            find.bind(1, id).bind(2, fold);
            if (find.step()) {
                id = find.integer(0);
                found = true;
            }
        }
        if (!found) {
            insert.bind(1, id).bind(2, part).bind(3, fold).run();
            id = sqlite3_last_insert_rowid(db_);
        }
    }
    return id;
}

bool RegistryStore::keyExists(Hive hive, std::string_view keyPath) {
    return findKey(hive, keyPath).has_value();
}

void RegistryStore::createKey(Hive hive, std::string_view keyPath) {
    write([&] { ensureKey(hive, keyPath); });
}

bool RegistryStore::deleteKey(Hive hive, std::string_view keyPath, Subtree subtree) {
    if (splitKeyPath(keyPath).empty()) return false;
    return write([&] {
        auto id = findKey(hive, keyPath);
        if (!id) return false;
        if (subtree == Subtree::Keep) {
            auto& child = statement("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
            ResetOnExit guard(child);
            child.bind(1, *id);
            if (child.step()) return false;
        }
        statement(
            "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "
            "DELETE FROM keys WHERE id IN sub")
            .bind(1, *id)
            .run();
        return true;
    });
}

std::optional<std::string> RegistryStore::storedPath(Hive hive, std::string_view keyPath) {
    std::int64_t id = static_cast<std::int64_t>(hive);
    std::string path;
    auto& find = statement("SELECT id, name FROM keys WHERE parent = ?1 AND fold = ?2");
    for (std::string_view part : splitKeyPath(keyPath)) {
        ResetOnExit guard(find);
        find.bind(1, id).bind(2, foldCase(part));
        if (!find.step()) return std::nullopt;
        id = find.integer(0);
        if (!path.empty()) path += '\\';
        path += find.text(1);
    }
    return path;
}

std::optional<std::string> RegistryStore::keyName(Hive hive, std::string_view keyPath) {
    auto id = findKey(hive, keyPath);
    if (!id) return std::nullopt;
    auto& name = statement("SELECT name FROM keys WHERE id = ?1");
    ResetOnExit guard(name);
    name.bind(1, *id);
    if (!name.step()) return std::nullopt;
    return name.text(0);
}

std::vector<std::string> RegistryStore::subkeys(Hive hive, std::string_view keyPath) {
    std::vector<std::string> names;
    auto id = findKey(hive, keyPath);
    if (!id) return names;
    auto& list = statement("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold");
    ResetOnExit guard(list);
    list.bind(1, *id);
    while (list.step()) names.push_back(list.text(0));
    return names;
}

std::vector<std::string> RegistryStore::subtree(Hive hive, std::string_view keyPath) {
    std::vector<std::string> paths;
    auto root = storedPath(hive, keyPath);
    if (!root) return paths;
    // Without recursion: keys may nest deeply.
    std::vector<std::string> pending{*root};
    while (!pending.empty()) {
        std::string path = std::move(pending.back());
        pending.pop_back();
        auto children = subkeys(hive, path);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(path.empty() ? *it : path + '\\' + *it);
        paths.push_back(std::move(path));
    }
    return paths;
}

std::vector<NamedValue> RegistryStore::values(Hive hive, std::string_view keyPath) {
    std::vector<NamedValue> result;
    auto id = findKey(hive, keyPath);
    if (!id) return result;
    auto& list = statement("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id");
    ResetOnExit guard(list);
    list.bind(1, *id);
    while (list.step()) {
        auto type = valueTypeFromNumber(list.integer(1));
        auto v = type ? Value::fromRaw(*type, list.blob(2)) : std::nullopt;
        if (!v) throw StoreError("registry store: value '" + list.text(0) + "' has an unknown type or shape");
        result.push_back({list.text(0), std::move(*v)});
    }
    return result;
}

std::optional<Value> RegistryStore::value(Hive hive, std::string_view keyPath, std::string_view name) {
    auto id = findKey(hive, keyPath);
    if (!id) return std::nullopt;
    auto& get = statement("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
    ResetOnExit guard(get);
    get.bind(1, *id).bind(2, foldCase(name));
    if (!get.step()) return std::nullopt;
    auto type = valueTypeFromNumber(get.integer(0));
    auto v = type ? Value::fromRaw(*type, get.blob(1)) : std::nullopt;
    if (!v) throw StoreError("registry store: value '" + std::string(name) + "' has an unknown type or shape");
    return v;
}

std::string RegistryStore::readText(Hive hive, std::string_view keyPath, std::string_view name,
                                    std::string_view fallback) {
    auto v = value(hive, keyPath, name);
    return v ? v->text() : std::string(fallback);
}

void RegistryStore::setValue(Hive hive, std::string_view keyPath, std::string_view name, const Value& value) {
    write([&] {
        std::int64_t key = ensureKey(hive, keyPath);
        // An upsert keeps the row, so the value keeps its place and the case of its name.
        statement(
            "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
            "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data")
            .bind(1, key)
            .bind(2, name)
            .bind(3, foldCase(name))
            .bind(4, static_cast<std::int64_t>(value.type()))
            .bindBlob(5, value.raw())
            .run();
    });
}

bool RegistryStore::deleteValue(Hive hive, std::string_view keyPath, std::string_view name) {
    return write([&] {
        auto key = findKey(hive, keyPath);
        if (!key) return false;
        statement("DELETE FROM vals WHERE key = ?1 AND fold = ?2").bind(1, *key).bind(2, foldCase(name)).run();
        return sqlite3_changes(db_) > 0;
    });
}

}  // namespace platform::registry
