#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Vuvuru": a noise gate (a downward expander on the playing level) that an
    LFO holds fully open for the second half of each cycle, so whatever lies
    below the threshold is chopped at the chosen rate. */
class GadgetN09 final : public Gadgets
{
public:
    GadgetN09();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    float attackCoeff = 0.0f;
    float releaseCoeff = 0.0f;
    float detectorCoeff = 0.0f;
    float threshold = 1.0f; // mean-square (power) scale
    float invThreshold = 1.0f;
    float ratio = 5.0f;
    float meanSquare = 0.0f, envelope = 0.0f;
    forms::OnePole gainSmoother;
    float gainSmooth = 0.0f;
    float lfoPhase = 0.0f;
    float lfoRate = 1.0f;
};
