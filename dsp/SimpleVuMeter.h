#pragma once

#include "dsp/AbstractVuMeterDSP.h"

/** Peak meter: instant attack, 20 ms exponential release, floor at -40 dB
    (as power, so the amplitude floor is 1e-4). */
class SimpleVuMeter : public AbstractVuMeterDSP
{
public:
    SimpleVuMeter() = default;

    void setSampleRate (double newSampleRate) override;
    void reset() override;
    void refresh() override;
    void processSamples (const float* samples, int numSamples) override;

    /** Two meters over two signals of the same length, in one pass: each
        meter's envelope is a chain of dependent operations, and two chains
        side by side take hardly longer than one. The same values as two
        processSamples calls. */
    static void processPair (SimpleVuMeter& first,
                             const float* firstSamples,
                             SimpleVuMeter& second,
                             const float* secondSamples,
                             int numSamples) noexcept;

    RelaxedAtomic<bool> prepared { false };
    float sampleRate = 44100.0f;
    float floorDb = -40.0f;
    float peakRelease = 0.0f;
    /** Written by the audio thread, read by refresh() on the message thread. */
    RelaxedAtomic<float> peakEnv { 0.0f };
};
