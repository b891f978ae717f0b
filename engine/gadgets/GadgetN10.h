#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

#include <limits>

/** "Virozidur": a resonant four-stage diode ladder low-pass, solved for the
    current sample without a unit delay in its feedback loop, with a rational
    tanh as the diode curve. A knob, a sine LFO and the playing level sweep
    its cutoff from 40 Hz to 20 kHz. */
class GadgetN10 final : public Gadgets
{
public:
    GadgetN10();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int numStages = 4;

    float prevInputL = 0.0f, prevInputR = 0.0f;
    float ladderL[numStages] {};
    float ladderR[numStages] {};
    float cutoffG = 0.0f; // tan(pi fc / fs) of the latest sample
    float resonance = 1.0f;
    float detectorCoeff = 0.0f, attackCoeff = 0.0f, releaseCoeff = 0.0f;
    float meanSquare = 0.0f, envelope = 0.0f;
    float envDepth = 0.0f;
    float lfoDepth = 0.0f;
    float lfoRate = 0.1f;
    float lfoPhase = 0.0f;
    // The position cutoffG was derived from; not a number until the first sample.
    float cutoffPosition = std::numeric_limits<float>::quiet_NaN();

private:
    static float ladderStep (float input, float& previousInput, float (&states)[numStages], float g, float k) noexcept;
};
