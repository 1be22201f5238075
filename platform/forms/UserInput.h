// SPDX-License-Identifier: Apache-2.0
// User input, as hosts deliver it to the model: each action is refused (returns false, nothing
// runs) unless the control can take input now: its form is loaded, visible and not behind a
// modal form, and the control is visible and enabled. Accepted actions run their handlers
// through hosting::dispatch.
// Part of platform/forms; depends on the model headers.
#pragma once

#include <string>
#include <string_view>

#include "platform/forms/Form.h"

namespace platform::forms {

bool acceptsInput(const Form& form);
bool acceptsInput(const Control& control);

// A click on the button: its Click event.
bool pressButton(CommandButton& button);
// A click on a row: selects it and raises ItemClick.
bool clickItem(ListItem& item);
// A click on a row's check box: sets the state and raises ItemCheck (nothing when the state
// is already that one, or the list has no check boxes).
bool setItemChecked(ListItem& item, bool checked);
// Typing into the box: sets the text and raises Change (refused for read-only boxes).
bool editText(TextBox& box, std::string_view text);
// The window's close box: unloads the form.
bool closeForm(Form& form);

// A button's text as a person names it: without the access key marks ("&") and without a
// trailing " >" or leading "< ".
std::string buttonWords(std::string_view text);
// The visible button that the typed words name, compared without regard to case; nullptr
// when none does.
CommandButton* findButtonByWords(const Form& form, std::string_view typed);

}  // namespace platform::forms
