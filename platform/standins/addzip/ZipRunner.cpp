// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/ZipRunner.h"

#include <algorithm>

#include "platform/prefix/Prefix.h"
#include "platform/standins/addzip/ZipSteps.h"

namespace addzip {

namespace fs = std::filesystem;

std::int16_t countResult(std::size_t count) {
    return static_cast<std::int16_t>(std::min<std::size_t>(count, 32767));
}

std::int16_t errorResult(const MessageWriter& writer) {
    return static_cast<std::int16_t>(-writer.firstError());
}

std::int16_t runZip(const ZipSettings& settings) {
    MessageWriter writer(settings.window, "addZIP");
    if (settings.archiveName.empty()) {
        writer.error("", AddZipCode::NoArchiveName);
        return errorResult(writer);
    }
    fs::path native = platform::prefix::toNative(settings.archiveName);
    switch (settings.mode) {
        case ZipMode::List:
            return listArchive(settings, native, writer);
        case ZipMode::Delete:
            return deleteFromArchive(settings, native, writer);
        case ZipMode::Create:
            break;
    }
    return createArchive(settings, native, writer);
}

}  // namespace addzip
