// SPDX-License-Identifier: Apache-2.0
// Any input: the fast decoder must end exactly as the reference decoder does (same text, or
// the same error number, source and description). Taken as text, the input must survive the
// encoder and the decoder, and (up to 1 KiB) encode exactly as the reference encoder does.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/he2/ReferenceCodec.h"
#include "velpack/he2/HuffmanCoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const he2_reference::Outcome fast =
        he2_reference::outcomeOf([](std::string_view s) { return velpack::HuffmanDecode(s); }, input);
    if (!(fast == he2_reference::decode(input))) std::abort();

    for (velpack::Force force : {velpack::Force::No, velpack::Force::Yes}) {
        const std::string encoded = velpack::HuffmanEncode(input, force);
        if (velpack::HuffmanDecode(encoded) != input) std::abort();
        // The reference's node list is slow under coverage; short inputs meet the same rules.
        if (size <= 1024 && encoded != he2_reference::encode(input, force == velpack::Force::Yes)) std::abort();
    }
    return 0;
}
