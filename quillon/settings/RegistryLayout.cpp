// SPDX-License-Identifier: Apache-2.0
#include "quillon/settings/RegistryLayout.h"

#include "platform/com/Conversion.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon::settings {

namespace {

std::string read(const std::string& key, const std::string& value, const char* fallback) {
    return toollib::gorslb().RegistryRead(toollib::HKEY_LOCAL_MACHINE, key, value, fallback);
}

void write(const std::string& key, const std::string& value, const std::string& text) {
    toollib::gorslb().RegistryWrite(toollib::HKEY_LOCAL_MACHINE, key, value, text, toollib::REG_SZ);
}

std::int32_t versionPart(const std::string& product, const char* value) {
    return platform::com::textToLong(read(productKey(product), value, "0"));
}

}  // namespace

std::string productsKey() {
    return std::string(kBaseKey) + "\\Products";
}
std::string productKey(const std::string& product) {
    return productsKey() + "\\" + product;
}
std::string productVariablesKey(const std::string& product) {
    return productKey(product) + "\\Vars";
}
std::string serverKey(const std::string& server) {
    return std::string(kBaseKey) + "\\Servers\\" + server;
}
std::string localServerKey() {
    return std::string(kBaseKey) + "\\LocalServer";
}
std::string trustKey(const std::string& source) {
    return std::string(kBaseKey) + "\\Trust\\" + source;
}

void createBaseKey() {
    toollib::gorslb().CreateKey(toollib::HKEY_LOCAL_MACHINE, kBaseKey);
}
void writeLastResult(const std::string& value) {
    write(kBaseKey, "LastResult", value);
}
void writeLastType(const std::string& updateType) {
    write(kBaseKey, "LastT", updateType);
}
void writeLastData(const std::string& updateData) {
    write(kBaseKey, "LastD", updateData);
}

std::string productTitle(const std::string& product) {
    return read(productKey(product), "Title", "n/a");
}
std::string productTitleOrEmpty(const std::string& product) {
    return read(productKey(product), "Title", "");
}
std::string updateServer(const std::string& product) {
    return read(productKey(product), "UpdateServer", "");
}
std::string updateFile(const std::string& product) {
    return read(productKey(product), "UpdateFile", "");
}
InstalledVersion installedVersion(const std::string& product) {
    InstalledVersion version;
    version.major = versionPart(product, "VerMaj");
    version.minor = versionPart(product, "VerMin");
    version.revision = versionPart(product, "VerRev");
    return version;
}
void writeInstalledVersion(const std::string& product, const std::string& major, const std::string& minor,
                           const std::string& revision) {
    const std::string key = productKey(product);
    write(key, "VerMaj", major);
    write(key, "VerMin", minor);
    write(key, "VerRev", revision);
}

std::string serverHost(const std::string& server) {
    return read(serverKey(server), "Host", "");
}
std::string serverProtocol(const std::string& server) {
    return read(serverKey(server), "Protocol", "ftp");
}
std::string serverPort(const std::string& server, const char* protocolDefault) {
    return read(serverKey(server), "Port", protocolDefault);
}
std::string serverPath(const std::string& server) {
    return read(serverKey(server), "Path", "\\");
}
std::string serverUserName(const std::string& server) {
    return read(serverKey(server), "UserName", "");
}
std::string serverPassword(const std::string& server) {
    return read(serverKey(server), "Password", "");
}
std::string serverCAFile(const std::string& server) {
    return read(serverKey(server), "CAFile", "");
}

bool useLocalServer() {
    const std::string text = read(localServerKey(), "UseLocalServer", "0");
    const auto flag = platform::com::toBoolean(platform::com::leadingNumber(text) != 0);
    return toollib::gorsla().TruthValue(flag) != platform::com::False;
}
std::string localServerName() {
    return read(localServerKey(), "ServerName", "");
}
std::string localServerPath() {
    return read(localServerKey(), "ServerPath", "");
}
std::string localServerFile(const std::string& file) {
    const std::string name = localServerName();
    const std::string path = localServerPath();
    return "\\\\" + name + "\\" + path + "\\" + file;
}

std::string publicKey(const std::string& settingsKey) {
    return read(settingsKey, "PublicKey", "");
}
std::string maxAgeDays(const std::string& settingsKey) {
    return read(settingsKey, "MaxAgeDays", "");
}
std::string acceptedSignatureTime(const std::string& source, const std::string& file) {
    return read(trustKey(source), file, "");
}
void writeAcceptedSignatureTime(const std::string& source, const std::string& file, const std::string& seconds) {
    write(trustKey(source), file, seconds);
}

void writeRunOnce(const std::string& name, const std::string& commandLine) {
    write(kRunOnceKey, name, commandLine);
}

}  // namespace quillon::settings
