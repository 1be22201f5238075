// The download-and-install page. For now its frame only: the controls, and an activation that
// ends hidden at once, as the page does when it has worked through the ticked updates.
// Part of quillon/pages; depends on platform/forms.
#pragma once

#include "platform/forms/Form.h"

namespace quillon {

class ModMain;

class frmDownloadProgress final : public platform::forms::Form {
public:
    explicit frmDownloadProgress(ModMain& app);

    platform::forms::Label& Label1;
    platform::forms::Label& lblUpdate;
    platform::forms::Image& Image1;

private:
    ModMain& app_;
};

}  // namespace quillon
