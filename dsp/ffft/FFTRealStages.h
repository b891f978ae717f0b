#pragma once

#include "FloatQuad.h"
#include "OscSinCos.h"

#include <algorithm>
#include <vector>

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

/** The twiddles of one stage laid out for the butterflies: co[i] and si[i]
    for i = 1 .. h-1, copied from a table or an oscillator once, so a stage
    reads them four at a time. */
struct LevelTwiddles
{
    const float* co;
    const float* si;
};

/** Twiddle storage for every stage of a transform of 2^bits points: the
    stage with h = 2^(p-1) coefficients keeps co at 2 (h - 4) and si h
    values later; levels 3 .. bits-1 take N - 8 floats in all. */
inline long twiddleOffset (int level) noexcept { return 2 * ((1L << (level - 1)) - 4); }

inline LevelTwiddles levelTwiddles (const float* storage, int level) noexcept
{
    const float* co = storage + twiddleOffset (level);
    return { co, co + (1L << (level - 1)) };
}

/** Copies the values a stage of level p would take from source into storage. */
template <typename Twiddles>
void storeTwiddles (std::vector<float>& storage, int level, Twiddles source) noexcept
{
    const long h = 1L << (level - 1);
    float* co = storage.data() + twiddleOffset (level);
    float* si = co + h;
    co[0] = 1.0f;
    si[0] = 0.0f;
    source.startBlock();

    for (long i = 1; i < h; ++i)
        source.get (i, co[i], si[i]);
}

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

/** Butterflies i = first .. last-1 of one block of a forward stage. */
inline void forwardButterflies (float* db, const float* sb, long c, LevelTwiddles tw, long first, long last) noexcept
{
    const long h = c / 2;

    for (long i = first; i < last; ++i)
    {
        const float co = tw.co[i];
        const float si = tw.si[i];

        float v = sb[c + i] * co - sb[c + h + i] * si;
        db[i] = sb[i] + v;
        db[c - i] = sb[i] - v;
        v = sb[c + i] * si + sb[c + h + i] * co;
        db[c + i] = v + sb[h + i];
        db[2 * c - i] = v - sb[h + i];
    }
}

/** Butterfly quads of one block of a forward stage, starting at i. */
inline void forwardButterflyQuad (float* db, const float* sb, long c, LevelTwiddles tw, long i) noexcept
{
    const long h = c / 2;
    const auto co = FloatQuad::load (tw.co + i);
    const auto si = FloatQuad::load (tw.si + i);
    const auto upper = FloatQuad::load (sb + c + i);
    const auto upperHalf = FloatQuad::load (sb + c + h + i);
    const auto lower = FloatQuad::load (sb + i);
    const auto lowerHalf = FloatQuad::load (sb + h + i);

    auto v = upper * co - upperHalf * si;
    (lower + v).store (db + i);
    (lower - v).storeReversed (db + c - i);
    v = upper * si + upperHalf * co;
    (v + lowerHalf).store (db + c + i);
    (v - lowerHalf).storeReversed (db + 2 * c - i);
}

/** Stage with c coefficients per half (c >= 8): combines pairs of spectra
    of c values into spectra of 2c values. inQuads = false runs every
    butterfly value by value (the same results, kept as the reference).

    In quads, butterflies 1 .. h-1: their number is never a multiple of 4
    (h is a power of two), so the last quad overlaps the one before it and
    writes the same values again, which is harmless, as a stage never reads
    what it writes. */
template <bool inQuads = true>
void forwardPass (float* d, const float* s, long length, long c, LevelTwiddles tw) noexcept
{
    const long h = c / 2;
    const bool quads = inQuads && h >= 8;

    for (long b = 0; b < length; b += 2 * c)
    {
        const float* sb = s + b;
        float* db = d + b;

        db[0] = sb[0] + sb[c];
        db[c] = sb[0] - sb[c];
        db[h] = sb[h];
        db[c + h] = sb[c + h];

        if (quads)
        {
            for (long i = 1; i < h - 4; i += 4)
                forwardButterflyQuad (db, sb, c, tw, i);

            forwardButterflyQuad (db, sb, c, tw, h - 4);
        }
        else
        {
            forwardButterflies (db, sb, c, tw, 1, h);
        }
    }
}

//==============================================================================
/** Butterflies i = first .. last-1 of one block of an inverse stage. */
inline void inverseButterflies (float* db, const float* sb, long c, LevelTwiddles tw, long first, long last) noexcept
{
    const long h = c / 2;

    for (long i = first; i < last; ++i)
    {
        const float co = tw.co[i];
        const float si = tw.si[i];

        db[i] = sb[i] + sb[c - i];
        db[h + i] = sb[c + i] - sb[2 * c - i];
        const float a = sb[i] - sb[c - i];
        const float e = sb[c + i] + sb[2 * c - i];
        db[c + i] = a * co + e * si;
        db[c + h + i] = e * co - a * si;
    }
}

/** Butterfly quads of one block of an inverse stage, starting at i. */
inline void inverseButterflyQuad (float* db, const float* sb, long c, LevelTwiddles tw, long i) noexcept
{
    const long h = c / 2;
    const auto co = FloatQuad::load (tw.co + i);
    const auto si = FloatQuad::load (tw.si + i);
    const auto lower = FloatQuad::load (sb + i);
    const auto mirrored = FloatQuad::loadReversed (sb + c - i);
    const auto upper = FloatQuad::load (sb + c + i);
    const auto upperMirrored = FloatQuad::loadReversed (sb + 2 * c - i);

    (lower + mirrored).store (db + i);
    (upper - upperMirrored).store (db + h + i);
    const auto a = lower - mirrored;
    const auto e = upper + upperMirrored;
    (a * co + e * si).store (db + c + i);
    (e * co - a * si).store (db + c + h + i);
}

/** Undoes forwardPass without halving; inQuads as there. */
template <bool inQuads = true>
void inversePass (float* d, const float* s, long length, long c, LevelTwiddles tw) noexcept
{
    const long h = c / 2;
    const bool quads = inQuads && h >= 8;

    for (long b = 0; b < length; b += 2 * c)
    {
        const float* sb = s + b;
        float* db = d + b;

        db[0] = sb[0] + sb[c];
        db[c] = sb[0] - sb[c];
        db[h] = 2.0f * sb[h];
        db[c + h] = 2.0f * sb[c + h];

        if (quads)
        {
            for (long i = 1; i < h - 4; i += 4)
                inverseButterflyQuad (db, sb, c, tw, i);

            inverseButterflyQuad (db, sb, c, tw, h - 4);
        }
        else
        {
            inverseButterflies (db, sb, c, tw, 1, h);
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

//==============================================================================
/* The three narrowest stages (the bit-reversing stage of 4, the stage of 8
   and level 3) work on blocks of 16 values, with only three butterflies of
   level 3 per block: too narrow for quads along a block. They run fused
   instead, on four blocks at once, one block per lane. The four blocks are
   chosen so that their inputs lie side by side: block B reads its value m
   from rev4(m) N/16 + rev(B), so blocks whose reversed numbers are R .. R+3
   read four neighbouring values. Each lane does exactly the scalar stages'
   arithmetic; a 4 x 4 transpose puts every block's values back in line. */

constexpr long fusedBlockLength = 16;
// Transforms from this length on have the four blocks per group that the fused stages need.
constexpr long shortestFusedLength = 4 * 4 * fusedBlockLength;

/** Block numbers for the fused stages: entry q is the block whose reversed
    number is 4q; the other three lanes add laneBlockOffset. */
inline long laneBlockOffset (long numBlocks, int lane) noexcept
{
    return ((lane & 1) != 0 ? numBlocks / 2 : 0) + ((lane & 2) != 0 ? numBlocks / 4 : 0);
}

/** Value m of a block of 16 comes from input rev4(m) N/16 (plus the block's reversed number). */
constexpr int reversed4[fusedBlockLength] = { 0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15 };

struct LevelThreeTwiddles
{
    FloatQuad co[4], si[4];

    explicit LevelThreeTwiddles (LevelTwiddles tw) noexcept
    {
        for (int i = 1; i < 4; ++i)
        {
            co[i] = FloatQuad::broadcast (tw.co[i]);
            si[i] = FloatQuad::broadcast (tw.si[i]);
        }
    }
};

/** forwardPass4 (or its quarter form), forwardPass8 and forwardPass of
    level 3, on four blocks of 16 in lanes. */
inline void forwardFirstStages (FloatQuad (&q)[fusedBlockLength], const LevelThreeTwiddles& tw) noexcept
{
    const auto half = FloatQuad::broadcast (sqrtHalf);
    FloatQuad p[fusedBlockLength];

    for (int i = 0; i < 16; i += 4)
    {
        p[i + 1] = q[i] - q[i + 1];
        p[i + 3] = q[i + 2] - q[i + 3];
        const auto a = q[i] + q[i + 1];
        const auto b = q[i + 2] + q[i + 3];
        p[i] = a + b;
        p[i + 2] = a - b;
    }

    for (int i = 0; i < 16; i += 8)
    {
        q[i] = p[i] + p[i + 4];
        q[i + 4] = p[i] - p[i + 4];
        q[i + 2] = p[i + 2];
        q[i + 6] = p[i + 6];

        auto v = (p[i + 5] - p[i + 7]) * half;
        q[i + 1] = p[i + 1] + v;
        q[i + 3] = p[i + 1] - v;
        v = (p[i + 5] + p[i + 7]) * half;
        q[i + 5] = v + p[i + 3];
        q[i + 7] = v - p[i + 3];
    }

    p[0] = q[0] + q[8];
    p[8] = q[0] - q[8];
    p[4] = q[4];
    p[12] = q[12];

    for (int i = 1; i < 4; ++i)
    {
        auto v = q[8 + i] * tw.co[i] - q[12 + i] * tw.si[i];
        p[i] = q[i] + v;
        p[8 - i] = q[i] - v;
        v = q[8 + i] * tw.si[i] + q[12 + i] * tw.co[i];
        p[8 + i] = v + q[4 + i];
        p[16 - i] = v - q[4 + i];
    }

    std::copy (std::begin (p), std::end (p), std::begin (q));
}

/** inversePass of level 3, inversePass8 and inversePass4, on four blocks of 16 in lanes. */
inline void inverseLastStages (FloatQuad (&q)[fusedBlockLength], const LevelThreeTwiddles& tw) noexcept
{
    const auto half = FloatQuad::broadcast (sqrtHalf);
    const auto two = FloatQuad::broadcast (2.0f);
    FloatQuad p[fusedBlockLength];

    p[0] = q[0] + q[8];
    p[8] = q[0] - q[8];
    p[4] = two * q[4];
    p[12] = two * q[12];

    for (int i = 1; i < 4; ++i)
    {
        p[i] = q[i] + q[8 - i];
        p[4 + i] = q[8 + i] - q[16 - i];
        const auto a = q[i] - q[8 - i];
        const auto e = q[8 + i] + q[16 - i];
        p[8 + i] = a * tw.co[i] + e * tw.si[i];
        p[12 + i] = e * tw.co[i] - a * tw.si[i];
    }

    for (int i = 0; i < 16; i += 8)
    {
        q[i] = p[i] + p[i + 4];
        q[i + 4] = p[i] - p[i + 4];
        q[i + 2] = two * p[i + 2];
        q[i + 6] = two * p[i + 6];
        q[i + 1] = p[i + 1] + p[i + 3];
        q[i + 3] = p[i + 5] - p[i + 7];

        const auto a = p[i + 1] - p[i + 3];
        const auto e = p[i + 5] + p[i + 7];
        q[i + 5] = (a + e) * half;
        q[i + 7] = (e - a) * half;
    }

    for (int i = 0; i < 16; i += 4)
    {
        const auto sum = q[i] + q[i + 2];
        const auto difference = q[i] - q[i + 2];
        p[i] = sum + two * q[i + 1];
        p[i + 1] = sum - two * q[i + 1];
        p[i + 2] = difference + two * q[i + 3];
        p[i + 3] = difference - two * q[i + 3];
    }

    std::copy (std::begin (p), std::end (p), std::begin (q));
}

/** The first three forward stages of a transform of length >= 64: reads the
    signal x, writes the level-3 spectra of 16 values into d. firstBlocks[g]
    is the block whose reversed number is 4 g. */
inline void forwardFused (float* d, const float* x, long length, const long* firstBlocks, LevelTwiddles level3) noexcept
{
    const long numBlocks = length / fusedBlockLength;
    const LevelThreeTwiddles tw (level3);

    for (long reversedBlock = 0; reversedBlock < numBlocks; reversedBlock += 4)
    {
        FloatQuad q[fusedBlockLength];

        for (int m = 0; m < 16; ++m)
            q[m] = FloatQuad::load (x + reversed4[m] * numBlocks + reversedBlock);

        forwardFirstStages (q, tw);
        const long firstBlock = firstBlocks[reversedBlock / 4];

        for (int j = 0; j < 16; j += 4)
        {
            FloatQuad::transpose (q[j], q[j + 1], q[j + 2], q[j + 3]);

            for (int lane = 0; lane < 4; ++lane)
                q[j + lane].store (d + (firstBlock + laneBlockOffset (numBlocks, lane)) * fusedBlockLength + j);
        }
    }
}

/** The last three inverse stages: reads the level-3 spectra in s, writes the signal x. */
inline void inverseFused (float* x, const float* s, long length, const long* firstBlocks, LevelTwiddles level3) noexcept
{
    const long numBlocks = length / fusedBlockLength;
    const LevelThreeTwiddles tw (level3);

    for (long reversedBlock = 0; reversedBlock < numBlocks; reversedBlock += 4)
    {
        FloatQuad q[fusedBlockLength];
        const long firstBlock = firstBlocks[reversedBlock / 4];

        for (int j = 0; j < 16; j += 4)
        {
            for (int lane = 0; lane < 4; ++lane)
                q[j + lane] =
                    FloatQuad::load (s + (firstBlock + laneBlockOffset (numBlocks, lane)) * fusedBlockLength + j);

            FloatQuad::transpose (q[j], q[j + 1], q[j + 2], q[j + 3]);
        }

        inverseLastStages (q, tw);

        for (int m = 0; m < 16; ++m)
            q[m].store (x + reversed4[m] * numBlocks + reversedBlock);
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
