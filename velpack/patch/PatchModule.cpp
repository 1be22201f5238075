// Placeholder for the patch module until the patch tool lands: creation works.
#include "platform/com/Error.h"
#include "velpack/frame/Factories.h"
#include <velpack/Velpack.h>

namespace velpack {
namespace {
class PatchModule final : public platform::com::Object<IPatchModule> {
public:
    Boolean ApplyPatch(const std::string&, const std::string&, Boolean&, Boolean, Boolean) override {
        throw platform::com::Error::notImplemented(kPatchModuleProgId, "ApplyPatch");
    }
};
}  // namespace

platform::com::Unknown* createPatchModule() { return new PatchModule(); }
}  // namespace velpack
