// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/ProgressBar.h"

#include <algorithm>
#include <cstdio>

namespace platform::forms {

ProgressBar::ProgressBar(Form& form, std::string name) : Control(form, ControlKind::ProgressBar, std::move(name)) {}

void ProgressBar::begin(std::string_view text, std::int64_t maximum) {
    value_ = 0;
    maximum_ = std::max<std::int64_t>(maximum, 0);
    if (text != this->text())
        setText(text);
    else
        notify(Change::Progress);
}

void ProgressBar::setProgress(std::int64_t value, std::int64_t maximum) {
    value = std::max<std::int64_t>(value, 0);
    maximum = std::max<std::int64_t>(maximum, 0);
    if (value == value_ && maximum == maximum_) return;
    value_ = value;
    maximum_ = maximum;
    notify(Change::Progress);
}

std::optional<int> ProgressBar::percent() const {
    if (maximum_ == 0) return std::nullopt;
    if (value_ >= maximum_) return 100;
    // In floating point, so that large counts cannot overflow; short of the whole is below 100.
    int p = static_cast<int>(static_cast<double>(value_) * 100.0 / static_cast<double>(maximum_));
    return std::min(p, 99);
}

std::string ProgressBar::progressText() const {
    std::string text = byteCountText(value_);
    if (auto p = percent()) text += " von " + byteCountText(maximum_) + " (" + std::to_string(*p) + " %)";
    return text;
}

void ProgressBar::saveLoadState() {
    Control::saveLoadState();
    loadValue_ = value_;
    loadMaximum_ = maximum_;
}

void ProgressBar::restoreLoadState() {
    Control::restoreLoadState();
    value_ = loadValue_;
    maximum_ = loadMaximum_;
}

std::string byteCountText(std::int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " Byte" : " Bytes");
    static constexpr const char* units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double amount = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    // Round first, so that 1023,96 KB reads as 1,0 MB and not as 1024,0 KB.
    while (amount * 10 + 0.5 >= 1024 * 10 && unit + 1 < std::size(units)) {
        amount /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", amount, units[unit]);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

}  // namespace platform::forms
