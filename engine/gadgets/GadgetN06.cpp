#include "GadgetN06.h"

namespace
{
constexpr float smootherCornerHz = 10.0f;
constexpr float attackMs = 40.0f;
constexpr float releaseMs = 200.0f;
constexpr float detectorMs = 2.0f;
// Keeps the feedback comb's loop gain below 1 at the knob's end.
constexpr float maxCombGain = 0.99f;
} // namespace

GadgetN06::GadgetN06()
{
    describe ("Derurevore", 5, { "Delay", "Feedback", "LFO", "Env" }, { 0.5f, 0.5f, 0.0f, 0.5f });
    description = "Comb filters are a sound you seldom meet in a plug-in, which is a pity. "
                  "This is a stereo comb filter for guitar and synth sounds: the Delay knob tunes the comb, "
                  "Feedback goes from deep notches on the left to ringing metallic peaks on the right, "
                  "and the LFO and envelope sweep it while you play.";
}

void GadgetN06::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float lfoKnob = p3;

    feedbackKnob = p2;
    delaySmoother = forms::OnePole::lowPass (forms::prewarp (smootherCornerHz, fs));
    // One knob sets LFO depth and rate together: none at 0, 0.75 at 1 Hz in the middle.
    lfoDepth = 1.0f - (1.0f - lfoKnob) * (1.0f - lfoKnob);
    lfoRate = forms::rateCurve (lfoKnob);
    attackCoeff = forms::timeCoefficient (attackMs, fs);
    releaseCoeff = forms::timeCoefficient (releaseMs, fs);
    detectorCoeff = forms::timeCoefficient (detectorMs, fs);
    envDepth = forms::signedSquare (p4);
}

void GadgetN06::reset()
{
    delaySmooth = 0.0f;
    writeIndex = 0;
    std::fill (std::begin (delayLineL), std::end (delayLineL), 0.0f);
    std::fill (std::begin (delayLineR), std::end (delayLineR), 0.0f);
    lfoPhase = 0.0f;
    meanSquare = 0.0f;
    envelope = 0.0f;
}

float GadgetN06::nextDelaySamples (float inputL, float inputR, float angle) noexcept
{
    const auto level = std::abs (inputL + inputR) * 0.5f;
    forms::detectMeanSquare (meanSquare, detectorCoeff, level);
    forms::followEnvelope (envelope, std::sqrt (meanSquare), attackCoeff, releaseCoeff);

    auto position = (envelope * envDepth + p1) + std::sin (angle) * lfoDepth;
    position = position > 1.0f ? 1.0f : (position < 0.0f ? 0.0f : position);

    const auto targetDelay = (1.0f - position) * (1.0f - position) * delayRangeSamples + shortestDelaySamples;
    return delaySmoother.process (targetDelay, delaySmooth);
}

void GadgetN06::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto step = forms::lfoStep (lfoRate, sampleRate);
    const bool feedbackComb = feedbackKnob > 0.5f;
    const auto combGain =
        feedbackComb ? (2.0f * feedbackKnob - 1.0f) * maxCombGain : (1.0f - 2.0f * feedbackKnob) * maxCombGain;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto xL = left[i];
        const auto xR = right[i];
        const auto angle = forms::lfoAngle (i, step, lfoPhase);
        const forms::FractionalDelay delay (nextDelaySamples (xL, xR, angle));

        const auto tapL = forms::readDecrementing (delayLineL, writeIndex, delay);
        const auto tapR = forms::readDecrementing (delayLineR, writeIndex, delay);

        if (feedbackComb)
        {
            auto& cellL = delayLineL[writeIndex];
            auto& cellR = delayLineR[writeIndex];
            cellL = xL + combGain * tapL;
            cellR = xR + combGain * tapR;
            forms::flushDenormals (cellL, cellR);
            left[i] = cellL;
            right[i] = cellR;
        }
        else
        {
            delayLineL[writeIndex] = xL;
            delayLineR[writeIndex] = xR;
            left[i] = xL + combGain * tapL;
            right[i] = xR + combGain * tapR;
        }

        writeIndex = forms::decrementRing (writeIndex, ringSize);
    }

    forms::flushDenormals (delaySmooth, meanSquare, envelope);
    forms::lfoAdvance (lfoPhase, numSamples, step);
}
