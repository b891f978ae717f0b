#pragma once

#include "engine/Gadgets.h"

/** "Rar Uvidavi": passes audio through until its processing is built. */
class GadgetN04 final : public Gadgets
{
public:
    GadgetN04();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
