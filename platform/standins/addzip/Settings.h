// SPDX-License-Identifier: Apache-2.0
// What the addZIP and addUNZIP functions remember between runs, and their defaults.
// Part of platform/standins/addzip; depends on platform/forms (window handles).
#pragma once

#include <cstdint>
#include <string>

#include "platform/forms/WindowHandles.h"

namespace addzip {

enum class Level : std::int16_t { None = 0, Minimum = 1, Normal = 2, Maximum = 3 };
enum class Overwrite : std::int16_t { Query = 10, All = 11, None = 12 };
enum class Structure : std::int16_t { None = 0, Relative = 1, Absolute = 2 };
enum class ZipMode { Create, List, Delete };
enum class Recursion { Off, On };

struct ZipSettings {
    platform::forms::WindowHandle window = 0;
    platform::forms::WindowHandle parentWindow = 0;
    Level level = Level::Normal;
    Recursion recursion = Recursion::Off;
    std::string archiveName;
    Overwrite overwrite = Overwrite::All;
    bool span = false;
    Structure structure = Structure::None;
    bool buildSfx = false;
    ZipMode mode = ZipMode::Create;
    std::string include;  // file specifications, "|"-separated
    std::string exclude;
};

struct UnzipSettings {
    platform::forms::WindowHandle window = 0;
    std::string archiveName;
    Overwrite overwrite = Overwrite::All;
    bool restoreStructure = true;
    std::string include;
    std::string exclude;
    std::string destination;
};

// The settings of each library, alive for the whole process (as a loaded library's are). Each
// library keeps one set per caller: Initialise begins a fresh set, SetWindowHandle gives it its
// window, and the set in use is the newest one whose window is still alive. So a caller whose
// window goes away (its object released) leaves the earlier callers their settings and their
// window, instead of one window for all that dies with the newest caller.
ZipSettings& zipSettings();
UnzipSettings& unzipSettings();
void beginZipSettings();
void beginUnzipSettings();
void bindZipWindow(platform::forms::WindowHandle window);
void bindUnzipWindow(platform::forms::WindowHandle window);

// Checked conversions of the 16-bit values: false, and `out` unchanged, when out of range.
bool toLevel(std::int16_t value, Level& out);
bool toOverwrite(std::int16_t value, Overwrite& out);
bool toStructure(std::int16_t value, Structure& out);

}  // namespace addzip
