// RatioReporter: the console reporter of a benchmark run that keeps each benchmark's median real
// and CPU times and prints a figure's ratio to its baseline beside the goal.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median")
                m_times[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* figure, const char* baseline, double goal) const
    {
        const auto a = m_times.find(figure);
        const auto b = m_times.find(baseline);
        if (a == m_times.end() || b == m_times.end())
            return;
        std::printf("%s / %s: %.3g real, %.3g CPU (goal: at most %g)\n", figure, baseline,
                    a->second.first / b->second.first, a->second.second / b->second.second, goal);
    }

private:
    std::map<std::string, std::pair<double, double>> m_times; // real, CPU
};
