#include "Oversampling.h"

// Odd taps of the half-band low-pass at the doubled rate (h[2k+1]); with the
// centre tap they sum to 0.99999994.
const float Oversampling::oddTaps[oddTapCount] = { -0.00049278379f, 0.0051771482f, -0.016844185f, 0.040051341f,
                                                   -0.090523891f,   0.31274536f,   0.31274536f,   -0.090523891f,
                                                   0.040051341f,    -0.016844185f, 0.0051771482f, -0.00049278379f };

Oversampling::Oversampling()
{
    evenTaps[evenTapCount / 2] = centreTap;
    reset();
}

void Oversampling::initOversampling (int n)
{
    const int size = 2 * std::max (0, n);

    if (buffer.size() == size)
        return;

    buffer.clearQuick();
    buffer.insertMultiple (0, 0.0f, size);
}

float Oversampling::oddPhase (const float (&line)[oddTapCount]) noexcept
{
    float sum = 0.0f;

    for (int k = 0; k < oddTapCount; ++k)
        sum += oddTaps[k] * line[k];

    return sum;
}

void Oversampling::pushFront (float (&line)[oddTapCount], float value) noexcept
{
    for (int k = oddTapCount - 1; k > 0; --k)
        line[k] = line[k - 1];

    line[0] = value;
}

void Oversampling::processUp (const float* in, int n)
{
    if (n < 1 || buffer.size() < 2 * n)
        return;

    auto* out = buffer.getRawDataPointer();
    // Zero-stuffing halves the level; the factor 2 gives it back.
    const float centreGain = 2.0f * evenTaps[evenTapCount / 2];

    for (int i = 0; i < n; ++i)
    {
        upRing[upIndex] = in[i];
        upIndex = advanceRing (upIndex);
        out[2 * i] = centreGain * upRing[upIndex];

        pushFront (upLine, in[i]);
        out[2 * i + 1] = 2.0f * oddPhase (upLine);
    }
}

float Oversampling::bufferAt (int position) const noexcept
{
    return position < buffer.size() ? buffer.getUnchecked (position) : 0.0f;
}

void Oversampling::processDown (float* out, int n)
{
    for (int i = 0; i < n; ++i)
    {
        downRing[downIndex] = bufferAt (2 * i);
        downIndex = advanceRing (downIndex);
        out[i] = evenTaps[evenTapCount / 2] * downRing[downIndex] + downAccumulator;

        pushFront (downLine, bufferAt (2 * i + 1));
        downAccumulator = oddPhase (downLine);
    }
}

void Oversampling::reset()
{
    std::fill (buffer.begin(), buffer.end(), 0.0f);
    std::fill (std::begin (upRing), std::end (upRing), 0.0f);
    std::fill (std::begin (upLine), std::end (upLine), 0.0f);
    std::fill (std::begin (downRing), std::end (downRing), 0.0f);
    std::fill (std::begin (downLine), std::end (downLine), 0.0f);
    downAccumulator = 0.0f;
    upIndex = 0;
    downIndex = 0;
}
