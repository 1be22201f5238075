// SPDX-License-Identifier: Apache-2.0
// A plain HE2 encoder and decoder written step by step after the format's description:
// a linked node list, a tree of nodes, one bit at a time. The tests hold the fast codec
// against them. Test support only; standard library and platform/com errors.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace he2_reference {

// What a decode came to: the text, or the error's number, source and description.
struct Outcome {
    bool decoded = false;
    std::string text;
    std::int32_t number = 0;
    std::string source;
    std::string description;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

// Error En of the format (1 to 6): number 0x80040000, source "HuffmanDecode()", its description.
Outcome decodeError(int n);

// For test failure messages: the text escaped and shortened, or the error.
void PrintTo(const Outcome& outcome, std::ostream* os);

std::string encode(std::string_view text, bool force);
Outcome decode(std::string_view encoded);

// Runs any decoder and catches its platform::com::Error into an Outcome.
template <class Decoder>
Outcome outcomeOf(Decoder&& decoder, std::string_view encoded);

}  // namespace he2_reference

#include "platform/com/Error.h"

namespace he2_reference {
template <class Decoder>
Outcome outcomeOf(Decoder&& decoder, std::string_view encoded) {
    Outcome o;
    try {
        o.text = decoder(encoded);
        o.decoded = true;
    } catch (const platform::com::Error& e) {
        o.number = e.number();
        o.source = e.source();
        o.description = e.description();
    }
    return o;
}
}  // namespace he2_reference
