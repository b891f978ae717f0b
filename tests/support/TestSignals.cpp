#include "TestSignals.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

namespace testsignals
{
std::vector<float> noiseWithImpulses (int numSamples, std::uint32_t seed, float amplitude)
{
    std::mt19937 generator (seed);
    std::uniform_real_distribution<float> distribution (-amplitude, amplitude);
    std::vector<float> samples ((size_t) numSamples);

    for (auto& sample : samples)
        sample = distribution (generator);

    constexpr int impulseSpacing = 1500;
    for (int i = impulseSpacing / 2; i < numSamples; i += impulseSpacing)
        samples[(size_t) i] = (i / impulseSpacing) % 2 == 0 ? 1.0f : -1.0f;

    return samples;
}

std::vector<float> sine (int numSamples, double frequencyHz, double sampleRate, float amplitude)
{
    std::vector<float> samples ((size_t) numSamples);
    const auto step = 2.0 * M_PI * frequencyHz / sampleRate;

    for (int i = 0; i < numSamples; ++i)
        samples[(size_t) i] = amplitude * (float) std::sin (step * i);

    return samples;
}

std::vector<float> square (int numSamples, double frequencyHz, double sampleRate, float amplitude)
{
    std::vector<float> samples ((size_t) numSamples);
    const auto cycles = frequencyHz / sampleRate;

    for (int i = 0; i < numSamples; ++i)
        samples[(size_t) i] = std::fmod (cycles * i, 1.0) < 0.5 ? amplitude : -amplitude;

    return samples;
}

std::uint32_t testSeed (std::uint32_t fallback)
{
    if (const char* text = std::getenv ("TARVOLIN_SEED"))
        return (std::uint32_t) std::strtoul (text, nullptr, 10);

    return fallback;
}

bool allFinite (const std::vector<float>& samples)
{
    return std::all_of (samples.begin(), samples.end(), [] (float x) { return std::isfinite (x); });
}

float peakOf (const std::vector<float>& samples)
{
    float peak = 0.0f;
    for (auto x : samples)
        peak = std::max (peak, std::abs (x));
    return peak;
}
} // namespace testsignals
