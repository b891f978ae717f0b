#pragma once

#include "dsp/Convolution.h"
#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

#include <juce_audio_basics/juce_audio_basics.h>

/** "Doviduduza": convolves both channels with one of eight embedded impulse
    responses (the slot's impulse choice n picks response n + 1), mixes the
    result with the dry signal at knob-set levels and shapes the sum with a
    one-knob tone filter: a low-pass below the knob's centre, a high-pass
    above it. While a response loads, (wet + dry) times the input goes
    through the tone filter. */
class GadgetN11 final : public Gadgets
{
public:
    GadgetN11();

    void initProcessing (double newSampleRate, int newBlockSize) override;
    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    /** Knob to linear gain: 0 at exactly 0, else -60 dB just above it up to 0 dB at 1. */
    static float knobGain (float knob) noexcept;

    juce::AudioBuffer<float> dryBuffer;
    Convolution convolvers[2];
    float dryGain = 0.0f;
    float wetGain = 1.0f;
    forms::OnePole tone;
    float toneStateL = 0.0f, toneStateR = 0.0f;

private:
    void startLoads();
    void processPiece (float* left, float* right, int numSamples) noexcept;
};
