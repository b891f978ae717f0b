#pragma once

#include "engine/Gadgets.h"

/** "Vuvuru": passes audio through until its processing is built. */
class GadgetN09 final : public Gadgets
{
public:
    GadgetN09();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
