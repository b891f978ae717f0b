#include "GadgetN13.h"

#include "engine/ParameterMapping.h"

namespace
{
constexpr float slowestSlowHz = 0.25f, fastestSlowHz = 2.0f;
constexpr float slowestFastHz = 5.0f, fastestFastHz = 8.3f;
// The horn turns a little faster than the bass rotor, so the two never lock.
constexpr float hornOffsetHz = 0.1f;

// The taps never read closer than 300 samples, and sweep over 0.5 ms of
// Doppler travel above that.
constexpr float shortestDelaySamples = 300.0f;
constexpr float dopplerSpanSeconds = 0.0005f;

constexpr float crossoverHz = 830.0f;
constexpr float tapSmootherHz = 40.0f;
// The bass rotor is heavy and speeds up and slows down over seconds; the
// light horn follows within a fraction of a second.
constexpr float lowGlideHz = 2.0f;
constexpr float highGlideHz = 10.0f;

// The far tap of each rotor reaches the opposite channel attenuated.
constexpr float crossFeedGain = 0.7f;

/** The one-pole low-pass of these smoothers: tan() taken in double, and the
    coefficients divided by (1 + w) directly. */
forms::OnePole smootherAt (float cornerHz, float sampleRate) noexcept
{
    const auto w = (float) std::tan ((double) (forms::limitCornerHz (cornerHz, sampleRate) * forms::pi / sampleRate));
    return { (w - 1.0f) / (1.0f + w), w / (1.0f + w), w / (1.0f + w) };
}
} // namespace

GadgetN13::GadgetN13()
{
    describe ("Dazovi Ruvora", 12, { "Slow LFO", "Fast LFO", "Dry/Wet", "Slow/Fast" }, { 0.5f, 0.5f, 1.0f, 0.0f });
    isSwitch[3] = true;
    description = "A simplified emulation of the rotating speaker cabinet best known with organs. "
                  "It suits guitars and other instruments just as well: set the slow and fast speeds, "
                  "flip the switch to hear the two rotors speed up or slow down, each at its own pace, "
                  "and push the hot switch to warm it up with the tube section.";
}

void GadgetN13::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float slowKnob = p1, fastKnob = p2, mixKnob = p3, speedSwitch = p4;

    const auto slowRate = forms::logSweep (slowestSlowHz, fastestSlowHz, slowKnob);
    const auto fastRate = forms::logSweep (slowestFastHz, fastestFastHz, fastKnob);
    const auto rate = speedSwitch <= ParameterMapping::switchThreshold ? slowRate : fastRate;
    lowRotorTarget = rate;
    highRotorTarget = rate + hornOffsetHz;

    minDelay = shortestDelaySamples;
    // Whole samples, rounded half to even (22.05 at 44.1 kHz gives 22).
    maxDelay = std::nearbyint (dopplerSpanSeconds * fs) + shortestDelaySamples;

    // The first half of the knob brings the wet signal in, the second takes the dry out.
    if (mixKnob <= 0.5f)
    {
        dryGain = 1.0f;
        wetGain = 2.0f * mixKnob;
    }
    else
    {
        dryGain = 2.0f - 2.0f * mixKnob;
        wetGain = 1.0f;
    }

    const auto tapSmoother = smootherAt (tapSmootherHz, fs);
    smoothB0 = tapSmoother.b0;
    smoothB1 = tapSmoother.b1;
    smoothA1 = tapSmoother.a1;

    const auto lowGlide = smootherAt (lowGlideHz, fs);
    lowGlideB0 = lowGlide.b0;
    lowGlideB1 = lowGlide.b1;
    lowGlideA1 = lowGlide.a1;

    const auto highGlide = smootherAt (highGlideHz, fs);
    highGlideB0 = highGlide.b0;
    highGlideB1 = highGlide.b1;
    highGlideA1 = highGlide.a1;

    const auto splitHz = forms::limitCornerHz (crossoverHz, fs);
    lowSplit.setCutoff ((double) fs, splitHz);
    highSplit.setCutoff ((double) fs, splitHz);
}

void GadgetN13::reset()
{
    std::fill (std::begin (lowLine), std::end (lowLine), 0.0f);
    std::fill (std::begin (highLine), std::end (highLine), 0.0f);
    writeIndex = ringSize - 1;

    // Each reset starts the rotors at a different angle (0..2 rad), as a real
    // cabinet never stops in the same position.
    lowRotorPhase = 2.0f * rotorRandom.nextFloat();
    highRotorPhase = 2.0f * rotorRandom.nextFloat();

    lowSplit.reset();
    highSplit.reset();
    // From standstill: both rotors spin up through their glides.
    lowGlideState = 0.0f;
    highGlideState = 0.0f;
    std::fill (std::begin (delaySmooth), std::end (delaySmooth), 0.0f);
    std::fill (std::begin (gainSmooth), std::end (gainSmooth), 0.0f);
    std::fill (std::begin (tapAllpass), std::end (tapAllpass), 0.0f);
}

float GadgetN13::advanceRotor (float& phase,
                               float targetHz,
                               float& glideState,
                               const forms::OnePole& glide) const noexcept
{
    const auto speedHz = glide.process (targetHz, glideState);
    phase += forms::lfoStep (speedHz, sampleRate);

    if (phase > forms::twoPi)
        phase -= forms::twoPi;

    return std::sin (phase);
}

void GadgetN13::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const forms::OnePole smoother { smoothA1, smoothB0, smoothB1 };
    const forms::OnePole lowGlide { lowGlideA1, lowGlideB0, lowGlideB1 };
    const forms::OnePole highGlide { highGlideA1, highGlideB0, highGlideB1 };
    const auto span = maxDelay - minDelay;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto inL = left[i];
        const auto inR = right[i];

        const auto sLow = advanceRotor (lowRotorPhase, lowRotorTarget, lowGlideState, lowGlide);
        const auto sHigh = advanceRotor (highRotorPhase, highRotorTarget, highGlideState, highGlide);

        // Taps 1 and 3 ride the bass rotor, 2 and 4 the horn; 3 and 4 in opposite phase.
        const float targetDelay[numTaps] = { minDelay + span * (0.5f * sLow + 0.5f) + 1.0f,
                                             minDelay + span * (0.5f * sHigh + 0.5f) + 1.0f,
                                             minDelay + span * (0.5f - 0.5f * sLow) + 1.0f,
                                             minDelay + span * (0.5f - 0.5f * sHigh) + 1.0f };

        auto low = (inL + inR) * 0.5f;
        lowSplit.processSample (low);
        // The horn is fed from the left input only.
        auto high = inL;
        highSplit.processSample (high);

        float tap[numTaps];

        for (int j = 0; j < numTaps; ++j)
        {
            const forms::FractionalDelay delay (smoother.process (targetDelay[j], delaySmooth[j]));
            // First-order all-pass interpolation: flat in level, so the
            // Doppler sweep does not dull the sound as a linear read would.
            const auto eta = 1.0f - delay.fraction;
            const float (&line)[ringSize] = j % 2 == 0 ? lowLine : highLine;
            tap[j] = forms::readAllPass (line, writeIndex, delay.cells, eta, tapAllpass[j]);
        }

        lowLine[writeIndex] = low;
        highLine[writeIndex] = high;
        writeIndex = forms::decrementRing (writeIndex, ringSize);

        const float targetGain[numTaps] = { 1.0f + sLow, 1.0f + sHigh, 1.0f - sLow, 1.0f - sHigh };
        float P[numTaps];

        for (int j = 0; j < numTaps; ++j)
            P[j] = smoother.process (targetGain[j], gainSmooth[j]) * tap[j];

        left[i] = 0.5f * wetGain * (crossFeedGain * P[3] + P[1] + crossFeedGain * P[2] + P[0]) + dryGain * inL;
        right[i] = 0.5f * wetGain * (crossFeedGain * P[1] + P[3] + crossFeedGain * P[0] + P[2]) + dryGain * inR;
    }

    forms::flushDenormals (delaySmooth[0],
                           delaySmooth[1],
                           delaySmooth[2],
                           delaySmooth[3],
                           gainSmooth[0],
                           gainSmooth[1],
                           gainSmooth[2],
                           gainSmooth[3],
                           tapAllpass[0],
                           tapAllpass[1],
                           tapAllpass[2],
                           tapAllpass[3],
                           lowSplit.s1,
                           lowSplit.s2,
                           lowSplit.s3,
                           lowSplit.s4,
                           highSplit.s1,
                           highSplit.s2,
                           highSplit.s3,
                           highSplit.s4,
                           lowGlideState,
                           highGlideState);
}
