// SPDX-License-Identifier: Apache-2.0
#include "quillon/discovery/ServerAccess.h"

#include "platform/com/Conversion.h"
#include "platform/com/Events.h"
#include "platform/forms/MessageBox.h"
#include "platform/support/TextCase.h"
#include "quillon/ModMain.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;
using platform::com::False;
using platform::com::True;

namespace {
constexpr int kFailureStyle = forms::style::OkOnly | forms::style::Exclamation;

void showFailure(const char* text) {
    forms::messageBox(text, kFailureStyle, "Fehler");
}

// How the client reaches a server of the given Protocol: service and connect flags.
struct ConnectWay {
    std::int32_t service;
    std::int32_t flags;
};
std::optional<ConnectWay> connectWayFor(const std::string& protocol) {
    const std::string name = platform::asciiLower(protocol);
    if (name == "ftp") return ConnectWay{gorsl::kServiceFtp, 0};
    if (name == "ftps") return ConnectWay{gorsl::kServiceFtp, gorsl::kConnectSecure};
    if (name == "https") return ConnectWay{gorsl::kServiceHttp, gorsl::kConnectSecure};
    return std::nullopt;
}
}  // namespace

void ShowInternetError(const std::string& errorText) {
    forms::messageBox(
        "Fehler beim Ausf\xC3\xBChren der Operation \xC3\xBC"
        "ber die WinInet-Schnittstelle:\r\n\r\n" +
            errorText,
        kFailureStyle, "Fehler");
}

bool DownloadFile(const std::string& productKey, const std::string& remoteFile, const std::string& localPath,
                  platform::TransferKind kind, gorsl::IInternetClientEvents* progress, std::optional<FileRole> role) {
    auto& gorslb = toollib::gorslb();
    const std::string server = settings::updateServer(productKey);
    const std::string protocol = settings::serverProtocol(server);
    const std::optional<ConnectWay> way = connectWayFor(protocol);
    const std::string host = settings::serverHost(server);
    const std::string port = settings::serverPort(server, way && way->service == gorsl::kServiceHttp ? "443" : "21");
    const std::string directory = settings::serverPath(server);
    const std::string userName = settings::serverUserName(server);
    const std::string password = settings::serverPassword(server);

    auto client = toollib::makeInternetClient();
    if (progress)
        if (auto source = platform::com::queryAs<platform::com::IEventSource>(client.get()))
            source->advise(gorsl::IInternetClientEvents::iid, progress);
    if (client->Open(kProgramTitle, toollib::kDirectAccess, "", 0) == False) {
        showFailure("Update fehlgeschlagen: Internet-Funktionen nicht verf\xC3\xBCgbar.");
        return false;
    }
    // Plain FTP has no certificates; an unknown Protocol is refused, never taken for plain FTP.
    if (way && (way->flags & gorsl::kConnectSecure))
        if (const std::string caFile = settings::serverCAFile(server); !caFile.empty())
            client->TrustCertificateAuthorities(caFile);
    if (!way || client->Connect(way->service, host, platform::com::textToLong(port), userName, password, way->flags,
                                0) == False) {
        ShowInternetError(way ? client->LastErrorText()
                              : "Protocol \"" + protocol + "\" is not supported, only ftp, ftps and https");
        showFailure("Update fehlgeschlagen: Keine Verbindung zum Update-Server.");
        return false;
    }
    bool result = false;
    if (client->ChangeDirectory(directory) == False) {
        ShowInternetError(client->LastErrorText());
        showFailure("Update fehlgeschlagen: Verzeichnis nicht gefunden.");
    } else {
        gorslb.DeleteFile(localPath);
        const std::int32_t transferFlags = kind == platform::TransferKind::Descriptor ? gorsl::kTransferDescriptor : 0;
        bool fetched = client->GetFile(directory + "/" + remoteFile, localPath, True, 0, transferFlags, 0) != False;
        result = fetched && toollib::gorsla().FileExists(localPath) != False;
        if (!result) {
            ShowInternetError(client->LastErrorText());
            showFailure("Update fehlgeschlagen: Datei nicht erfolgreich heruntergeladen.");
        } else if (const FileSource source = updateServerSource(server); signatureRequired(source)) {
            // A missing signature is not a transfer failure of its own: the check reports it.
            const std::string signature = signaturePathFor(localPath);
            gorslb.DeleteFile(signature);
            client->GetFile(directory + "/" + remoteFile + ".minisig", signature, True, 0, gorsl::kTransferDescriptor,
                            0);
            const FileRole fileRole =
                role.value_or(kind == platform::TransferKind::Archive ? FileRole::Archive : FileRole::Description);
            result = verifyFetchedFile(source, remoteFile, localPath, signature, fileRole);
            gorslb.DeleteFile(signature);
        }
    }
    client->Close();
    return result;
}

}  // namespace quillon
