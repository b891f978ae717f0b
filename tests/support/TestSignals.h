#pragma once

#include <cstdint>
#include <vector>

namespace testsignals
{
/** Uniform noise in -amplitude..amplitude from a fixed seed, with a few
    full-scale impulses mixed in so transients are exercised too. */
std::vector<float> noiseWithImpulses (int numSamples, std::uint32_t seed, float amplitude = 0.5f);

/** A sine of the given frequency and amplitude. */
std::vector<float> sine (int numSamples, double frequencyHz, double sampleRate, float amplitude = 1.0f);

/** A square wave of the given frequency, starting at +amplitude. */
std::vector<float> square (int numSamples, double frequencyHz, double sampleRate, float amplitude = 1.0f);

/** The seed a randomised test uses: TARVOLIN_SEED from the environment when
    set, else the given default. Printed by the test so a failure can be re-run. */
std::uint32_t testSeed (std::uint32_t fallback);

bool allFinite (const std::vector<float>& samples);
float peakOf (const std::vector<float>& samples);
} // namespace testsignals
