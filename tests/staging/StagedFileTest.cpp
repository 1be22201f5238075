// SPDX-License-Identifier: Apache-2.0
// The staged file in both of its forms (a path, a folder fd and a name): what each commit
// leaves at the final name, and that nothing else is left beside it.
#include "platform/support/StagedFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "platform/support/TemporaryNames.h"
#include "tests/support/TestPrefix.h"

namespace {

namespace fs = std::filesystem;
using platform::Overwrite;
using platform::StagedFile;
using platform::StagedFileError;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(StagedFile, CommitsOnlyOverARegularFileOrNothingInBothForms) {
    const fs::path folder = testing_support::makeTempDirectory("staged");
    const fs::path outside = folder.parent_path() / (folder.filename().string() + "-outside");
    enum class Form { Path, FolderFd };
    struct Target {
        const char* name;
        std::function<void(const fs::path&)> make;  // what is at the final name beforehand
        Overwrite overwrite;
        std::error_code expected;
    };
    const std::vector<Target> targets = {
        {"nothing", [](const fs::path&) {}, Overwrite::Keep, {}},
        {"a regular file, replaced", [](const fs::path& p) { std::ofstream(p) << "old"; }, Overwrite::Replace, {}},
        {"a regular file, kept", [](const fs::path& p) { std::ofstream(p) << "old"; }, Overwrite::Keep,
         std::make_error_code(std::errc::file_exists)},
        {"a link to a file", [&](const fs::path& p) { fs::create_symlink(outside, p); }, Overwrite::Replace,
         StagedFileError::TargetNotRegularFile},
        {"a dangling link", [&](const fs::path& p) { fs::create_symlink(folder / "none", p); }, Overwrite::Replace,
         StagedFileError::TargetNotRegularFile},
        {"a pipe", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, Overwrite::Replace,
         StagedFileError::TargetNotRegularFile},
    };
    for (Form form : {Form::Path, Form::FolderFd}) {
        for (const auto& target : targets) {
            SCOPED_TRACE(std::string(target.name) + (form == Form::Path ? " (path)" : " (folder fd)"));
            fs::remove_all(folder);
            fs::create_directories(folder);
            std::ofstream(outside) << "outside";
            const fs::path final = folder / "file.txt";
            target.make(final);
            const auto before = fs::symlink_status(final).type();
            int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_GE(fd, 0);
            {
                auto staged = form == Form::Path ? std::make_unique<StagedFile>(final)
                                                 : std::make_unique<StagedFile>(fd, "file.txt");
                ASSERT_FALSE(staged->create());
                EXPECT_TRUE(platform::isTemporaryName(staged->temporaryName())) << staged->temporaryName();
                ASSERT_FALSE(staged->write("new"));
                EXPECT_EQ(staged->commit(target.overwrite), target.expected);
            }
            ::close(fd);
            if (!target.expected) {
                EXPECT_EQ(readFile(final), "new");
            } else {
                EXPECT_EQ(fs::symlink_status(final).type(), before);
            }
            EXPECT_EQ(readFile(outside), "outside");
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
        }
    }
    fs::remove_all(folder);
    fs::remove(outside);
}

}  // namespace
