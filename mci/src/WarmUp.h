#pragma once

namespace mci {

// Waits until a warm-up begun by warmUp() is done; at once when there was none.
void finishWarmUp();

}  // namespace mci
