// SPDX-License-Identifier: Apache-2.0
// The model's process-wide state behind Form, EventLoop, Host and Program: the loaded set,
// the modal stack, the event queue, the error on its way out and the installed host.
// Private to platform/forms; depends on the model headers.
#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/Host.h"

namespace platform::forms {

struct Runtime {
    static Runtime& get();

    Host* host = nullptr;
    std::vector<Form*> loaded;
    std::vector<Form*> modal;  // innermost last
    std::deque<std::function<void()>> queue;
    std::exception_ptr unwinding;  // kept by dispatch, rethrown by the model loops
    long showCounter = 0;
    bool ending = false;  // the program is ending: no handler runs any more
    std::string title;

    Host& currentHost();
    void enqueue(std::function<void()> task);
    // Rethrows the kept error, if any, in the caller's frame.
    void rethrowUnwinding();
    void changed() { currentHost().stateChanged(); }
    void forget(Form& form);  // out of the loaded set and the modal stack
    Form* inputForm() const;
    // Every loaded form goes without its Unload handler, as at the host language's End.
    void dropAllForms();
};

}  // namespace platform::forms
