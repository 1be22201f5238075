// SPDX-License-Identifier: Apache-2.0
#include "quillon/pages/frmProductSelection.h"

#include "quillon/ModMain.h"
#include "quillon/pages/PageLayout.h"
#include "quillon/pages/frmSearchProgress.h"
#include "quillon/settings/RegistryLayout.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;
using forms::Geometry;

frmProductSelection::frmProductSelection(ModMain& app)
    : Form("frmProductSelection"),
      Label1(add<forms::Label>("Label1", "Willkommen zum Quillon!", Geometry{16, 14, 468, 24})),
      Label2(add<forms::Label>("Label2",
                               "Dieser Assistent kann Aktualisierungen zu den unten angezeigten Produkten automatisch "
                               "aus dem Internet herunterladen und installieren. Bitte w\xC3\xA4hlen Sie alle Produkte "
                               "aus, die aktualisiert werden sollen.",
                               Geometry{16, 44, 468, 48})),
      Line1(add<forms::Line>("Line1", "", Geometry{0, 100, kPageWidth, 2})),
      lsvProducts(add<forms::ListView>("lsvProducts", "", Geometry{16, 114, 468, 186})),
      lblUsingLocalUpdateServer(add<forms::Label>("lblUsingLocalUpdateServer", "Lokaler Update-Server wird verwendet.",
                                                  Geometry{16, 306, 468, 18})),
      Line2(add<forms::Line>("Line2", "", kButtonRowLine)),
      cmdSelectAll(add<forms::CommandButton>("cmdSelectAll", "Alles ausw\xC3\xA4hlen",
                                             Geometry{16, kButtonRowTop, 112, kButtonHeight})),
      cmdClearAll(add<forms::CommandButton>("cmdClearAll", "Alles abw\xC3\xA4hlen",
                                            Geometry{136, kButtonRowTop, 112, kButtonHeight})),
      cmdContinue(add<forms::CommandButton>("cmdContinue", kContinueText, kContinueButton)),
      cmdCancel(add<forms::CommandButton>("cmdCancel", kCancelText, kCancelButton)),
      app_(app) {
    setUpPage(*this, "Quillon");
    Label1.setBold(true);
    Label1.setFontSize(12);
    lsvProducts.addColumn("Produktname", 440);
    lsvProducts.setCheckBoxes(true);
    lblUsingLocalUpdateServer.setVisible(false);
    setDefaultButton(&cmdContinue);
    setCancelButton(&cmdCancel);

    onLoad([this] { Form_Load(); });
    cmdSelectAll.onClick([this] {
        for (int i = 1; i <= lsvProducts.count(); ++i) lsvProducts.item(i).setChecked(true);
    });
    cmdClearAll.onClick([this] {
        for (int i = 1; i <= lsvProducts.count(); ++i) lsvProducts.item(i).setChecked(false);
    });
    cmdContinue.onClick([this] { cmdContinue_Click(); });
    cmdCancel.onClick([this] { unload(); });
}

void frmProductSelection::Form_Load() {
    app_.CheckLibraries();
    app_.SetUpInstallLogFolder();
    if (app_.RunMode == RunInteractive) EnumerateProducts();

    for (const std::string& key : app_.ProductKeys) lsvProducts.add(key, settings::productTitle(key));
    cmdSelectAll.click();

    if (settings::useLocalServer()) lblUsingLocalUpdateServer.setVisible(true);
}

void frmProductSelection::EnumerateProducts() {
    settings::createBaseKey();
    auto lister = toollib::makeKeyLister();
    lister->Open(toollib::HKEY_LOCAL_MACHINE, settings::productsKey(), platform::com::True, platform::com::False);
    app_.ProductKeys.clear();
    for (const auto& subkey : lister->Subkeys()->Items()) app_.ProductKeys.push_back(subkey.Name);
}

void frmProductSelection::cmdContinue_Click() {
    lsvProducts.setEnabled(false);
    cmdCancel.setEnabled(false);
    cmdSelectAll.setEnabled(false);
    cmdClearAll.setEnabled(false);
    cmdContinue.setEnabled(false);
    app_.searchProgress().show(forms::Modality::Modal);
    app_.searchProgress().unload();
    unload();
}

}  // namespace quillon
