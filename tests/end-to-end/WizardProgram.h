// SPDX-License-Identifier: Apache-2.0
// The built wizard run as a program on the console host, in a prefix of its own with the
// libraries registered, against a real FTP server (started on first use) or the local server.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryStore.h"
#include "quillon/ModMain.h"
#include "quillon/settings/RegistryLayout.h"
#include "tests/support/FtpServer.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"
#include "tests/wizard/UpdateServers.h"

namespace wizard_tests {

class WizardProgram : public ::testing::Test {
protected:
    WizardProgram() : serverRoot(testing_support::makeTempDirectory("quillon-updates")) {}
    ~WizardProgram() override {
        std::error_code ec;
        std::filesystem::remove_all(serverRoot, ec);
    }

    testing_support::ProgramResult quillon(const std::vector<std::string>& args, const std::string& input = {},
                                           std::vector<std::pair<std::string, std::string>> environment = {}) {
        testing_support::RunOptions options;
        options.input = input;
        options.environment = std::move(environment);
        options.environment.insert(options.environment.end(),
                                   {{"QUILLON_UI", "console"}, {"QUILLON_PREFIX", prefix.root().string()}});
        options.timeoutSeconds = 120;
        // The registry store is shared with the child: let go of ours while it runs.
        platform::registry::RegistryStore::resetPrefixStore();
        return testing_support::runProgram(testing_support::program("quillon"), args, options);
    }
    std::string get(const std::string& key, const std::string& name) {
        return platform::registry::RegistryStore::forPrefix().readText(platform::registry::Hive::LocalMachine, key,
                                                                       name, "<missing>");
    }
    std::string get(const char* name) { return get(quillon::settings::kBaseKey, name); }
    void set(const std::string& key, const std::string& name, const std::string& value) {
        platform::registry::RegistryStore::forPrefix().setValue(platform::registry::Hive::LocalMachine, key, name,
                                                                platform::registry::Value::string(value));
    }
    void set(const char* name, const std::string& value) { set(quillon::settings::kBaseKey, name, value); }
    // The FTP server "S" (user anna), which serves serverRoot/updates, and a product on it.
    void ftpProduct(const std::string& key, const std::string& title, const std::string& version,
                    const std::string& updateFile = "index.idx") {
        if (!server)
            server = std::make_unique<testing_support::FtpServer>(
                testing_support::FtpServerOptions{serverRoot, {testing_support::FtpUser{"anna", "geheim"}}});
        registerServer({"S", "127.0.0.1", std::to_string(server->port()), "\\updates", "anna", "geheim"});
        registerProduct({key, title, "S", updateFile, version});
    }

    testing_support::TestPrefix prefix{testing_support::Libraries::Registered};
    std::filesystem::path serverRoot;
    std::unique_ptr<testing_support::FtpServer> server;
};

}  // namespace wizard_tests
