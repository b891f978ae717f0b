#pragma once

#include "engine/Gadgets.h"

/** "Dirizovazi": passes audio through until its processing is built. */
class GadgetN05 final : public Gadgets
{
public:
    GadgetN05();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;
};
