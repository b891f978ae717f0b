#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Rar Uvidavi": a resonant low-pass (Q 2.6, 20 Hz to 20 kHz) feeding a bit
    and rate reducer, a soft clipper applied once or twice, and a
    sample-and-hold of 1 to 50 samples. It re-applies the slot's input gain
    after the filter, so the input knob drives the reducer and clipper. */
class GadgetN04 final : public Gadgets
{
public:
    GadgetN04();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int maxCrushBits = 14;
    static constexpr int maxHoldLength = 50;

    int crushCounter = 0;
    float amount = 0.0f;
    float shaperK = 0.0f;
    float crushedL = 0.0f, crushedR = 0.0f;
    int crushBits = 0;
    int holdCounter = 0;
    int holdLength = 1;
    float heldL = 0.0f, heldR = 0.0f;
    forms::Biquad filter;
    forms::Biquad::State filterStateL, filterStateR;

private:
    /** The low-pass over the block, each filtered sample passed through output. */
    template <typename Output>
    void filterBlock (float* left, float* right, int numSamples, Output output) noexcept;
    float shape (float x) const noexcept;
    float reduce (float x) const noexcept;
};
