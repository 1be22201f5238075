// SPDX-License-Identifier: Apache-2.0
// A throwaway prefix with the real libraries registered, the test host, and the wizard run
// through the real program entry, for page tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/forms/Program.h"
#include "platform/registry/RegistryStore.h"
#include "quillon/ModMain.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"
#include "tests/support/TestHost.h"
#include "tests/support/TestPrefix.h"

namespace wizard_tests {

namespace reg = platform::registry;

class WizardTest : public ::testing::Test {
protected:
    WizardTest() : prefix(testing_support::Libraries::Registered) { quillon::toollib::releaseGlobalObjects(); }
    ~WizardTest() override { quillon::toollib::releaseGlobalObjects(); }

    static std::string productKey(const std::string& product) {
        return std::string(quillon::settings::kBaseKey) + "\\Products\\" + product;
    }
    static reg::RegistryStore& store() { return reg::RegistryStore::forPrefix(); }
    void set(const std::string& key, const std::string& name, const std::string& value) {
        store().setValue(reg::Hive::LocalMachine, key, name, reg::Value::string(value));
    }
    std::string get(const std::string& key, const std::string& name) {
        return store().readText(reg::Hive::LocalMachine, key, name, "<missing>");
    }
    void addProduct(const std::string& product, const std::optional<std::string>& title) {
        store().createKey(reg::Hive::LocalMachine, productKey(product));
        if (title) set(productKey(product), "Title", *title);
    }

    // Runs the start procedure through the program entry, as the program does; the wizard
    // stays for inspection afterwards.
    int run(const std::string& commandLine) {
        wizard = std::make_unique<quillon::ModMain>();
        return platform::forms::runProgram({quillon::kProgramTitle}, [&] { wizard->Main(commandLine); });
    }

    testing_support::TestPrefix prefix;
    testing_support::TestHost host;
    std::unique_ptr<quillon::ModMain> wizard;
};

}  // namespace wizard_tests
