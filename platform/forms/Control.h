// SPDX-License-Identifier: Apache-2.0
// The form model's controls: what every control has (name, text, enabled, visible, optional
// geometry, a window handle while its form is loaded). Pages work with these objects only; a
// host draws them and feeds user input back in.
// Part of platform/forms; depends on platform/forms/WindowHandles and the standard library.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/forms/WindowHandles.h"

namespace platform::forms {

class Form;

// Position and size in pixels, relative to the form's client area.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Geometry&, const Geometry&) = default;
};

enum class ControlKind { Label, CommandButton, ListView, TextBox, Line, Image, ProgressBar };

// What changed, for the host that draws the control. `item` names the 1-based row for the
// item changes, 0 otherwise.
enum class Change {
    Text,
    Enabled,
    Visible,
    Geometry,
    Font,
    Appearance,
    Columns,
    Items,
    ItemText,
    ItemChecked,
    Selection,
    Progress
};

class Control {
public:
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    Form& form() const { return form_; }

    // The caption of labels and buttons, the contents of text boxes.
    const std::string& text() const { return text_; }
    void setText(std::string_view text);

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);

    // Controls without geometry are placed by the host's automatic layout.
    const std::optional<Geometry>& geometry() const { return geometry_; }
    void setGeometry(const Geometry& geometry);

    // Font emphasis on top of the form's font.
    bool bold() const { return bold_; }
    void setBold(bool bold);
    std::optional<double> fontSize() const { return fontSize_; }  // points; empty: the form's size
    void setFontSize(double points);

    // The control's window handle while its form is loaded, 0 otherwise. Setting the text
    // through the handle (setWindowText) works as setText and, for a text box, raises its
    // Change event before setWindowText returns, even when the text is the same.
    WindowHandle handle() const { return handle_; }

protected:
    Control(Form& form, ControlKind kind, std::string name);

    // Tells the host, when the form is loaded.
    void notify(Change change, int item = 0);
    // Runs after every change of the text, and after every text set through the handle.
    virtual void textChanged() {}

    // Unloading a form brings its controls back to their state at load time.
    virtual void saveLoadState();
    virtual void restoreLoadState();

private:
    friend class Form;
    void attachWindow();
    void detachWindow();
    void setTextFromWindow(std::string_view text);

    struct State {
        std::string text;
        bool enabled = true;
        bool visible = true;
        std::optional<Geometry> geometry;
        bool bold = false;
        std::optional<double> fontSize;
    };

    Form& form_;
    ControlKind kind_;
    std::string name_;
    std::string text_;
    bool enabled_ = true;
    bool visible_ = true;
    std::optional<Geometry> geometry_;
    bool bold_ = false;
    std::optional<double> fontSize_;
    WindowHandle handle_ = 0;
    State loadState_;
};

}  // namespace platform::forms
