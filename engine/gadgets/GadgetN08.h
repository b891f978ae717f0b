#pragma once

#include "engine/Gadgets.h"

/** "Riverovodizir": passes audio through until its processing is built. */
class GadgetN08 final : public Gadgets
{
public:
    GadgetN08();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
