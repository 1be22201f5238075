// SPDX-License-Identifier: Apache-2.0
// The found-updates page: one unticked row per update found, the clicked update's description,
// and "Weiter >" to install the ticked ones; afterwards it offers the restart an install
// script asked for.
// Part of quillon/pages; depends on platform/forms and quillon/toollib.
#pragma once

#include "platform/forms/Form.h"

namespace quillon {

class ModMain;

class FrmFoundUpdates final : public platform::forms::Form {
public:
    explicit FrmFoundUpdates(ModMain& app);

    platform::forms::Label& Label1;
    platform::forms::Line& Line1;
    platform::forms::ListView& lsvUpdates;
    platform::forms::TextBox& txtUpdateDesc;
    platform::forms::Line& Line2;
    platform::forms::CommandButton& cmdContinue;
    platform::forms::CommandButton& cmdCancel;

private:
    void cmdContinue_Click();

    ModMain& app_;
};

}  // namespace quillon
