#include "DecoderThreads.h"

#include <sched.h>

#include <thread>

namespace mci {

int usableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
    return static_cast<int>(std::thread::hardware_concurrency());
}

}  // namespace mci
