// SPDX-License-Identifier: Apache-2.0
// Message boxes with the host system's style and answer numbers: buttons = style & 7,
// icon = style & 0x70, default button = style & 0x300. The German button texts and the
// decoding live here so that every host shows and answers a box the same way.
// Part of platform/forms; depends on the standard library only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::forms {

namespace style {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int AbortRetryIgnore = 2;
inline constexpr int YesNoCancel = 3;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int DefaultButton1 = 0;
inline constexpr int DefaultButton2 = 256;
inline constexpr int DefaultButton3 = 512;
}  // namespace style

namespace answer {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Abort = 3;
inline constexpr int Retry = 4;
inline constexpr int Ignore = 5;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace answer

enum class MessageIcon { None, Critical, Question, Exclamation, Information };

struct MessageBoxRequest {
    std::string text;
    std::string title;
    int style = 0;

    // The answers of the buttons, left to right (an unknown button set counts as OK only).
    std::vector<int> answers() const;
    MessageIcon icon() const;
    // The answer of the default button (the first one when the style names a missing one).
    int defaultAnswer() const;
    // The answer Escape gives: Cancel when there is such a button, OK for a lone OK button,
    // 0 when Escape does nothing.
    int escapeAnswer() const;
};

// "OK", "Abbrechen", "Wiederholen", "Ignorieren", "Ja", "Nein".
std::string_view buttonText(int answer);

// Shows the box through the current host and returns the answer number. An empty title is
// the program's title. Errors raised by event handlers that ran meanwhile reach the caller.
int messageBox(std::string_view text, int style = style::OkOnly, std::string_view title = {});

}  // namespace platform::forms
