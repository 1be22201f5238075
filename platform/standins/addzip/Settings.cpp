#include "platform/standins/addzip/Settings.h"

namespace addzip {

ZipSettings& zipSettings() {
    static ZipSettings settings;
    return settings;
}

UnzipSettings& unzipSettings() {
    static UnzipSettings settings;
    return settings;
}

bool toLevel(std::int16_t value, Level& out) {
    if (value < 0 || value > 3) return false;
    out = static_cast<Level>(value);
    return true;
}

bool toOverwrite(std::int16_t value, Overwrite& out) {
    if (value < 10 || value > 12) return false;
    out = static_cast<Overwrite>(value);
    return true;
}

bool toStructure(std::int16_t value, Structure& out) {
    if (value < 0 || value > 2) return false;
    out = static_cast<Structure>(value);
    return true;
}

}  // namespace addzip
