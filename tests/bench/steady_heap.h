// One allocator policy for the benchmarks that compare a large run with a small one.
#pragma once

#include <malloc.h>

// glibc maps large blocks afresh on every allocation and gives freed memory back to
// the system past a threshold that depends on the sizes seen before, so that the
// large runs would pay for zeroed pages again and again while the small ones reuse
// their heap. With every block from the heap and freed memory kept for reuse, the
// comparison measures how the work grows, not that policy.
inline void keepFreedMemory() {
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
}
