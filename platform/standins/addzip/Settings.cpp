// SPDX-License-Identifier: Apache-2.0
#include "platform/standins/addzip/Settings.h"

#include <vector>

namespace addzip {

namespace {

bool alive(platform::forms::WindowHandle window) {
    return platform::forms::getWindowText(window).has_value();
}

template <typename Settings>
class SettingsSets {
public:
    Settings& current() {
        prune();
        if (sets_.empty()) sets_.emplace_back();
        return sets_.back();
    }
    void begin() {
        prune();
        if (!sets_.empty() && sets_.back().window == 0) sets_.pop_back();
        sets_.emplace_back();
    }
    void bind(platform::forms::WindowHandle window) {
        Settings newest = std::move(current());
        sets_.pop_back();
        // One set per window: a caller that initialises again replaces its own set.
        std::erase_if(sets_, [&](const Settings& s) { return s.window == window; });
        newest.window = window;
        sets_.push_back(std::move(newest));
    }

private:
    // Sets whose window went away, and sets that never got a window and are no longer the
    // newest, can never be used again: at most one set per live window is kept.
    void prune() {
        for (std::size_t i = sets_.size(); i-- > 0;) {
            const Settings& s = sets_[i];
            bool newest = i + 1 == sets_.size();
            if (s.window != 0 ? !alive(s.window) : !newest) sets_.erase(sets_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }

    std::vector<Settings> sets_;
};

SettingsSets<ZipSettings>& zipSets() {
    static SettingsSets<ZipSettings> sets;
    return sets;
}

SettingsSets<UnzipSettings>& unzipSets() {
    static SettingsSets<UnzipSettings> sets;
    return sets;
}

}  // namespace

ZipSettings& zipSettings() {
    return zipSets().current();
}

UnzipSettings& unzipSettings() {
    return unzipSets().current();
}

void beginZipSettings() {
    zipSets().begin();
}

void beginUnzipSettings() {
    unzipSets().begin();
}

void bindZipWindow(platform::forms::WindowHandle window) {
    zipSets().bind(window);
}

void bindUnzipWindow(platform::forms::WindowHandle window) {
    unzipSets().bind(window);
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
