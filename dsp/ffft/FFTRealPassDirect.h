#pragma once

#include "FFTRealStages.h"

namespace ffft
{
/** What the fixed-length stages read: the length, the quarter bit-reversal
    table and the twiddles of every stage (stages::levelTwiddles). */
struct FixedTables
{
    long length;
    const long* quarterBitRev;
    const float* twiddles;
    const long* firstBlocks; // for the fused first stages
};

/** Forward stages 1..PASS, unrolled at compile time. Stage PASS writes
    dest; the stages below it alternate, so the first one writes dest when
    PASS is odd and src when it is even. */
template <int PASS>
struct FFTRealPassDirect
{
    static void process (float* dest, float* src, const float* signal, const FixedTables& tables) noexcept
    {
        FFTRealPassDirect<PASS - 1>::process (src, dest, signal, tables);

        stages::forwardPass (dest, src, tables.length, 1L << PASS, stages::levelTwiddles (tables.twiddles, PASS));
    }
};

/** Stages 1..3 (the bit-reversing stage of 4, the stage of 8 and level 3), fused. */
template <>
struct FFTRealPassDirect<3>
{
    static void process (float* dest, float*, const float* signal, const FixedTables& tables) noexcept
    {
        stages::forwardFused (
            dest, signal, tables.length, tables.firstBlocks, stages::levelTwiddles (tables.twiddles, 3));
    }
};
} // namespace ffft
