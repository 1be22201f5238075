// SPDX-License-Identifier: Apache-2.0
// The form model's progress bar: how many bytes of a piece of work are done, of how many in
// all when that is known, with the text that hosts show for it. Its own text names the piece
// of work ("Herunterladen: office.zip").
// Part of platform/forms; depends on Control.h and the standard library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/forms/Control.h"

namespace platform::forms {

class ProgressBar final : public Control {
public:
    ProgressBar(Form& form, std::string name);

    std::int64_t value() const { return value_; }
    // 0 while the whole is not known.
    std::int64_t maximum() const { return maximum_; }
    // Starts a piece of work: the text that names it, nothing done yet, and the whole when it
    // is known (else 0). Hosts see it as one change.
    void begin(std::string_view text, std::int64_t maximum);
    // Negative numbers count as 0. A value beyond the maximum is kept as it is (a server may
    // send more than it announced); the percentage stops at 100.
    void setProgress(std::int64_t value, std::int64_t maximum);
    // 0 to 100, rounded down; empty while the maximum is not known.
    std::optional<int> percent() const;
    // "1,5 MB von 3,0 MB (50 %)", or "1,5 MB" while the maximum is not known.
    std::string progressText() const;

protected:
    void saveLoadState() override;
    void restoreLoadState() override;

private:
    std::int64_t value_ = 0, maximum_ = 0;
    std::int64_t loadValue_ = 0, loadMaximum_ = 0;
};

// A byte count as people read it, in German: "999 Bytes", "1,0 KB", "12,3 MB", "2,0 GB".
std::string byteCountText(std::int64_t bytes);

}  // namespace platform::forms
