#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Dovid Udizur": a stereo ping-pong delay whose send is gated by the
    playing level, so only hard attacks reach the echoes while the dry signal
    always passes at unity. With Sync on, the delay is a note value of the
    host tempo. */
class GadgetN01 final : public Gadgets
{
public:
    GadgetN01();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int ringSize = 524288; // 2^19 cells, about 11 s at 48 kHz
    static constexpr int ringMask = ringSize - 1;
    // The longest synced length: one cell short of the longest free one.
    static constexpr int longestSyncedLength = ringSize - 2;

    float delayLineL[ringSize] {};
    float delayLineR[ringSize] {};
    int readIndex = 0;
    int writeIndex = 0;
    int delayLength = 0; // samples
    float feedback = 0.0f;
    float dryGain = 1.0f, wetGain = 1.0f;
    int nextReadIndex = 0;
    forms::OnePole tapFilter;
    float tapStateL = 0.0f, tapStateR = 0.0f;
    float meanSquare = 0.0f;
    float envelope = 0.0f;
    float attackCoeff = 0.0f, detectorCoeff = 0.0f, releaseCoeff = 0.0f;
    float threshold = 1.0f, invThreshold = 1.0f; // mean-square (power) scale
    float ratio = 10.0f;
    forms::OnePole gainSmoother;
    float gainSmooth = 0.0f;

private:
    /** The tap distance in samples for the current controls: free from the
        Delay knob, or with Sync on a note value at bpm. No usable tempo
        (0, negative, not finite) gives 0. */
    int delayLengthFor (float bpm) const noexcept;
    int syncedLength (float bpm) const noexcept;
};
