// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/Form.h"

#include <stdexcept>

#include "platform/forms/Program.h"
#include "platform/forms/Runtime.h"
#include "platform/support/TextCase.h"

namespace platform::forms {

using platform::com::Error;
namespace errc = platform::com::errc;
using platform::com::standardDescription;

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form() {
    if (loaded_) dropSilently();
    currentHost().formDestroyed(*this);
}

void Form::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    if (loaded_) currentHost().formChanged(*this);
}

void Form::setFontName(std::string fontName) {
    fontName_ = std::move(fontName);
    if (loaded_) currentHost().formChanged(*this);
}

void Form::setFontSize(double points) {
    fontSize_ = points;
    if (loaded_) currentHost().formChanged(*this);
}

void Form::setClientSize(Size size) {
    clientSize_ = size;
    if (loaded_) currentHost().formChanged(*this);
}

void Form::adopt(std::unique_ptr<Control> control) {
    if (loaded_) throw std::logic_error("controls are added before the form " + name_ + " is loaded");
    if (find(control->name())) throw std::logic_error("form " + name_ + " has two controls named " + control->name());
    order_.push_back(control.get());
    owned_.push_back(std::move(control));
}

Control* Form::find(std::string_view name) const {
    for (Control* c : order_)
        if (platform::equalsIgnoreCase(c->name(), name)) return c;
    return nullptr;
}

Error Form::controlNotFound(std::string_view name) const {
    return Error(errc::ControlNotFound, programTitle(), "Control '" + std::string(name) + "' not found");
}

void Form::load() {
    if (loaded_) return;
    auto& rt = Runtime::get();
    loaded_ = true;
    rt.loaded.push_back(this);
    handle_ =
        registerWindow({[this](std::string_view text) { setCaption(std::string(text)); }, [this] { return caption_; }});
    loadCaption_ = caption_;
    for (Control* c : order_) {
        c->saveLoadState();
        c->attachWindow();
    }
    rt.currentHost().formLoaded(*this);
    if (!load_) return;
    try {
        load_();
    } catch (...) {
        if (loaded_) dropSilently();
        throw;
    }
}

void Form::show(Modality modality) {
    auto& rt = Runtime::get();
    if (!loaded_) {
        load();
        if (!loaded_) throw Error(errc::ObjectUnloaded, programTitle(), standardDescription(errc::ObjectUnloaded));
    }
    if (visible_) {
        if (modality == Modality::Modal)
            throw Error(errc::FormAlreadyDisplayed, programTitle(), standardDescription(errc::FormAlreadyDisplayed));
        return;
    }
    visible_ = true;
    modality_ = modality;
    shownOrder_ = ++rt.showCounter;
    if (modality == Modality::Modal) rt.modal.push_back(this);
    // Activate is queued first, so that whatever the host queues on showing runs after it.
    std::weak_ptr<void> life = alive_;
    rt.enqueue([life, this, shown = shownOrder_] {
        // Only for this showing: hidden and shown again before the queue ran, it activates once.
        if (!life.expired() && shownOrder_ == shown) activate();
    });
    rt.currentHost().formShown(*this, modality);
    if (modality == Modality::Modeless) return;

    rt.currentHost().runUntil([&] { return life.expired() || !visible_ || rt.unwinding; });
    rt.rethrowUnwinding();
}

void Form::activate() {
    if (loaded_ && visible_ && activate_) activate_();
}

void Form::hide() {
    if (!visible_) return;
    auto& rt = Runtime::get();
    visible_ = false;
    std::erase(rt.modal, this);
    rt.currentHost().formHidden(*this);
    rt.changed();
}

void Form::unload() {
    if (!loaded_ || unloading_) return;
    if (unload_) {
        unloading_ = true;
        try {
            unload_();
        } catch (...) {
            unloading_ = false;
            throw;
        }
        unloading_ = false;
        if (!loaded_) return;
    }
    dropSilently();
}

void Form::dropSilently() {
    auto& rt = Runtime::get();
    hide();
    rt.forget(*this);
    loaded_ = false;
    for (Control* c : order_) {
        c->detachWindow();
        c->restoreLoadState();
    }
    caption_ = loadCaption_;
    unregisterWindow(handle_);
    handle_ = 0;
    rt.currentHost().formUnloaded(*this);
    rt.changed();
}

std::vector<Form*> loadedForms() {
    return Runtime::get().loaded;
}

}  // namespace platform::forms
