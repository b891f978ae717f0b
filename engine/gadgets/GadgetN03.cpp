#include "GadgetN03.h"

#include <map>
#include <mutex>

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
// The modulation is tabled up to this rate (a table of 1.5 MB for the whole process).
constexpr double highestTabledRateHz = 192000.0;

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

    modulationTable = modulationTableFor (newSampleRate, scaledExcursion);
}

std::shared_ptr<const GadgetN03::ModulationTable> GadgetN03::modulationTableFor (double rate, int excursionSamples)
{
    static std::mutex mutex;
    static std::map<std::pair<double, int>, std::shared_ptr<const ModulationTable>> tables;

    // The counter runs from 0 to the rate (a second), so the table holds every value it takes.
    if (! (rate > 0.0 && rate <= highestTabledRateHz))
        return {};

    const std::lock_guard<std::mutex> guard (mutex);
    auto& table = tables[{ rate, excursionSamples }];

    if (table == nullptr)
    {
        auto entries = std::make_shared<ModulationTable>();
        entries->reserve ((size_t) rate + 1);

        for (int counter = 0; counter <= rate; ++counter)
            entries->push_back (modulationAt (counter, rate, excursionSamples));

        table = std::move (entries);
    }

    return table;
}

GadgetN03::Modulation GadgetN03::modulationAt (int counter, double rate, int excursionSamples) noexcept
{
    // A 1 Hz sine, restarted once a second's worth of samples has passed.
    const auto angle = (double) ((float) counter * forms::twoPi) / rate;
    const auto m = (float) std::sin (angle) * (float) excursionSamples;
    const auto fraction = m - std::floor (m);

    // The first-order all-pass that delays by the fraction at low frequencies.
    return { forms::floorWithin (m, -excursionSamples, excursionSamples), (1.0f - fraction) / (1.0f + fraction) };
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
/* One block works on a copy of the coefficients, states and indices: the
   rings are floats too, and writes into them would otherwise force every
   float field to be read back from memory after each write. */
struct GadgetN03::Working
{
    float decay, decayDiffusion1, decayDiffusion2, inputDiffusion1, inputDiffusion2, bandwidth, damping;
    int predelay, excursion;
    float bandwidthState, dampingStateL, dampingStateR, interpolationStateL, interpolationStateR;
    int predelayWriteIndex, lfoCounter;
    int writeIndex[numLines];
    int lineLength[numLines];
    const Modulation* table;
    int tableSize;
};

template <int Size>
float GadgetN03::readLine (const float (&ring)[Size], const Working& w, Line line) noexcept
{
    return readTap (ring, w, line, w.lineLength[line]);
}

template <int Size>
float GadgetN03::readTap (const float (&ring)[Size], const Working& w, Line line, int tap) noexcept
{
    return ring[(w.writeIndex[line] + tap) & (Size - 1)];
}

template <int Size>
void GadgetN03::writeLine (float (&ring)[Size], Working& w, Line line, float value) noexcept
{
    ring[w.writeIndex[line]] = value;
    w.writeIndex[line] = forms::decrementRing (w.writeIndex[line], Size);
}

/** Input diffuser: an all-pass whose written cell is flushed, so the
    diffusers never hold subnormals (nor a bad sample). */
template <int Size>
float GadgetN03::diffuse (float (&ring)[Size], Working& w, Line line, float g, float x) noexcept
{
    const auto d = readLine (ring, w, line);
    auto cell = x - g * d;
    forms::flushDenormal (cell);
    writeLine (ring, w, line, cell);
    return (1.0f - g * g) * d + g * x;
}

/** Tank all-pass with a moving, all-pass interpolated read; its sign
    convention is the opposite of the diffusers'. */
template <int Size>
float GadgetN03::modulatedAllPass (float (&ring)[Size],
                                   Working& w,
                                   Line line,
                                   float g,
                                   float x,
                                   const Modulation& modulation,
                                   float& interpolationState) noexcept
{
    const auto d = forms::readAllPass (
        ring, w.writeIndex[line], w.lineLength[line] + modulation.cells, modulation.eta, interpolationState);
    writeLine (ring, w, line, keepFinite (x + g * d));
    return (1.0f - g * g) * d - g * x;
}

template <int Size>
float GadgetN03::decayAllPass (float (&ring)[Size], Working& w, Line line, float g, float x) noexcept
{
    const auto d = readLine (ring, w, line);
    writeLine (ring, w, line, keepFinite (x - g * d));
    return (1.0f - g * g) * d + g * x;
}

/** Plain delay: written first, then read at its length. */
template <int Size>
float GadgetN03::delay (float (&ring)[Size], Working& w, Line line, float x) noexcept
{
    ring[w.writeIndex[line]] = keepFinite (x);
    const auto out = readLine (ring, w, line);
    w.writeIndex[line] = forms::decrementRing (w.writeIndex[line], Size);
    return out;
}

//==============================================================================
// The per-sample steps are inlined into the block loop, so the working copy
// stays in registers instead of being spilled around a call.
forcedinline float GadgetN03::diffusedInput (Working& w, float mono) noexcept
{
    predelayRing[w.predelayWriteIndex] = mono;
    const auto delayed = predelayRing[(w.predelayWriteIndex + w.predelay) & (predelaySize - 1)];
    w.predelayWriteIndex = forms::decrementRing (w.predelayWriteIndex, predelaySize);

    w.bandwidthState = (1.0f - w.bandwidth) * w.bandwidthState + w.bandwidth * delayed;

    auto u = diffuse (inputAllPass1Ring, w, inputAllPass1, w.inputDiffusion1, w.bandwidthState);
    u = diffuse (inputAllPass2Ring, w, inputAllPass2, w.inputDiffusion1, u);
    u = diffuse (inputAllPass3Ring, w, inputAllPass3, w.inputDiffusion2, u);
    return diffuse (inputAllPass4Ring, w, inputAllPass4, w.inputDiffusion2, u);
}

forcedinline GadgetN03::Modulation GadgetN03::nextModulation (Working& w) const noexcept
{
    const auto counter = w.lfoCounter;

    if (++w.lfoCounter > sampleRate)
        w.lfoCounter = 0;

    if (w.table != nullptr && counter < w.tableSize)
        return w.table[counter];

    return modulationAt (counter, sampleRate, w.excursion);
}

forcedinline void GadgetN03::runTank (Working& w, float diffused) noexcept
{
    // Each half is fed from the other's end, read before either is written.
    const auto inL = diffused + w.decay * readLine (rightDelay2Ring, w, rightDelay2);
    const auto inR = diffused + w.decay * readLine (leftDelay2Ring, w, leftDelay2);
    const auto modulation = nextModulation (w);

    const auto outL = modulatedAllPass (
        leftModulatedRing, w, leftModulatedAllPass, w.decayDiffusion1, inL, modulation, w.interpolationStateL);
    w.dampingStateL = w.damping * w.dampingStateL + (1.0f - w.damping) * delay (leftDelay1Ring, w, leftDelay1, outL);
    writeLine (
        leftDelay2Ring,
        w,
        leftDelay2,
        keepFinite (decayAllPass (leftAllPass2Ring, w, leftAllPass2, w.decayDiffusion2, w.decay * w.dampingStateL)));

    const auto outR = modulatedAllPass (
        rightModulatedRing, w, rightModulatedAllPass, w.decayDiffusion1, inR, modulation, w.interpolationStateR);
    w.dampingStateR = w.damping * w.dampingStateR + (1.0f - w.damping) * delay (rightDelay1Ring, w, rightDelay1, outR);
    writeLine (
        rightDelay2Ring,
        w,
        rightDelay2,
        keepFinite (decayAllPass (rightAllPass2Ring, w, rightAllPass2, w.decayDiffusion2, w.decay * w.dampingStateR)));
}

forcedinline GadgetN03::Stereo GadgetN03::gatherTaps (const Working& w) const noexcept
{
    auto tap = [&] (const auto& ring, Line line, int index) { return readTap (ring, w, line, tapOffset[index]); };

    const auto wetL = tap (rightDelay1Ring, rightDelay1, 0) + tap (rightDelay1Ring, rightDelay1, 1)
                      - tap (rightAllPass2Ring, rightAllPass2, 2) + tap (rightDelay2Ring, rightDelay2, 3)
                      - tap (leftDelay1Ring, leftDelay1, 4) - tap (leftAllPass2Ring, leftAllPass2, 5)
                      - tap (leftDelay2Ring, leftDelay2, 6);
    const auto wetR = tap (leftDelay1Ring, leftDelay1, 7) + tap (leftDelay1Ring, leftDelay1, 8)
                      - tap (leftAllPass2Ring, leftAllPass2, 9) + tap (leftDelay2Ring, leftDelay2, 10)
                      - tap (rightDelay1Ring, rightDelay1, 11) - tap (rightAllPass2Ring, rightAllPass2, 12)
                      - tap (rightDelay2Ring, rightDelay2, 13);
    return { wetL, wetR };
}

void GadgetN03::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    const auto dryGain = 1.0f - 0.5f * (effect * effect);
    const auto wetGain = effect * 0.5f;

    Working w { decay,
                decayDiffusion1,
                decayDiffusion2,
                inputDiffusion1,
                inputDiffusion2,
                bandwidth,
                damping,
                predelay,
                excursion,
                bandwidthState,
                dampingStateL,
                dampingStateR,
                interpolationStateL,
                interpolationStateR,
                predelayWriteIndex,
                lfoCounter,
                {},
                {},
                nullptr,
                0 };
    std::copy (std::begin (writeIndex), std::end (writeIndex), w.writeIndex);
    std::copy (std::begin (lineLength), std::end (lineLength), w.lineLength);

    // The table holds the excursion of the rate; a different one takes its sines per sample.
    if (modulationTable != nullptr && excursion == scaledExcursion)
    {
        w.table = modulationTable->data();
        w.tableSize = (int) modulationTable->size();
    }

    for (int i = 0; i < numSamples; ++i)
    {
        const auto xL = left[i];
        const auto xR = right[i];

        runTank (w, diffusedInput (w, (xL + xR) * 0.5f));
        const auto wet = gatherTaps (w);

        left[i] = dryGain * xL + wetGain * wet.left * wetTrim;
        right[i] = dryGain * xR + wetGain * wet.right * wetTrim;
    }

    bandwidthState = w.bandwidthState;
    dampingStateL = w.dampingStateL;
    dampingStateR = w.dampingStateR;
    interpolationStateL = w.interpolationStateL;
    interpolationStateR = w.interpolationStateR;
    predelayWriteIndex = w.predelayWriteIndex;
    lfoCounter = w.lfoCounter;
    std::copy (std::begin (w.writeIndex), std::end (w.writeIndex), writeIndex);

    forms::flushDenormals (bandwidthState, dampingStateL, dampingStateR, interpolationStateL, interpolationStateR);
}
