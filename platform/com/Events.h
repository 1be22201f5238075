// SPDX-License-Identifier: Apache-2.0
// Outgoing event interfaces. An event interface is an abstract sink class with one virtual
// per event in dispatch order; a client implements it and advises the source object, which
// raises every event synchronously, inside the call whose work produces it.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "Unknown.h"

namespace platform::com {

// Implemented by every object that raises events.
struct IEventSource : Unknown {
    static constexpr Guid iid = Guid::literal("A0C1E3B2-5D4F-4E8A-9B17-3C62D1F0A402");

    // Connects a sink; the source asks it for `eventIid`. Returns a cookie for unadvise,
    // or 0 when the sink does not implement that event interface.
    virtual std::uint32_t advise(const Guid& eventIid, Unknown* sink) = 0;
    virtual void unadvise(std::uint32_t cookie) = 0;
};

// The sinks connected to one event interface of a source object.
template <class Sink>
class EventSinks {
public:
    std::uint32_t advise(Unknown* sink) {
        Ptr<Sink> s = queryAs<Sink>(sink);
        if (!s) return 0;
        sinks_.emplace_back(++lastCookie_, std::move(s));
        return lastCookie_;
    }
    bool unadvise(std::uint32_t cookie) {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first == cookie) {
                sinks_.erase(it);
                return true;
            }
        }
        return false;
    }
    // Calls the event on every sink in the order they were advised. A sink that unadvises
    // during the call does not disturb the others.
    template <class... Params, class... Args>
    void raise(void (Sink::*event)(Params...), Args&&... args) {
        auto snapshot = sinks_;
        for (auto& [cookie, sink] : snapshot) (sink.get()->*event)(args...);
    }
    bool empty() const { return sinks_.empty(); }

private:
    std::vector<std::pair<std::uint32_t, Ptr<Sink>>> sinks_;
    std::uint32_t lastCookie_ = 0;
};

}  // namespace platform::com
