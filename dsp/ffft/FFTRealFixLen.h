#pragma once

#include "FFTRealPassInverse.h"

#include <cmath>

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

        for (long i = 0; i < cosTableLength; ++i)
            cos_table[i] = (float) std::cos ((double) i * M_PI / (double) tableCoefficients);

        if (tableCoefficients < length / 2)
            oscillators.set_step (M_PI / (double) (length / 2));
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
    // The table serves stages up to 2048 coefficients per half; the 8192-point
    // engine's last stage (4096) rotates the oscillator instead.
    static constexpr long tableCoefficients = length / 2 < 2048 ? length / 2 : 2048;
    static constexpr long cosTableLength = tableCoefficients / 2;

    FixedTables tables() noexcept { return { length, bit_rev_table, cos_table, tableCoefficients, &oscillators }; }

    float scratch[length] {};
    long bit_rev_table[length / 4] {};
    float cos_table[cosTableLength] {};
    stages::Oscillator oscillators;
};
} // namespace ffft
