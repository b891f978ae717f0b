#pragma once

#include "FFTRealPassDirect.h"

namespace ffft
{
/** Inverse stages PASS down to 1, unrolled at compile time. process_internal
    runs one stage; process_rec runs it and hands its result to the stage
    below, swapping the roles of the two arrays. Stage 4 writes the scratch
    array, the fused stages 3 to 1 scatter it into the signal. */
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
        stages::inversePass (dest, src, tables.length, 1L << PASS, stages::levelTwiddles (tables.twiddles, PASS));
    }
};

/** Level 3, the stage of 8 and the bit-reversing stage of 4, fused: reads
    the scratch array and writes the signal. */
template <>
struct FFTRealPassInverse<3>
{
    static void process_rec (float* signal, float* scratch, const FixedTables& tables) noexcept
    {
        stages::inverseFused (
            signal, scratch, tables.length, tables.firstBlocks, stages::levelTwiddles (tables.twiddles, 3));
    }
};
} // namespace ffft
