#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Derurevore": a stereo comb filter whose delay (8 to 4095 samples) is set
    by a knob and swept by a sine LFO and the playing level. Below the centre
    of the feedback knob it is a feed-forward comb, above it a feedback comb. */
class GadgetN06 final : public Gadgets
{
public:
    GadgetN06();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int ringSize = 4096;
    static constexpr float shortestDelaySamples = 8.0f;
    static constexpr float delayRangeSamples = 4087.0f;

    float delayLineL[ringSize] {};
    float delayLineR[ringSize] {};
    int writeIndex = 0;
    float feedbackKnob = 0.5f;
    forms::OnePole delaySmoother;
    float delaySmooth = 0.0f;
    float lfoDepth = 0.0f;
    float lfoRate = 1.0f;
    float lfoPhase = 0.0f;
    float envDepth = 0.0f;
    float attackCoeff = 0.0f, releaseCoeff = 0.0f, detectorCoeff = 0.0f;
    float meanSquare = 0.0f, envelope = 0.0f;

private:
    float nextDelaySamples (float inputL, float inputR, float angle) noexcept;
};
