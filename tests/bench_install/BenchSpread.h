// Figures of a benchmark that runs in rounds on a shared machine: the spread of each figure
// over the rounds, so that one slow round does not decide it.
#pragma once

#include <algorithm>
#include <vector>

struct Spread {
    double min, median, max;
};

inline Spread SpreadOf(std::vector<double> v) {
    if (v.empty()) return {0, 0, 0};
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {v.front(), median, v.back()};
}
