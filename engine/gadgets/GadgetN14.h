#pragma once

#include "engine/Gadgets.h"

/** "Rovazavu": passes audio through until its processing is built. */
class GadgetN14 final : public Gadgets
{
public:
    GadgetN14();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
