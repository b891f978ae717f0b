#include "GadgetN08.h"

namespace
{
constexpr int speakerImpulse = 0;

// The emphasis pair is a mirrored shelf around 559 Hz: the pre-emphasis cuts
// 12 dB at DC, the de-emphasis restores it; V is the linear gain and s the
// shelf's slope term, tan's argument is pi times the turnover.
constexpr double emphasisArgument = 1757.5955810546875;
constexpr float deEmphasisV = 1.9952624f, deEmphasisS = 1.9976298f;
constexpr float preEmphasisV = 0.5011872f, preEmphasisS = 1.0011865f;

// Peaking filters: tan's argument (pi fc), numerator and denominator damping.
constexpr double lowPeakArgument = 314.1592712402344;
constexpr float lowPeakN = 2.3095639f, lowPeakD = 1.7319287f;
constexpr double highPeakArgument = 43982.296875;
constexpr float highPeakN = 2.5913734f, highPeakD = 1.543583f;

// -2 pi 1000 / T for the detector times: attack 1.2 ms, release 30 ms, detector 20 ms.
constexpr float attackExponent = -5235.988f;
constexpr float releaseExponent = -209.43951f;
constexpr float detectorExponent = -314.15927f;

constexpr float positionSmootherHz = 40.0f;
constexpr float wowDepthSeconds = 0.007f;
constexpr float flutterDepthSeconds = 0.005f;
constexpr float flutterShare = 0.05f;
constexpr float largestInputGain = 33.0f;

// Cutoff of the level low-pass: fully open up to -10 on the 18 log10 scale.
constexpr float levelScale = 18.0f;
constexpr float levelOpenBelow = -10.0f;
constexpr float openCutoffHz = 20000.0f;
constexpr float lowestLevelCutoffHz = 100.0f;

constexpr double halfPi = 1.5707963705062866;

/** Shelf of the emphasis pair, bilinear with c = 1 / tan (argument / fs). */
forms::Biquad emphasisShelf (float c, float v, float s) noexcept
{
    const float a0 = 1.0f + s * c + v * c * c;
    forms::Biquad shelf;
    shelf.a1 = 2.0f * (1.0f - v * c * c) / a0;
    shelf.a2 = (1.0f - s * c + v * c * c) / a0;
    shelf.b0 = v * (v + s * c + c * c) / a0;
    shelf.b1 = 2.0f * v * (v - c * c) / a0;
    shelf.b2 = v * (v - s * c + c * c) / a0;
    return shelf;
}

forms::Biquad peak (float c, float n, float d) noexcept
{
    const float a0 = 1.0f + d * c + c * c;
    forms::Biquad section;
    section.b0 = (1.0f + n * c + c * c) / a0;
    section.b1 = (2.0f - 2.0f * c * c) / a0;
    section.a1 = section.b1;
    section.b2 = (1.0f - n * c + c * c) / a0;
    section.a2 = (1.0f - d * c + c * c) / a0;
    return section;
}

/** c = 1 / tan (argument / fs), with the argument (pi fc) kept below
    0.49 fs so that low host rates cannot push a corner past Nyquist. */
float bilinearC (double argument, double sampleRate) noexcept
{
    const double limited = std::min (argument, (double) forms::maxCornerRatio * (double) forms::pi * sampleRate);
    return (float) (1.0 / std::tan (limited / sampleRate));
}

/** A smoothed position in 0..1 to a delay in samples. */
float spanDelay (float position, float shortest, float longest) noexcept
{
    return position * (longest - shortest) + shortest;
}
} // namespace

GadgetN08::GadgetN08()
{
    describe ("Riverovodizir", 4, { "Limit", "Flutter", "Hiss" }, { 0.5f, 0.0f, 0.0f });
    description = "A model of one very old microcassette recorder, heard through its own tiny loudspeaker. "
                  "The limit knob sets how the tape distorts and how far its treble closes when you play hard, "
                  "flutter adds the wow and flutter of a worn capstan, and hiss adds the noise of an old tape. "
                  "Push the input gain hard: that is where it sounds best.";
    random.setSeedRandomly();
}

void GadgetN08::initProcessing (double newSampleRate, int newBlockSize)
{
    Gadgets::initProcessing (newSampleRate, newBlockSize);
    convolverL.initFFT (speakerImpulse, newSampleRate, newBlockSize);
    convolverR.initFFT (speakerImpulse, newSampleRate, newBlockSize);
}

void GadgetN08::reset()
{
    deEmphasisL = deEmphasisR = {};
    preEmphasisL = preEmphasisR = {};
    lowPeakL = lowPeakR = {};
    highPeakL = highPeakR = {};
    levelStateL = levelStateR = 0.0f;
    meanSquare = envelope = 0.0f;
    pinkL = pinkR = {};
    std::fill (std::begin (wowLineL), std::end (wowLineL), 0.0f);
    std::fill (std::begin (wowLineR), std::end (wowLineR), 0.0f);
    std::fill (std::begin (flutterLineL), std::end (flutterLineL), 0.0f);
    std::fill (std::begin (flutterLineR), std::end (flutterLineR), 0.0f);
    wowSmoothL = wowSmoothR = flutterSmoothL = flutterSmoothR = 0.0f;
    writeIndex = ringSize - 1;
    wowPhaseL = wowPhaseR = flutterPhaseL = flutterPhaseR = 0.0f;
    convolverL.reset();
    convolverR.reset();
}

void GadgetN08::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float flutterKnob = p2;
    const float hissKnob = p3;

    const float emphasisC = bilinearC (emphasisArgument, sampleRate);
    deEmphasis = emphasisShelf (emphasisC, deEmphasisV, deEmphasisS);
    preEmphasis = emphasisShelf (emphasisC, preEmphasisV, preEmphasisS);

    attackCoeff = std::exp (attackExponent / fs);
    releaseCoeff = std::exp (releaseExponent / fs);
    detectorCoeff = std::exp (detectorExponent / fs);

    lowPeak = peak (bilinearC (lowPeakArgument, sampleRate), lowPeakN, lowPeakD);
    highPeak = peak (bilinearC (highPeakArgument, sampleRate), highPeakN, highPeakD);

    // -100 dB just above 0 up to -50 dB at 1; exactly 0 switches the hiss off.
    hissGain = hissKnob == 0.0f ? 0.0f : std::pow (10.0f, (50.0f * hissKnob - 100.0f) / 20.0f);

    wowRate = 0.3f * flutterKnob + 0.6f;
    wowMinDelay = 0.0f * fs;
    wowMaxDelay = wowDepthSeconds * fs;
    flutterRate = 3.0f * flutterKnob + 22.0f;
    flutterMinDelay = 0.0f;
    flutterMaxDelay = flutterDepthSeconds * fs;

    positionSmoother = forms::OnePole::lowPass (forms::prewarp (positionSmootherHz, fs));
}

float GadgetN08::levelCutoffHz (float envelopeLevel, float limitKnob) noexcept
{
    const float level = levelScale * std::log10 (envelopeLevel);

    if (level <= levelOpenBelow)
        return openCutoffHz;

    // From 20 kHz at -10 down to 18000 q Hz at 0, on a log-frequency line.
    const float e = (level - levelOpenBelow) / -levelOpenBelow;
    const float q = 0.5f * limitKnob + 0.25f;
    return openCutoffHz / std::pow (10.0f, e * std::log10 (openCutoffHz / (2.0f * q * 9000.0f)));
}

forms::OnePole GadgetN08::levelLowPass (float cutoffHz, float sampleRate) noexcept
{
    const float w = (cutoffHz < lowestLevelCutoffHz ? 628.31854f : 2.0f * cutoffHz * forms::pi) / sampleRate;
    return forms::OnePole::lowPass (w);
}

float GadgetN08::trimForInputGain (float inputGain) noexcept
{
    const float g = std::min (inputGain, largestInputGain);

    // Only a positive gain has a logarithm; the slot's gain is always >= 1.
    if (! (g > 0.0f))
        return 1.0f;

    return (float) std::pow (10.0, std::log10 ((double) g) * -0.5);
}

float GadgetN08::pinkSample (PinkState& pink) noexcept
{
    // Box-Muller Gaussian; u1 is drawn from (0, 1] so its logarithm is finite.
    const float u1 = 1.0f - random.nextFloat();
    const float u2 = random.nextFloat();
    const float n = std::cos (u2 * forms::twoPi) * std::sqrt ((float) (-2.0 * std::log ((double) u1)));

    // An economy pinking filter: three one-pole sections in parallel.
    pink.z0 = 0.99765f * pink.z0 + 0.099046f * n;
    pink.z1 = 0.963f * pink.z1 + 0.2965164f * n;
    pink.z2 = 0.57f * pink.z2 + 1.0526913f * n;
    return pink.z0 + pink.z1 + pink.z2 + 0.1848f * n;
}

void GadgetN08::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto fs = sampleRateF();
    const float flutterKnob = p2;
    const float limitKnob = p1;
    const float trim = trimForInputGain (inputGain);
    const float hissFactor = 1.0f / trim;
    const auto wowStep = forms::lfoStep (wowRate, sampleRate);
    const auto flutterStep = forms::lfoStep (flutterRate, sampleRate);

    for (int i = 0; i < numSamples; ++i)
    {
        const float xL = left[i];
        const float xR = right[i];

        const float dL =
            highPeak.process (lowPeak.process (preEmphasis.process (xL, preEmphasisL), lowPeakL), highPeakL);
        const float dR =
            highPeak.process (lowPeak.process (preEmphasis.process (xR, preEmphasisR), lowPeakR), highPeakR);

        float noiseL = 0.0f, noiseR = 0.0f;

        if (hissGain > 0.0f)
        {
            noiseL = pinkSample (pinkL);
            noiseR = pinkSample (pinkR);
        }

        const float satL = (float) (std::atan ((double) (dL + noiseL * hissGain * hissFactor)) / halfPi);
        const float satR = (float) (std::atan ((double) (dR + noiseR * hissGain * hissFactor)) / halfPi);

        // Wow: both channels share the jitter draw and start in phase.
        const float wowAngleL = forms::lfoAngle (i, wowStep, wowPhaseL);
        const float wowAngleR = forms::lfoAngle (i, wowStep, wowPhaseR);
        const float wowJitter = random.nextFloat() * flutterKnob * 0.5f * forms::pi;
        const float wowPositionL =
            positionSmoother.process (std::sin (wowAngleL + wowJitter) * 0.5f * flutterKnob + 0.5f, wowSmoothL);
        const float wowPositionR =
            positionSmoother.process (std::sin (wowAngleR + wowJitter) * 0.5f * flutterKnob + 0.5f, wowSmoothR);

        const float flutterAngleL = forms::lfoAngle (i, flutterStep, flutterPhaseL);
        const float flutterAngleR = forms::lfoAngle (i, flutterStep, flutterPhaseR);
        const float flutterJitter = random.nextFloat() * flutterKnob * 0.5f * forms::pi;
        const float flutterPositionL = positionSmoother.process (
            std::sin (flutterAngleL + flutterJitter) * 0.5f * flutterKnob * flutterShare + 0.5f, flutterSmoothL);
        const float flutterPositionR = positionSmoother.process (
            std::sin (flutterAngleR + flutterJitter) * 0.5f * flutterKnob * flutterShare + 0.5f, flutterSmoothR);

        const forms::FractionalDelay wowDelayL (spanDelay (wowPositionL, wowMinDelay, wowMaxDelay));
        const forms::FractionalDelay wowDelayR (spanDelay (wowPositionR, wowMinDelay, wowMaxDelay));
        const float wowL = forms::readDecrementing (wowLineL, writeIndex, wowDelayL);
        const float wowR = forms::readDecrementing (wowLineR, writeIndex, wowDelayR);
        wowLineL[writeIndex] = satL;
        wowLineR[writeIndex] = satR;

        const forms::FractionalDelay flutterDelayL (spanDelay (flutterPositionL, flutterMinDelay, flutterMaxDelay));
        const forms::FractionalDelay flutterDelayR (spanDelay (flutterPositionR, flutterMinDelay, flutterMaxDelay));
        const float flutterL = forms::readDecrementing (flutterLineL, writeIndex, flutterDelayL);
        const float flutterR = forms::readDecrementing (flutterLineR, writeIndex, flutterDelayR);
        flutterLineL[writeIndex] = wowL;
        flutterLineR[writeIndex] = wowR;

        writeIndex = forms::decrementRing (writeIndex, ringSize);

        forms::detectMeanSquare (meanSquare, detectorCoeff, std::abs ((xL + xR) * 0.5f));
        forms::followEnvelope (envelope, std::sqrt (meanSquare), attackCoeff, releaseCoeff);
        levelFilter = levelLowPass (levelCutoffHz (envelope, limitKnob), fs);

        left[i] = deEmphasis.process (levelFilter.process (flutterL, levelStateL), deEmphasisL) * trim;
        right[i] = deEmphasis.process (levelFilter.process (flutterR, levelStateR), deEmphasisR) * trim;
    }

    forms::flushDenormals (levelStateL,
                           levelStateR,
                           meanSquare,
                           envelope,
                           preEmphasisL.s1,
                           preEmphasisL.s2,
                           preEmphasisR.s1,
                           preEmphasisR.s2,
                           deEmphasisL.s1,
                           deEmphasisL.s2,
                           deEmphasisR.s1,
                           deEmphasisR.s2,
                           lowPeakL.s1,
                           lowPeakL.s2,
                           lowPeakR.s1,
                           lowPeakR.s2,
                           highPeakL.s1,
                           highPeakL.s2,
                           highPeakR.s1,
                           highPeakR.s2);
    forms::lfoAdvance (wowPhaseL, numSamples, wowStep);
    forms::lfoAdvance (wowPhaseR, numSamples, wowStep);
    forms::lfoAdvance (flutterPhaseL, numSamples, flutterStep);
    forms::lfoAdvance (flutterPhaseR, numSamples, flutterStep);
    forms::flushDenormals (wowSmoothL, wowSmoothR, flutterSmoothL, flutterSmoothR);

    convolverL.processSamples (left, numSamples);
    convolverR.processSamples (right, numSamples);
}
