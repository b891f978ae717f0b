#pragma once

#include "FFTRealStages.h"

namespace ffft
{
/** What the fixed-length stages read: the length, the quarter bit-reversal
    table, the one cosine table (serving stages up to tableCoefficients
    coefficients per half by stride) and the oscillator for wider stages. */
struct FixedTables
{
    long length;
    const long* quarterBitRev;
    const float* cosTable;
    long tableCoefficients;
    stages::Oscillator* oscillator;
};

namespace stages
{
    template <typename Pass>
    void withTwiddles (const FixedTables& tables, long c, Pass&& pass) noexcept
    {
        if (c <= tables.tableCoefficients)
            pass (TableTwiddles { tables.cosTable, tables.tableCoefficients / c, c / 2 });
        else
            pass (OscillatorTwiddles { tables.oscillator });
    }
} // namespace stages

/** Forward stages 1..PASS, unrolled at compile time. Stage PASS writes
    dest; the stages below it alternate, so the first one writes dest when
    PASS is odd and src when it is even. */
template <int PASS>
struct FFTRealPassDirect
{
    static void process (float* dest, float* src, const float* signal, const FixedTables& tables) noexcept
    {
        FFTRealPassDirect<PASS - 1>::process (src, dest, signal, tables);

        const long c = 1L << PASS;
        stages::withTwiddles (
            tables, c, [&] (auto twiddles) { stages::forwardPass (dest, src, tables.length, c, twiddles); });
    }
};

template <>
struct FFTRealPassDirect<2>
{
    static void process (float* dest, float* src, const float* signal, const FixedTables& tables) noexcept
    {
        stages::forwardPass4Quarter (src, signal, tables.length, tables.quarterBitRev);
        stages::forwardPass8 (dest, src, tables.length);
    }
};
} // namespace ffft
