#pragma once

#include <random>
#include <vector>

/** Repeatable white noise at -12 dBFS peak, the benchmarks' guitar stand-in. */
inline std::vector<float> benchNoise (int numSamples, unsigned seed)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> distribution (-0.25f, 0.25f);
    std::vector<float> samples ((size_t) numSamples);
    for (auto& x : samples)
        x = distribution (generator);
    return samples;
}
