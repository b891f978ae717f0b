#pragma once

#include "dsp/Convolution.h"
#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Riverovodizir": a small cassette recorder played back through its own
    tiny loudspeaker. Pre-emphasis, a 100 Hz and a 14 kHz peak, optional pink
    hiss, arctangent tape saturation, wow and flutter delay lines, a low-pass
    that closes as the input level rises ("Limit" sets how far), de-emphasis,
    a trim that gives back half of the input gain in dB, and last the
    small-speaker impulse response on each channel. */
class GadgetN08 final : public Gadgets
{
public:
    GadgetN08();

    void initProcessing (double newSampleRate, int newBlockSize) override;
    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    /** Cutoff of the level low-pass for an envelope on the raw input: 20 kHz
        up to -10 on the 18 log10 scale, 18000 (0.5 limit + 0.25) Hz at 0. */
    static float levelCutoffHz (float envelope, float limitKnob) noexcept;

    /** The level low-pass, with no prewarp; cutoffs below 100 Hz count as 100 Hz. */
    static forms::OnePole levelLowPass (float cutoffHz, float sampleRate) noexcept;

    /** Output trim for the slot's linear input gain: g^-0.5, g at most 33. */
    static float trimForInputGain (float inputGain) noexcept;

    static constexpr int ringSize = 4096;

    struct PinkState
    {
        float z0 = 0.0f, z1 = 0.0f, z2 = 0.0f;
    };

    forms::Biquad deEmphasis;
    forms::Biquad::State deEmphasisL, deEmphasisR;
    forms::Biquad preEmphasis;
    forms::Biquad::State preEmphasisL, preEmphasisR;
    forms::OnePole levelFilter;
    float levelStateL = 0.0f, levelStateR = 0.0f;
    float meanSquare = 0.0f, envelope = 0.0f;
    float attackCoeff = 0.0f, releaseCoeff = 0.0f, detectorCoeff = 0.0f;
    float hissGain = 0.0f;
    PinkState pinkL, pinkR;
    /** Draws the hiss and the wow and flutter jitter. Seeded from the clock
        once, when the gadget is built; tests reseed it for repeatable output. */
    juce::Random random;
    forms::Biquad lowPeak;
    forms::Biquad::State lowPeakL, lowPeakR;
    forms::Biquad highPeak;
    forms::Biquad::State highPeakL, highPeakR;
    float wowLineL[ringSize] {};
    float wowLineR[ringSize] {};
    float flutterLineL[ringSize] {};
    float flutterLineR[ringSize] {};
    int writeIndex = ringSize - 1;
    float wowRate = 0.6f, wowMinDelay = 0.0f, wowMaxDelay = 0.0f;
    float flutterRate = 22.0f, flutterMinDelay = 0.0f, flutterMaxDelay = 0.0f;
    float wowPhaseL = 0.0f, wowPhaseR = 0.0f, flutterPhaseL = 0.0f, flutterPhaseR = 0.0f;
    forms::OnePole positionSmoother;
    float wowSmoothL = 0.0f, wowSmoothR = 0.0f, flutterSmoothL = 0.0f, flutterSmoothR = 0.0f;
    Convolution convolverL, convolverR;

private:
    float pinkSample (PinkState& pink) noexcept;
};
