#pragma once

#include "engine/Gadgets.h"

/** "Rezov Ididiz": passes audio through until its processing is built. */
class GadgetN02 final : public Gadgets
{
public:
    GadgetN02();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
