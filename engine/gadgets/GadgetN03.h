#pragma once

#include "engine/Gadgets.h"

/** "Divoror Irovi": passes audio through until its processing is built. */
class GadgetN03 final : public Gadgets
{
public:
    GadgetN03();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
