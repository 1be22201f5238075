// SPDX-License-Identifier: Apache-2.0
// The wizard's registry layout: every key it builds and every value it reads or writes, one
// function per value, each read with its default. All keys lie in HKEY_LOCAL_MACHINE; all
// values are text, written with the string type, numbers read with the leading-number
// conversion. Nothing else in the wizard spells a key path or a value name.
// Part of quillon/settings; depends on quillon/toollib and quillon/discovery's descriptor types.
#pragma once

#include <string>

#include "quillon/discovery/DescriptorFiles.h"

namespace quillon::settings {

inline constexpr const char* kBaseKey = "Software\\Orvane\\Software Updates";
// Where queued component registrations wait for the next start (outside the base key).
inline constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Keys below the base key.
std::string productsKey();                                    // Products
std::string productKey(const std::string& product);           // Products\<product>
std::string productVariablesKey(const std::string& product);  // Products\<product>\Vars
std::string serverKey(const std::string& server);             // Servers\<server>
std::string localServerKey();                                 // LocalServer
std::string trustKey(const std::string& source);              // Trust\<source>

// The base key itself, made when missing before the products are listed.
void createBaseKey();
// The outcome of the last search or installation; the wizard never reads them back.
void writeLastResult(const std::string& value);
void writeLastType(const std::string& updateType);  // LastT
void writeLastData(const std::string& updateData);  // LastD

// Products\<product>
std::string productTitle(const std::string& product);         // Title, "n/a" (lists)
std::string productTitleOrEmpty(const std::string& product);  // Title, "" (progress labels)
std::string updateServer(const std::string& product);         // UpdateServer, ""
std::string updateFile(const std::string& product);           // UpdateFile, ""
// VerMaj, VerMin, VerRev, read in this order, "0" each.
InstalledVersion installedVersion(const std::string& product);
// Writes VerMaj, VerMin, VerRev as given (the install script's SETVER).
void writeInstalledVersion(const std::string& product, const std::string& major, const std::string& minor,
                           const std::string& revision);

// Servers\<server>
std::string serverHost(const std::string& server);      // Host, ""
std::string serverProtocol(const std::string& server);  // Protocol, "ftp" ("ftp", "ftps" or "https")
// Port, decimal text; the default is the protocol's: "21" for FTP and FTPS, "443" for HTTPS.
std::string serverPort(const std::string& server, const char* protocolDefault = "21");
std::string serverPath(const std::string& server);      // Path, "\"
std::string serverUserName(const std::string& server);  // UserName, ""
std::string serverPassword(const std::string& server);  // Password, ""
std::string serverCAFile(const std::string& server);    // CAFile, "" (the system's certificate store)

// LocalServer
// UseLocalServer, "0": true when its leading number is not 0 (passed through the tool
// library's truth value).
bool useLocalServer();
std::string localServerName();  // ServerName, ""
std::string localServerPath();  // ServerPath, ""
// \\ServerName\ServerPath\<file>, both read anew.
std::string localServerFile(const std::string& file);

// Signed update files: a key holding PublicKey (Servers\<server> or LocalServer), and the
// newest accepted signature time of each file, kept under Trust\<source>.
std::string publicKey(const std::string& settingsKey);                                  // PublicKey, ""
std::string maxAgeDays(const std::string& settingsKey);                                 // MaxAgeDays, ""
std::string acceptedSignatureTime(const std::string& source, const std::string& file);  // "", seconds
void writeAcceptedSignatureTime(const std::string& source, const std::string& file, const std::string& seconds);

// A command line run once at the next start, under its own value name in kRunOnceKey.
void writeRunOnce(const std::string& name, const std::string& commandLine);

}  // namespace quillon::settings
