#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"
#include "engine/gadgets/LinkwitzRileyFilter.h"

/** "Dazovi Ruvora": a simplified rotating-speaker cabinet. A crossover at
    830 Hz splits the signal into a bass rotor and a horn; each band runs
    through its own delay line, read by two taps whose delay (Doppler) and
    gain (the horn pointing towards and away from the listener) follow the
    rotor's sine in opposite phase. The rotors glide between the slow and
    fast speeds at different rates, the heavy bass rotor more slowly. */
class GadgetN13 final : public Gadgets
{
public:
    GadgetN13();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int ringSize = 4096;
    static constexpr int numTaps = 4;

    float lowLine[ringSize] {};
    float highLine[ringSize] {};
    int writeIndex = ringSize - 1;
    float dryGain = 0.0f, wetGain = 1.0f;
    float lowRotorTarget = 0.0f, highRotorTarget = 0.0f;
    float minDelay = 300.0f;
    float maxDelay = 300.0f;
    float lowRotorPhase = 0.0f, highRotorPhase = 0.0f;
    float smoothB0 = 0.0f, smoothB1 = 0.0f, smoothA1 = 0.0f;
    float delaySmooth[numTaps] {};
    float gainSmooth[numTaps] {};
    float tapAllpass[numTaps] {};
    LinkwitzRileyFilter lowSplit { LinkwitzRileyFilter::lowPass };
    LinkwitzRileyFilter highSplit { LinkwitzRileyFilter::highPass };
    float lowGlideB0 = 0.0f, lowGlideB1 = 0.0f, lowGlideA1 = 0.0f, lowGlideState = 0.0f;
    float highGlideB0 = 0.0f, highGlideB1 = 0.0f, highGlideA1 = 0.0f, highGlideState = 0.0f;

    /** Draws the rotors' start phases at each reset. Seeded once, when the
        gadget is built, so a reset on the audio thread never touches the
        framework's shared seed; tests may reseed it for repeatable output. */
    juce::Random rotorRandom;

private:
    /** One rotor step: the phase advances by the glided speed and wraps once. */
    float advanceRotor (float& phase, float targetHz, float& glideState, const forms::OnePole& glide) const noexcept;
};
