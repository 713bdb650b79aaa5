#pragma once

// Scripts run on the main thread, and their recursion is limited only by its stack: give it
// room for a hundred thousand levels of a small routine. On Linux the main thread's stack
// grows up to the soft limit in force when it grows, so raising that limit at start is
// enough; Windows and macOS reserve it when linking (see src/CMakeLists.txt).
#include <QtGlobal>

#if defined(Q_OS_LINUX)
#include <sys/resource.h>
#endif

inline constexpr unsigned long long kMainStackBytes = 64ull << 20;

inline void EnlargeMainStack()
{
#if defined(Q_OS_LINUX)
    rlimit limit{};
    if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY
        || limit.rlim_cur >= kMainStackBytes)
        return;
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < kMainStackBytes)
        return;
    limit.rlim_cur = kMainStackBytes;
    setrlimit(RLIMIT_STACK, &limit);
#endif
}
