#include "SimpleVuMeter.h"

#include "engine/GadgetForms.h"

#include <cmath>

namespace
{
// exp(-2 pi 1000 / (20 ms x fs)): the 20 ms time coefficient.
constexpr float releaseExponent = -314.15927f;
} // namespace

void SimpleVuMeter::setSampleRate (double newSampleRate)
{
    sampleRate = (float) newSampleRate;
    peakRelease = std::exp (releaseExponent / sampleRate);
    prepared = true;
}

void SimpleVuMeter::reset()
{
    peakEnv = 0.0f;
    levelDb = silentDb;
}

void SimpleVuMeter::processSamples (const float* samples, int numSamples)
{
    if (! prepared)
        return;

    const auto release = peakRelease;
    float envelope = peakEnv;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto magnitude = std::abs (samples[i]);

        if (magnitude > envelope)
            envelope = magnitude;
        else
            envelope = envelope * release + (1.0f - release) * magnitude;
    }

    // Also clears a NaN or infinity, which would otherwise stick until the next reset.
    forms::flushDenormal (envelope);
    peakEnv = envelope;
}

void SimpleVuMeter::refresh()
{
    const auto floor = std::pow (10.0f, floorDb / 10.0f);
    const float envelope = peakEnv;

    levelDb = envelope >= floor ? 20.0f * std::log10 (envelope) : silentDb;
}
