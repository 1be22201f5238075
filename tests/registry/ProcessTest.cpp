// SPDX-License-Identifier: Apache-2.0
// The store with real processes: two writers at once lose nothing, and a writer killed in the
// middle of its transactions leaves a sound store in which each transaction is whole or absent.
// The children are this test binary itself, running one of the DISABLED_ tests below, which
// only the parent asks for.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

#include "platform/registry/RegistryStore.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace platform::registry;
using namespace std::chrono_literals;
using testing_support::TestPrefix;

namespace {

constexpr Hive LM = Hive::LocalMachine;
constexpr int kWrites = 200;       // transactions per writer
constexpr int kStreamValues = 8;   // values each stream transaction overwrites, and creates
constexpr auto kChildLimit = 20s;  // a child never runs longer, even when its parent is gone

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Starts this binary running one test, with extra environment variables. posix_spawn, because
// the parent may have threads.
pid_t startChild(const std::string& test, const std::vector<std::string>& variables) {
    std::string self = testing_support::selfExecutable().string();
    std::vector<std::string> args{self, "--gtest_also_run_disabled_tests", "--gtest_filter=" + test};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings(variables);
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("posix_spawn failed");
    return pid;
}

// Waits for the child; kills it when it takes longer than `limit`. The raw wait status.
int waitChild(pid_t pid, std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "child " << pid << " ran too long";
            return status;
        }
        std::this_thread::sleep_for(5ms);
    }
    return status;
}

bool exitedCleanly(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string integrityCheck(const fs::path& db) {
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(raw);
        return "cannot open";
    }
    sqlite3_stmt* st = nullptr;
    std::string result;
    if (sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK) {
        while (sqlite3_step(st) == SQLITE_ROW) result += reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    } else {
        result = sqlite3_errmsg(raw);
    }
    sqlite3_finalize(st);
    sqlite3_close(raw);
    return result;
}

std::string counterKey(int writer) {
    return "Software\\Writers\\W" + std::to_string(writer);
}

// ---- children ---------------------------------------------------------------------------

// Waits for the start file, then makes kWrites transactions: each adds one value of its own and
// raises a shared counter by one, a read and a write that another writer must not slip between.
TEST(StoreChild, DISABLED_Writer) {
    auto store = RegistryStore::open(env("REGISTRY_CHILD_STORE"));
    ASSERT_TRUE(store) << store.error();
    const int id = std::atoi(env("REGISTRY_CHILD_ID").c_str());
    const fs::path go = env("REGISTRY_CHILD_GO");
    auto until = std::chrono::steady_clock::now() + kChildLimit;
    while (!fs::exists(go) && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    for (int i = 0; i < kWrites; ++i) {
        store->transaction([&] {
            auto n = store->value(LM, "Software\\Writers", "Counter");
            std::uint32_t next = n ? static_cast<std::uint32_t>(*n->asNumber()) + 1 : 1;
            store->setValue(LM, counterKey(id), "v" + std::to_string(i), Value::dword(static_cast<std::uint32_t>(i)));
            store->setValue(LM, "Software\\Writers", "Counter", Value::dword(next));
        });
    }
}

std::string logKey(std::uint32_t n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Software\\Stream\\Log\\%08u", n);
    return buf;
}

// Runs transactions until it is killed (or kChildLimit passes): transaction n overwrites the
// kStreamValues values of Stream with n and creates Log\n with kStreamValues values.
TEST(StoreChild, DISABLED_Streamer) {
    auto store = RegistryStore::open(env("REGISTRY_CHILD_STORE"));
    ASSERT_TRUE(store) << store.error();
    auto until = std::chrono::steady_clock::now() + kChildLimit;
    auto last = store->value(LM, "Software\\Stream", "v0");
    std::uint32_t n = last ? static_cast<std::uint32_t>(*last->asNumber()) : 0;
    while (std::chrono::steady_clock::now() < until) {
        ++n;
        store->transaction([&] {
            for (int k = 0; k < kStreamValues; ++k) {
                store->setValue(LM, "Software\\Stream", "v" + std::to_string(k), Value::dword(n));
                store->setValue(LM, logKey(n), "x" + std::to_string(k), Value::qword(std::uint64_t{n} * 100 + k));
            }
        });
    }
}

// ---- parents ----------------------------------------------------------------------------

TEST(StoreProcesses, TwoWritersAtOnceLoseNothing) {
    TestPrefix prefix;
    const fs::path db = RegistryStore::forPrefix().path();
    const fs::path go = prefix / "go";
    pid_t a = startChild("StoreChild.DISABLED_Writer", {"REGISTRY_CHILD_STORE=" + db.string(), "REGISTRY_CHILD_ID=1",
                                                        "REGISTRY_CHILD_GO=" + go.string()});
    pid_t b = startChild("StoreChild.DISABLED_Writer", {"REGISTRY_CHILD_STORE=" + db.string(), "REGISTRY_CHILD_ID=2",
                                                        "REGISTRY_CHILD_GO=" + go.string()});
    std::ofstream(go).put('1');
    EXPECT_TRUE(exitedCleanly(waitChild(a, 60s)));
    EXPECT_TRUE(exitedCleanly(waitChild(b, 60s)));

    auto& store = RegistryStore::forPrefix();
    EXPECT_EQ(store.value(LM, "Software\\Writers", "Counter"), Value::dword(2 * kWrites));
    for (int id : {1, 2}) {
        auto values = store.values(LM, counterKey(id));
        ASSERT_EQ(values.size(), static_cast<std::size_t>(kWrites)) << id;
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(values[static_cast<std::size_t>(i)].name, "v" + std::to_string(i));
            EXPECT_EQ(values[static_cast<std::size_t>(i)].value, Value::dword(static_cast<std::uint32_t>(i)));
        }
    }
    EXPECT_EQ(integrityCheck(db), "ok");
}

TEST(StoreProcesses, AWriterKilledMidStreamLeavesEachTransactionWholeOrAbsent) {
    TestPrefix prefix;
    const fs::path db = RegistryStore::forPrefix().path();
    std::mt19937 random(std::random_device{}());
    std::uint32_t seen = 0;
    for (int round = 0; round < 3; ++round) {
        pid_t child = startChild("StoreChild.DISABLED_Streamer", {"REGISTRY_CHILD_STORE=" + db.string()});
        {
            // Let it get going past what the previous round left (waiting a bounded while),
            // then kill it at a random moment.
            auto store = RegistryStore::open(db);
            ASSERT_TRUE(store) << store.error();
            auto until = std::chrono::steady_clock::now() + 10s;
            while (std::chrono::steady_clock::now() < until) {
                auto v = store->value(LM, "Software\\Stream", "v0");
                if (v && *v->asNumber() >= seen + 20) break;
                std::this_thread::sleep_for(2ms);
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        kill(child, SIGKILL);
        int status = waitChild(child, 10s);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended before it was killed";

        ASSERT_EQ(integrityCheck(db), "ok") << "round " << round;
        auto opened = RegistryStore::open(db);
        ASSERT_TRUE(opened) << opened.error();
        RegistryStore& store = *opened;
        auto stream = store.values(LM, "Software\\Stream");
        ASSERT_EQ(stream.size(), static_cast<std::size_t>(kStreamValues));
        const std::uint32_t last = static_cast<std::uint32_t>(*stream[0].value.asNumber());
        EXPECT_GT(last, seen) << "the child made no progress";
        for (const auto& v : stream) EXPECT_EQ(v.value, Value::dword(last)) << v.name;  // one transaction's values

        auto logs = store.subkeys(LM, "Software\\Stream\\Log");
        ASSERT_EQ(logs.size(), last) << "round " << round;  // every committed transaction, none beyond
        for (std::uint32_t n = 1; n <= last; ++n) {
            auto values = store.values(LM, logKey(n));
            ASSERT_EQ(values.size(), static_cast<std::size_t>(kStreamValues)) << n;
            for (int k = 0; k < kStreamValues; ++k)
                ASSERT_EQ(values[static_cast<std::size_t>(k)].value, Value::qword(std::uint64_t{n} * 100 + k)) << n;
        }
        seen = last;
    }
}

}  // namespace
