#pragma once

#include "engine/Gadgets.h"

/** "Doviduduza": passes audio through until its processing is built. */
class GadgetN11 final : public Gadgets
{
public:
    GadgetN11();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
