// SPDX-License-Identifier: Apache-2.0
// The search page: when activated it searches every ticked product on its update server or
// on the local server, records the outcome in the registry and then reports or lists what it
// found. It ends hidden; whoever showed it unloads it.
// Part of quillon/pages; depends on platform/forms, quillon/discovery and quillon/toollib.
#pragma once

#include <string>

#include "platform/forms/Form.h"

namespace quillon {

class ModMain;

class frmSearchProgress final : public platform::forms::Form {
public:
    explicit frmSearchProgress(ModMain& app);

    platform::forms::Label& Label1;
    platform::forms::Label& lblProduct;
    platform::forms::Image& Image1;

private:
    void Form_Activate();
    void SearchUpdateServer(const std::string& productKey, const std::string& tempFile);
    void SearchLocalServer(const std::string& productKey, const std::string& rowText, const std::string& tempFile);

    ModMain& app_;
};

}  // namespace quillon
