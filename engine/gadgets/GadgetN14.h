#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Rovazavu": an auto-swell. A peak detector with a Schmitt trigger spots
    each new attack; the gain then climbs from -60 dB to 0 dB, straight in
    decibels, over the attack time. The gain is applied to the input delayed
    by a 30 ms look-ahead, so the fade has begun before the pick is heard.
    Depth blends in a slowly swept short delay with negative feedback and a
    gentle amplitude modulation. */
class GadgetN14 final : public Gadgets
{
public:
    GadgetN14();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int lookSize = 2048;
    static constexpr int modSize = 4096;
    /** fadeCount after a reset: past any fade, so the gain is 1 until the first attack. */
    static constexpr int idleFadeCount = 960000;

    float thresholdOnDb = 0.0f;
    float peakRelease = 0.0f;
    float peakEnv = 0.0f;
    float fadeA1 = 0.0f, fadeB0 = 0.0f, fadeB1 = 0.0f, fadeState = 0.0f;
    bool gateOpen = false;
    float thresholdOffDb = 0.0f;
    int fadeCount = idleFadeCount;
    int fadeLength = 1;
    float lookL[lookSize] {};
    float lookR[lookSize] {};
    int lookDelay = 0;
    int lookWrite = lookSize - 1;
    float dryGain = 1.0f;
    float wetGain = 0.0f;
    float amDepth = 0.1f;
    float amRate = 3.0f;
    float amPhaseL = 0.0f, amPhaseR = 0.0f;
    float amA1 = 0.0f, amB0 = 0.0f, amB1 = 0.0f;
    float amStateL = 0.0f, amStateR = 0.0f;
    float modL[modSize] {};
    float modR[modSize] {};
    int modWrite = modSize - 1;
    float modFeedback = 0.2f;
    float modRate = 0.6f;
    float modMinDelay = 0.0f;
    float modMaxDelay = 0.0f;
    float modPhaseL = 0.0f, modPhaseR = 0.0f;
    float modB0 = 0.0f, modB1 = 0.0f, modA1 = 0.0f;
    float modDelayStateL = 0.0f, modDelayStateR = 0.0f;
    float modAllpassL = 0.0f, modAllpassR = 0.0f;

private:
    float swellGain (float inputL, float inputR) noexcept;
    float modulatedTap (const float (&line)[modSize], float delaySamples, float& allpassState) const noexcept;
};
