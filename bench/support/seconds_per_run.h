// Wall time of one call of `f`, averaged over `runs` calls: for benchmarks
// that time a case and its baseline inside one benchmark iteration and
// report the ratio as a counter.
#pragma once

#include <chrono>

namespace qm::bench {

template <typename F>
double secondsPerRun(F&& f, int runs)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

}  // namespace qm::bench
