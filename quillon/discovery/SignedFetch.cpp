// SPDX-License-Identifier: Apache-2.0
#include "quillon/discovery/SignedFetch.h"

#include <charconv>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>

#include "platform/forms/MessageBox.h"
#include "platform/prefix/Prefix.h"
#include "platform/trust/Minisign.h"
#include "platform/trust/SignatureCheck.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;
namespace trust = platform::trust;

namespace {

constexpr int kFailureStyle = forms::style::OkOnly | forms::style::Exclamation;
constexpr std::int64_t kSecondsPerDay = 86400;

// A whole non-negative decimal number; nullopt for anything else.
std::optional<std::int64_t> decimal(const std::string& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// The signature file's text, read no further than a signature file can be long.
std::optional<std::string> readSignature(const std::string& signaturePath) {
    // A FIFO or a device on a share would block or never end; only a plain file is read.
    const auto native = platform::prefix::toNative(signaturePath);
    std::error_code error;
    if (!std::filesystem::is_regular_file(native, error)) return std::nullopt;
    std::ifstream in(native, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(trust::kMaxSignatureFileBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// Why the file is refused, or nothing; records the timestamp when it is accepted.
enum class Verdict { Accepted, BadSignature, Older };
struct Outcome {
    Verdict verdict;
    std::string reason;
};

Outcome check(const FileSource& source, const std::string& remoteName, const std::string& localPath,
              const std::string& signaturePath, FileRole role, const std::string& keyLine) {
    auto key = trust::parsePublicKey(keyLine);
    if (!key) return {Verdict::BadSignature, "the configured PublicKey: " + key.error()};
    const auto text = readSignature(signaturePath);
    if (!text) return {Verdict::BadSignature, "no signature file came with it"};
    auto signature = trust::parseSignature(*text);
    if (!signature) return {Verdict::BadSignature, signature.error()};
    auto comment = trust::verifyFile(*key, *signature, platform::prefix::toNative(localPath));
    if (!comment) return {Verdict::BadSignature, comment.error()};
    auto timestamp = trust::timestampOf(*comment);
    if (!timestamp) return {Verdict::BadSignature, timestamp.error()};
    if (!*timestamp) return {Verdict::BadSignature, "the trusted comment carries no timestamp"};
    const std::int64_t seconds = **timestamp;

    if (role == FileRole::Index) {
        const std::string maxAge = settings::maxAgeDays(source.settingsKey);
        if (!maxAge.empty()) {
            const auto days = decimal(maxAge);
            if (!days || *days > std::numeric_limits<std::int64_t>::max() / kSecondsPerDay)
                return {Verdict::BadSignature, "MaxAgeDays is not a number of days"};
            if (std::int64_t{std::time(nullptr)} - seconds > *days * kSecondsPerDay)
                return {Verdict::BadSignature, "the index file was signed more than " + maxAge + " days ago"};
        }
    }

    const auto accepted = decimal(settings::acceptedSignatureTime(source.trustName, remoteName));
    if (accepted && seconds < *accepted)
        return {Verdict::Older,
                "signed at " + std::to_string(seconds) + ", an accepted version at " + std::to_string(*accepted)};
    settings::writeAcceptedSignatureTime(source.trustName, remoteName, std::to_string(seconds));
    return {Verdict::Accepted, {}};
}

}  // namespace

FileSource updateServerSource(const std::string& serverName) {
    return {settings::serverKey(serverName), serverName};
}

FileSource localServerSource() {
    return {settings::localServerKey(), "LocalServer"};
}

bool signatureRequired(const FileSource& source) {
    return !settings::publicKey(source.settingsKey).empty();
}

std::string signaturePathFor(const std::string& localPath) {
    return localPath + ".minisig";
}

bool verifyFetchedFile(const FileSource& source, const std::string& remoteName, const std::string& localPath,
                       const std::string& signaturePath, FileRole role) {
    const std::string keyLine = settings::publicKey(source.settingsKey);
    if (keyLine.empty()) return true;
    const Outcome outcome = check(source, remoteName, localPath, signaturePath, role, keyLine);
    if (outcome.verdict == Verdict::Accepted) return true;

    toollib::gorslb().DeleteFile(localPath);
    std::cerr << "quillon: " << remoteName << ": " << outcome.reason << '\n';
    const std::string text = outcome.verdict == Verdict::Older ? "\" ist \xC3\xA4lter als die zuletzt gepr\xC3\xBC"
                                                                 "fte Fassung."
                                                               : "\" ist nicht g\xC3\xBCltig signiert.";
    forms::messageBox("Update fehlgeschlagen: Die Datei \"" + remoteName + text, kFailureStyle, "Fehler");
    return false;
}

}  // namespace quillon
