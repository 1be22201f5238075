// SPDX-License-Identifier: Apache-2.0
#include "quillon/pages/FrmFoundUpdates.h"

#include "platform/forms/EventLoop.h"
#include "quillon/ModMain.h"
#include "quillon/pages/PageLayout.h"
#include "quillon/pages/frmDownloadProgress.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;
using forms::Geometry;

FrmFoundUpdates::FrmFoundUpdates(ModMain& app)
    : Form("FrmFoundUpdates"),
      Label1(add<forms::Label>("Label1",
                               "Der Quillon hat folgende Aktualisierungen gefunden. W\xC3\xA4hlen Sie die zu "
                               "installierenden Updates aus.",
                               Geometry{16, 14, 468, 36})),
      Line1(add<forms::Line>("Line1", "", Geometry{0, 58, kPageWidth, 2})),
      lsvUpdates(add<forms::ListView>("lsvUpdates", "", Geometry{16, 70, 468, 150})),
      txtUpdateDesc(add<forms::TextBox>("txtUpdateDesc",
                                        "W\xC3\xA4hlen Sie ein Update aus, um zus\xC3\xA4tzliche Informationen zu "
                                        "erhalten.\r\n",
                                        Geometry{16, 228, 468, 98})),
      Line2(add<forms::Line>("Line2", "", kButtonRowLine)),
      cmdContinue(add<forms::CommandButton>("cmdContinue", kContinueText, kContinueButton)),
      cmdCancel(add<forms::CommandButton>("cmdCancel", kCancelText, kCancelButton)),
      app_(app) {
    setUpPage(*this, "Updates installieren");
    lsvUpdates.addColumn("Update-Informationen", 440);
    lsvUpdates.setCheckBoxes(true);
    txtUpdateDesc.setMultiLine(true);
    txtUpdateDesc.setReadOnly(true);
    txtUpdateDesc.setScrollBars(forms::ScrollBars::Vertical);
    txtUpdateDesc.setBackground(forms::Background::Dialog);
    setDefaultButton(&cmdContinue);
    setCancelButton(&cmdCancel);

    lsvUpdates.onItemClick([this](forms::ListItem& item) { txtUpdateDesc.setText(item.tag()); });
    cmdContinue.onClick([this] { cmdContinue_Click(); });
    cmdCancel.onClick([this] { unload(); });
}

void FrmFoundUpdates::cmdContinue_Click() {
    lsvUpdates.setEnabled(false);
    txtUpdateDesc.setEnabled(false);
    cmdCancel.setEnabled(false);
    cmdContinue.setEnabled(false);
    forms::doEvents();
    app_.downloadProgress().show(forms::Modality::Modal);
    app_.downloadProgress().unload();
    unload();
    if (app_.RebootRequired) {
        auto& gorslb = toollib::gorslb();
        gorslb.RestartComputer(gorslb.OwnerWindow(), 0, 2);
    }
}

}  // namespace quillon
