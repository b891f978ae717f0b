#include "GadgetN01.h"

#include "engine/ParameterMapping.h"

namespace
{
constexpr float tapCornerHz = 3000.0f;
constexpr float smootherCornerHz = 20.0f;
constexpr float attackMs = 50.0f;
constexpr float detectorMs = 50.0f;
constexpr float releaseMs = 500.0f;
// Sens. knob: the gate opens at +20 dB of power at 0, down to -40 dB at 1.
constexpr float thresholdTopDb = 20.0f;
constexpr float thresholdRangeDb = 60.0f;
constexpr float gateRatio = 10.0f;
constexpr float unityGain = 1.0f;

constexpr float secondsPerMinute = 60.0f;
constexpr float beatsPerWholeNote = 4.0f;

/** Sync: the note value (a whole note divided by this) for each tenth of the
    Delay knob's travel; a bound belongs to the band above it. */
constexpr float syncDivisors[] = { 64.0f, 32.0f, 24.0f, 16.0f, 8.0f, 6.0f, 4.0f, 3.0f, 2.0f, 1.0f };
constexpr float syncBandBounds[] = { 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f };

float syncDivisor (float knob) noexcept
{
    int band = 0;
    for (auto bound : syncBandBounds)
        if (knob >= bound)
            ++band;

    return syncDivisors[band];
}

/** A non-finite sample must never enter a ring: it would circle through the
    feedback for as long as the gadget runs. */
inline void keepFinite (float& cell) noexcept
{
    if (! std::isfinite (cell))
        cell = 0.0f;
}
} // namespace

GadgetN01::GadgetN01()
{
    describe ("Dovid Udizur", 0, { "Delay", "Feedback", "Sens.", "Sync" }, { 0.5f, 0.2f, 0.3f, 0.0f });
    isSwitch[3] = true;
    description = "A ping-pong delay that only answers when you hit the strings hard: soft playing stays dry, while "
                  "strong attacks bounce between left and right. The Delay knob sets the length of the echoes, "
                  "Feedback how many of them you hear, and Sens. how hard you must play to reach the delay. "
                  "The Sync switch chooses between free delay times and note values tied to the tempo of the host.";
}

int GadgetN01::syncedLength (float bpm) const noexcept
{
    if (! (bpm > 0.0f && std::isfinite (bpm)))
        return 0;

    const auto wholeNotes = (sampleRateF() / bpm) * secondsPerMinute * beatsPerWholeNote / syncDivisor (p1);
    // Halves go to the even neighbour; an infinite length (a tempo that is
    // nearly 0) lands on the longest one like any other that is too long.
    const auto rounded = std::nearbyint (wholeNotes);
    return rounded < (float) (longestSyncedLength + 1) ? (int) rounded : longestSyncedLength;
}

int GadgetN01::delayLengthFor (float bpm) const noexcept
{
    if (p4 > ParameterMapping::switchThreshold)
        return syncedLength (bpm);

    const float knob = p1;
    const auto samples = std::floor (knob * knob * knob * (float) ringMask);
    return samples >= 0.0f ? (samples <= (float) ringMask ? (int) samples : ringMask) : 0;
}

void GadgetN01::updateCoefficients()
{
    const auto fs = sampleRateF();

    feedback = p2;
    tapFilter = forms::OnePole::lowPass (forms::prewarp (tapCornerHz, fs));
    gainSmoother = forms::OnePole::lowPass (forms::prewarp (smootherCornerHz, fs));
    dryGain = unityGain;
    wetGain = unityGain;
    attackCoeff = forms::timeCoefficient (attackMs, fs);
    detectorCoeff = forms::timeCoefficient (detectorMs, fs);
    releaseCoeff = forms::timeCoefficient (releaseMs, fs);
    threshold = std::pow (10.0f, (thresholdTopDb - thresholdRangeDb * p3) / 10.0f);
    invThreshold = 1.0f / threshold;
    ratio = gateRatio;
}

void GadgetN01::reset()
{
    std::fill (std::begin (delayLineL), std::end (delayLineL), 0.0f);
    std::fill (std::begin (delayLineR), std::end (delayLineR), 0.0f);
    writeIndex = 0;
    // The tap sits delayLength cells away until the next control change adds
    // the one-sample offset of a fresh update.
    readIndex = delayLength;
    nextReadIndex = delayLength;
    tapStateL = 0.0f;
    tapStateR = 0.0f;
    meanSquare = 0.0f;
    envelope = 0.0f;
    gainSmooth = 0.0f;
}

void GadgetN01::processSamples (float* left, float* right, int numSamples, float bpm)
{
    if (! prepared)
        return;

    // As beginBlock(), but the delay length must be taken from the tempo of
    // this block before the coefficients. The tempo is read only here, when
    // a control changed: every new length moves the tap with a crossfade
    // across a block, and a host ramping its tempo would otherwise blur the
    // echoes with a fade in every block. A new tempo is taken up with the
    // next turn of a control.
    if (needsUpdate.exchange (false))
    {
        delayLength = delayLengthFor (bpm);
        // readIndex stays, so the new tap fades in over this block.
        nextReadIndex = (writeIndex + delayLength + 1) & ringMask;
        updateCoefficients();
    }

    const auto fadeScale = 1.0f / (float) std::max (numSamples, 1);

    for (int i = 0; i < numSamples; ++i)
    {
        const auto xL = left[i];
        const auto xR = right[i];

        float tapL, tapR;
        if (readIndex == nextReadIndex)
        {
            tapL = delayLineL[readIndex];
            tapR = delayLineR[readIndex];
        }
        else
        {
            // One step of 1/n a sample for both taps: the old one's weight
            // falls from 1 (the block before) to 0 on the last sample, the new
            // one's rises from 0 on the first to 1 (the block after), so each
            // ramp joins its steady tap without a jump. Their sum stays at
            // (n - 1) / n throughout, a dip of 1/n (0.017 dB at 512).
            const auto fadeOut = (float) (numSamples - 1 - i);
            const auto fadeIn = (float) i;
            tapL = delayLineL[readIndex] * fadeOut * fadeScale + delayLineL[nextReadIndex] * fadeIn * fadeScale;
            tapR = delayLineR[readIndex] * fadeOut * fadeScale + delayLineR[nextReadIndex] * fadeIn * fadeScale;
        }

        const auto echoL = tapFilter.process (tapL, tapStateL);
        const auto echoR = tapFilter.process (tapR, tapStateR);

        const auto level = std::abs ((xL + xR) * 0.5f);
        forms::detectMeanSquare (meanSquare, detectorCoeff, level);
        forms::followEnvelope (envelope, meanSquare, attackCoeff, releaseCoeff);
        const auto send =
            gainSmoother.process (forms::expanderGain (envelope, threshold, invThreshold, ratio), gainSmooth);

        // Ping-pong: each side's echo is fed back, inverted, into the other ring.
        auto& cellL = delayLineL[writeIndex];
        auto& cellR = delayLineR[writeIndex];
        cellL = xL * send - feedback * echoR;
        cellR = xR * send - feedback * echoL;
        keepFinite (cellL);
        keepFinite (cellR);

        left[i] = xL * dryGain + echoL * wetGain;
        right[i] = xR * dryGain + echoR * wetGain;

        readIndex = forms::decrementRing (readIndex, ringSize);
        nextReadIndex = forms::decrementRing (nextReadIndex, ringSize);
        writeIndex = forms::decrementRing (writeIndex, ringSize);
        forms::flushDenormals (delayLineL[writeIndex], delayLineR[writeIndex]);
    }

    readIndex = nextReadIndex;
    forms::flushDenormals (tapStateL, tapStateR, meanSquare, envelope, gainSmooth);
}
