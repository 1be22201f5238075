// SPDX-License-Identifier: Apache-2.0
// The boundary between the form model and whatever draws it: a Host is told about every
// change of a loaded form, shows message boxes and runs the event loop. Hosts feed user input
// back through UserInput.h and run the model's queued events through the services below.
// Without an installed host the model uses a headless one: forms load, show and hide without
// being drawn, message boxes go to standard error and take their default answer.
// Part of platform/forms; depends on the model headers and the standard library.
#pragma once

#include <functional>

#include "platform/forms/Control.h"
#include "platform/forms/Form.h"
#include "platform/forms/MessageBox.h"

namespace platform::forms {

class Host {
public:
    virtual ~Host() = default;

    virtual void formLoaded(Form&) {}
    virtual void formShown(Form&, Modality) {}
    virtual void formHidden(Form&) {}
    virtual void formUnloaded(Form&) {}
    // The caption, font or client size of a loaded form changed.
    virtual void formChanged(Form&) {}
    // The form object goes away; forget everything about it.
    virtual void formDestroyed(Form&) {}
    // A control of a loaded form changed (item: 1-based row for the item changes).
    virtual void controlChanged(Control&, Change, int /*item*/) {}

    virtual int messageBox(const MessageBoxRequest& request) = 0;

    // DoEvents: handle the host's own pending events once, without waiting.
    virtual void processEvents() {}
    // Repaint: draw pending changes without taking user input or running the model's queue.
    virtual void repaint() {}
    // Waits for input and runs events (the model's queue included) until done() is true, or
    // returns earlier when nothing could ever make it true (no visible form, nothing queued).
    virtual void runUntil(const std::function<bool()>& done) = 0;
    // A task joined the model's queue; a waiting loop should wake up and run it.
    virtual void eventPosted() {}
    // Something a waiting loop tests may have changed (a form hidden or unloaded, an error).
    virtual void stateChanged() {}
};

// The current host; the headless one when none is installed.
Host& currentHost();

// Installs a host for the scope's lifetime; the previous one comes back afterwards.
class HostScope {
public:
    explicit HostScope(Host& host);
    ~HostScope();
    HostScope(const HostScope&) = delete;
    HostScope& operator=(const HostScope&) = delete;

private:
    Host* previous_;
};

// Services of the model for hosts.
namespace hosting {

// Runs the tasks that were queued before the call, each through dispatch(); true when any ran.
bool runPendingEvents();
bool hasPendingEvents();
// Runs an event handler on behalf of the event loop: an error it raises is kept and rethrown
// by the model loop that runs the host (DoEvents, a modal show, the program loop), never
// into the host's own code. While an error is on its way out, further handlers do not run.
void dispatch(const std::function<void()>& handler);
// True while an error or the end of the program is on its way out of the event loops.
bool unwinding();
// The form that receives input now: the innermost modal form, else the visible form shown
// last; nullptr when no form is visible.
Form* inputForm();
bool anyFormVisible();

}  // namespace hosting

}  // namespace platform::forms
