// SPDX-License-Identifier: Apache-2.0
// What the wizard's pages share in their look: size, font, the button row.
// Part of quillon/pages; depends on platform/forms and quillon/ModMain.
#pragma once

#include <string_view>

#include "platform/forms/Form.h"
#include "quillon/ModMain.h"

namespace quillon {

inline constexpr int kPageWidth = 500;
inline constexpr int kPageHeight = 384;
inline constexpr int kButtonHeight = 26;
inline constexpr int kButtonRowTop = kPageHeight - kButtonHeight - 14;

// Caption, Tahoma and the page size of the two pages the user works on.
inline void setUpPage(platform::forms::Form& page, std::string_view caption) {
    page.setCaption(std::string(caption));
    page.setFontName("Tahoma");
    page.setClientSize({kPageWidth, kPageHeight});
}

// The separator above the button row, and the "Weiter >" and "Abbrechen" buttons at its right,
// which both wizard pages carry under these names.
inline constexpr platform::forms::Geometry kButtonRowLine{0, kButtonRowTop - 12, kPageWidth, 2};
inline constexpr platform::forms::Geometry kContinueButton{kPageWidth - 196, kButtonRowTop, 88, kButtonHeight};
inline constexpr platform::forms::Geometry kCancelButton{kPageWidth - 104, kButtonRowTop, 88, kButtonHeight};
inline constexpr const char* kContinueText = "Weiter >";
inline constexpr const char* kCancelText = "Abbrechen";

// The two small progress pages: an icon, a fixed text and the name of what is being worked on.
inline constexpr platform::forms::Geometry kProgressIcon{20, 24, 32, 32};
inline constexpr platform::forms::Geometry kProgressText{72, 28, 320, 20};
inline constexpr platform::forms::Geometry kProgressItem{72, 56, 320, 20};
inline constexpr int kProgressPageWidth = 420;
// The download page's bar below the name, with the text of its piece of work above it.
inline constexpr platform::forms::Geometry kProgressBar{72, 84, 328, 44};

inline void setUpProgressPage(platform::forms::Form& page, platform::forms::Image& icon) {
    page.setCaption(kProgramTitle);
    page.setFontName("Tahoma");
    page.setClientSize({kProgressPageWidth, 100});
    icon.setIcon(platform::forms::StandardIcon::Information);
}

}  // namespace quillon
