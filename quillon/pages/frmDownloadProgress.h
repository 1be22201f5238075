// SPDX-License-Identifier: Apache-2.0
// The download-and-install page. When activated it works through the ticked rows of the
// found-updates page: an archive update is fetched from the product's update server or the
// local server into one temporary file, unpacked into the install temp folder and installed
// by its script; a web-page update is offered to be opened. Then it records the outcome,
// says that the updates were carried out, and ends hidden; whoever showed it unloads it.
// Part of quillon/pages; depends on platform/forms, quillon/discovery, quillon/install and
// quillon/toollib.
#pragma once

#include <string>

#include "platform/forms/Form.h"
#include "quillon/discovery/FoundUpdate.h"

namespace quillon {

class ModMain;
class UpdateProgress;

class frmDownloadProgress final : public platform::forms::Form {
public:
    explicit frmDownloadProgress(ModMain& app);

    platform::forms::Label& Label1;
    platform::forms::Label& lblUpdate;
    platform::forms::Image& Image1;
    // How far the archive at hand has come in its download and its unpacking.
    platform::forms::ProgressBar& prgProgress;

private:
    void Form_Activate();
    // The update-server or the local-server steps for one ticked update.
    void InstallUpdate(const FoundUpdate& update, bool localServer, const std::string& tempFile,
                       UpdateProgress& progress);
    // The archive into the temporary file; false (after the messages) when it did not arrive.
    bool FetchFromUpdateServer(const std::string& productKey, const std::string& archiveName,
                               const std::string& tempFile, UpdateProgress& progress);
    bool FetchFromLocalServer(const std::string& archiveName, const std::string& tempFile);
    // Unpacks the archive and runs its install script, or shows the failure message when it
    // could not be unpacked.
    void UnpackAndInstall(const std::string& productKey, const std::string& archiveName, const std::string& tempFile,
                          UpdateProgress& progress);
    void OfferWebPage(const std::string& address);

    ModMain& app_;
};

}  // namespace quillon
