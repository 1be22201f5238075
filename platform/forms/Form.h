// SPDX-License-Identifier: Apache-2.0
// A form of the model: caption, font, its controls found by name, and the host system's form
// life cycle. Part of platform/forms; depends on the controls, platform/com (Error) and the
// standard library.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/Error.h"
#include "platform/forms/Control.h"
#include "platform/forms/Controls.h"
#include "platform/forms/ListView.h"
#include "platform/forms/ProgressBar.h"

namespace platform::forms {

enum class Modality { Modeless, Modal };

struct Size {
    int width = 0;
    int height = 0;
};

// The life cycle: load (the Load handler runs once; the form joins the loaded set, not
// visible), show modeless or modal (loads first when needed; Activate runs from the event
// queue after the form has been shown; a modal show runs a nested event loop until the form
// is hidden or unloaded), hide, and unload (the Unload handler runs; the form leaves the
// loaded set and its controls return to their state at load time).
//
// A page derives from Form and builds its controls in its constructor:
//     Label& lblProduct = add<Label>("lblProduct", "", Geometry{16, 40, 300, 16});
// Everything runs on the one GUI thread. A form needs no host to be loaded: a hidden form works
// in a program without display or event loop.
class Form {
public:
    explicit Form(std::string name);
    // A form still loaded is taken out of the loaded set without its Unload handler.
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return name_; }

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    const std::string& fontName() const { return fontName_; }
    void setFontName(std::string fontName);
    double fontSize() const { return fontSize_; }  // points
    void setFontSize(double points);
    // The client area; empty lets the host size the form around its controls.
    const std::optional<Size>& clientSize() const { return clientSize_; }
    void setClientSize(Size size);

    // Adds a control; names are unique within the form, compared without regard to case.
    template <class C>
    C& add(std::string name, std::string_view text = {}, std::optional<Geometry> geometry = std::nullopt) {
        auto owned = std::make_unique<C>(*this, std::move(name));
        C& control = *owned;
        adopt(std::move(owned));
        if (!text.empty()) control.setText(text);
        if (geometry) control.setGeometry(*geometry);
        return control;
    }

    // The controls in the order they were added.
    const std::vector<Control*>& controls() const { return order_; }
    // nullptr when the form has no control of that name.
    Control* find(std::string_view name) const;
    // The control of that name and type; error 730 "Control '<name>' not found" otherwise.
    template <class C>
    C& control(std::string_view name) const {
        if (auto* c = dynamic_cast<C*>(find(name))) return *c;
        throw controlNotFound(name);
    }

    // Enter presses the default button, Escape the cancel button (one of each per form).
    CommandButton* defaultButton() const { return defaultButton_; }
    void setDefaultButton(CommandButton* button) { defaultButton_ = button; }
    CommandButton* cancelButton() const { return cancelButton_; }
    void setCancelButton(CommandButton* button) { cancelButton_ = button; }

    void onLoad(std::function<void()> handler) { load_ = std::move(handler); }
    void onActivate(std::function<void()> handler) { activate_ = std::move(handler); }
    void onUnload(std::function<void()> handler) { unload_ = std::move(handler); }

    // After success the form is loaded (in loadedForms(), not visible) and its Load handler
    // has run; nothing happens when it is loaded already. When the handler fails the form is
    // left unloaded and the error reaches the caller.
    void load();
    // Loads first when needed, then makes the form visible and queues its Activate event.
    // Modeless: returns at once. Modal: runs the event loop until the form is hidden or
    // unloaded, then returns; errors raised meanwhile by event handlers reach the caller.
    // Showing a visible form modally is error 400; a form that unloads itself in its Load
    // handler is error 364.
    void show(Modality modality = Modality::Modeless);
    // The form stays loaded, not visible; a modal show of it returns. Nothing on an unloaded form.
    void hide();
    // Runs the Unload handler, then hides the form and takes it out of the loaded set; its
    // controls return to their state at load time and their handles die. Nothing on an
    // unloaded form. When the handler fails the form stays loaded.
    void unload();

    bool loaded() const { return loaded_; }
    bool visible() const { return visible_; }
    Modality modality() const { return modality_; }  // of the current or last show
    // The form's window handle while it is loaded (its text is the caption), 0 otherwise.
    WindowHandle handle() const { return handle_; }

    // Dies with the form, for hosts and queued events that must not outlive it.
    std::weak_ptr<void> lifetime() const { return alive_; }

private:
    friend class Control;
    friend struct Runtime;
    void adopt(std::unique_ptr<Control> control);
    platform::com::Error controlNotFound(std::string_view name) const;
    void dropSilently();
    void activate();

    std::string name_;
    std::string caption_;
    std::string fontName_;
    double fontSize_ = 8;
    std::optional<Size> clientSize_;
    std::vector<std::unique_ptr<Control>> owned_;
    std::vector<Control*> order_;
    CommandButton* defaultButton_ = nullptr;
    CommandButton* cancelButton_ = nullptr;
    std::function<void()> load_, activate_, unload_;
    bool loaded_ = false;
    bool visible_ = false;
    bool unloading_ = false;
    Modality modality_ = Modality::Modeless;
    long shownOrder_ = 0;
    WindowHandle handle_ = 0;
    std::string loadCaption_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The loaded forms in the order they were loaded.
std::vector<Form*> loadedForms();

}  // namespace platform::forms
