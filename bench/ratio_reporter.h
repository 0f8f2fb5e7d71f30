// A console reporter that keeps each benchmark's median real time, so that a benchmark can
// print its figure beside its baseline as a ratio of medians at the end of the run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median")
                m_medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* figure, const char* baseline, double goal) const
    {
        const auto a = m_medians.find(figure);
        const auto b = m_medians.find(baseline);
        if (a != m_medians.end() && b != m_medians.end())
            std::printf("%s / %s: %.2f (goal: at most %.1f)\n", figure, baseline, a->second / b->second, goal);
    }

private:
    std::map<std::string, double> m_medians;
};
