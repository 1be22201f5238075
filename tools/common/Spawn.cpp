// SPDX-License-Identifier: Apache-2.0
#include "tools/common/Spawn.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace tools {

int runAndWait(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::vector<std::pair<std::string, std::string>>& extraEnvironment) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        bool replaced = false;
        for (const auto& [name, value] : extraEnvironment)
            if (std::strncmp(*e, name.c_str(), name.size()) == 0 && (*e)[name.size()] == '=') replaced = true;
        if (!replaced) env.emplace_back(*e);
    }
    for (const auto& [name, value] : extraEnvironment) env.push_back(name + "=" + value);

    std::vector<std::string> argvStrings{program.string()};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (auto& a : argvStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tools
