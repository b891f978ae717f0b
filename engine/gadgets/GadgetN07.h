#pragma once

#include "engine/Gadgets.h"

/** "Dizuz Ovovu Dozuz": passes audio through until its processing is built. */
class GadgetN07 final : public Gadgets
{
public:
    GadgetN07();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
