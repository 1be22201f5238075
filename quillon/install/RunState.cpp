#include "quillon/install/RunState.h"

namespace quillon {

SharedRunState& sharedRunState() {
    static SharedRunState state;
    return state;
}

}  // namespace quillon
