// SPDX-License-Identifier: Apache-2.0
// The first wizard page: the registered products with check boxes, all ticked at first. Its
// load runs the start-up checks, makes the install log folder and lists the products.
// Part of quillon/pages; depends on platform/forms, quillon/settings, quillon/toollib and
// quillon/ModMain.
#pragma once

#include "platform/forms/Form.h"

namespace quillon {

class ModMain;

class frmProductSelection final : public platform::forms::Form {
public:
    explicit frmProductSelection(ModMain& app);

    platform::forms::Label& Label1;
    platform::forms::Label& Label2;
    platform::forms::Line& Line1;
    platform::forms::ListView& lsvProducts;
    platform::forms::Label& lblUsingLocalUpdateServer;
    platform::forms::Line& Line2;
    platform::forms::CommandButton& cmdSelectAll;
    platform::forms::CommandButton& cmdClearAll;
    platform::forms::CommandButton& cmdContinue;
    platform::forms::CommandButton& cmdCancel;

private:
    void Form_Load();
    // Fills ProductKeys from the subkeys of Products, in the order the registry lists them.
    void EnumerateProducts();
    void cmdContinue_Click();

    ModMain& app_;
};

}  // namespace quillon
