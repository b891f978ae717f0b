#pragma once

#include "engine/Gadgets.h"

/** "Divuruzidodi EQ": passes audio through until its processing is built. */
class GadgetN12 final : public Gadgets
{
public:
    GadgetN12();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
