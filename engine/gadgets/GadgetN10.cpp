#include "GadgetN10.h"

#include <algorithm>
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

/** Holds the input within the ladder's limit; a NaN passes as it is, for the
    block-end flush to clear. */
float limitInput (float volts) noexcept
{
    return std::min (std::max (volts, -GadgetN10::inputLimitVolts), GadgetN10::inputLimitVolts);
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
    preciseWhileCouplingWide = false;
}

void GadgetN10::processSamples (float* left, float* right, int numSamples, float)
{
    processBlock (left, right, numSamples, [] (FloatLanes output) { return output; });
}

/* With HOT on, the tube stages run inside the ladder's sample loop: both are
   long chains of dependent operations per sample, and side by side they
   take hardly longer than the ladder alone. */
void GadgetN10::processSamplesThenDrive (float* left,
                                         float* right,
                                         int numSamples,
                                         float bpm,
                                         DriveProcessing& leftDrive,
                                         DriveProcessing& rightDrive)
{
    if (! (prepared && leftDrive.active && rightDrive.active))
    {
        Gadgets::processSamplesThenDrive (left, right, numSamples, bpm, leftDrive, rightDrive);
        return;
    }

    DriveProcessing::Pair drives (leftDrive, rightDrive);
    processBlock (left, right, numSamples, [&drives] (FloatLanes output) { return drives.process (output); });
    drives.finish();
}

FloatLanes GadgetN10::preciseLadderStep (FloatLanes input,
                                         FloatLanes& previousInput,
                                         FloatLanes (&states)[numStages],
                                         float g,
                                         float k) noexcept
{
    DoubleLanes preciseStates[numStages];
    for (int stage = 0; stage < numStages; ++stage)
        preciseStates[stage] = lanes::toDouble (states[stage]);
    auto precisePrevious = lanes::toDouble (previousInput);

    const auto output = ladderStep (lanes::toDouble (input), precisePrevious, preciseStates, g, k);

    for (int stage = 0; stage < numStages; ++stage)
        states[stage] = lanes::toFloat (preciseStates[stage]);
    previousInput = lanes::toFloat (precisePrevious);
    return lanes::toFloat (output);
}

template <typename AfterLadder>
void GadgetN10::processBlock (float* left, float* right, int numSamples, AfterLadder&& afterLadder)
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
    FloatLanes states[numStages];
    for (int stage = 0; stage < numStages; ++stage)
        states[stage] = lanes::fromStereo (ladderL[stage], ladderR[stage]);
    auto previous = lanes::fromStereo (prevInputL, prevInputR);
    auto detector = meanSquare, follower = envelope, phase = lfoPhase, g = cutoffG;
    const auto detectorK = detectorCoeff, attackK = attackCoeff, releaseK = releaseCoeff;
    const auto envelopeDepth = envDepth, depth = lfoDepth;
    auto position = cutoffPosition;
    auto holdPrecise = preciseWhileCouplingWide;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto inputL = limitInput (left[i]), inputR = limitInput (right[i]);
        const auto level = std::abs (inputL + inputR) * 0.5f;
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

        // Both channels' ladders as one vector. A single-precision step that
        // ran away is taken again in double precision from where it started,
        // so every step that stays finite keeps its single-precision result.
        const auto input = lanes::fromStereo (inputL, inputR);
        FloatLanes ladderOutput;
        if (g < smallestSinglePrecisionG || (holdPrecise && couplingNeedsPreciseStep (states, g)))
        {
            ladderOutput = preciseLadderStep (input, previous, states, g, k);
        }
        else
        {
            const FloatLanes startStates[] = { states[0], states[1], states[2], states[3] };
            const auto startPrevious = previous;
            ladderOutput = ladderStep (input, previous, states, g, k);
            holdPrecise = ranAway (states);
            if (holdPrecise)
            {
                std::copy (std::begin (startStates), std::end (startStates), std::begin (states));
                previous = startPrevious;
                ladderOutput = preciseLadderStep (input, previous, states, g, k);
            }
        }
        const auto output = afterLadder (ladderOutput);
        left[i] = lanes::left (output);
        right[i] = lanes::right (output);
    }

    for (int stage = 0; stage < numStages; ++stage)
    {
        ladderL[stage] = lanes::left (states[stage]);
        ladderR[stage] = lanes::right (states[stage]);
    }

    prevInputL = lanes::left (previous);
    prevInputR = lanes::right (previous);
    meanSquare = detector;
    envelope = follower;
    lfoPhase = phase;
    cutoffG = g;
    cutoffPosition = position;
    preciseWhileCouplingWide = holdPrecise;

    // The previous inputs are not states of the filter and are left as they are.
    for (int stage = 0; stage < numStages; ++stage)
        forms::flushDenormals (ladderL[stage], ladderR[stage]);
    forms::flushDenormals (meanSquare, envelope);
    forms::lfoAdvance (lfoPhase, numSamples, step);
}
