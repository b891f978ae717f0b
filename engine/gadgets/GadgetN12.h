#pragma once

#include "engine/Gadgets.h"

/** "Divuruzidodi EQ": the passive bass/middle/treble tone stack of a classic
    guitar amplifier. The network's third-order analog transfer function is
    recomputed from the potentiometer settings and discretised with the plain
    bilinear transform, then run as one third-order filter per channel. */
class GadgetN12 final : public Gadgets
{
public:
    GadgetN12();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int order = 3;

    float stackA[order] {};    // a1, a2, a3 (a0 = 1)
    float stackB[order + 1] {}; // b0 .. b3
    float outputScale = 2.8057379722595215f;
    float stateL[order] {};
    float stateR[order] {};

private:
    float processSample (float x, float (&state)[order]) const noexcept;
};
