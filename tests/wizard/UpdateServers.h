// SPDX-License-Identifier: Apache-2.0
// Update servers for the wizard's tests: descriptor files and update archives on disk (for a
// real FTP server or the local server under the prefix's unc/ folder) and the registry entries
// that point a product at them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegistryStore.h"
#include "quillon/ModMain.h"
#include "quillon/settings/RegistryLayout.h"
#include "tests/support/Programs.h"
#include "tests/support/TestPrefix.h"

namespace wizard_tests {

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// The file's bytes; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An update archive as a maker builds it with zip: aupdate.inf and the files beside it.
inline void makeUpdateArchive(const std::filesystem::path& archive, const std::string& script,
                              const std::vector<std::pair<std::string, std::string>>& files) {
    namespace fs = std::filesystem;
    const fs::path folder = testing_support::makeTempDirectory("quillon-archive");
    writeFile(folder / "aupdate.inf", script);
    for (const auto& [name, content] : files) writeFile(folder / name, content);
    fs::create_directories(archive.parent_path());
    testing_support::RunOptions options;
    options.workingDirectory = folder;
    auto zipped = testing_support::runProgram("/usr/bin/zip", {"-q", "-r", "-X", archive.string(), "."}, options);
    fs::remove_all(folder);
    ASSERT_EQ(zipped.status, 0) << zipped.err;
}

// An index whose one condition is "=maj.=min.=rev" pointing at `description`.
inline std::string indexFor(const std::string& version, const std::string& description) {
    return "adu1.0ov\r\nindex\r\n" + version + "\r\n" + description + "\r\n";
}

inline std::string descriptionFor(int type, const std::string& data, const std::string& text) {
    return "adu1.0sl\r\nline 2\r\nline 3\r\n" + std::to_string(type) + "\r\n" + data + "\r\n" + text + "\r\n";
}

struct ServerEntry {
    std::string name;
    std::string host;
    std::string port;  // empty: no Port value
    std::string path;  // empty: no Path value
    std::string user;
    std::string password;
};

inline void registerServer(const ServerEntry& server) {
    namespace reg = platform::registry;
    auto& store = reg::RegistryStore::forPrefix();
    const std::string key = std::string(quillon::settings::kBaseKey) + "\\Servers\\" + server.name;
    store.createKey(reg::Hive::LocalMachine, key);
    auto set = [&](const char* name, const std::string& value) {
        if (!value.empty()) store.setValue(reg::Hive::LocalMachine, key, name, reg::Value::string(value));
    };
    set("Host", server.host);
    set("Port", server.port);
    set("Path", server.path);
    set("UserName", server.user);
    set("Password", server.password);
}

struct ProductEntry {
    std::string key;
    std::string title;  // empty: no Title value
    std::string server;
    std::string updateFile;
    std::string version = "1.0.0";
};

inline void registerProduct(const ProductEntry& product) {
    namespace reg = platform::registry;
    auto& store = reg::RegistryStore::forPrefix();
    const std::string key = std::string(quillon::settings::kBaseKey) + "\\Products\\" + product.key;
    store.createKey(reg::Hive::LocalMachine, key);
    auto set = [&](const char* name, const std::string& value) {
        store.setValue(reg::Hive::LocalMachine, key, name, reg::Value::string(value));
    };
    if (!product.title.empty()) set("Title", product.title);
    if (!product.server.empty()) set("UpdateServer", product.server);
    set("UpdateFile", product.updateFile);
    std::string v = product.version;
    auto dot1 = v.find('.'), dot2 = v.rfind('.');
    set("VerMaj", v.substr(0, dot1));
    set("VerMin", v.substr(dot1 + 1, dot2 - dot1 - 1));
    set("VerRev", v.substr(dot2 + 1));
}

inline void useLocalServer(const std::string& serverName, const std::string& serverPath) {
    namespace reg = platform::registry;
    auto& store = reg::RegistryStore::forPrefix();
    const std::string key = std::string(quillon::settings::kBaseKey) + "\\LocalServer";
    store.setValue(reg::Hive::LocalMachine, key, "UseLocalServer", reg::Value::string("1"));
    store.setValue(reg::Hive::LocalMachine, key, "ServerName", reg::Value::string(serverName));
    store.setValue(reg::Hive::LocalMachine, key, "ServerPath", reg::Value::string(serverPath));
}

}  // namespace wizard_tests
