// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/UserInput.h"

#include "platform/forms/Runtime.h"
#include "platform/support/TextCase.h"

namespace platform::forms {

bool acceptsInput(const Form& form) {
    auto& rt = Runtime::get();
    if (!form.loaded() || !form.visible() || rt.unwinding || rt.ending) return false;
    for (auto it = rt.modal.rbegin(); it != rt.modal.rend(); ++it)
        if ((*it)->visible()) return *it == &form;
    return true;
}

bool acceptsInput(const Control& control) {
    return acceptsInput(control.form()) && control.visible() && control.enabled();
}

bool pressButton(CommandButton& button) {
    if (!acceptsInput(button)) return false;
    hosting::dispatch([&] { button.click(); });
    return true;
}

bool clickItem(ListItem& item) {
    ListView& list = item.listView();
    if (!acceptsInput(list)) return false;
    hosting::dispatch([&] {
        list.select(&item);
        list.raiseItemClick(item);
    });
    return true;
}

bool setItemChecked(ListItem& item, bool checked) {
    ListView& list = item.listView();
    if (!acceptsInput(list) || !list.checkBoxes()) return false;
    if (item.checked() == checked) return true;
    hosting::dispatch([&] {
        item.setChecked(checked);
        list.raiseItemCheck(item);
    });
    return true;
}

bool editText(TextBox& box, std::string_view text) {
    if (!acceptsInput(box) || box.readOnly()) return false;
    hosting::dispatch([&] { box.setText(text); });
    return true;
}

bool closeForm(Form& form) {
    if (!acceptsInput(form)) return false;
    hosting::dispatch([&] { form.unload(); });
    return true;
}

namespace {
std::string_view withoutArrows(std::string_view words) {
    words = platform::trimBlanks(words);
    if (words.size() > 1 && words.back() == '>') words = platform::trimBlanks(words.substr(0, words.size() - 1));
    if (words.size() > 1 && words.front() == '<') words = platform::trimBlanks(words.substr(1));
    return words;
}
}  // namespace

std::string buttonWords(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            plain += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '&') {
            plain += '&';  // "&&" is a literal ampersand
            ++i;
        }
    }
    return std::string(withoutArrows(plain));
}

CommandButton* findButtonByWords(const Form& form, std::string_view typed) {
    // People type what they see ("Fragen & Antworten"), or copy the caption with its "&".
    std::string_view seen = withoutArrows(typed);
    std::string copied = buttonWords(typed);
    if (seen.empty()) return nullptr;
    for (Control* c : form.controls()) {
        if (c->kind() != ControlKind::CommandButton || !c->visible()) continue;
        std::string words = buttonWords(c->text());
        if (platform::equalsIgnoreCase(words, seen) || platform::equalsIgnoreCase(words, copied))
            return static_cast<CommandButton*>(c);
    }
    return nullptr;
}

}  // namespace platform::forms
