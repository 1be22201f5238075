// SPDX-License-Identifier: Apache-2.0
#include "quillon/discovery/ServerAccess.h"

#include "platform/com/Conversion.h"
#include "platform/com/Events.h"
#include "platform/forms/MessageBox.h"
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
    const std::string host = settings::serverHost(server);
    const std::string port = settings::serverPort(server);
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
    if (client->Connect(toollib::kServiceFtp, host, platform::com::textToLong(port), userName, password, 0, 0) ==
        False) {
        ShowInternetError(client->LastErrorText());
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
