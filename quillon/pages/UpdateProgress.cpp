// SPDX-License-Identifier: Apache-2.0
#include "quillon/pages/UpdateProgress.h"

#include <algorithm>

#include "platform/forms/EventLoop.h"

namespace quillon {

void UpdateProgress::show(std::int64_t done, std::int64_t total) {
    bar_.setProgress(done, total);
    platform::forms::repaint();
}

void UpdateProgress::downloading(const std::string& archiveName) {
    bar_.begin("Herunterladen: " + archiveName, 0);
    bar_.setVisible(true);
    platform::forms::repaint();
}

void UpdateProgress::downloaded() {
    show(bar_.value(), bar_.value());
}

void UpdateProgress::unpacking(const std::string& archiveName) {
    archiveName_ = archiveName;
    extracting_ = false;
    listedBytes_ = 0;
    unpackedBytes_ = 0;
}

void UpdateProgress::Progress(std::int64_t bytesReceived, std::int64_t bytesTotal) {
    show(bytesReceived, bytesTotal);
}

void UpdateProgress::View(const std::string&, const std::string&, std::int32_t originalSize, std::int32_t, std::int16_t,
                          const std::string&, const std::string&, const std::string&, std::int16_t, velpack::Boolean,
                          const std::string&, velpack::Boolean, const std::string&, const std::string&) {
    listedBytes_ += std::max<std::int32_t>(originalSize, 0);
}

void UpdateProgress::startExtracting() {
    if (extracting_) return;
    // The listing is complete once the first entry is on its way out: now the whole is known.
    extracting_ = true;
    bar_.begin("Entpacken: " + archiveName_, listedBytes_);
    bar_.setVisible(true);
}

void UpdateProgress::Unzipping(const std::string&, std::int32_t, std::int32_t bytesDecompressed, std::int16_t) {
    startExtracting();
    show(unpackedBytes_ + std::max<std::int32_t>(bytesDecompressed, 0), listedBytes_);
}

void UpdateProgress::Unzipped(const std::string&, std::int32_t size, std::int32_t, std::int16_t) {
    startExtracting();
    unpackedBytes_ += std::max<std::int32_t>(size, 0);
    show(unpackedBytes_, listedBytes_);
}

}  // namespace quillon
