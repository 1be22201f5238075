// SPDX-License-Identifier: Apache-2.0
// The search page: when activated it searches every ticked product on its update server or
// on the local server, records the outcome in the registry and then reports or lists what it
// found. It ends hidden; whoever showed it unloads it.
// Part of quillon/pages; depends on platform/forms, quillon/discovery, quillon/settings and
// quillon/toollib.
#pragma once

#include <functional>
#include <string>

#include "platform/forms/Form.h"
#include "quillon/discovery/SignedFetch.h"

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

    // Brings one descriptor file of the product's server onto the temporary file, checked
    // against its signature; false when it did not arrive or was refused (the user has been
    // told why).
    using DescriptorFetch = std::function<bool(const std::string& file, FileRole role)>;
    // The steps both servers share: fetch the index, read it against the installed version,
    // fetch the description it names, read that into the found updates.
    void SearchProduct(const std::string& productKey, const std::string& tempFile, const DescriptorFetch& fetch);

    ModMain& app_;
};

}  // namespace quillon
