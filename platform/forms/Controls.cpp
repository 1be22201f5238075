// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/Controls.h"

namespace platform::forms {

Label::Label(Form& form, std::string name) : Control(form, ControlKind::Label, std::move(name)) {}

CommandButton::CommandButton(Form& form, std::string name)
    : Control(form, ControlKind::CommandButton, std::move(name)) {}

void CommandButton::click() {
    if (click_) click_();
}

TextBox::TextBox(Form& form, std::string name) : Control(form, ControlKind::TextBox, std::move(name)) {}

void TextBox::textChanged() {
    if (change_) change_();
}

void TextBox::setMultiLine(bool multiLine) {
    if (state_.multiLine == multiLine) return;
    state_.multiLine = multiLine;
    notify(Change::Appearance);
}

void TextBox::setReadOnly(bool readOnly) {
    if (state_.readOnly == readOnly) return;
    state_.readOnly = readOnly;
    notify(Change::Appearance);
}

void TextBox::setScrollBars(ScrollBars scrollBars) {
    if (state_.scrollBars == scrollBars) return;
    state_.scrollBars = scrollBars;
    notify(Change::Appearance);
}

void TextBox::setBackground(Background background) {
    if (state_.background == background) return;
    state_.background = background;
    notify(Change::Appearance);
}

void TextBox::saveLoadState() {
    Control::saveLoadState();
    loadState_ = state_;
}

void TextBox::restoreLoadState() {
    Control::restoreLoadState();
    state_ = loadState_;
}

Line::Line(Form& form, std::string name) : Control(form, ControlKind::Line, std::move(name)) {}

Image::Image(Form& form, std::string name) : Control(form, ControlKind::Image, std::move(name)) {}

void Image::setIcon(StandardIcon icon) {
    if (icon_ == icon) return;
    icon_ = icon;
    notify(Change::Appearance);
}

void Image::saveLoadState() {
    Control::saveLoadState();
    loadIcon_ = icon_;
}

void Image::restoreLoadState() {
    Control::restoreLoadState();
    icon_ = loadIcon_;
}

}  // namespace platform::forms
