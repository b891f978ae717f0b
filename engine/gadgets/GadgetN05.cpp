#include "GadgetN05.h"

namespace
{
// Tone knob: a low-pass from 100 Hz to 20 kHz below the centre, a high-pass
// from 20 Hz to 8 kHz above it, both on a cubic curve.
constexpr float lowPassLowestHz = 100.0f;
constexpr float lowPassRangeHz = 19900.0f;
constexpr float highPassLowestHz = 20.0f;
constexpr float highPassRangeHz = 7980.0f;

constexpr float maxFeedAmount = 0.85f;
// Freq knob: 2047 samples at 0 down to 8 at 1, on a fourth-power curve.
constexpr float shortestDelaySamples = 8.0f;
constexpr float delayRangeSamples = 2039.0f;

constexpr float attackMs = 5.0f;
constexpr float longestReleaseMs = 5000.0f;
constexpr float releaseRangeMs = 4000.0f;
// The Feed knob also raises the threshold from -40 dB to 0 dB of power.
constexpr float thresholdRangeDb = 40.0f;
constexpr float lowestRatio = 3.0f;
constexpr float ratioRange = 4.0f;
constexpr float smootherCornerHz = 20.0f;
// 2/pi keeps the arctangent's output within -1..1 however hard the loop drives it.
constexpr float saturatorScale = 0.63661975f;

float cube (float x) noexcept { return x * x * x; }
} // namespace

GadgetN05::GadgetN05()
{
    describe ("Dirizovazi", 9, { "Feed", "Freq", "Tone" }, { 0.0f, 0.5f, 0.5f });
    description = "Made to have fun with feedback, the kind some effect pedals and distortion plug-ins give you "
                  "when you stand too close to the amp: as a note decays it turns into a howl, and a fresh attack "
                  "cuts it off. It can sound right or very wrong depending on the amp simulation after it. "
                  "The tone control tries to tame the result, though it can also make it worse.";
}

void GadgetN05::updateTone (float fs) noexcept
{
    const float toneKnob = p3;

    if (toneKnob > 0.5f)
        tone = forms::OnePole::highPass (
            forms::prewarp (cube (2.0f * toneKnob - 1.0f) * highPassRangeHz + highPassLowestHz, fs));
    else
        tone = forms::OnePole::lowPass (forms::prewarp (cube (2.0f * toneKnob) * lowPassRangeHz + lowPassLowestHz, fs));
}

void GadgetN05::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float feedKnob = p1;
    const float freqKnob = p2;

    updateTone (fs);

    feedAmount = maxFeedAmount * feedKnob;
    const auto shortness = 1.0f - freqKnob;
    targetDelay = (shortness * shortness * shortness * shortness) * delayRangeSamples + shortestDelaySamples;

    attackCoeff = forms::timeCoefficient (attackMs, fs);
    releaseCoeff = forms::timeCoefficient (-releaseRangeMs * feedKnob + longestReleaseMs, fs);
    detectorCoeff = attackCoeff;

    threshold = std::pow (10.0f, (thresholdRangeDb * cube (feedKnob) - thresholdRangeDb) / 10.0f);
    invThreshold = 1.0f / threshold;
    ratio = ratioRange * feedKnob + lowestRatio;

    // The period times 20 pi rather than prewarp(): the two differ in the
    // last bit, and this is the form the loop's pitch glide was voiced with.
    const auto smootherWarp = std::tan ((1.0f / fs) * (smootherCornerHz * forms::pi));
    gainSmoother = forms::OnePole::lowPass (smootherWarp);
    delaySmoother = gainSmoother;
}

void GadgetN05::reset()
{
    toneStateL = 0.0f;
    toneStateR = 0.0f;
    writeIndex = 0;
    std::fill (std::begin (delayLineL), std::end (delayLineL), 0.0f);
    std::fill (std::begin (delayLineR), std::end (delayLineR), 0.0f);
    envelope = 0.0f;
    meanSquare = 0.0f;
    delaySmooth = 0.0f;
    gainSmooth = 0.0f;
}

void GadgetN05::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    // The tone section works on the guitar as it came into the slot; the
    // slot's gain is applied again after it, right into the saturator.
    const float slotGain = inputGain;
    const auto undoInputGain = 1.0f / slotGain;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto xL = left[i];
        const auto xR = right[i];
        const auto toneL = tone.process (xL * undoInputGain, toneStateL);
        const auto toneR = tone.process (xR * undoInputGain, toneStateR);

        const forms::FractionalDelay delay (delaySmoother.process (targetDelay, delaySmooth));
        const auto loopL = forms::readIncrementing (delayLineL, writeIndex, delay);
        const auto loopR = forms::readIncrementing (delayLineR, writeIndex, delay);

        const auto level = std::abs ((xL + xR) * 0.5f);
        forms::detectMeanSquare (meanSquare, detectorCoeff, level);
        forms::followEnvelope (envelope, meanSquare, attackCoeff, releaseCoeff);
        const auto gateGain = forms::expanderGain (envelope, threshold, invThreshold, ratio);
        const auto smoothedGain = gainSmoother.process (gateGain, gainSmooth);

        // An attack above the threshold silences the loop at once; the howl
        // only fades back in through the smoother.
        const auto loopGain = gateGain != 1.0f ? 2.0f * (1.0f - smoothedGain) * feedAmount : 0.0f;

        left[i] = std::atan (toneL * slotGain - loopL * loopGain) * saturatorScale;
        right[i] = std::atan (toneR * slotGain - loopR * loopGain) * saturatorScale;

        auto& cellL = delayLineL[writeIndex];
        auto& cellR = delayLineR[writeIndex];
        cellL = left[i];
        forms::flushDenormal (cellL);
        cellR = right[i];
        forms::flushDenormal (cellR);
        writeIndex = forms::incrementRing (writeIndex, ringSize);
    }

    forms::flushDenormals (toneStateL, toneStateR, meanSquare, envelope, gainSmooth, delaySmooth);
}
