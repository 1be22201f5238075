// Placeholder for the HE2 codec class until the codec lands: creation works.
#include "platform/com/Error.h"
#include "velpack/frame/Factories.h"
#include <velpack/Velpack.h>

namespace velpack {
namespace {
class CompressionAlgorithm final : public platform::com::Object<ICompressionAlgorithm> {
public:
    std::string QuickCompress(const std::string&, OVImplAlgoConstants) override {
        throw platform::com::Error::notImplemented(kCompressionAlgorithmProgId, "QuickCompress");
    }
    std::string QuickDecompress(const std::string&, OVImplAlgoConstants) override {
        throw platform::com::Error::notImplemented(kCompressionAlgorithmProgId, "QuickDecompress");
    }
};
}  // namespace

platform::com::Unknown* createCompressionAlgorithm() { return new CompressionAlgorithm(); }
}  // namespace velpack
