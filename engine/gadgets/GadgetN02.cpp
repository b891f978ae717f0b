#include "GadgetN02.h"

namespace
{
// Unevenly spaced, so the notches do not fall on a harmonic series.
constexpr float stageBaseHz[GadgetN02::numStages] = { 160.0f, 330.0f, 480.0f, 980.0f, 1600.0f, 2600.0f };
// Only the top stage can be pushed this high by the sweep; it stops here.
constexpr float highestStageHz = 20000.0f;
constexpr float maxFeedback = 0.8f;
constexpr float mixGain = 0.5f;

/** -1 at angle 0, 1 at pi (which takes the falling side), -1 again at 2 pi. */
inline float triangle (float angle) noexcept
{
    return angle < forms::pi ? 2.0f * angle / forms::pi - 1.0f : -2.0f * angle / forms::pi + 3.0f;
}
} // namespace

GadgetN02::GadgetN02()
{
    describe ("Rezov Ididiz", 1, { "Amount", "Rate", "Feedback" }, { 0.5f, 0.5f, 0.5f });
    description = "The pedal for strange guitar sounds, in the manner of two famous rock guitarists. It has the "
                  "amount and rate controls of any phaser, and it becomes really interesting once you turn up "
                  "the feedback.";
}

void GadgetN02::updateCoefficients()
{
    feedback = maxFeedback * p3;
    lfoRate = forms::rateCurve (p2);
    amount = p1;
    dryGain = mixGain;
    wetGain = mixGain;
}

void GadgetN02::reset()
{
    lfoPhase = 0.0f;
    lastOutL = 0.0f;
    lastOutR = 0.0f;
    // Due at once, so the first sample after a reset computes the chain.
    coeffCounter = samplesPerCoefficientUpdate;
    std::fill (std::begin (allpassStateL), std::end (allpassStateL), 0.0f);
    std::fill (std::begin (allpassStateR), std::end (allpassStateR), 0.0f);
}

void GadgetN02::updateChain (float angle, float fs) noexcept
{
    const auto sweep = std::pow (10.0f, triangle (angle) * amount);

    for (int stage = 0; stage < numStages; ++stage)
    {
        const auto stageHz = std::min (sweep * stageBaseHz[stage], highestStageHz);
        const auto w = forms::prewarp (stageHz, fs);
        const auto c = 1.0f / (w + 1.0f);
        // H(z) = (b0 - z^-1) / (1 - b0 z^-1); b1 is -1 up to rounding.
        allpass.b0[stage] = (1.0f - w) * c;
        allpass.b1[stage] = (-1.0f - w) * c;
        allpass.a1[stage] = (w - 1.0f) * c;
    }
}

float GadgetN02::runChain (float input, float (&states)[numStages]) const noexcept
{
    auto x = input;

    for (int stage = 0; stage < numStages; ++stage)
    {
        const auto y = allpass.b0[stage] * x + states[stage];
        states[stage] = allpass.b1[stage] * x - allpass.a1[stage] * y;
        x = y;
    }

    return x;
}

void GadgetN02::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto fs = sampleRateF();
    const auto step = forms::lfoStep (lfoRate, sampleRate);
    // The counter runs on across blocks, so the recomputation grid does not
    // restart with every block, however short.
    auto counter = coeffCounter;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto angle = forms::lfoAngle (i, step, lfoPhase);

        if (counter >= samplesPerCoefficientUpdate)
        {
            updateChain (angle, fs);
            counter = 0;
        }

        // The dry part is the input with the feedback already added.
        const auto inputL = left[i] + lastOutL * feedback;
        lastOutL = runChain (inputL, allpassStateL);
        left[i] = inputL * dryGain + lastOutL * wetGain;

        const auto inputR = right[i] + lastOutR * feedback;
        lastOutR = runChain (inputR, allpassStateR);
        right[i] = inputR * dryGain + lastOutR * wetGain;

        ++counter;
    }

    coeffCounter = counter;
    forms::lfoAdvance (lfoPhase, numSamples, step);
    for (int stage = 0; stage < numStages; ++stage)
        forms::flushDenormals (allpassStateL[stage], allpassStateR[stage]);
    forms::flushDenormals (lastOutL, lastOutR);
}
