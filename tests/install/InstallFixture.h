// SPDX-License-Identifier: Apache-2.0
// A throwaway prefix with the real tool libraries registered and the test host, for running
// install scripts on real files and reading back the product's install log.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/prefix/Prefix.h"
#include "platform/registry/RegistryStore.h"
#include "quillon/install/InstallRun.h"
#include "quillon/install/RunState.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"
#include "tests/support/TestHost.h"
#include "tests/support/TestPrefix.h"

namespace install_tests {

namespace fs = std::filesystem;
namespace reg = platform::registry;

inline constexpr const char* kUpdateFolder = "C:\\update";

class InstallTest : public ::testing::Test {
protected:
    InstallTest() : prefix(testing_support::Libraries::Registered) {
        quillon::toollib::releaseGlobalObjects();
        quillon::sharedRunState() = {};
    }
    ~InstallTest() override {
        quillon::toollib::releaseGlobalObjects();
        quillon::sharedRunState() = {};
    }

    static fs::path native(const std::string& windowsPath) { return platform::prefix::toNative(windowsPath); }
    static void writeFile(const std::string& windowsPath, const std::string& bytes) {
        fs::path path = native(windowsPath);
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::optional<std::string> readFile(const std::string& windowsPath) {
        std::ifstream in(native(windowsPath), std::ios::binary);
        if (!in) return std::nullopt;
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static reg::RegistryStore& store() { return reg::RegistryStore::forPrefix(); }
    static void setVariable(const std::string& product, const std::string& name, const std::string& data) {
        store().setValue(reg::Hive::LocalMachine, quillon::settings::productVariablesKey(product), name,
                         reg::Value::string(data));
    }

    // Writes the script into the update folder and runs it for the product.
    void run(const std::string& script, const std::string& product = "Office") {
        writeFile(std::string(kUpdateFolder) + "\\aupdate.inf", script);
        quillon::RunInstallScript(kUpdateFolder, product);
    }

    // The raw bytes of the product's log; nothing when there is none.
    static std::optional<std::string> logBytes(const std::string& product = "Office") {
        const auto& folder = quillon::sharedRunState().InstallLogFolder;
        if (folder.empty()) return std::nullopt;
        return readFile(folder + "\\UpdateLog " + product + ".txt");
    }
    // The log's lines (each ended by CR LF).
    static std::vector<std::string> logLines(const std::string& product = "Office") {
        std::vector<std::string> lines;
        auto bytes = logBytes(product);
        if (!bytes) return lines;
        std::size_t start = 0;
        for (std::size_t end; (end = bytes->find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(bytes->substr(start, end - start));
        EXPECT_EQ(start, bytes->size()) << "the log does not end with CR LF";
        return lines;
    }
    // The lines of the last run, after its empty line and header.
    static std::vector<std::string> runLines(const std::string& product = "Office") {
        auto lines = logLines(product);
        for (std::size_t i = lines.size(); i >= 2; --i) {
            if (lines[i - 2].empty() && lines[i - 1].starts_with("=== PROTOKOLL VON "))
                return {lines.begin() + static_cast<std::ptrdiff_t>(i), lines.end()};
        }
        ADD_FAILURE() << "no run header in the log";
        return {};
    }

    testing_support::TestPrefix prefix;
    testing_support::TestHost host;
};

}  // namespace install_tests
