// SPDX-License-Identifier: Apache-2.0
// What the download-and-install page shows on its progress bar: an archive's download, from
// the Internet client's progress, then its unpacking, from the ZIPFile object's events. Every
// change is repainted at once, without taking user input.
// Part of quillon/pages; depends on platform/forms, platform/com, platform/gorsl's interfaces
// and velpack/include.
#pragma once

#include <cstdint>
#include <string>

#include <velpack/Velpack.h>
#include "platform/com/Unknown.h"
#include "platform/forms/ProgressBar.h"
#include "platform/gorsl/Gorsl.h"

namespace quillon {

class UpdateProgress final : public platform::com::Object<gorsl::IInternetClientEvents, velpack::IZIPFileEvents> {
public:
    explicit UpdateProgress(platform::forms::ProgressBar& bar) : bar_(bar) {}

    // The Internet client's events that follow are of this archive's download.
    void downloading(const std::string& archiveName);
    // The download has succeeded: the bytes received are the whole.
    void downloaded();
    // The ZIPFile events that follow are of this archive: its listing, then its extraction.
    void unpacking(const std::string& archiveName);

    void Progress(std::int64_t bytesReceived, std::int64_t bytesTotal) override;

    void View(const std::string& path, const std::string& fileName, std::int32_t originalSize, std::int32_t,
              std::int16_t, const std::string&, const std::string&, const std::string&, std::int16_t, velpack::Boolean,
              const std::string&, velpack::Boolean, const std::string&, const std::string&) override;
    void Unzipping(const std::string& fileName, std::int32_t size, std::int32_t bytesDecompressed,
                   std::int16_t percentage) override;
    void Unzipped(const std::string& fileName, std::int32_t size, std::int32_t decompressedSize,
                  std::int16_t percentage) override;

private:
    void show(std::int64_t done, std::int64_t total);
    void startExtracting();

    platform::forms::ProgressBar& bar_;
    std::string archiveName_;
    bool extracting_ = false;
    std::int64_t listedBytes_ = 0;    // the sizes of the entries the listing named
    std::int64_t unpackedBytes_ = 0;  // of the entries extracted completely
};

}  // namespace quillon
