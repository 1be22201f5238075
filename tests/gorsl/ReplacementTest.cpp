// SPDX-License-Identifier: Apache-2.0
// Replacing files in use: at once when nobody uses the target, queued for the next start
// otherwise, and `quillon-prefix boot` doing the queue and the RunOnce commands.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "platform/registry/RegistryStore.h"
#include "platform/support/TemporaryNames.h"
#include "tests/gorsl/GorslTesting.h"
#include "tests/support/Programs.h"

namespace gorsl_testing {
namespace {

namespace reg = platform::registry;
constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kRunOnce = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The child: this test binary again, which opens GORSL_HOLD_FILE, says "held" and keeps the
// file open until its standard input closes. It does this before any test runs.
[[maybe_unused]] const bool holderActed = [] {
    const char* path = std::getenv("GORSL_HOLD_FILE");
    if (!path) return false;
    int fd = ::open(path, O_RDONLY);
    if (fd < 0) std::_Exit(2);
    if (::write(1, "held\n", 5) != 5) std::_Exit(3);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    std::_Exit(0);
}();

// A running process that has the file open, for as long as this object lives.
class FileHolder {
public:
    explicit FileHolder(const fs::path& file) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        const std::string self = testing_support::selfExecutable().string();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::setenv("GORSL_HOLD_FILE", file.c_str(), 1);
            ::execl(self.c_str(), self.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        char said[8] = {};
        pollfd ready{out[0], POLLIN, 0};
        if (::poll(&ready, 1, 60000) != 1 || ::read(out[0], said, 5) != 5 || std::string(said) != "held\n")
            throw std::runtime_error("the holding child did not start");
        ::close(out[0]);
    }
    ~FileHolder() { release(); }
    void release() {
        if (pid_ <= 0) return;
        ::close(input_);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
};

class Replacement : public RegisteredPrefix {
protected:
    void SetUp() override {
        writeFile(native(kTarget), "old version");
        writeFile(native(kNew), "new version");
    }
    std::vector<std::string> queue() {
        auto value = reg::RegistryStore::forPrefix().value(reg::Hive::LocalMachine, kSessionManager,
                                                           "PendingFileRenameOperations");
        return value ? value->asStrings() : std::vector<std::string>{};
    }
    testing_support::ProgramResult boot() {
        return testing_support::runProgram(testing_support::program("quillon-prefix"), {"boot"});
    }
    static constexpr const char* kTarget = "C:\\windows\\system32\\Orvane Shared.dll";
    static constexpr const char* kNew = "C:\\windows\\temp\\Install-x\\Orvane Shared.dll";
};

TEST_F(Replacement, ReplacesAtOnceWhenNobodyUsesTheTarget) {
    system->ReplaceFile(kTarget, kNew);
    EXPECT_EQ(readFile(native(kTarget)), "new version");
    EXPECT_EQ(tools->FileExists(kNew), platform::com::False);
    EXPECT_TRUE(queue().empty());
}

TEST_F(Replacement, QueuesForTheNextStartWhileAProcessHoldsTheTarget) {
    FileHolder holder(native(kTarget));
    system->ReplaceFile(kTarget, kNew);
    EXPECT_EQ(readFile(native(kTarget)), "old version");
    EXPECT_EQ(tools->FileExists(kNew), platform::com::True);  // how the caller tells the two cases apart
    EXPECT_EQ(queue(), (std::vector<std::string>{"\\??\\C:\\windows\\temp\\Install-x\\Orvane Shared.dll",
                                                 "!\\??\\C:\\windows\\system32\\Orvane Shared.dll"}));

    // The second step keeps the new file beside its target, since the install temp folder
    // goes away when the program ends.
    system->CompleteRestartReplacement(kNew);
    fs::remove_all(native("C:\\windows\\temp\\Install-x"));
    auto queued = queue();
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[0].rfind("\\??\\C:\\windows\\system32\\.Orvane Shared.dll.pending-", 0), 0u) << queued[0];
    EXPECT_EQ(queued[1], "!\\??\\C:\\windows\\system32\\Orvane Shared.dll");

    // A part file that a killed download left an hour and more ago goes at the start too.
    const fs::path leftover = native("C:\\windows\\temp") / platform::temporaryName("download");
    writeFile(leftover, "partial");
    const timespec twoHoursAgo[2] = {{std::time(nullptr) - 7200, 0}, {std::time(nullptr) - 7200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, leftover.c_str(), twoHoursAgo, 0), 0);

    holder.release();
    auto started = boot();
    EXPECT_EQ(started.status, 0) << started.out << started.err;
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_EQ(readFile(native(kTarget)), "new version");
    EXPECT_TRUE(queue().empty());
    for (const auto& entry : fs::directory_iterator(native("C:\\windows\\system32")))
        EXPECT_EQ(entry.path().filename().string().find(".pending-"), std::string::npos) << entry.path();
}

TEST_F(Replacement, CountsAMappedFileAsInUse) {
    int fd = ::open(native(kTarget).c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    void* mapped = ::mmap(nullptr, 4, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);  // only the mapping is left, as for a loaded library
    ASSERT_NE(mapped, MAP_FAILED);
    system->ReplaceFile(kTarget, kNew);
    EXPECT_EQ(queue().size(), 2u);
    EXPECT_EQ(readFile(native(kTarget)), "old version");
    ::munmap(mapped, 4);
}

TEST_F(Replacement, RefusesWhatCannotBeDone) {
    EXPECT_EQ(errorNumberOf([&] { system->ReplaceFile(kTarget, "C:\\windows\\temp\\missing.dll"); }), 53);
    EXPECT_EQ(readFile(native(kTarget)), "old version");
    std::string description;
    EXPECT_EQ(errorNumberOf([&] { system->CompleteRestartReplacement(kNew); }, &description), 5);
    EXPECT_NE(description.find(kNew), std::string::npos) << description;
    EXPECT_EQ(errorNumberOf([&] { system->ReplaceFile("C:\\no\\such\\folder\\x.dll", kNew); }), 76);
    EXPECT_EQ(readFile(native(kNew)), "new version");
}

TEST_F(Replacement, BootRunsAndRemovesTheRunOnceCommands) {
    const fs::path ran = prefix / "ran.txt";
    const fs::path script = native("C:\\Program Files\\Probe\\probe.exe");
    writeFile(script, "#!/bin/sh\nprintf '%s|' \"$@\" >> '" + ran.string() + "'\necho >> '" + ran.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    system->RegistryWrite(HKLM, kRunOnce, system->UniqueName(), "\"C:\\Program Files\\Probe\\probe.exe\" /s \"a b\"",
                          1);
    system->RegistryWrite(HKLM, kRunOnce, system->UniqueName(), "probe-missing /s x", 1);
    system->RegistryWrite(HKLM, kRunOnce, "!second", "\"C:\\Program Files\\Probe\\probe.exe\" 2", 1);

    auto first = boot();
    EXPECT_EQ(first.status, 1) << "one command was missing: " << first.out << first.err;
    EXPECT_NE(first.err.find("probe-missing"), std::string::npos) << first.err;
    EXPECT_EQ(readFile(ran), "/s|a b|\n2|\n");  // in their order
    EXPECT_TRUE(reg::RegistryStore::forPrefix().values(reg::Hive::LocalMachine, kRunOnce).empty());

    auto second = boot();  // nothing left to do
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(readFile(ran), "/s|a b|\n2|\n");
}

}  // namespace
}  // namespace gorsl_testing
