#pragma once

#include "FFTRealStages.h"
#include "OscSinCos.h"

#include <vector>

namespace ffft
{
/** Real FFT of any power-of-two length, tables built by the constructor.

    Spectrum layout ("half-complex"): f[k] = Re X[k] for k = 0..N/2 and
    f[N/2 + k] = -Im X[k] for k = 1..N/2-1. Neither direction is scaled:
    inverse_fft returns N times the signal, and rescale divides by N.
    The scratch array makes one engine serve one thread at a time. */
template <typename DataType>
class FFTReal
{
public:
    explicit FFTReal (long newLength);
    virtual ~FFTReal() = default;

    long get_length() const noexcept { return length; }

    void forward_fft (DataType* spectrum, const DataType* signal) noexcept;
    void inverse_fft (const DataType* spectrum, DataType* signal) noexcept;
    void rescale (DataType* signal) const noexcept { stages::rescale (signal, length); }

private:
    // Stages up to this level read their twiddles from the table; wider ones
    // rotate an oscillator, which keeps the table at 2^11 values.
    static constexpr int widestTableLevel = 12;

    void init_bit_rev_table();
    void init_trigo_lut();
    void init_trigo_osc();

    void compute_fft_general (DataType* spectrum, const DataType* signal) noexcept;
    void compute_ifft_general (const DataType* spectrum, DataType* signal) noexcept;

    stages::LevelTwiddles levelTwiddles (int level) const noexcept
    {
        return stages::levelTwiddles (twiddles.data(), level);
    }

    long length;
    int bit_count = 0;
    std::vector<long> bit_rev_table;
    // For the fused first stages: the block of 16 whose reversed number is 4 g.
    std::vector<long> first_blocks;
    std::vector<DataType> scratch;
    // Every stage's twiddles, taken from the cosine table (levels up to 12)
    // or the oscillators (wider levels) once, at construction.
    std::vector<DataType> twiddles;
};

//==============================================================================
template <typename DataType>
FFTReal<DataType>::FFTReal (long newLength)
    : length (newLength)
{
    for (long rest = length - 1; rest > 0; rest >>= 1)
        ++bit_count;

    scratch.assign ((size_t) length, DataType (0));
    init_bit_rev_table();
    init_trigo_lut();
    init_trigo_osc();
}

template <typename DataType>
void FFTReal<DataType>::init_bit_rev_table()
{
    // A counter that counts in bit-reversed order: add one at the top bit,
    // carrying downwards.
    bit_rev_table.assign ((size_t) length, 0);
    long reversed = 0;

    for (long c = 1; c < length; ++c)
    {
        long bit = length / 2;

        for (;;)
        {
            reversed ^= bit;

            if ((reversed & bit) != 0 || bit <= 1)
                break;

            bit /= 2;
        }

        bit_rev_table[(size_t) c] = reversed;
    }

    if (length >= stages::shortestFusedLength)
        for (long g = 0; g < length / stages::fusedBlockLength / 4; ++g)
            first_blocks.push_back (bit_rev_table[(size_t) (4 * g)] >> 4);
}

template <typename DataType>
void FFTReal<DataType>::init_trigo_lut()
{
    if (bit_count < 4)
        return;

    twiddles.assign ((size_t) length - 8, DataType (0));

    // Level p owns 2^(p-1) values cos(i pi / 2^p), starting at 2^(p-1) - 4.
    std::vector<DataType> cos_table (((size_t) 1 << (bit_count - 1)) - 4, DataType (0));

    for (int level = 3; level < bit_count; ++level)
    {
        const long half = 1L << (level - 1);
        const double angleStep = M_PI / (double) (1L << level);

        for (long i = 0; i < half; ++i)
            cos_table[(size_t) (half - 4 + i)] = (DataType) std::cos ((double) i * angleStep);
    }

    for (int level = 3; level < bit_count && level <= widestTableLevel; ++level)
    {
        const long half = 1L << (level - 1);
        stages::storeTwiddles (twiddles, level, stages::TableTwiddles { cos_table.data() + half - 4, 1, half });
    }
}

template <typename DataType>
void FFTReal<DataType>::init_trigo_osc()
{
    // Levels from 13 up rotate an oscillator of step pi / 2^level, restarted
    // for every block, so every block sees the same values.
    for (int level = widestTableLevel + 1; level < bit_count; ++level)
    {
        stages::Oscillator oscillator;
        oscillator.set_step (M_PI / (double) (1L << level));
        stages::storeTwiddles (twiddles, level, stages::OscillatorTwiddles { &oscillator });
    }
}

//==============================================================================
template <typename DataType>
void FFTReal<DataType>::forward_fft (DataType* spectrum, const DataType* signal) noexcept
{
    if (bit_count < 3)
        stages::forwardShort (spectrum, signal, length);
    else
        compute_fft_general (spectrum, signal);
}

template <typename DataType>
void FFTReal<DataType>::compute_fft_general (DataType* spectrum, const DataType* signal) noexcept
{
    // The stages alternate between the output and the scratch array; the
    // first one is chosen so that the last one lands in the output.
    if (length >= stages::shortestFusedLength)
    {
        // The fused first stages stand for level 3.
        DataType* dest = ((bit_count - 4) & 1) == 0 ? spectrum : scratch.data();
        DataType* other = dest == spectrum ? scratch.data() : spectrum;
        stages::forwardFused (dest, signal, length, first_blocks.data(), levelTwiddles (3));

        for (int level = 4; level < bit_count; ++level)
        {
            std::swap (dest, other);
            stages::forwardPass (dest, other, length, 1L << level, levelTwiddles (level));
        }

        return;
    }

    DataType* dest = (bit_count & 1) != 0 ? scratch.data() : spectrum;
    DataType* other = (bit_count & 1) != 0 ? spectrum : scratch.data();

    stages::forwardPass4 (dest, signal, length, bit_rev_table.data());
    std::swap (dest, other);
    stages::forwardPass8 (dest, other, length);

    for (int level = 3; level < bit_count; ++level)
    {
        std::swap (dest, other);
        const long c = 1L << level;

        stages::forwardPass (dest, other, length, c, levelTwiddles (level));
    }
}

template <typename DataType>
void FFTReal<DataType>::inverse_fft (const DataType* spectrum, DataType* signal) noexcept
{
    if (bit_count < 3)
        stages::inverseShort (signal, spectrum, length);
    else
        compute_ifft_general (spectrum, signal);
}

template <typename DataType>
void FFTReal<DataType>::compute_ifft_general (const DataType* spectrum, DataType* signal) noexcept
{
    // Stage 8 must write the scratch array so that the bit-reversing stage
    // can scatter from it into the signal: level p writes the signal when
    // p is odd, the scratch when p is even.
    const DataType* source = spectrum;
    const bool fused = length >= stages::shortestFusedLength;

    for (int level = bit_count - 1; level >= (fused ? 4 : 3); --level)
    {
        DataType* dest = (level & 1) != 0 ? signal : scratch.data();
        stages::inversePass (dest, source, length, 1L << level, levelTwiddles (level));
        source = dest;
    }

    // Level 4 wrote the scratch array: the fused last stages read it.
    if (fused)
    {
        stages::inverseFused (signal, scratch.data(), length, first_blocks.data(), levelTwiddles (3));
        return;
    }

    stages::inversePass8 (scratch.data(), source, length);
    stages::inversePass4 (signal, scratch.data(), length, bit_rev_table.data());
}

} // namespace ffft

// The one instantiation the program uses is compiled once, in FFTReal.cpp.
extern template class ffft::FFTReal<float>;
