#pragma once

#include "OscSinCos.h"

/** The butterfly stages shared by the generic and the fixed-length real FFT.

    Decimation in time on real data, after the split-radix layout for real
    sequences (Sorensen et al., "Real-valued fast Fourier transform
    algorithms", 1987): every stage of level p turns blocks of 2c = 2^(p+1)
    values into the half-complex spectra of those blocks, with the real
    parts in the lower half and the negated imaginary parts in the upper
    half. Nothing here is scaled: the inverse stages return N times the
    signal. Each stage reads one array and writes another. */
namespace ffft::stages
{
constexpr float sqrtHalf = 0.70710677f;

/** Twiddles from a cosine table read with a stride: co = cos(i pi / c),
    si = sin(i pi / c) = cos((h - i) pi / c). */
struct TableTwiddles
{
    const float* table;
    long stride;
    long half;

    void startBlock() noexcept {}

    void get (long i, float& co, float& si) const noexcept
    {
        co = table[i * stride];
        si = table[(half - i) * stride];
    }
};

/** The oscillator runs in double: in float, cos (pi / 16384) rounds to 1,
    so the vector would grow and lag over a wide stage (an error of about
    -66 dB at 32768 points); in double it stays at float rounding. */
using Oscillator = OscSinCos<double>;

/** Twiddles from a rotating oscillator whose step is pi / c: restarted for
    every block, stepped once before each coefficient. */
struct OscillatorTwiddles
{
    Oscillator* oscillator;

    void startBlock() noexcept { oscillator->clear_buffers(); }

    void get (long, float& co, float& si) const noexcept
    {
        oscillator->step();
        co = (float) oscillator->get_cos();
        si = (float) oscillator->get_sin();
    }
};

//==============================================================================
inline void forwardButterfly4 (float* d, float x0, float x1, float x2, float x3) noexcept
{
    d[1] = x0 - x1;
    d[3] = x2 - x3;
    const float a = x0 + x1;
    const float b = x2 + x3;
    d[0] = a + b;
    d[2] = a - b;
}

/** First stage, reading the signal in bit-reversed order from a full table. */
inline void forwardPass4 (float* d, const float* x, long length, const long* bitRev) noexcept
{
    for (long i = 0; i < length; i += 4)
        forwardButterfly4 (d + i, x[bitRev[i]], x[bitRev[i + 1]], x[bitRev[i + 2]], x[bitRev[i + 3]]);
}

/** First stage from a quarter table: the four indices of a group differ only
    in their two highest bits. */
inline void forwardPass4Quarter (float* d, const float* x, long length, const long* quarterBitRev) noexcept
{
    const long half = length / 2;
    const long quarter = length / 4;

    for (long i = 0, q = 0; i < length; i += 4, ++q)
    {
        const long r = quarterBitRev[q];
        forwardButterfly4 (d + i, x[r], x[r + half], x[r + quarter], x[r + half + quarter]);
    }
}

inline void forwardPass8 (float* d, const float* s, long length) noexcept
{
    for (long i = 0; i < length; i += 8)
    {
        d[i] = s[i] + s[i + 4];
        d[i + 4] = s[i] - s[i + 4];
        d[i + 2] = s[i + 2];
        d[i + 6] = s[i + 6];

        float v = (s[i + 5] - s[i + 7]) * sqrtHalf;
        d[i + 1] = s[i + 1] + v;
        d[i + 3] = s[i + 1] - v;
        v = (s[i + 5] + s[i + 7]) * sqrtHalf;
        d[i + 5] = v + s[i + 3];
        d[i + 7] = v - s[i + 3];
    }
}

/** Stage with c coefficients per half (c >= 8): combines pairs of spectra
    of c values into spectra of 2c values. */
template <typename Twiddles>
void forwardPass (float* d, const float* s, long length, long c, Twiddles twiddles) noexcept
{
    const long h = c / 2;

    for (long b = 0; b < length; b += 2 * c)
    {
        const float* sb = s + b;
        float* db = d + b;

        db[0] = sb[0] + sb[c];
        db[c] = sb[0] - sb[c];
        db[h] = sb[h];
        db[c + h] = sb[c + h];

        twiddles.startBlock();

        for (long i = 1; i < h; ++i)
        {
            float co, si;
            twiddles.get (i, co, si);

            float v = sb[c + i] * co - sb[c + h + i] * si;
            db[i] = sb[i] + v;
            db[c - i] = sb[i] - v;
            v = sb[c + i] * si + sb[c + h + i] * co;
            db[c + i] = v + sb[h + i];
            db[2 * c - i] = v - sb[h + i];
        }
    }
}

//==============================================================================
/** Undoes forwardPass without halving. */
template <typename Twiddles>
void inversePass (float* d, const float* s, long length, long c, Twiddles twiddles) noexcept
{
    const long h = c / 2;

    for (long b = 0; b < length; b += 2 * c)
    {
        const float* sb = s + b;
        float* db = d + b;

        db[0] = sb[0] + sb[c];
        db[c] = sb[0] - sb[c];
        db[h] = 2.0f * sb[h];
        db[c + h] = 2.0f * sb[c + h];

        twiddles.startBlock();

        for (long i = 1; i < h; ++i)
        {
            float co, si;
            twiddles.get (i, co, si);

            db[i] = sb[i] + sb[c - i];
            db[h + i] = sb[c + i] - sb[2 * c - i];
            const float a = sb[i] - sb[c - i];
            const float e = sb[c + i] + sb[2 * c - i];
            db[c + i] = a * co + e * si;
            db[c + h + i] = e * co - a * si;
        }
    }
}

inline void inversePass8 (float* d, const float* s, long length) noexcept
{
    for (long i = 0; i < length; i += 8)
    {
        d[i] = s[i] + s[i + 4];
        d[i + 4] = s[i] - s[i + 4];
        d[i + 2] = 2.0f * s[i + 2];
        d[i + 6] = 2.0f * s[i + 6];
        d[i + 1] = s[i + 1] + s[i + 3];
        d[i + 3] = s[i + 5] - s[i + 7];

        const float a = s[i + 1] - s[i + 3];
        const float e = s[i + 5] + s[i + 7];
        d[i + 5] = (a + e) * sqrtHalf;
        d[i + 7] = (e - a) * sqrtHalf;
    }
}

inline void inverseButterfly4 (const float* s, float& x0, float& x1, float& x2, float& x3) noexcept
{
    const float sum = s[0] + s[2];
    const float difference = s[0] - s[2];
    x0 = sum + 2.0f * s[1];
    x1 = sum - 2.0f * s[1];
    x2 = difference + 2.0f * s[3];
    x3 = difference - 2.0f * s[3];
}

/** Last inverse stage, writing the signal in natural order through a full table. */
inline void inversePass4 (float* x, const float* s, long length, const long* bitRev) noexcept
{
    for (long i = 0; i < length; i += 4)
        inverseButterfly4 (s + i, x[bitRev[i]], x[bitRev[i + 1]], x[bitRev[i + 2]], x[bitRev[i + 3]]);
}

inline void inversePass4Quarter (float* x, const float* s, long length, const long* quarterBitRev) noexcept
{
    const long half = length / 2;
    const long quarter = length / 4;

    for (long i = 0, q = 0; i < length; i += 4, ++q)
    {
        const long r = quarterBitRev[q];
        inverseButterfly4 (s + i, x[r], x[r + half], x[r + quarter], x[r + half + quarter]);
    }
}

//==============================================================================
/** Transforms of 1, 2 and 4 points, too short for the staged form. */
inline void forwardShort (float* f, const float* x, long length) noexcept
{
    if (length == 1)
    {
        f[0] = x[0];
    }
    else if (length == 2)
    {
        f[0] = x[0] + x[1];
        f[1] = x[0] - x[1];
    }
    else
    {
        f[1] = x[0] - x[2];
        f[3] = x[1] - x[3];
        const float a = x[0] + x[2];
        const float b = x[1] + x[3];
        f[0] = a + b;
        f[2] = a - b;
    }
}

inline void inverseShort (float* x, const float* f, long length) noexcept
{
    if (length == 1)
    {
        x[0] = f[0];
    }
    else if (length == 2)
    {
        x[0] = f[0] + f[1];
        x[1] = f[0] - f[1];
    }
    else
    {
        const float sum = f[0] + f[2];
        const float difference = f[0] - f[2];
        x[0] = sum + 2.0f * f[1];
        x[2] = sum - 2.0f * f[1];
        x[1] = difference + 2.0f * f[3];
        x[3] = difference - 2.0f * f[3];
    }
}

inline void rescale (float* x, long length) noexcept
{
    // 1/N is exact for a power of two, so this is a pure exponent shift.
    const float factor = 1.0f / (float) length;

    for (long i = 0; i < length; ++i)
        x[i] *= factor;
}
} // namespace ffft::stages
