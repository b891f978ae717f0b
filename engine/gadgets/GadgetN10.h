#pragma once

#include "engine/Gadgets.h"

/** "Virozidur": passes audio through until its processing is built. */
class GadgetN10 final : public Gadgets
{
public:
    GadgetN10();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
