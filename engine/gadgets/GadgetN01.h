#pragma once

#include "engine/Gadgets.h"

/** "Dovid Udizur": passes audio through until its processing is built. */
class GadgetN01 final : public Gadgets
{
public:
    GadgetN01();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
