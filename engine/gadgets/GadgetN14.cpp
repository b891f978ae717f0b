#include "GadgetN14.h"

namespace
{
// The detector's threshold spans 0 dB (Sens. 0) to -60 dB (Sens. 1); the gate
// closes again 6 dB (Sens. 0) to 3 dB (Sens. 1) below it, so the decay of a
// note does not chatter around the threshold.
constexpr float sensitivityRangeDb = -60.0f;
constexpr float hysteresisAtZeroDb = -6.0f;
constexpr float hysteresisSpanDb = 3.0f;
// Reported for a silent detector instead of log10(0).
constexpr float silenceDb = -300.0f;
constexpr float peakReleaseMs = 50.0f;

// Attack time: 50 ms to 3 s, square law on the knob.
constexpr float shortestFadeMs = 50.0f;
constexpr float fadeSpanMs = 2950.0f;
constexpr float fadeDepthDb = 60.0f;
constexpr float fadeSmootherHz = 80.0f;

// The fade must be under way before the attack is heard.
constexpr double lookAheadMs = 30.0;

constexpr float modSmootherHz = 40.0f;
constexpr float modulationDepth = 0.1f;
constexpr float modulationRateHz = 3.0f;
constexpr float delayFeedback = 0.2f;
constexpr float delaySweepRateHz = 0.6f;
constexpr float shortestSweepMs = 7.0f;
constexpr float longestSweepMs = 10.0f;

// Start phases of the two sweeps and the two amplitude LFOs: the right
// channel runs a quarter period ahead, which widens the image.
constexpr float amStartL = 0.0f, amStartR = 1.5707964f;
constexpr float modStartL = 1.0f, modStartR = 2.5707963f;

/** The echo loop feeds its own output back, so a NaN or infinity from a bad
    input would circulate in it until the next reset; such a cell is written
    as silence instead. Finite values pass untouched. */
float finiteOrSilent (float cell) noexcept { return std::isfinite (cell) ? cell : 0.0f; }

/** The one-pole low-pass of these smoothers, divided by (1 + w) directly. */
forms::OnePole lowPassFrom (float w) noexcept { return { (w - 1.0f) / (1.0f + w), w / (1.0f + w), w / (1.0f + w) }; }

/** The same with tan() taken in double. */
float prewarpInDouble (float cornerHz, float sampleRate) noexcept
{
    return (float) std::tan ((double) (forms::limitCornerHz (cornerHz, sampleRate) * forms::pi / sampleRate));
}
} // namespace

GadgetN14::GadgetN14()
{
    describe ("Rovazavu", 13, { "Sens.", "Attack", "Depth" }, { 0.5f, 0.5f, 0.0f });
    description = "An auto-swell: the volume fades in each time you attack the strings, for violin-like "
                  "or ambient playing without a volume pedal. Sens. sets how soft an attack may be and "
                  "still start a swell, Attack how long the fade takes, and Depth adds a slowly moving "
                  "echo and modulation that give the returning sound more depth.";
}

void GadgetN14::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float sensitivity = p1, attack = p2, depth = p3;

    dryGain = 1.0f - depth;
    wetGain = depth;

    thresholdOnDb = sensitivityRangeDb * sensitivity;
    thresholdOffDb = hysteresisSpanDb * sensitivity + (sensitivityRangeDb * sensitivity + hysteresisAtZeroDb);

    // Whole samples, half to even; held between one sample and the idle count
    // (3 s fits below 320 kHz), so the conversion is always in range.
    const auto fadeSamples = std::nearbyint ((fadeSpanMs * (attack * attack) + shortestFadeMs) / 1000.0f * fs);
    fadeLength = fadeSamples >= 1.0f ? (int) std::min (fadeSamples, (float) idleFadeCount) : 1;

    peakRelease = std::exp ((1.0f / fs) * -1000.0f / peakReleaseMs);

    // Above about 68 kHz 30 ms no longer fits the line; the look-ahead is then shorter.
    const auto lookSamples = std::floor (sampleRate * lookAheadMs / 1000.0);
    lookDelay = lookSamples >= 0.0 ? (int) std::min (lookSamples, (double) (lookSize - 1)) : 0;

    const auto fade = lowPassFrom (forms::prewarp (fadeSmootherHz, fs));
    fadeA1 = fade.a1;
    fadeB0 = fade.b0;
    fadeB1 = fade.b1;

    const auto gainSmoother = lowPassFrom (prewarpInDouble (modSmootherHz, fs));
    amA1 = gainSmoother.a1;
    amB0 = gainSmoother.b0;
    amB1 = gainSmoother.b1;

    const auto delaySmoother = lowPassFrom (prewarpInDouble (modSmootherHz, fs));
    modB0 = delaySmoother.b0;
    modB1 = delaySmoother.b1;
    modA1 = delaySmoother.a1;

    amDepth = modulationDepth;
    amRate = modulationRateHz;
    modFeedback = delayFeedback;
    modRate = delaySweepRateHz;
    modMinDelay = shortestSweepMs * fs / 1000.0f;
    modMaxDelay = longestSweepMs * fs / 1000.0f;
}

void GadgetN14::reset()
{
    peakEnv = 0.0f;
    fadeState = 0.0f;
    gateOpen = false;
    fadeCount = idleFadeCount;
    std::fill (std::begin (lookL), std::end (lookL), 0.0f);
    std::fill (std::begin (lookR), std::end (lookR), 0.0f);
    lookWrite = lookSize - 1;
    amStateL = amStateR = 0.0f;
    amPhaseL = amStartL;
    amPhaseR = amStartR;
    std::fill (std::begin (modL), std::end (modL), 0.0f);
    std::fill (std::begin (modR), std::end (modR), 0.0f);
    modWrite = modSize - 1;
    modPhaseL = modStartL;
    modPhaseR = modStartR;
    modDelayStateL = modDelayStateR = 0.0f;
    modAllpassL = modAllpassR = 0.0f;
}

// Inlined into the sample loop: a call there would spill every state around it.
forcedinline float GadgetN14::swellGain (float inputL, float inputR) noexcept
{
    // Peak detector: instant attack, exponential release.
    auto level = std::abs (inputL + inputR) * 0.5f;
    if (level <= peakEnv)
        level = level * (1.0f - peakRelease) + peakEnv * peakRelease;
    peakEnv = level;

    const auto levelDb = peakEnv > 0.0f ? 20.0f * std::log10 (peakEnv) : silenceDb;

    // Only a closed-to-open transition restarts the fade; closing leaves the gain alone.
    if (! gateOpen && levelDb > thresholdOnDb)
    {
        gateOpen = true;
        fadeCount = 0;
    }
    else if (gateOpen && levelDb < thresholdOffDb)
    {
        gateOpen = false;
    }

    fadeCount += 1;

    if (fadeCount < fadeLength)
        return std::pow (10.0f, ((float) fadeCount * fadeDepthDb / (float) fadeLength - fadeDepthDb) / 20.0f);

    fadeCount = fadeLength;
    return 1.0f;
}

float GadgetN14::modulatedTap (const float (&line)[modSize], float delaySamples, float& allpassState) const noexcept
{
    // First-order all-pass interpolation keeps the swept echo's level flat.
    const forms::FractionalDelay delay (delaySamples);
    return forms::readAllPass (line, modWrite, delay.cells, 1.0f - delay.fraction, allpassState);
}

void GadgetN14::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto amStep = forms::lfoStep (amRate, sampleRate);
    const auto modStep = forms::lfoStep (modRate, sampleRate);
    const forms::OnePole fadeSmoother { fadeA1, fadeB0, fadeB1 };
    const forms::OnePole gainSmoother { amA1, amB0, amB1 };
    const forms::OnePole delaySmoother { modA1, modB0, modB1 };
    const auto sweepSpan = modMaxDelay - modMinDelay;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto inL = left[i];
        const auto inR = right[i];

        const auto gain = fadeSmoother.process (swellGain (inL, inR), fadeState);

        // Written before it is read, so a look-ahead of 0 passes the input straight on.
        lookL[lookWrite] = inL;
        lookR[lookWrite] = inR;
        const auto readIndex = (lookDelay + lookWrite) & (lookSize - 1);
        const auto aheadL = lookL[readIndex] * gain;
        const auto aheadR = lookR[readIndex] * gain;
        lookWrite = forms::decrementRing (lookWrite, lookSize);

        const auto sweepL =
            (0.5f * std::sin (forms::lfoAngle (i, modStep, modPhaseL)) + 0.5f) * sweepSpan + modMinDelay + 1.0f;
        const auto sweepR =
            (0.5f * std::sin (forms::lfoAngle (i, modStep, modPhaseR)) + 0.5f) * sweepSpan + modMinDelay + 1.0f;

        const auto tapL = modulatedTap (modL, delaySmoother.process (sweepL, modDelayStateL), modAllpassL);
        const auto tapR = modulatedTap (modR, delaySmoother.process (sweepR, modDelayStateR), modAllpassR);

        modL[modWrite] = finiteOrSilent (aheadL - modFeedback * tapL);
        modR[modWrite] = finiteOrSilent (aheadR - modFeedback * tapR);
        modWrite = forms::decrementRing (modWrite, modSize);

        const auto modGainL =
            gainSmoother.process (1.0f + amDepth * std::sin (forms::lfoAngle (i, amStep, amPhaseL)), amStateL);
        const auto modGainR =
            gainSmoother.process (1.0f + amDepth * std::sin (forms::lfoAngle (i, amStep, amPhaseR)), amStateR);

        left[i] = modGainL * wetGain * (tapL + aheadL) * 0.5f + dryGain * aheadL;
        right[i] = modGainR * wetGain * (tapR + aheadR) * 0.5f + dryGain * aheadR;
    }

    forms::flushDenormals (
        peakEnv, fadeState, amStateL, amStateR, modDelayStateL, modDelayStateR, modAllpassL, modAllpassR);
    forms::lfoAdvance (amPhaseL, numSamples, amStep);
    forms::lfoAdvance (amPhaseR, numSamples, amStep);
    forms::lfoAdvance (modPhaseL, numSamples, modStep);
    forms::lfoAdvance (modPhaseR, numSamples, modStep);
}
