#include "quillon/pages/frmDownloadProgress.h"

#include "quillon/ModMain.h"
#include "quillon/pages/PageLayout.h"

namespace quillon {

namespace forms = platform::forms;

frmDownloadProgress::frmDownloadProgress(ModMain& app)
    : Form("frmDownloadProgress"),
      Label1(add<forms::Label>("Label1", "Updates werden heruntergeladen und installiert...", kProgressText)),
      lblUpdate(add<forms::Label>("lblUpdate", "", kProgressItem)),
      Image1(add<forms::Image>("Image1", "", kProgressIcon)),
      app_(app) {
    setUpProgressPage(*this, Image1);
    onActivate([this] { hide(); });
}

}  // namespace quillon
