#include "GadgetN04.h"

namespace
{
constexpr float lowestCutoffHz = 20.0f;
constexpr float highestCutoffHz = 20000.0f;
// 1 / 2.6: the filter's resonance is a Q of 2.6.
constexpr float inverseQ = 0.3846154f;
// Keeps the clipper's knee finite when the amount reaches 1 (k = 200 there).
constexpr double shaperKneeOffset = 1.01;
// The reducer works on the 16-bit scale of a sample.
constexpr float fullScale16 = 32767.0f;
constexpr int clippedLow16 = -32767;

/** A sample on the 16-bit scale, truncated towards zero; anything below -1
    reads as -32767 and a NaN as silence, so the cast is always in range. */
int toSixteenBit (float x) noexcept
{
    const auto v = std::min (x, 1.0f);

    if (v < -1.0f)
        return clippedLow16;

    return v >= -1.0f ? (int) (v * fullScale16) : 0;
}
} // namespace

GadgetN04::GadgetN04()
{
    describe ("Rar Uvidavi", 3, { "Amount", "Down", "Filter" }, { 0.0f, 0.0f, 1.0f });
    description = "The harshest sound this plug-in can make. A resonant low-pass filter feeds a bit and "
                  "sample-rate reducer, a soft clipper and a sample-and-hold, in the spirit of the old "
                  "resonant filters and bit-crushers. Turn up the amount and the down-sampling for broken, "
                  "digital textures; the filter knob takes the edge off, or not.";
}

void GadgetN04::updateCoefficients()
{
    const auto fs = sampleRateF();
    const float amountKnob = p1;
    const float downKnob = p2;
    const float filterKnob = p3;

    const auto a = 1.0f - (1.0f - amountKnob) * (1.0f - amountKnob);
    crushBits = forms::floorWithin (14.0f * a, 0, maxCrushBits);
    amount = a;
    shaperK = (float) ((double) (2.0f * a) / (shaperKneeOffset - (double) a));
    holdLength = forms::floorWithin (49.0f * downKnob, 0, maxHoldLength - 1) + 1;

    // Bilinear low-pass from the analog prototype 1 / (s^2 + s / Q + 1).
    const auto cutoffHz = forms::logSweep (lowestCutoffHz, highestCutoffHz, filterKnob);
    const auto c = 1.0f / forms::prewarp (cutoffHz, fs);
    const auto h = 1.0f / (inverseQ * c + 1.0f + c * c);
    filter.a1 = (2.0f - 2.0f * c * c) * h;
    filter.a2 = (1.0f - inverseQ * c + c * c) * h;
    filter.b0 = h;
    filter.b1 = 2.0f * h;
    filter.b2 = h;
}

void GadgetN04::reset()
{
    crushCounter = 0;
    crushedL = crushedR = 0.0f;
    holdCounter = 0;
    heldL = heldR = 0.0f;
    filterStateL = {};
    filterStateR = {};
}

template <typename Output>
void GadgetN04::filterBlock (float* left, float* right, int numSamples, Output output) noexcept
{
    // Both channels in one loop: each is a chain of dependent operations,
    // and two chains side by side take hardly longer than one (nor does the
    // per-sample work that follows them).
    const auto section = filter;
    auto stateL = filterStateL;
    auto stateR = filterStateR;

    for (int i = 0; i < numSamples; ++i)
    {
        left[i] = output (section.process (left[i], stateL));
        right[i] = output (section.process (right[i], stateR));
    }

    filterStateL = stateL;
    filterStateR = stateR;

    forms::flushDenormals (filterStateL.s1, filterStateL.s2, filterStateR.s1, filterStateR.s2);
}

float GadgetN04::shape (float x) const noexcept
{
    // A soft clipper that reaches +-1 at +-1 and grows harder with k.
    return (float) ((double) ((shaperK + 1.0f) * x) / ((double) std::abs (x) * (double) shaperK + 1.0));
}

float GadgetN04::reduce (float x) const noexcept
{
    // Dropping the low bits with an arithmetic shift rounds towards minus
    // infinity; multiplying back (not shifting a negative value left) keeps
    // it defined.
    const auto q = (toSixteenBit (x) >> crushBits) * (1 << crushBits);
    return (float) q / fullScale16;
}

void GadgetN04::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    // The slot has already applied this gain; applying it again here makes
    // the input knob drive the reducer and the clipper.
    const float gain = inputGain;
    const bool shaping = amount > 0.0f;

    // With no reduction, shaping or holding (the defaults) each output is its
    // own filtered input clamped, taken in the filter's loop. The hold then
    // keeps the last sample, as it would have after passing every one.
    if (crushBits < 1 && holdLength == 1 && ! shaping)
    {
        filterBlock (left, right, numSamples, [gain] (float x) { return std::clamp (x * gain, -1.0f, 1.0f); });

        if (numSamples > 0)
        {
            heldL = left[numSamples - 1];
            heldR = right[numSamples - 1];
            holdCounter = 0;
        }

        return;
    }

    filterBlock (left, right, numSamples, [] (float x) { return x; });

    for (int i = 0; i < numSamples; ++i)
    {
        auto xL = left[i] * gain;
        auto xR = right[i] * gain;
        float yL, yR;

        if (crushBits >= 1)
        {
            if (crushCounter++ >= crushBits)
            {
                crushCounter = 0;
                crushedL = reduce (xL);
                crushedR = reduce (xR);
            }

            yL = shaping ? shape (shape (crushedL)) : crushedL;
            yR = shaping ? shape (shape (crushedR)) : crushedR;
        }
        else
        {
            xL = std::clamp (xL, -1.0f, 1.0f);
            xR = std::clamp (xR, -1.0f, 1.0f);
            yL = shaping ? shape (xL) : xL;
            yR = shaping ? shape (xR) : xR;
        }

        if (++holdCounter >= holdLength)
        {
            heldL = yL;
            heldR = yR;
            holdCounter = 0;
        }

        left[i] = heldL;
        right[i] = heldR;
    }
}
