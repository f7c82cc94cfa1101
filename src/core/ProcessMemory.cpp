#include "core/ProcessMemory.h"

#include <malloc.h>

namespace core {

void keepFreedMemory() {
    constexpr int kMB = 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, 16 * kMB);
    mallopt(M_TRIM_THRESHOLD, 32 * kMB);
}

} // namespace core
