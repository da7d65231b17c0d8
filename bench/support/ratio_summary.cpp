#include "bench/support/ratio_summary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace qm::bench {

namespace {

struct SecondsPerIteration {
    double cpu = 0;
    double real = 0;
};

// Keeps each case's times in seconds, whatever unit it is printed in, so
// cases reported in different units still compare.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions, the median of the repetitions stands for the case.
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type != Run::RT_Iteration && !median) || run.iterations <= 0 || run.error_occurred)
                continue;
            const std::string name = caseName(run);
            if (!median && medians_.count(name) != 0)
                continue;
            if (median)
                medians_.insert(name);
            times_[name] = {run.cpu_accumulated_time / double(run.iterations),
                            run.real_accumulated_time / double(run.iterations)};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const SecondsPerIteration* find(const std::string& name) const
    {
        const auto found = times_.find(name);
        return found == times_.end() ? nullptr : &found->second;
    }

private:
    // The function and its argument; not the "/real_time" and like
    // suffixes, which only say how the case was timed.
    static std::string caseName(const Run& run)
    {
        const benchmark::BenchmarkName& name = run.run_name;
        return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
    }

    std::map<std::string, SecondsPerIteration> times_;
    std::set<std::string> medians_;
};

// Three significant digits however small the ratio, at least two decimals.
std::string formatRatio(double ratio)
{
    const int magnitude = ratio > 0 ? int(std::floor(std::log10(ratio))) : 0;
    const int decimals = std::clamp(2 - magnitude, 2, 9);
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, ratio);
    return text;
}

void printRatios(const RatioReporter& reporter, const RatioSummary& summary)
{
    std::size_t measuredWidth = 0, baselineWidth = 0;
    for (const Ratio& ratio : summary.ratios) {
        measuredWidth = std::max(measuredWidth, ratio.measured.size());
        baselineWidth = std::max(baselineWidth, ratio.baseline.size());
    }
    std::printf("\n%s\n", summary.heading.c_str());
    for (const Ratio& ratio : summary.ratios) {
        const SecondsPerIteration* measured = reporter.find(ratio.measured);
        const SecondsPerIteration* baseline = reporter.find(ratio.baseline);
        const bool showsCpu = summary.clock != RatioClock::Real;
        const bool showsReal = summary.clock != RatioClock::Cpu;
        if (measured == nullptr || baseline == nullptr || (showsCpu && baseline->cpu <= 0) ||
            (showsReal && baseline->real <= 0))
            continue;
        const std::string cpu = formatRatio(measured->cpu / baseline->cpu);
        const std::string real = formatRatio(measured->real / baseline->real);
        std::printf("  %-*s / %-*s = ", int(measuredWidth), ratio.measured.c_str(), int(baselineWidth),
                    ratio.baseline.c_str());
        switch (summary.clock) {
        case RatioClock::Cpu: std::printf("%s\n", cpu.c_str()); break;
        case RatioClock::Real: std::printf("%s\n", real.c_str()); break;
        case RatioClock::CpuAndReal: std::printf("%s CPU, %s real\n", cpu.c_str(), real.c_str()); break;
        }
    }
}

}  // namespace

int runWithRatioSummary(int argc, char** argv, const RatioSummary& summary)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter, summary);
    benchmark::Shutdown();
    return 0;
}

}  // namespace qm::bench
