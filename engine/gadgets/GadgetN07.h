#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Dizuz Ovovu Dozuz": three resonant band-passes in parallel whose centres
    glide together between two vowel-like formant sets. The position comes
    from the Course knob, read every sample, plus an envelope follower and a
    sine LFO; Reson sets the common resonance. */
class GadgetN07 final : public Gadgets
{
public:
    GadgetN07();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int numBands = 3;

    float filterG[numBands] {};
    float damping[numBands] {};
    float filterH[numBands] {};
    float bandS1L[numBands] {}, bandS2L[numBands] {};
    float bandS1R[numBands] {}, bandS2R[numBands] {};
    // Centre frequencies at Course 0 and at Course 1: band 0 rises while
    // bands 1 and 2 fall, which is what makes the vowel change.
    float formantFrom[numBands] { 250.0f, 3340.0f, 4340.0f };
    float formantTo[numBands] { 2950.0f, 350.0f, 600.0f };
    float lfoDepth = 0.0f;
    float lfoRate = 0.1f;
    float lfoPhase = 0.0f;
    float envDepth = 0.0f;
    float attackCoeff = 0.0f, releaseCoeff = 0.0f;
    float detectorCoeff = 0.0f;
    float meanSquare = 0.0f;
    float envelope = 0.0f;

private:
    struct SweepLogs
    {
        float from[numBands], span[numBands];
    };

    float nextPosition (float inputL, float inputR, float angle) noexcept;
    void tuneBands (float position, const SweepLogs& logs) noexcept;
    float filterSample (float x, float (&s1)[numBands], float (&s2)[numBands]) const noexcept;
};
