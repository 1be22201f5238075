// SPDX-License-Identifier: Apache-2.0
#include "quillon/ModMain.h"

#include <velpack/Velpack.h>
#include "platform/com/Creation.h"
#include "platform/com/Error.h"
#include "platform/forms/EventLoop.h"
#include "platform/forms/MessageBox.h"
#include "platform/forms/Program.h"
#include "platform/support/ProgramLocation.h"
#include "platform/support/TextCase.h"
#include "quillon/install/InstallRun.h"
#include "quillon/pages/FrmFoundUpdates.h"
#include "quillon/pages/frmDownloadProgress.h"
#include "quillon/pages/frmProductSelection.h"
#include "quillon/pages/frmSearchProgress.h"
#include "quillon/toollib/ToolLibrary.h"

namespace quillon {

namespace forms = platform::forms;
using platform::trimBlanks;

namespace {
std::string versionText() {
    return std::to_string(QUILLON_VERSION_MAJOR) + "." + std::to_string(QUILLON_VERSION_MINOR);
}

void announceProgram() {
    auto exe = platform::executablePath();
    toollib::gorsla().AnnounceProgram(kProgramTitle, versionText(), exe.parent_path().string(),
                                      exe.stem().string() + ".exe");
}

// Runs until the page has hidden itself: all its work happens in the events this lets run.
void waitWhileVisible(const forms::Form& page) {
    while (page.visible()) forms::doEvents();
}
}  // namespace

ModMain::ModMain()
    : productSelection_(std::make_unique<frmProductSelection>(*this)),
      searchProgress_(std::make_unique<frmSearchProgress>(*this)),
      foundUpdates_(std::make_unique<FrmFoundUpdates>(*this)),
      downloadProgress_(std::make_unique<frmDownloadProgress>(*this)) {
    // One wizard is one program run: the shared state starts as at program start.
    sharedRunState() = {};
}

ModMain::~ModMain() = default;

CommandLine ModMain::ParseCommandLine(std::string_view commandLine) {
    CommandLine parsed;
    std::string line(trimBlanks(commandLine));
    if (line.empty()) return parsed;
    auto& gorsla = toollib::gorsla();
    parsed.modeWord = platform::asciiLower(trimBlanks(gorsla.FirstWord(line)));
    parsed.rest = std::string(trimBlanks(gorsla.RestAfterFirstWord(line)));
    return parsed;
}

void ModMain::Main(std::string_view commandLine) {
    const CommandLine parsed = ParseCommandLine(commandLine);
    announceProgram();

    if (parsed.modeWord == "s") {
        RunMode = RunSearchOnly;
        ProductKeys = {parsed.rest};
        productSelection().load();
        auto& products = productSelection().lsvProducts;
        products.clear();
        products.add("product", parsed.rest).setChecked(true);
        searchProgress().show(forms::Modality::Modeless);
        waitWhileVisible(searchProgress());
        productSelection().unload();
        searchProgress().unload();
    } else if (parsed.modeWord == "u") {
        RunMode = RunDirectUpdate;
        FoundUpdates.clear();
        auto& gorsla = toollib::gorsla();
        FoundUpdate update;
        update.ProductKey = gorsla.FirstWord(parsed.rest);
        std::string rest1 = gorsla.RestAfterFirstWord(parsed.rest);
        update.UpdateType = gorsla.FirstWord(rest1);
        update.UpdateData = std::string(trimBlanks(gorsla.RestAfterFirstWord(rest1)));
        FoundUpdates.push_back(update);
        // The direct update never loads the product page, whose load does these two; without
        // them the install log would be written to an unset folder.
        CheckLibraries();
        SetUpInstallLogFolder();
        foundUpdates().load();
        auto& updates = foundUpdates().lsvUpdates;
        updates.clear();
        updates.add("update", update.ProductKey).setChecked(true);
        downloadProgress().show(forms::Modality::Modeless);
        waitWhileVisible(downloadProgress());
        foundUpdates().unload();
        downloadProgress().unload();
    } else {
        productSelection().show(forms::Modality::Modeless);
    }
}

std::string LibraryCheckMessage(std::string_view file, std::int32_t number, std::string_view description) {
    return "Fehler beim Initialisieren von " + std::string(file) +
           ". Die DLL-Datei ist m\xC3\xB6glicherweise nicht korrekt registriert, besitzt eine falsche Version oder "
           "fehlt.\r\n\r\n(Fehler " +
           std::to_string(number) + ": " + std::string(description) + ")";
}

void ModMain::CheckLibraries() {
    struct Check {
        const char* file;
        void (*touch)();
    };
    static constexpr Check checks[] = {
        {"Gorsla.dll", [] { (void)toollib::gorsla().Ready(); }},
        {"Gorslb.dll", [] { (void)toollib::gorslb().Ready(); }},
        {"Gorsld.dll", [] { (void)toollib::makeInternetClient(); }},
        {"Velpack.dll", [] { (void)platform::com::createObject<velpack::IZIPFile>(velpack::kZIPFileProgId); }},
    };
    for (const auto& check : checks) {
        std::int32_t number = 0;
        std::string description;
        try {
            check.touch();
            continue;
        } catch (const platform::com::Error& e) {
            number = e.number();
            description = e.description();
        } catch (const std::exception& e) {
            number = platform::com::errc::AutomationError;
            description = e.what();
        }
        forms::messageBox(LibraryCheckMessage(check.file, number, description),
                          forms::style::OkOnly | forms::style::Exclamation, kProgramTitle);
        forms::endProgram();
    }
}

void ModMain::SetUpInstallLogFolder() {
    quillon::SetUpInstallLogFolder();
}

}  // namespace quillon
