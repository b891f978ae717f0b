#pragma once

#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

/** "Dirizovazi": controlled feedback howl. A short stereo delay loop, fed back
    negatively through an arctangent saturator, opens only once the playing
    level has fallen below a threshold: a dying note turns into a howl and a
    fresh attack cuts it off. A one-pole tone section shapes the dry guitar. */
class GadgetN05 final : public Gadgets
{
public:
    GadgetN05();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void updateCoefficients() override;

    static constexpr int ringSize = 2048;

    forms::OnePole tone;
    float toneStateL = 0.0f, toneStateR = 0.0f;
    float feedAmount = 0.0f;
    float delayLineL[ringSize] {};
    float delayLineR[ringSize] {};
    int writeIndex = 0;
    float targetDelay = 0.0f; // samples
    float attackCoeff = 0.0f;
    float releaseCoeff = 0.0f;
    float detectorCoeff = 0.0f;
    float threshold = 1.0f; // mean-square (power) scale
    float invThreshold = 1.0f;
    float ratio = 3.0f;
    float meanSquare = 0.0f, envelope = 0.0f;
    forms::OnePole gainSmoother;
    float gainSmooth = 0.0f;
    float delaySmooth = 0.0f;
    forms::OnePole delaySmoother;

private:
    void updateTone (float fs) noexcept;
};
