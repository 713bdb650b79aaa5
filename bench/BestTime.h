#pragma once

#include <chrono>
#include <functional>

// Best time of aRuns calls of aWork, in milliseconds; aPrepare runs untimed before each.
inline double BestMs(const std::function<void()>& aPrepare, const std::function<void()>& aWork, int aRuns = 5)
{
    double best = 0;
    for (int run = 0; run < aRuns; ++run) {
        if (aPrepare)
            aPrepare();
        const auto start = std::chrono::steady_clock::now();
        aWork();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        if (run == 0 || elapsed.count() < best)
            best = elapsed.count();
    }
    return best;
}
