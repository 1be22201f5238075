// SPDX-License-Identifier: Apache-2.0
#include "platform/gorsl/gorslb/ProcessRunner.h"

#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/gorslb/ChildProcess.h"
#include "platform/gorsl/gorslb/CommandLine.h"

namespace gorsl {

namespace {
class ProcessRunner final : public platform::com::Object<IProcessRunner> {
public:
    Boolean Run(const std::string& program, std::int32_t, std::int32_t, std::int32_t, const std::string& arguments,
                std::int32_t, std::int32_t, std::int32_t) override {
        auto executable = findProgram(program);
        if (!executable) return platform::com::False;
        auto status = runAndWait(*executable, splitArguments(arguments));
        return platform::com::toBoolean(status && *status == 0);
    }
};
}  // namespace

platform::com::Ptr<platform::com::Unknown> createProcessRunner() {
    return platform::com::make<ProcessRunner>();
}

}  // namespace gorsl
