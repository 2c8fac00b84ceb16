// Timing and the report row shared by the benchmark programs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

inline double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Median of several runs of work, in milliseconds.
inline double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        double start = NowMs();
        work();
        samples.push_back(NowMs() - start);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

inline double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

inline void ReportRow(const char* name, double ours, double floor, const char* unit = "ms") {
    double ratio = floor > 0 ? ours / floor : 0;
    std::printf("%-52s %9.2f %-2s %9.2f %-2s %7.2fx\n", name, ours, unit, floor, unit, ratio);
    std::fflush(stdout);
}

inline void ReportValue(const char* name, double before, double after, const char* unit) {
    std::printf("%-52s %9.0f %-2s %9.0f %-2s %+7.0f\n", name, after, unit, before, unit, after - before);
    std::fflush(stdout);
}
