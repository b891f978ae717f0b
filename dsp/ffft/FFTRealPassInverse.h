#pragma once

#include "FFTRealPassDirect.h"

namespace ffft
{
/** Inverse stages PASS down to 1, unrolled at compile time. process_internal
    runs one stage; process_rec runs it and hands its result to the stage
    below, swapping the roles of the two arrays. Stage 2 writes the scratch
    array, stage 1 scatters it into the signal. */
template <int PASS>
struct FFTRealPassInverse
{
    static void process (float* dest, float* other, const float* spectrum, const FixedTables& tables) noexcept
    {
        process_internal (dest, spectrum, tables);
        FFTRealPassInverse<PASS - 1>::process_rec (other, dest, tables);
    }

    static void process_rec (float* dest, float* src, const FixedTables& tables) noexcept
    {
        process_internal (dest, src, tables);
        FFTRealPassInverse<PASS - 1>::process_rec (src, dest, tables);
    }

    static void process_internal (float* dest, const float* src, const FixedTables& tables) noexcept
    {
        const long c = 1L << PASS;
        stages::withTwiddles (
            tables, c, [&] (auto twiddles) { stages::inversePass (dest, src, tables.length, c, twiddles); });
    }
};

template <>
struct FFTRealPassInverse<2>
{
    static void process_rec (float* scratch, float* signal, const FixedTables& tables) noexcept
    {
        stages::inversePass8 (scratch, signal, tables.length);
        stages::inversePass4Quarter (signal, scratch, tables.length, tables.quarterBitRev);
    }
};
} // namespace ffft
