// SPDX-License-Identifier: Apache-2.0
#include "quillon/install/RunState.h"

namespace quillon {

SharedRunState& sharedRunState() {
    static SharedRunState state;
    return state;
}

}  // namespace quillon
