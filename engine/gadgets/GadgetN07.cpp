#include "GadgetN07.h"

namespace
{
constexpr float slowestLfoHz = 0.1f;
constexpr float fastestLfoHz = 10.0f;
constexpr float attackMs = 40.0f;
constexpr float releaseMs = 200.0f;
// Reson 0..1 maps to r = 0.3..1 and the damping to 40^-(2r - 1): a peak gain
// of about 0.23 at the left end up to 40 at the right.
constexpr float lowestResonance = 0.3f;
constexpr float resonanceSpan = 0.7f;
constexpr float dampingBase = 40.0f;
} // namespace

GadgetN07::GadgetN07()
{
    describe ("Dizuz Ovovu Dozuz", 11, { "Course", "Reson", "LFO", "Env" }, { 0.0f, 0.5f, 0.0f, 0.5f });
    description = "A joke pedal made usable, for cat lovers who play guitar. Three formant filters glide "
                  "between two vowels; the Course knob sets where they stand, Reson how sharply they sing, "
                  "and the envelope and the LFO move them while you play. Drive the Course knob from a MIDI "
                  "pedal and make your guitar talk.";
}

void GadgetN07::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float resonKnob = p2;
    const float lfoKnob = p3;

    const auto r = resonanceSpan * resonKnob + lowestResonance;
    const auto k = 1.0f / std::pow (dampingBase, 2.0f * r - 1.0f);
    std::fill (std::begin (damping), std::end (damping), k);

    lfoDepth = 1.0f - (1.0f - lfoKnob) * (1.0f - lfoKnob);
    lfoRate = forms::logSweep (slowestLfoHz, fastestLfoHz, lfoKnob);
    detectorCoeff = std::exp (0.5f * forms::timeCoefficientBase (fs));
    attackCoeff = forms::timeCoefficient (attackMs, fs);
    releaseCoeff = forms::timeCoefficient (releaseMs, fs);
    envDepth = forms::signedSquare (p4);
}

void GadgetN07::reset()
{
    lfoPhase = 0.0f;
    meanSquare = 0.0f;
    envelope = 0.0f;

    for (auto* states : { bandS1L, bandS2L, bandS1R, bandS2R })
        std::fill (states, states + numBands, 0.0f);
}

float GadgetN07::nextPosition (float inputL, float inputR, float angle) noexcept
{
    const auto level = std::abs (inputL + inputR) * 0.5f;
    forms::detectMeanSquare (meanSquare, detectorCoeff, level);
    forms::followEnvelope (envelope, std::sqrt (meanSquare), attackCoeff, releaseCoeff);

    const auto position = envelope * envDepth + p1 + std::sin (angle) * lfoDepth;
    return position > 1.0f ? 1.0f : (position < 0.0f ? 0.0f : position);
}

void GadgetN07::tuneBands (float position, const SweepLogs& logs) noexcept
{
    const auto fs = sampleRateF();

    for (int j = 0; j < numBands; ++j)
    {
        // The log sweep from formantFrom to formantTo, with its two logarithms
        // taken once per block.
        const auto centreHz = std::pow (10.0f, logs.span[j] * position + logs.from[j]);
        const auto g = forms::prewarp (centreHz, fs);
        filterG[j] = g;
        filterH[j] = 1.0f / (g * g + g * damping[j] + 1.0f);
    }
}

float GadgetN07::filterSample (float x, float (&s1)[numBands], float (&s2)[numBands]) const noexcept
{
    // State-variable band-pass in topology-preserving (trapezoidal) form; its
    // peak gain is 1/k at the centre, left unnormalised so that a narrower
    // band also rings louder and the vowel stands out as Reson rises.
    float bandPass[numBands];

    for (int j = 0; j < numBands; ++j)
    {
        const auto g = filterG[j];
        const auto t = (x - damping[j] * s1[j] - g * s1[j] - s2[j]) * filterH[j] * g;
        const auto bp = s1[j] + t;
        s1[j] = t + bp;
        s2[j] = s2[j] + (g * bp + g * bp);
        bandPass[j] = bp;
    }

    return bandPass[2] + bandPass[1] + bandPass[0];
}

void GadgetN07::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto step = forms::lfoStep (lfoRate, sampleRate);
    SweepLogs logs;

    for (int j = 0; j < numBands; ++j)
    {
        logs.from[j] = std::log10 (formantFrom[j]);
        logs.span[j] = std::log10 (formantTo[j]) - logs.from[j];
    }

    for (int i = 0; i < numSamples; ++i)
    {
        const auto xL = left[i];
        const auto xR = right[i];
        const auto angle = forms::lfoAngle (i, step, lfoPhase);

        tuneBands (nextPosition (xL, xR, angle), logs);
        left[i] = filterSample (xL, bandS1L, bandS2L);
        right[i] = filterSample (xR, bandS1R, bandS2R);
    }

    for (int j = 0; j < numBands; ++j)
        forms::flushDenormals (bandS1L[j], bandS2L[j], bandS1R[j], bandS2R[j]);

    forms::flushDenormals (meanSquare, envelope);
    forms::lfoAdvance (lfoPhase, numSamples, step);
}
