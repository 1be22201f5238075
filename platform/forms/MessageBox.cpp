// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/MessageBox.h"

#include <algorithm>

#include "platform/forms/Program.h"
#include "platform/forms/Runtime.h"

namespace platform::forms {

std::vector<int> MessageBoxRequest::answers() const {
    using namespace answer;
    switch (style & 7) {
        case style::OkCancel:
            return {Ok, Cancel};
        case style::AbortRetryIgnore:
            return {Abort, Retry, Ignore};
        case style::YesNoCancel:
            return {Yes, No, Cancel};
        case style::YesNo:
            return {Yes, No};
        case style::RetryCancel:
            return {Retry, Cancel};
        default:
            return {Ok};
    }
}

MessageIcon MessageBoxRequest::icon() const {
    switch (style & 0x70) {
        case style::Critical:
            return MessageIcon::Critical;
        case style::Question:
            return MessageIcon::Question;
        case style::Exclamation:
            return MessageIcon::Exclamation;
        case style::Information:
            return MessageIcon::Information;
        default:
            return MessageIcon::None;
    }
}

int MessageBoxRequest::defaultAnswer() const {
    auto buttons = answers();
    auto index = static_cast<std::size_t>((style & 0x300) >> 8);
    return index < buttons.size() ? buttons[index] : buttons.front();
}

int MessageBoxRequest::escapeAnswer() const {
    auto buttons = answers();
    if (std::find(buttons.begin(), buttons.end(), answer::Cancel) != buttons.end()) return answer::Cancel;
    if (buttons.size() == 1) return answer::Ok;
    return 0;
}

std::string_view buttonText(int value) {
    switch (value) {
        case answer::Ok:
            return "OK";
        case answer::Cancel:
            return "Abbrechen";
        case answer::Abort:
            return "Abbrechen";
        case answer::Retry:
            return "Wiederholen";
        case answer::Ignore:
            return "Ignorieren";
        case answer::Yes:
            return "Ja";
        case answer::No:
            return "Nein";
        default:
            return {};
    }
}

int messageBox(std::string_view text, int boxStyle, std::string_view title) {
    auto& rt = Runtime::get();
    MessageBoxRequest request{std::string(text), std::string(title.empty() ? programTitle() : title), boxStyle};
    int result = rt.currentHost().messageBox(request);
    rt.rethrowUnwinding();
    return result;
}

}  // namespace platform::forms
