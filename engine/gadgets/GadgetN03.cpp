#include "GadgetN03.h"

namespace
{
// Line lengths at the design rate, in the order of GadgetN03::Line.
constexpr int nominalLength[GadgetN03::numLines] = { 142, 107, 379, 277, 672, 4453, 1800, 3720, 908, 4217, 2656, 3163 };

// Output taps at the design rate. Left side: right delay 1 (twice), right
// all-pass 2, right delay 2, left delay 1, left all-pass 2, left delay 2;
// the right side mirrors it.
constexpr int nominalTap[GadgetN03::numTaps] = { 266, 2974, 1913, 1996, 1990, 187, 1066,
                                                 353, 3627, 1228, 2673, 2111, 335, 121 };

constexpr float decayScale = 0.9f;
constexpr float shortestDecay = 0.05f;
constexpr float tankDiffusion = 0.75f;
constexpr float firstInputDiffusion = 0.85f;
constexpr float secondInputDiffusion = 0.725f;
constexpr float inputBandwidth = 0.99f;
constexpr float dampingScale = 0.7f;
// The wet sum is brought down to sit level with the dry signal.
constexpr float wetTrim = 0.6f;
// Longest excursion the modulation could ever ask for (8 scaled to 192 kHz is 52).
constexpr int excursionLimit = 64;

/** A length at the design rate scaled and rounded half to even (the default
    rounding mode), kept within 0..highest so the cast is always in range. */
int scaleLength (int nominal, double scale, int highest) noexcept
{
    const auto scaled = std::nearbyint ((double) nominal * scale);

    if (! (scaled >= 0.0))
        return 0;

    return scaled >= (double) highest ? highest : (int) scaled;
}

/** A bad upstream sample must not circulate in the tank for ever: a value
    that is not finite is written as silence. Finite values pass unchanged. */
float keepFinite (float x) noexcept { return std::isfinite (x) ? x : 0.0f; }
} // namespace

GadgetN03::GadgetN03()
{
    describe ("Divoror Irovi", 2, { "Delay", "Damp.", "Effect", "Decay" }, { 0.2f, 0.5f, 0.2f, 1.0f });
    description = "Reverberation with every control near the maximum is what guitarists end up with anyway, "
                  "so the controls start that way. A plate reverb for spaces from a bathroom to a cathedral: "
                  "predelay, damping of the high frequencies, the amount of effect and the length of the decay.";
}

void GadgetN03::initProcessing (double newSampleRate, int newBlockSize)
{
    Gadgets::initProcessing (newSampleRate, newBlockSize);

    const auto scale = std::min (newSampleRate, highestScaledRateHz) / designRateHz;
    const Line tappedLine[numTaps] = { rightDelay1,  rightDelay1, rightAllPass2, rightDelay2, leftDelay1,
                                       leftAllPass2, leftDelay2,  leftDelay1,    leftDelay1,  leftAllPass2,
                                       leftDelay2,   rightDelay1, rightAllPass2, rightDelay2 };

    predelayMax = scaleLength (longestPredelayAtDesignRate, scale, predelaySize - 1);
    scaledExcursion = scaleLength (excursionAtDesignRate, scale, excursionLimit);

    for (int line = 0; line < numLines; ++line)
        lineLength[line] = scaleLength (nominalLength[line], scale, ringSize[line] - excursionLimit - 2);

    for (int tap = 0; tap < numTaps; ++tap)
        tapOffset[tap] = scaleLength (nominalTap[tap], scale, ringSize[tappedLine[tap]] - 1);
}

void GadgetN03::updateCoefficients()
{
    predelay = forms::floorWithin ((float) predelayMax * p1, 0, predelayMax);
    excursion = scaledExcursion;
    decay = decayScale * p4 + shortestDecay;
    decayDiffusion1 = tankDiffusion;
    decayDiffusion2 = tankDiffusion;
    inputDiffusion1 = firstInputDiffusion;
    inputDiffusion2 = secondInputDiffusion;
    bandwidth = inputBandwidth;
    damping = dampingScale * p2;
    effect = p3;
}

void GadgetN03::reset()
{
    predelayWriteIndex = predelaySize - 1;
    for (int line = 0; line < numLines; ++line)
        writeIndex[line] = ringSize[line] - 1;
    lfoCounter = 0;

    auto clear = [] (auto& ring) { std::fill (std::begin (ring), std::end (ring), 0.0f); };
    clear (predelayRing);
    clear (inputAllPass1Ring);
    clear (inputAllPass2Ring);
    clear (inputAllPass3Ring);
    clear (inputAllPass4Ring);
    clear (leftModulatedRing);
    clear (leftDelay1Ring);
    clear (leftAllPass2Ring);
    clear (leftDelay2Ring);
    clear (rightModulatedRing);
    clear (rightDelay1Ring);
    clear (rightAllPass2Ring);
    clear (rightDelay2Ring);

    bandwidthState = 0.0f;
    dampingStateL = dampingStateR = 0.0f;
    interpolationStateL = interpolationStateR = 0.0f;
}

//==============================================================================
template <int Size>
float GadgetN03::readLine (const float (&ring)[Size], Line line) const noexcept
{
    return readTap (ring, line, lineLength[line]);
}

template <int Size>
float GadgetN03::readTap (const float (&ring)[Size], Line line, int tap) const noexcept
{
    return ring[(writeIndex[line] + tap) & (Size - 1)];
}

template <int Size>
void GadgetN03::writeLine (float (&ring)[Size], Line line, float value) noexcept
{
    ring[writeIndex[line]] = value;
    writeIndex[line] = forms::decrementRing (writeIndex[line], Size);
}

/** Input diffuser: an all-pass whose written cell is flushed, so the
    diffusers never hold subnormals (nor a bad sample). */
template <int Size>
float GadgetN03::diffuse (float (&ring)[Size], Line line, float g, float x) noexcept
{
    const auto d = readLine (ring, line);
    auto cell = x - g * d;
    forms::flushDenormal (cell);
    writeLine (ring, line, cell);
    return (1.0f - g * g) * d + g * x;
}

/** Tank all-pass with a moving, all-pass interpolated read; its sign
    convention is the opposite of the diffusers'. */
template <int Size>
float GadgetN03::modulatedAllPass (float (&ring)[Size],
                                   Line line,
                                   float g,
                                   float x,
                                   const Modulation& modulation,
                                   float& interpolationState) noexcept
{
    const auto d = forms::readAllPass (
        ring, writeIndex[line], lineLength[line] + modulation.cells, modulation.eta, interpolationState);
    writeLine (ring, line, keepFinite (x + g * d));
    return (1.0f - g * g) * d - g * x;
}

template <int Size>
float GadgetN03::decayAllPass (float (&ring)[Size], Line line, float g, float x) noexcept
{
    const auto d = readLine (ring, line);
    writeLine (ring, line, keepFinite (x - g * d));
    return (1.0f - g * g) * d + g * x;
}

/** Plain delay: written first, then read at its length. */
template <int Size>
float GadgetN03::delay (float (&ring)[Size], Line line, float x) noexcept
{
    ring[writeIndex[line]] = keepFinite (x);
    const auto out = readLine (ring, line);
    writeIndex[line] = forms::decrementRing (writeIndex[line], Size);
    return out;
}

//==============================================================================
float GadgetN03::diffusedInput (float mono) noexcept
{
    predelayRing[predelayWriteIndex] = mono;
    const auto delayed = predelayRing[(predelayWriteIndex + predelay) & (predelaySize - 1)];
    predelayWriteIndex = forms::decrementRing (predelayWriteIndex, predelaySize);

    bandwidthState = (1.0f - bandwidth) * bandwidthState + bandwidth * delayed;

    auto u = diffuse (inputAllPass1Ring, inputAllPass1, inputDiffusion1, bandwidthState);
    u = diffuse (inputAllPass2Ring, inputAllPass2, inputDiffusion1, u);
    u = diffuse (inputAllPass3Ring, inputAllPass3, inputDiffusion2, u);
    return diffuse (inputAllPass4Ring, inputAllPass4, inputDiffusion2, u);
}

GadgetN03::Modulation GadgetN03::nextModulation() noexcept
{
    // A 1 Hz sine, restarted once a second's worth of samples has passed.
    const auto angle = (double) ((float) lfoCounter * forms::twoPi) / sampleRate;
    const auto m = (float) std::sin (angle) * (float) excursion;
    const auto fraction = m - std::floor (m);

    if (++lfoCounter > sampleRate)
        lfoCounter = 0;

    // The first-order all-pass that delays by the fraction at low frequencies.
    return { forms::floorWithin (m, -excursion, excursion), (1.0f - fraction) / (1.0f + fraction) };
}

void GadgetN03::runTank (float diffused) noexcept
{
    // Each half is fed from the other's end, read before either is written.
    const auto inL = diffused + decay * readLine (rightDelay2Ring, rightDelay2);
    const auto inR = diffused + decay * readLine (leftDelay2Ring, leftDelay2);
    const auto modulation = nextModulation();

    const auto outL = modulatedAllPass (
        leftModulatedRing, leftModulatedAllPass, decayDiffusion1, inL, modulation, interpolationStateL);
    dampingStateL = damping * dampingStateL + (1.0f - damping) * delay (leftDelay1Ring, leftDelay1, outL);
    writeLine (leftDelay2Ring,
               leftDelay2,
               keepFinite (decayAllPass (leftAllPass2Ring, leftAllPass2, decayDiffusion2, decay * dampingStateL)));

    const auto outR = modulatedAllPass (
        rightModulatedRing, rightModulatedAllPass, decayDiffusion1, inR, modulation, interpolationStateR);
    dampingStateR = damping * dampingStateR + (1.0f - damping) * delay (rightDelay1Ring, rightDelay1, outR);
    writeLine (rightDelay2Ring,
               rightDelay2,
               keepFinite (decayAllPass (rightAllPass2Ring, rightAllPass2, decayDiffusion2, decay * dampingStateR)));
}

GadgetN03::Stereo GadgetN03::gatherTaps() const noexcept
{
    const auto wetL =
        readTap (rightDelay1Ring, rightDelay1, tapOffset[0]) + readTap (rightDelay1Ring, rightDelay1, tapOffset[1])
        - readTap (rightAllPass2Ring, rightAllPass2, tapOffset[2])
        + readTap (rightDelay2Ring, rightDelay2, tapOffset[3]) - readTap (leftDelay1Ring, leftDelay1, tapOffset[4])
        - readTap (leftAllPass2Ring, leftAllPass2, tapOffset[5]) - readTap (leftDelay2Ring, leftDelay2, tapOffset[6]);
    const auto wetR =
        readTap (leftDelay1Ring, leftDelay1, tapOffset[7]) + readTap (leftDelay1Ring, leftDelay1, tapOffset[8])
        - readTap (leftAllPass2Ring, leftAllPass2, tapOffset[9]) + readTap (leftDelay2Ring, leftDelay2, tapOffset[10])
        - readTap (rightDelay1Ring, rightDelay1, tapOffset[11])
        - readTap (rightAllPass2Ring, rightAllPass2, tapOffset[12])
        - readTap (rightDelay2Ring, rightDelay2, tapOffset[13]);
    return { wetL, wetR };
}

void GadgetN03::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto dryGain = 1.0f - 0.5f * (effect * effect);
    const auto wetGain = effect * 0.5f;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto xL = left[i];
        const auto xR = right[i];

        runTank (diffusedInput ((xL + xR) * 0.5f));
        const auto wet = gatherTaps();

        left[i] = dryGain * xL + wetGain * wet.left * wetTrim;
        right[i] = dryGain * xR + wetGain * wet.right * wetTrim;
    }

    forms::flushDenormals (bandwidthState, dampingStateL, dampingStateR, interpolationStateL, interpolationStateR);
}
