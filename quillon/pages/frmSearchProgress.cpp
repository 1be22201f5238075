// SPDX-License-Identifier: Apache-2.0
#include "quillon/pages/frmSearchProgress.h"

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
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;

namespace {
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
    auto& gorslb = toollib::gorslb();
    const bool localServer = settings::useLocalServer();
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
        settings::writeLastResult("0");
        found.unload();
        forms::messageBox("Keine Updates verf\xC3\xBCgbar.", forms::style::OkOnly | forms::style::Information,
                          kProgramTitle);
    } else {
        const FoundUpdate& first = app_.FoundUpdates.front();
        settings::writeLastResult("1");
        settings::writeLastType(first.UpdateType);
        settings::writeLastData(first.UpdateData);
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
    lblProduct.setText(settings::productTitleOrEmpty(productKey));
    forms::doEvents();
    // DownloadFile tells the user itself why a file did not arrive.
    SearchProduct(productKey, tempFile, [&](const std::string& file, FileRole role) {
        return DownloadFile(productKey, file, tempFile, platform::TransferKind::Descriptor, nullptr, role);
    });
}

void frmSearchProgress::SearchLocalServer(const std::string& productKey, const std::string& rowText,
                                          const std::string& tempFile) {
    SearchProduct(productKey, tempFile, [&](const std::string& file, FileRole role) {
        const std::string source = settings::localServerFile(file);
        if (!fetchFromLocalServer(source, tempFile)) {
            forms::messageBox("Update fehlgeschlagen: Lokaler Server lieferte keine g\xC3\xBCltige Datei.",
                              forms::style::OkOnly | forms::style::Exclamation, rowText + " - Fehler");
            return false;
        }
        return verifyFetchedFile(localServerSource(), file, tempFile, signaturePathFor(source), role);
    });
}

void frmSearchProgress::SearchProduct(const std::string& productKey, const std::string& tempFile,
                                      const DescriptorFetch& fetch) {
    if (!fetch(settings::updateFile(productKey), FileRole::Index)) return;
    const InstalledVersion installed = settings::installedVersion(productKey);
    const std::string description = ReadUpdateIndex(tempFile, installed.major, installed.minor, installed.revision);
    if (description.empty()) return;
    if (!fetch(description, FileRole::Description)) return;
    ReadUpdateDescription(tempFile, productKey, app_.FoundUpdates, app_.foundUpdates().lsvUpdates);
}

}  // namespace quillon
