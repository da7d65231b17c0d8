// A benchmark program's main: runs the cases the command line selects, then
// prints the time per iteration of each measured case as a multiple of its
// baseline's, both measured in the same process. Absolute times depend on
// the machine; the ratios are what the summary is for.
#pragma once

#include <string>
#include <vector>

namespace qm::bench {

struct Ratio {
    std::string measured;
    std::string baseline;  // benchmark names, with "/<arg>" for a case with an argument
};

enum class RatioClock {
    Cpu,         // the work itself
    Real,        // waits included
    CpuAndReal,  // both, side by side
};

struct RatioSummary {
    std::string heading;
    std::vector<Ratio> ratios;
    RatioClock clock = RatioClock::Cpu;
};

// A ratio whose two cases did not both run (filtered out, or failed) is
// left out of the summary. Returns main's exit code.
int runWithRatioSummary(int argc, char** argv, const RatioSummary& summary);

}  // namespace qm::bench
