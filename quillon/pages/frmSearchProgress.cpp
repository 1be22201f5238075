// SPDX-License-Identifier: Apache-2.0
#include "quillon/pages/frmSearchProgress.h"

#include "platform/com/Conversion.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/MessageBox.h"
#include "platform/prefix/Prefix.h"
#include "platform/support/TransferBounds.h"
#include "quillon/ModMain.h"
#include "quillon/discovery/DescriptorFiles.h"
#include "quillon/discovery/FoundUpdates.h"
#include "quillon/discovery/ServerAccess.h"
#include "quillon/discovery/SignedFetch.h"
#include "quillon/pages/FrmFoundUpdates.h"
#include "quillon/pages/PageLayout.h"
#include "quillon/pages/frmProductSelection.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;

namespace {
const std::string kProducts = std::string(kBaseKey) + "\\Products\\";
const std::string kLocalServer = std::string(kBaseKey) + "\\LocalServer";

std::int32_t versionPart(const std::string& productKey, const char* value) {
    return platform::com::textToLong(
        toollib::gorslb().RegistryRead(toollib::HKEY_LOCAL_MACHINE, kProducts + productKey, value, "0"));
}

std::string localServerPath(const std::string& file) {
    auto& gorslb = toollib::gorslb();
    std::string server = gorslb.RegistryRead(toollib::HKEY_LOCAL_MACHINE, kLocalServer, "ServerName", "");
    std::string path = gorslb.RegistryRead(toollib::HKEY_LOCAL_MACHINE, kLocalServer, "ServerPath", "");
    return "\\\\" + server + "\\" + path + "\\" + file;
}

// Copies a descriptor of the local server onto the temporary file; false when none arrived.
// One larger than a descriptor may be is not copied at all.
bool fetchFromLocalServer(const std::string& source, const std::string& tempFile) {
    toollib::gorslb().DeleteFile(tempFile);
    std::error_code error;
    const auto size = std::filesystem::file_size(platform::prefix::toNative(source), error);
    if (!error && size > platform::TransferBounds::fromEnvironment().descriptorMaxBytes) return false;
    toollib::gorsla().CopyFile(source, tempFile, platform::com::True);
    return toollib::gorsla().FileExists(tempFile) != platform::com::False;
}
}  // namespace

frmSearchProgress::frmSearchProgress(ModMain& app)
    : Form("frmSearchProgress"),
      Label1(add<forms::Label>("Label1", "Updates werden gesucht...", kProgressText)),
      lblProduct(add<forms::Label>("lblProduct", "", kProgressItem)),
      Image1(add<forms::Image>("Image1", "", kProgressIcon)),
      app_(app) {
    setUpProgressPage(*this, Image1);
    onActivate([this] { Form_Activate(); });
}

void frmSearchProgress::Form_Activate() {
    auto& gorsla = toollib::gorsla();
    auto& gorslb = toollib::gorslb();
    std::string useLocal = gorslb.RegistryRead(toollib::HKEY_LOCAL_MACHINE, kLocalServer, "UseLocalServer", "0");
    bool localServer = gorsla.TruthValue(platform::com::toBoolean(platform::com::leadingNumber(useLocal) != 0)) !=
                       platform::com::False;
    const std::string tempFile = gorslb.TempFileName("Quillon");

    app_.FoundUpdates.clear();
    FrmFoundUpdates& found = app_.foundUpdates();
    found.load();

    auto& products = app_.productSelection().lsvProducts;
    for (int row = 1; row <= products.count(); ++row) {
        if (!products.item(row).checked()) continue;
        const std::string& productKey = app_.ProductKeys.at(static_cast<std::size_t>(row - 1));
        if (localServer)
            SearchLocalServer(productKey, products.item(row).text(), tempFile);
        else
            SearchUpdateServer(productKey, tempFile);
    }

    hide();
    if (app_.FoundUpdates.empty()) {
        gorslb.RegistryWrite(toollib::HKEY_LOCAL_MACHINE, kBaseKey, "LastResult", "0", 1);
        found.unload();
        forms::messageBox("Keine Updates verf\xC3\xBCgbar.", forms::style::OkOnly | forms::style::Information,
                          kProgramTitle);
    } else {
        const FoundUpdate& first = app_.FoundUpdates.front();
        gorslb.RegistryWrite(toollib::HKEY_LOCAL_MACHINE, kBaseKey, "LastResult", "1", 1);
        gorslb.RegistryWrite(toollib::HKEY_LOCAL_MACHINE, kBaseKey, "LastT", first.UpdateType, 1);
        gorslb.RegistryWrite(toollib::HKEY_LOCAL_MACHINE, kBaseKey, "LastD", first.UpdateData, 1);
        if (app_.RunMode == RunSearchOnly) {
            const auto& row = found.lsvUpdates.item(1);
            forms::messageBox("Eine Aktualisierung f\xC3\xBCr \"" + row.text() + "\" ist verf\xC3\xBCgbar.\r\n\r\n" +
                                  "Beschreibung:\r\n" + row.tag(),
                              forms::style::OkOnly | forms::style::Information, kProgramTitle);
            found.unload();
        } else {
            found.show(forms::Modality::Modeless);
        }
    }
    gorslb.DeleteFile(tempFile);
}

void frmSearchProgress::SearchUpdateServer(const std::string& productKey, const std::string& tempFile) {
    auto& gorslb = toollib::gorslb();
    lblProduct.setText(gorslb.RegistryRead(toollib::HKEY_LOCAL_MACHINE, kProducts + productKey, "Title", ""));
    forms::doEvents();

    std::string indexFile = gorslb.RegistryRead(toollib::HKEY_LOCAL_MACHINE, kProducts + productKey, "UpdateFile", "");
    if (!DownloadFile(productKey, indexFile, tempFile, platform::TransferKind::Descriptor, nullptr, FileRole::Index))
        return;
    std::string description = ReadUpdateIndex(tempFile, versionPart(productKey, "VerMaj"),
                                              versionPart(productKey, "VerMin"), versionPart(productKey, "VerRev"));
    if (description.empty()) return;
    if (!DownloadFile(productKey, description, tempFile, platform::TransferKind::Descriptor)) return;
    ReadUpdateDescription(tempFile, productKey, app_.FoundUpdates, app_.foundUpdates().lsvUpdates);
}

void frmSearchProgress::SearchLocalServer(const std::string& productKey, const std::string& rowText,
                                          const std::string& tempFile) {
    auto failed = [&] {
        forms::messageBox("Update fehlgeschlagen: Lokaler Server lieferte keine g\xC3\xBCltige Datei.",
                          forms::style::OkOnly | forms::style::Exclamation, rowText + " - Fehler");
    };
    std::string indexFile =
        toollib::gorslb().RegistryRead(toollib::HKEY_LOCAL_MACHINE, kProducts + productKey, "UpdateFile", "");
    if (!fetchFromLocalServer(localServerPath(indexFile), tempFile)) return failed();
    if (!verifyFetchedFile(localServerSource(), indexFile, tempFile, signaturePathFor(localServerPath(indexFile)),
                           FileRole::Index))
        return;
    std::string description = ReadUpdateIndex(tempFile, versionPart(productKey, "VerMaj"),
                                              versionPart(productKey, "VerMin"), versionPart(productKey, "VerRev"));
    if (description.empty()) return;
    if (!fetchFromLocalServer(localServerPath(description), tempFile)) return failed();
    if (!verifyFetchedFile(localServerSource(), description, tempFile, signaturePathFor(localServerPath(description)),
                           FileRole::Description))
        return;
    ReadUpdateDescription(tempFile, productKey, app_.FoundUpdates, app_.foundUpdates().lsvUpdates);
}

}  // namespace quillon
