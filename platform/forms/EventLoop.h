// SPDX-License-Identifier: Apache-2.0
// The model's event queue: events that run later, from the event loop (DoEvents, a modal
// show's nested loop, the program loop), in the order they were queued.
// Part of platform/forms; depends on the standard library only.
#pragma once

#include <functional>

namespace platform::forms {

// Queues a task; it runs from the event loop, never inside post().
void post(std::function<void()> task);

// Lets pending events run once and returns: the host's own (input, repaints) and the tasks
// queued before the call. An error raised by one of them reaches the caller.
void doEvents();

// Lets the host draw what has changed, for long work on the GUI thread that wants its
// progress seen: takes no user input and runs no queued task, so nothing can happen to the
// forms meanwhile.
void repaint();

}  // namespace platform::forms
