#include "GadgetN10.h"

#include <limits>

namespace
{
constexpr float attackMs = 40.0f;
constexpr float releaseMs = 200.0f;
constexpr float lowestCutoffHz = 40.0f;
constexpr float highestCutoffHz = 20000.0f;
constexpr float slowestLfoHz = 0.1f;
constexpr float fastestLfoHz = 5.0f;
// Resonance knob: 0.5..1 over the lower half, 1..7 over the upper half.
constexpr float resonanceSteepness = 12.0f;

// The diode ladder's coupling: adjacent stages see their voltage difference
// through this factor, the last stage its path to ground through a third of it.
constexpr float stageCoupling = 0.5446623f;
constexpr float groundCoupling = 0.18155411f;

/** tanh(v) / v as the [3/3] Pade approximant: 1 at 0, falling towards 1/15,
    never 0, so every conductance of the ladder stays positive. */
inline float diodeConductance (float v) noexcept
{
    const auto u = v * v;
    return ((u + 105.0f) * u + 945.0f) / ((15.0f * u + 420.0f) * u + 945.0f);
}
} // namespace

GadgetN10::GadgetN10()
{
    describe ("Virozidur", 8, { "Cutoff", "Reson", "LFO", "Env" }, { 1.0f, 0.5f, 0.0f, 0.5f });
    description = "A model of a famous synthesizer's diode ladder filter (not the best-known ladder), made usable "
                  "for guitar. Cutoff and resonance are at hand, with an LFO and an envelope follower that move the "
                  "cutoff while you play. Try it with a MIDI expression pedal on the cutoff.";
}

void GadgetN10::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float resonanceKnob = p2;
    const float lfoKnob = p3;

    resonance = resonanceKnob < 0.5f ? resonanceKnob + 0.5f : (resonanceKnob - 0.5f) * resonanceSteepness + 1.0f;
    detectorCoeff = std::exp (0.5f * forms::timeCoefficientBase (fs));
    attackCoeff = forms::timeCoefficient (attackMs, fs);
    releaseCoeff = forms::timeCoefficient (releaseMs, fs);
    envDepth = forms::signedSquare (p4);
    lfoDepth = 0.5f * lfoKnob * lfoKnob;
    lfoRate = forms::logSweep (slowestLfoHz, fastestLfoHz, lfoKnob);
    // The rate may have changed: the next sample derives its cutoff afresh.
    cutoffPosition = std::numeric_limits<float>::quiet_NaN();
}

void GadgetN10::reset()
{
    prevInputL = 0.0f;
    prevInputR = 0.0f;
    std::fill (std::begin (ladderL), std::end (ladderL), 0.0f);
    std::fill (std::begin (ladderR), std::end (ladderR), 0.0f);
    meanSquare = 0.0f;
    envelope = 0.0f;
    lfoPhase = 0.0f;
}

/* One sample of one channel. The conductances are frozen at the start of the
   sample (the diodes' nonlinearity taken from the previous states); the loop
   they form is then linear and solved in closed form for the last stage's
   output, the other stages follow by back-substitution, and the four
   integrators take a trapezoidal step. Inlined, so both channels' steps
   interleave in the sample loop. */
forcedinline float
    GadgetN10::ladderStep (float x, float& previousInput, float (&states)[numStages], float g, float k) noexcept
{
    auto& s1 = states[0];
    auto& s2 = states[1];
    auto& s3 = states[2];
    auto& s4 = states[3];

    // The input stage sees the mean of the previous and the current input.
    const auto g0 = diodeConductance ((previousInput + x) * 0.5f - k * s4) * g;
    const auto g1 = diodeConductance ((s2 - s1) * stageCoupling) * g * stageCoupling;
    const auto g2 = diodeConductance ((s3 - s2) * stageCoupling) * g * stageCoupling;
    const auto g3 = diodeConductance ((s4 - s3) * stageCoupling) * g * stageCoupling;
    const auto g4 = diodeConductance (s4 * groundCoupling) * g * groundCoupling;

    // Apart from g0, the input enters only through x g0 in the numerator and
    // the feedback only through k g0 in the denominator, which exceeds 1.
    const auto numerator =
        ((3.0f * s4 * g1 + 2.0f * s4) * g2 + 2.0f * s4 * g1
         + ((2.0f * s3 + 2.0f * s4) * g1 + ((x * g0 + s2 + s1 + s3 + s4) * g1 + s2 + s3 + s4) * g2 + s4 + s3) * g3
         + s4);
    const auto denominator = ((3.0f * g4 + 3.0f) * g1 + 2.0f * g4 + 2.0f) * g2 + (2.0f * g4 + 2.0f) * g1
                             + (((k * g0 + g4 + 4.0f) * g1 + g4 + 3.0f) * g2 + (2.0f * g4 + 4.0f) * g1 + g4 + 2.0f) * g3
                             + g4 + 1.0f;
    const auto y4 = numerator / denominator;
    const auto y3 = (s4 - (g4 + 1.0f + g3) * y4) / (-g3);
    const auto y2 = (g3 * y4 + s3 - (g3 + 1.0f + g2) * y3) / (-g2);
    // The current through the first coupling, g1 (y2 - y1); y1 itself is not needed.
    const auto j1 = ((g2 * y3 + s2 - (g2 + 1.0f + g1) * y2) / g1 + y2) * g1;

    const auto d1 = (x - k * y4) * g0 + j1;
    const auto d2 = (y3 - y2) * g2 - j1;
    const auto d3 = (y4 - y3) * g3 - (y3 - y2) * g2;
    const auto d4 = -g4 * y4 - (y4 - y3) * g3;

    s1 += 2.0f * d1;
    s2 += 2.0f * d2;
    s3 += 2.0f * d3;
    s4 += 2.0f * d4;
    previousInput = x;

    // The resonance doubles as the output gain.
    return y4 * k;
}

void GadgetN10::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto fs = sampleRateF();
    const auto step = forms::lfoStep (lfoRate, sampleRate);
    const float cutoffKnob = p1;
    const auto k = resonance;
    const auto logLowest = std::log10 (lowestCutoffHz);
    const auto logRange = std::log10 (highestCutoffHz) - logLowest;

    // States in locals for the loop: the buffers cannot then alias them.
    float ladderStatesL[numStages], ladderStatesR[numStages];
    std::copy (std::begin (ladderL), std::end (ladderL), ladderStatesL);
    std::copy (std::begin (ladderR), std::end (ladderR), ladderStatesR);
    auto previousL = prevInputL, previousR = prevInputR;
    auto detector = meanSquare, follower = envelope, phase = lfoPhase, g = cutoffG;
    const auto detectorK = detectorCoeff, attackK = attackCoeff, releaseK = releaseCoeff;
    const auto envelopeDepth = envDepth, depth = lfoDepth;
    auto position = cutoffPosition;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto level = std::abs (left[i] + right[i]) * 0.5f;
        forms::detectMeanSquare (detector, detectorK, level);
        forms::followEnvelope (follower, std::sqrt (detector), attackK, releaseK);

        // With no LFO depth the sine only scales to zero; a zero of either
        // sign then leaves the cutoff where it is, so the sine is skipped.
        const auto angle = forms::lfoAngle (i, step, phase);
        const auto lfo = depth != 0.0f ? std::sin (angle) : 0.0f;
        auto newPosition = (follower * envelopeDepth + cutoffKnob) + lfo * depth;
        newPosition = newPosition > 1.0f ? 1.0f : (newPosition < 0.0f ? 0.0f : newPosition);

        // The power and the tangent depend on the position alone: while it
        // holds still they are not taken again.
        if (! (newPosition == position))
        {
            position = newPosition;
            const auto cutoffHz = std::pow (10.0f, position * logRange + logLowest);
            g = forms::prewarp (cutoffHz, fs);
        }

        left[i] = ladderStep (left[i], previousL, ladderStatesL, g, k);
        right[i] = ladderStep (right[i], previousR, ladderStatesR, g, k);
    }

    std::copy (std::begin (ladderStatesL), std::end (ladderStatesL), ladderL);
    std::copy (std::begin (ladderStatesR), std::end (ladderStatesR), ladderR);
    prevInputL = previousL;
    prevInputR = previousR;
    meanSquare = detector;
    envelope = follower;
    lfoPhase = phase;
    cutoffG = g;
    cutoffPosition = position;

    // The previous inputs are not states of the filter and are left as they are.
    for (int stage = 0; stage < numStages; ++stage)
        forms::flushDenormals (ladderL[stage], ladderR[stage]);
    forms::flushDenormals (meanSquare, envelope);
    forms::lfoAdvance (lfoPhase, numSamples, step);
}
