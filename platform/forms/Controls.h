// SPDX-License-Identifier: Apache-2.0
// The simple controls of the form model: labels, command buttons, text boxes, lines and
// images. List views have their own file.
// Part of platform/forms; depends on Control.h and the standard library.
#pragma once

#include <functional>
#include <string>

#include "platform/forms/Control.h"

namespace platform::forms {

class Label final : public Control {
public:
    Label(Form& form, std::string name);
};

class CommandButton final : public Control {
public:
    CommandButton(Form& form, std::string name);

    void onClick(std::function<void()> handler) { click_ = std::move(handler); }
    // Presses the button by code: runs the Click handler, whatever the button's state.
    // Errors of the handler reach the caller. User presses go through UserInput.h.
    void click();

private:
    std::function<void()> click_;
};

enum class ScrollBars { None, Horizontal, Vertical, Both };
enum class Background { Window, Dialog };  // Dialog: the face colour of the dialog

class TextBox final : public Control {
public:
    TextBox(Form& form, std::string name);

    // Runs after every change of the text: by code (setText with a different text), by the
    // user, and by every setWindowText on the handle, synchronously inside that call.
    void onChange(std::function<void()> handler) { change_ = std::move(handler); }

    bool multiLine() const { return state_.multiLine; }
    void setMultiLine(bool multiLine);
    bool readOnly() const { return state_.readOnly; }
    void setReadOnly(bool readOnly);
    ScrollBars scrollBars() const { return state_.scrollBars; }
    void setScrollBars(ScrollBars scrollBars);
    Background background() const { return state_.background; }
    void setBackground(Background background);

protected:
    void textChanged() override;
    void saveLoadState() override;
    void restoreLoadState() override;

private:
    struct State {
        bool multiLine = false;
        bool readOnly = false;
        ScrollBars scrollBars = ScrollBars::None;
        Background background = Background::Window;
    };
    State state_, loadState_;
    std::function<void()> change_;
};

// A separator; its geometry is the rectangle it runs through (height 0 to 2 for a
// horizontal line).
class Line final : public Control {
public:
    Line(Form& form, std::string name);
};

enum class StandardIcon { None, Information, Question, Exclamation, Critical };

class Image final : public Control {
public:
    Image(Form& form, std::string name);

    StandardIcon icon() const { return icon_; }
    void setIcon(StandardIcon icon);

protected:
    void saveLoadState() override;
    void restoreLoadState() override;

private:
    StandardIcon icon_ = StandardIcon::None, loadIcon_ = StandardIcon::None;
};

}  // namespace platform::forms
