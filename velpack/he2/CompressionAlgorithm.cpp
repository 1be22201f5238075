// SPDX-License-Identifier: Apache-2.0
// CompressionAlgorithm: dispatches on the algorithm number; 1 is the HE2 Huffman codec,
// any other number leaves the text as it is. Its members take text: the codec works on each
// character's Windows-1252 code, as the host's 8-bit strings held them, and gives back the
// characters of the codes it made.
#include <velpack/Velpack.h>
#include "platform/com/Error.h"
#include "platform/com/Unknown.h"
#include "platform/support/TextEncoding.h"
#include "velpack/frame/Factories.h"
#include "velpack/he2/HuffmanCoding.h"

namespace velpack {
namespace {

// A character without a Windows-1252 code is out of the 8-bit range: "Overflow" (6).
std::string codesOf(const std::string& text) {
    std::optional<std::string> codes = platform::utf8ToWindows1252Exact(text);
    if (!codes) throw platform::com::Error::overflow("Velpack");
    return std::move(*codes);
}

class CompressionAlgorithm final : public platform::com::Object<ICompressionAlgorithm> {
public:
    std::string QuickCompress(const std::string& Text, OVImplAlgoConstants Algorithm) override {
        if (Algorithm != oviacHuffman) return Text;
        return platform::windows1252ToUtf8(HuffmanEncode(codesOf(Text), Force::No));
    }
    std::string QuickDecompress(const std::string& Text, OVImplAlgoConstants Algorithm) override {
        if (Algorithm != oviacHuffman) return Text;
        return platform::windows1252ToUtf8(HuffmanDecode(codesOf(Text)));
    }
};
}  // namespace

platform::com::Ptr<platform::com::Unknown> createCompressionAlgorithm() {
    return platform::com::make<CompressionAlgorithm>();
}
}  // namespace velpack
