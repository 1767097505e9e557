#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

// Median and tail of a set of samples (nearest-rank), for latency reports.
inline double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * double(samples.size())));
    return samples[std::min(samples.size() - 1, rank == 0 ? 0 : rank - 1)];
}
