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

namespace
{
/** Instant attack, exponential release. */
inline float follow (float envelope, float sample, float release) noexcept
{
    const auto magnitude = std::abs (sample);
    return magnitude > envelope ? magnitude : envelope * release + (1.0f - release) * magnitude;
}
} // namespace

void SimpleVuMeter::processSamples (const float* samples, int numSamples)
{
    if (! prepared)
        return;

    const auto release = peakRelease;
    float envelope = peakEnv;

    for (int i = 0; i < numSamples; ++i)
        envelope = follow (envelope, samples[i], release);

    // Also clears a NaN or infinity, which would otherwise stick until the next reset.
    forms::flushDenormal (envelope);
    peakEnv = envelope;
}

void SimpleVuMeter::processPair (SimpleVuMeter& first,
                                 const float* firstSamples,
                                 SimpleVuMeter& second,
                                 const float* secondSamples,
                                 int numSamples) noexcept
{
    if (! (first.prepared && second.prepared))
    {
        first.processSamples (firstSamples, numSamples);
        second.processSamples (secondSamples, numSamples);
        return;
    }

    const auto firstRelease = first.peakRelease;
    const auto secondRelease = second.peakRelease;
    float firstEnvelope = first.peakEnv;
    float secondEnvelope = second.peakEnv;

    for (int i = 0; i < numSamples; ++i)
    {
        firstEnvelope = follow (firstEnvelope, firstSamples[i], firstRelease);
        secondEnvelope = follow (secondEnvelope, secondSamples[i], secondRelease);
    }

    forms::flushDenormal (firstEnvelope);
    forms::flushDenormal (secondEnvelope);
    first.peakEnv = firstEnvelope;
    second.peakEnv = secondEnvelope;
}

void SimpleVuMeter::refresh()
{
    const auto floor = std::pow (10.0f, floorDb / 10.0f);
    const float envelope = peakEnv;

    levelDb = envelope >= floor ? 20.0f * std::log10 (envelope) : silentDb;
}
