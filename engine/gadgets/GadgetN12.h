#pragma once

#include "engine/Gadgets.h"

/** "Divuruzidodi EQ": the passive bass/middle/treble tone stack of a classic
    guitar amplifier. The network's third-order analog transfer function is
    recomputed from the potentiometer settings and discretised with the plain
    bilinear transform, then run as one third-order filter per channel.

    The filter runs in double precision. Its poles sit so close to z = 1 that
    single-precision coefficients leave the zero at DC unmatched: a constant
    input would come out at -44 dB with the knobs at noon at 44.1 kHz and at
    -7 dB with them fully up at 96 kHz, and the bass response would drift by
    up to a dB at high sample rates. */
class GadgetN12 final : public Gadgets
{
public:
    GadgetN12();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int order = 3;

    double stackA[order] {}; // a1, a2, a3 (a0 = 1)
    double stackB[order + 1] {}; // b0 .. b3
    float outputScale = 2.8057379722595215f;
    double stateL[order] {};
    double stateR[order] {};

private:
    double processSample (double x, double (&state)[order]) const noexcept;
};
