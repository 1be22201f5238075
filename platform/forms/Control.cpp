// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/Control.h"

#include "platform/forms/Form.h"
#include "platform/forms/Host.h"

namespace platform::forms {

Control::Control(Form& form, ControlKind kind, std::string name) : form_(form), kind_(kind), name_(std::move(name)) {}

Control::~Control() {
    detachWindow();
}

void Control::notify(Change change, int item) {
    if (form_.loaded()) currentHost().controlChanged(*this, change, item);
}

void Control::setText(std::string_view text) {
    if (text == text_) return;
    text_ = text;
    notify(Change::Text);
    textChanged();
}

void Control::setTextFromWindow(std::string_view text) {
    // Every text that arrives through the handle is news, even a repeated one.
    text_ = text;
    notify(Change::Text);
    textChanged();
}

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    notify(Change::Enabled);
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    notify(Change::Visible);
}

void Control::setGeometry(const Geometry& geometry) {
    if (geometry_ == geometry) return;
    geometry_ = geometry;
    notify(Change::Geometry);
}

void Control::setBold(bool bold) {
    if (bold == bold_) return;
    bold_ = bold;
    notify(Change::Font);
}

void Control::setFontSize(double points) {
    if (fontSize_ == points) return;
    fontSize_ = points;
    notify(Change::Font);
}

void Control::saveLoadState() {
    loadState_ = {text_, enabled_, visible_, geometry_, bold_, fontSize_};
}

void Control::restoreLoadState() {
    text_ = loadState_.text;
    enabled_ = loadState_.enabled;
    visible_ = loadState_.visible;
    geometry_ = loadState_.geometry;
    bold_ = loadState_.bold;
    fontSize_ = loadState_.fontSize;
}

void Control::attachWindow() {
    if (handle_) return;
    handle_ = registerWindow({[this](std::string_view text) { setTextFromWindow(text); }, [this] { return text_; }});
}

void Control::detachWindow() {
    if (!handle_) return;
    unregisterWindow(handle_);
    handle_ = 0;
}

}  // namespace platform::forms
