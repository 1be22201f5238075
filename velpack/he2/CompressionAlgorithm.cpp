// CompressionAlgorithm: dispatches on the algorithm number; 1 is the HE2 Huffman codec,
// any other number leaves the text as it is.
#include <velpack/Velpack.h>
#include "platform/com/Unknown.h"
#include "velpack/frame/Factories.h"
#include "velpack/he2/HuffmanCoding.h"

namespace velpack {
namespace {
class CompressionAlgorithm final : public platform::com::Object<ICompressionAlgorithm> {
public:
    std::string QuickCompress(const std::string& Text, OVImplAlgoConstants Algorithm) override {
        if (Algorithm == oviacHuffman) return HuffmanEncode(Text, Force::No);
        return Text;
    }
    std::string QuickDecompress(const std::string& Text, OVImplAlgoConstants Algorithm) override {
        if (Algorithm == oviacHuffman) return HuffmanDecode(Text);
        return Text;
    }
};
}  // namespace

platform::com::Unknown* createCompressionAlgorithm() {
    return new CompressionAlgorithm();
}
}  // namespace velpack
