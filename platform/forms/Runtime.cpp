// SPDX-License-Identifier: Apache-2.0
#include "platform/forms/Runtime.h"

#include <algorithm>
#include <iostream>
#include <utility>

#include "platform/forms/EventLoop.h"
#include "platform/support/VisibleText.h"

namespace platform::forms {

namespace {

// Used when no host is installed: a library's hidden forms and programs without any display.
class HeadlessHost final : public Host {
public:
    int messageBox(const MessageBoxRequest& request) override {
        std::cerr << platform::visibleText(request.title) << '\n'
                  << platform::visibleText(request.text, platform::LineBreaks::Kept) << std::endl;
        return request.defaultAnswer();
    }
    void runUntil(const std::function<bool()>& done) override {
        // No input can ever come: run what is queued, then give up.
        while (!done() && hosting::runPendingEvents()) {
        }
    }
};

}  // namespace

Runtime& Runtime::get() {
    static Runtime runtime;
    return runtime;
}

Host& Runtime::currentHost() {
    static HeadlessHost headless;
    return host ? *host : headless;
}

void Runtime::enqueue(std::function<void()> task) {
    queue.push_back(std::move(task));
    currentHost().eventPosted();
}

void Runtime::rethrowUnwinding() {
    if (auto error = std::exchange(unwinding, nullptr)) std::rethrow_exception(error);
}

void Runtime::forget(Form& form) {
    std::erase(loaded, &form);
    std::erase(modal, &form);
}

Form* Runtime::inputForm() const {
    for (auto it = modal.rbegin(); it != modal.rend(); ++it)
        if ((*it)->visible()) return *it;
    Form* last = nullptr;
    for (Form* f : loaded)
        if (f->visible() && (!last || f->shownOrder_ > last->shownOrder_)) last = f;
    return last;
}

void Runtime::dropAllForms() {
    while (!loaded.empty()) loaded.back()->dropSilently();
    queue.clear();
}

Host& currentHost() {
    return Runtime::get().currentHost();
}

HostScope::HostScope(Host& host) : previous_(std::exchange(Runtime::get().host, &host)) {}
HostScope::~HostScope() {
    Runtime::get().host = previous_;
}

void post(std::function<void()> task) {
    Runtime::get().enqueue(std::move(task));
}

void doEvents() {
    auto& rt = Runtime::get();
    rt.currentHost().processEvents();
    hosting::runPendingEvents();
    rt.rethrowUnwinding();
}

void repaint() {
    Runtime::get().currentHost().repaint();
}

namespace hosting {

bool runPendingEvents() {
    auto& rt = Runtime::get();
    // Only what was queued before: a task that queues another does not keep us here.
    std::size_t n = rt.queue.size();
    for (std::size_t i = 0; i < n && !rt.queue.empty(); ++i) {
        auto task = std::move(rt.queue.front());
        rt.queue.pop_front();
        dispatch(task);
    }
    if (n) rt.changed();
    return n != 0;
}

bool hasPendingEvents() {
    return !Runtime::get().queue.empty();
}

void dispatch(const std::function<void()>& handler) {
    auto& rt = Runtime::get();
    if (rt.unwinding || rt.ending) return;
    try {
        handler();
    } catch (...) {
        rt.unwinding = std::current_exception();
    }
    rt.changed();
}

bool unwinding() {
    return Runtime::get().unwinding != nullptr;
}

Form* inputForm() {
    return Runtime::get().inputForm();
}

bool anyFormVisible() {
    auto& loaded = Runtime::get().loaded;
    return std::any_of(loaded.begin(), loaded.end(), [](Form* f) { return f->visible(); });
}

}  // namespace hosting

}  // namespace platform::forms
