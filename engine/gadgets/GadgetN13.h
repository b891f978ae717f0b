#pragma once

#include "engine/Gadgets.h"

/** "Dazovi Ruvora": passes audio through until its processing is built. */
class GadgetN13 final : public Gadgets
{
public:
    GadgetN13();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
