#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Rezov Ididiz": a six-stage stereo phaser. First-order all-pass sections
    at fixed, unevenly spaced frequencies move together on a logarithmic
    scale under a triangle LFO; the chain's output is fed back to its input
    and mixed half and half with that (fed-back) input. */
class GadgetN02 final : public Gadgets
{
public:
    GadgetN02();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int numStages = 6;
    // The chain coefficients follow the LFO in steps of this many samples.
    static constexpr int samplesPerCoefficientUpdate = 8;

    /** Coefficients of the six sections, shared by both channels. */
    struct AllPassChain
    {
        float a1[numStages] {};
        float b0[numStages] {};
        float b1[numStages] {};
    };

    float dryGain = 0.5f, wetGain = 0.5f;
    float feedback = 0.0f;
    float amount = 0.0f; // decades the stages move either way
    float lfoRate = 1.0f;
    float lfoPhase = 0.0f;
    AllPassChain allpass;
    float allpassStateL[numStages] {};
    float allpassStateR[numStages] {};
    float lastOutL = 0.0f, lastOutR = 0.0f;
    int coeffCounter = samplesPerCoefficientUpdate;

private:
    void updateChain (float angle, float fs) noexcept;
    float runChain (float input, float (&states)[numStages]) const noexcept;
};
