#pragma once

// Every poll tick makes and frees text buffers of a few hundred kilobytes. With glibc's
// defaults such blocks come from fresh mappings or from a heap top that was just given back,
// and every page of them faults in again, tick after tick. Keeping freed memory for reuse
// costs a few megabytes at most and saves that work.
#include <QtGlobal>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

inline void TuneAllocator()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}
