#pragma once

#include "FFTRealPassInverse.h"

#include <cmath>
#include <vector>

namespace ffft
{
/** Real FFT of 2^LL points with its stage sequence fixed at compile time;
    the same layout and (absent) scaling as FFTReal, so a block may go
    through either. All tables live inside the object. */
template <int LL>
class FFTRealFixLen
{
    static_assert (LL >= 10 && LL <= 13, "the fixed engines serve 1024 to 8192 points");

public:
    static constexpr long length = 1L << LL;

    FFTRealFixLen()
    {
        for (long q = 0; q < length / 4; ++q)
        {
            long reversed = 0;

            for (int bit = 0; bit < LL - 2; ++bit)
                if ((q >> bit) & 1)
                    reversed |= 1L << (LL - 3 - bit);

            bit_rev_table[q] = reversed;
        }

        // The block of 16 whose reversed number is r: r reversed in L - 4 bits.
        for (long g = 0; g < numGroups; ++g)
            first_blocks[g] = bit_rev_table[4 * g] >> 2;

        // One cosine table serves the stages up to 2048 coefficients per
        // half by stride; the 8192-point engine's last stage (4096) rotates
        // an oscillator instead. Both are read once, into the twiddles.
        std::vector<float> cos_table (cosTableLength);

        for (long i = 0; i < cosTableLength; ++i)
            cos_table[(size_t) i] = (float) std::cos ((double) i * M_PI / (double) tableCoefficients);

        stages::Oscillator oscillator;
        oscillator.set_step (M_PI / (double) (length / 2));
        twiddles.assign ((size_t) length - 8, 0.0f);

        for (int level = 3; level < LL; ++level)
        {
            const long c = 1L << level;

            if (c <= tableCoefficients)
                stages::storeTwiddles (
                    twiddles, level, stages::TableTwiddles { cos_table.data(), tableCoefficients / c, c / 2 });
            else
                stages::storeTwiddles (twiddles, level, stages::OscillatorTwiddles { &oscillator });
        }
    }

    long get_length() const noexcept { return length; }

    void forward_fft (float* spectrum, const float* signal) noexcept
    {
        FFTRealPassDirect<LL - 1>::process (spectrum, scratch, signal, tables());
    }

    void inverse_fft (const float* spectrum, float* signal) noexcept
    {
        // The top stage writes the signal when the number of stages before
        // stage 2 is odd, so that stage 2 lands in the scratch array.
        if (((LL - 1) & 1) != 0)
            FFTRealPassInverse<LL - 1>::process (signal, scratch, spectrum, tables());
        else
            FFTRealPassInverse<LL - 1>::process (scratch, signal, spectrum, tables());
    }

    void rescale (float* signal) const noexcept { stages::rescale (signal, length); }

private:
    static constexpr long tableCoefficients = length / 2 < 2048 ? length / 2 : 2048;
    static constexpr long cosTableLength = tableCoefficients / 2;

    static constexpr long numGroups = length / stages::fusedBlockLength / 4;

    FixedTables tables() const noexcept { return { length, bit_rev_table, twiddles.data(), first_blocks }; }

    float scratch[length] {};
    long bit_rev_table[length / 4] {};
    long first_blocks[numGroups] {};
    std::vector<float> twiddles;
};
} // namespace ffft
