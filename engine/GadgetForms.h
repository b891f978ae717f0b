#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

/** The small signal-processing forms every gadget is written from. All
    arithmetic is single precision, in the order written here: the gadgets'
    sound depends on it, so do not "simplify" an expression. */
namespace forms
{
constexpr float twoPi = 6.2831855f;
constexpr float pi = 3.1415927f;

/** Corners are kept below Nyquist: at low host rates a 20 kHz corner would
    otherwise fold over or make tan() blow up. Above 41 kHz this never bites. */
constexpr float maxCornerRatio = 0.49f;

inline float limitCornerHz (float cornerHz, float sampleRate) noexcept
{
    return std::min (cornerHz, maxCornerRatio * sampleRate);
}

/** Bilinear prewarp of a corner frequency: w = tan(pi fc / fs). */
inline float prewarp (float cornerHz, float sampleRate) noexcept
{
    return std::tan (limitCornerHz (cornerHz, sampleRate) * pi / sampleRate);
}

//==============================================================================
/** First-order section from the bilinear transform, run in transposed direct
    form II with one state per channel. */
struct OnePole
{
    float a1 = 0.0f, b0 = 0.0f, b1 = 0.0f;

    static OnePole lowPass (float w) noexcept
    {
        const auto c = 1.0f / (w + 1.0f);
        return { (w - 1.0f) * c, w * c, w * c };
    }

    static OnePole highPass (float w) noexcept
    {
        const auto c = 1.0f / (w + 1.0f);
        return { (w - 1.0f) * c, c, -c };
    }

    float process (float x, float& state) const noexcept
    {
        const auto y = b0 * x + state;
        state = b1 * x - a1 * y;
        return y;
    }
};

/** Second-order section, a0 normalised to 1, transposed direct form II. */
struct Biquad
{
    float a1 = 0.0f, a2 = 0.0f, b0 = 1.0f, b1 = 0.0f, b2 = 0.0f;

    struct State
    {
        float s1 = 0.0f, s2 = 0.0f;
    };

    float process (float x, State& state) const noexcept
    {
        const auto y = b0 * x + state.s1;
        state.s1 = b1 * x + state.s2 - a1 * y;
        state.s2 = b2 * x - a2 * y;
        return y;
    }
};

//==============================================================================
/** The exponent shared by every time coefficient of one sample rate. */
inline float timeCoefficientBase (float sampleRate) noexcept { return (1.0f / sampleRate) * (-twoPi) * 1000.0f; }

/** Pole of a one-pole smoother with time constant T ms: exp(-2 pi 1000 / (T fs)),
    i.e. a corner at 1000/T Hz. */
inline float timeCoefficient (float timeMs, float sampleRate) noexcept
{
    return std::exp (timeCoefficientBase (sampleRate) / timeMs);
}

/** The newest square is weighted by c (close to 1) so the detector follows
    within a few samples; the envelope follower after it does the smoothing. */
inline void detectMeanSquare (float& meanSquare, float coeff, float input) noexcept
{
    meanSquare = (1.0f - coeff) * meanSquare + coeff * input * input;
}

/** Attack/release follower; equal input and envelope count as release. */
inline float followEnvelope (float& envelope, float input, float attackCoeff, float releaseCoeff) noexcept
{
    const auto k = input > envelope ? attackCoeff : releaseCoeff;
    envelope = envelope * k + (1.0f - k) * input;
    return envelope;
}

/** Downward expander gain of ratio r on a mean-square level: amplitudes
    below the threshold fall r times faster than the input. */
inline float expanderGain (float level, float threshold, float invThreshold, float ratio) noexcept
{
    if (level >= threshold)
        return 1.0f;

    return std::pow (level * invThreshold, ratio * 0.5f - 0.5f);
}

//==============================================================================
/** Phase step per sample of an LFO: the product in float, the division in double. */
inline float lfoStep (float rateHz, double sampleRate) noexcept
{
    return (float) ((double) (rateHz * twoPi) / sampleRate);
}

/** Angle of sample i of a block. The stored phase drops by one period as soon
    as an angle would pass 2 pi, so angles stay within 0..2 pi. */
inline float lfoAngle (int sampleIndex, float step, float& phase) noexcept
{
    const auto offset = (float) sampleIndex * step;

    if (offset + phase > twoPi)
        phase = phase - twoPi;

    return offset + phase;
}

inline void lfoAdvance (float& phase, int numSamples, float step) noexcept
{
    phase = phase + (float) numSamples * step;
}

//==============================================================================
/** |2p - 1| (2p - 1): a bipolar control, flat around the knob's centre. */
inline float signedSquare (float p) noexcept
{
    const auto centred = 2.0f * p - 1.0f;
    return std::abs (centred) * centred;
}

/** Logarithmic sweep from a (x = 0) to b (x = 1). */
inline float logSweep (float a, float b, float x) noexcept
{
    const auto logA = std::log10 (a);
    return std::pow (10.0f, (std::log10 (b) - logA) * x + logA);
}

/** LFO rate knob: 0.005 Hz at 0, 1 Hz at the centre, 200 Hz at 1. */
inline float rateCurve (float p) noexcept { return std::pow (200.0f, 2.0f * p - 1.0f); }

//==============================================================================
/** Write index of a ring that runs downwards: the value written k samples
    ago stands at (writeIndex + k) & mask. */
inline int decrementRing (int writeIndex, int size) noexcept { return writeIndex <= 0 ? size - 1 : writeIndex - 1; }

/** Write index of a ring that runs upwards: k samples ago is (writeIndex - k) & mask. */
inline int incrementRing (int writeIndex, int size) noexcept { return (writeIndex + 1) & (size - 1); }

/** floor(x) as an int within lowest..highest; not-a-number gives lowest, so
    the conversion is always of a finite value in range. */
inline int floorWithin (float x, int lowest, int highest) noexcept
{
    if (! (x >= (float) lowest))
        return lowest;

    return x >= (float) highest ? highest : (int) std::floor (x);
}

/** Splits a delay in samples into whole cells and a fraction. A delay that a
    bad input made NaN, negative or absurdly long reads as 0, so the cast to
    int is always of a finite value in range. */
struct FractionalDelay
{
    static constexpr float longestDelaySamples = 16777216.0f; // no ring is longer

    int cells;
    float fraction;

    explicit FractionalDelay (float delaySamples) noexcept
        : cells ((int) std::floor (sanitise (delaySamples)))
        , fraction (sanitise (delaySamples) - (float) cells)
    {
    }

    static float sanitise (float delaySamples) noexcept
    {
        return (delaySamples >= 0.0f && delaySamples < longestDelaySamples) ? delaySamples : 0.0f;
    }
};

/** Linear read of a decrementing ring, before this sample's write. */
template <int Size>
float readDecrementing (const float (&line)[Size], int writeIndex, FractionalDelay d) noexcept
{
    constexpr int mask = Size - 1;
    return (1.0f - d.fraction) * line[(writeIndex + d.cells) & mask]
           + d.fraction * line[(writeIndex + d.cells + 1) & mask];
}

/** Linear read of an incrementing ring, before this sample's write. */
template <int Size>
float readIncrementing (const float (&line)[Size], int writeIndex, FractionalDelay d) noexcept
{
    constexpr int mask = Size - 1;
    return (1.0f - d.fraction) * line[(writeIndex - d.cells) & mask]
           + d.fraction * line[(writeIndex - d.cells + Size - 1) & mask];
}

/** All-pass interpolated read of a decrementing ring; previousOutput is the
    tap's own state. */
template <int Size>
float readAllPass (const float (&line)[Size], int writeIndex, int cells, float eta, float& previousOutput) noexcept
{
    constexpr int mask = Size - 1;
    const auto y =
        eta * line[(writeIndex + cells) & mask] + line[(writeIndex + cells + 1) & mask] - eta * previousOutput;
    previousOutput = y;
    return y;
}

//==============================================================================
/** Zeroes a state that has decayed to 1e-8 or below, so recursive states never
    linger as subnormals, and one that a bad input made infinite or NaN, so a
    single bad block cannot silence a gadget until its next reset. */
inline void flushDenormal (float& state) noexcept
{
    // 1e-8f is the largest float not above 1e-8, so comparing in float picks
    // the same states as comparing in double, without the conversions. Only
    // a finite magnitude above the bound survives; a NaN fails both tests.
    const auto magnitude = std::abs (state);
    state = (magnitude > 1.0e-8f && magnitude <= std::numeric_limits<float>::max()) ? state : 0.0f;
}

template <typename... States>
void flushDenormals (States&... states) noexcept
{
    (flushDenormal (states), ...);
}
} // namespace forms
