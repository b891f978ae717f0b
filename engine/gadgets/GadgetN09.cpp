#include "GadgetN09.h"

namespace
{
constexpr float detectorMs = 5.0f;
constexpr float attackMs = 5.0f;
constexpr float shortestReleaseMs = 50.0f;
constexpr float releaseRangeMs = 450.0f;
// The threshold knob spans -60 dB to 0 dB of power, curved so that most of
// its travel lies in the upper, musically useful part.
constexpr float thresholdRangeDb = 60.0f;
constexpr float lowestRatio = 5.0f;
constexpr float ratioRange = 5.0f;
// Low enough to take the click out of every gain step, high enough to chop
// crisply at fast rates.
constexpr float smootherCornerHz = 20.0f;
} // namespace

GadgetN09::GadgetN09()
{
    describe ("Vuvuru", 10, { "Rate", "Thresh.", "Release" }, { 0.5f, 0.5f, 0.7f });
    description = "A noise gate in the hands of a child: whatever you play below the threshold is cut in and out "
                  "at the rate you choose, while strong notes pass whole. Set the rate slow for a stutter or fast "
                  "for a buzzing tremolo; now and then it even gives you the tones of a certain famous guitarist.";
}

void GadgetN09::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float rateKnob = p1;
    const float thresholdKnob = p2;
    const float releaseKnob = p3;

    attackCoeff = forms::timeCoefficient (attackMs, fs);
    releaseCoeff =
        forms::timeCoefficient (releaseRangeMs * (releaseKnob * releaseKnob * releaseKnob) + shortestReleaseMs, fs);
    detectorCoeff = forms::timeCoefficient (detectorMs, fs);

    const auto belowTop = 1.0f - thresholdKnob;
    threshold = std::pow (10.0f, ((1.0f - belowTop * belowTop) * thresholdRangeDb - thresholdRangeDb) / 10.0f);
    invThreshold = 1.0f / threshold;
    ratio = ratioRange * (thresholdKnob * thresholdKnob) + lowestRatio;

    gainSmoother = forms::OnePole::lowPass (forms::prewarp (smootherCornerHz, fs));
    lfoRate = forms::rateCurve (rateKnob);
}

void GadgetN09::reset()
{
    meanSquare = 0.0f;
    envelope = 0.0f;
    gainSmooth = 0.0f;
    lfoPhase = 0.0f;
}

void GadgetN09::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto step = forms::lfoStep (lfoRate, sampleRate);
    // The gate listens to the guitar as it came into the slot, so turning up
    // the slot's input gain makes the sound louder without opening the gate.
    const auto undoInputGain = 1.0f / inputGain;
    // At the knob's bottom the LFO never opens the gate: a plain noise gate.
    const bool chopping = p1 > 0.0f;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto level = std::abs ((left[i] + right[i]) * 0.5f * undoInputGain);
        forms::detectMeanSquare (meanSquare, detectorCoeff, level);
        forms::followEnvelope (envelope, meanSquare, attackCoeff, releaseCoeff);

        const auto angle = forms::lfoAngle (i, step, lfoPhase);
        const auto gateGain = forms::expanderGain (envelope, threshold, invThreshold, ratio);
        // The gate acts in the first half of each LFO cycle and is wide open in the second.
        const auto gain = (chopping && angle > forms::pi) ? 1.0f : gateGain;
        const auto smoothedGain = gainSmoother.process (gain, gainSmooth);

        left[i] = left[i] * smoothedGain;
        right[i] = right[i] * smoothedGain;
    }

    forms::flushDenormals (meanSquare, envelope, gainSmooth);
    forms::lfoAdvance (lfoPhase, numSamples, step);
}
