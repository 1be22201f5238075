// SPDX-License-Identifier: Apache-2.0
#include "quillon/pages/frmDownloadProgress.h"

#include <charconv>

#include "platform/com/Conversion.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/MessageBox.h"
#include "platform/support/TextCase.h"
#include "quillon/ModMain.h"
#include "quillon/discovery/ServerAccess.h"
#include "quillon/discovery/SignedFetch.h"
#include "quillon/install/InstallRun.h"
#include "quillon/pages/FrmFoundUpdates.h"
#include "quillon/pages/PageLayout.h"
#include "quillon/pages/UnpackUpdate.h"
#include "quillon/pages/UpdateProgress.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;
using platform::com::False;

namespace {

enum class UpdateKind { Archive, WebPage, Other };

// The type is compared as a number, so " 1 " and "1.0" are archives; a text that is no
// number at all is no type we know.
UpdateKind kindOf(const std::string& updateType) {
    std::string_view text = platform::trimBlanks(updateType);
    double number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return UpdateKind::Other;
    if (number == 1) return UpdateKind::Archive;
    if (number == 2) return UpdateKind::WebPage;
    return UpdateKind::Other;
}

void showFailure(const char* text) {
    forms::messageBox(text, forms::style::OkOnly | forms::style::Exclamation, "Fehler");
}
}  // namespace

frmDownloadProgress::frmDownloadProgress(ModMain& app)
    : Form("frmDownloadProgress"),
      Label1(add<forms::Label>("Label1", "Updates werden heruntergeladen und installiert...", kProgressText)),
      lblUpdate(add<forms::Label>("lblUpdate", "", kProgressItem)),
      Image1(add<forms::Image>("Image1", "", kProgressIcon)),
      prgProgress(add<forms::ProgressBar>("prgProgress", "", kProgressBar)),
      app_(app) {
    setUpProgressPage(*this, Image1);
    setClientSize({kProgressPageWidth, kProgressBar.top + kProgressBar.height + 16});
    prgProgress.setVisible(false);  // until an archive is on its way
    onActivate([this] { Form_Activate(); });
}

void frmDownloadProgress::Form_Activate() {
    auto& gorslb = toollib::gorslb();
    const bool localServer = settings::useLocalServer();
    const std::string tempFile = gorslb.TempFileName("Quillon");
    settings::writeLastResult("0");

    auto progress = platform::com::make<UpdateProgress>(prgProgress);
    auto& rows = app_.foundUpdates().lsvUpdates;
    for (int row = 1; row <= rows.count(); ++row) {
        if (!rows.item(row).checked()) continue;
        const FoundUpdate& update = app_.FoundUpdates.at(static_cast<std::size_t>(row - 1));
        InstallUpdate(update, localServer, tempFile, *progress);
    }

    hide();
    forms::messageBox(app_.RunMode == RunDirectUpdate ? "Das Update wurde ausgef\xC3\xBChrt."
                                                      : "Alle Updates wurden ausgef\xC3\xBChrt.",
                      forms::style::OkOnly | forms::style::Information, kProgramTitle);
    gorslb.DeleteFile(tempFile);
}

void frmDownloadProgress::InstallUpdate(const FoundUpdate& update, bool localServer, const std::string& tempFile,
                                        UpdateProgress& progress) {
    auto& gorsla = toollib::gorsla();
    auto& gorslb = toollib::gorslb();
    if (!localServer) {
        lblUpdate.setText(settings::productTitleOrEmpty(update.ProductKey));
        forms::doEvents();
    }
    switch (kindOf(update.UpdateType)) {
        case UpdateKind::Archive: {
            gorslb.DeleteFile(tempFile);
            const std::string archiveName = gorsla.FileNamePart(update.UpdateData, 0);
            const bool fetched = localServer
                                     ? FetchFromLocalServer(archiveName, tempFile)
                                     : FetchFromUpdateServer(update.ProductKey, archiveName, tempFile, progress);
            if (fetched) UnpackAndInstall(update.ProductKey, archiveName, tempFile, progress);
            break;
        }
        case UpdateKind::WebPage:
            OfferWebPage(update.UpdateData);
            break;
        case UpdateKind::Other:
            break;
    }
}

bool frmDownloadProgress::FetchFromUpdateServer(const std::string& productKey, const std::string& archiveName,
                                                const std::string& tempFile, UpdateProgress& progress) {
    progress.downloading(archiveName);
    if (!DownloadFile(productKey, archiveName, tempFile, platform::TransferKind::Archive, &progress)) return false;
    progress.downloaded();
    return true;
}

bool frmDownloadProgress::FetchFromLocalServer(const std::string& archiveName, const std::string& tempFile) {
    auto& gorsla = toollib::gorsla();
    const std::string source = settings::localServerFile(archiveName);
    gorsla.CopyFile(source, tempFile, platform::com::True);
    if (gorsla.FileExists(tempFile) == False) {
        showFailure("Update fehlgeschlagen: Lokaler Server lieferte keine g\xC3\xBCltige Datei.");
        return false;
    }
    // A local server with a key of its own signs its archives too (it tells the user itself).
    return verifyFetchedFile(localServerSource(), archiveName, tempFile, signaturePathFor(source), FileRole::Archive);
}

void frmDownloadProgress::UnpackAndInstall(const std::string& productKey, const std::string& archiveName,
                                           const std::string& tempFile, UpdateProgress& progress) {
    progress.unpacking(archiveName);
    if (!UnpackUpdate(tempFile, &progress)) {
        showFailure("Update fehlgeschlagen: Das Update konnte nicht entpackt werden.");
        return;
    }
    RunInstallScript(toollib::gorslb().SpecialFolder(toollib::kInstallTempFolderCode, 0, 0), productKey);
    settings::writeLastResult("1");
}

void frmDownloadProgress::OfferWebPage(const std::string& address) {
    int answer = forms::messageBox(
        "Das Update kann nicht automatisch heruntergeladen werden. Sie k\xC3\xB6nnen aber die folgende Website "
        "besuchen, um mehr Informationen zu erhalten: " +
            address +
            "\r\n\r\nM\xC3\xB6"
            "chten Sie diese URL \xC3\xB6"
            "ffnen?",
        forms::style::YesNo | forms::style::Question, "Update");
    if (answer == forms::answer::Yes) toollib::gorslb().ShellOpen(address, 0, "", "", "", toollib::kShowNormal);
}

}  // namespace quillon
