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
    void compute_inverse_pass_n_osc (DataType* d, const DataType* s, int level) noexcept;

    stages::TableTwiddles tableTwiddles (int level) const noexcept
    {
        const long half = 1L << (level - 1);
        return { cos_table.data() + half - 4, 1, half };
    }

    long length;
    int bit_count = 0;
    std::vector<long> bit_rev_table;
    std::vector<DataType> cos_table;
    std::vector<DataType> scratch;
    std::vector<stages::Oscillator> oscillators;
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
}

template <typename DataType>
void FFTReal<DataType>::init_trigo_lut()
{
    if (bit_count < 4)
        return;

    // Level p owns 2^(p-1) values cos(i pi / 2^p), starting at 2^(p-1) - 4.
    cos_table.assign (((size_t) 1 << (bit_count - 1)) - 4, DataType (0));

    for (int level = 3; level < bit_count; ++level)
    {
        const long half = 1L << (level - 1);
        const double angleStep = M_PI / (double) (1L << level);

        for (long i = 0; i < half; ++i)
            cos_table[(size_t) (half - 4 + i)] = (DataType) std::cos ((double) i * angleStep);
    }
}

template <typename DataType>
void FFTReal<DataType>::init_trigo_osc()
{
    // One oscillator per level from 13 up (the last one is spare: the widest
    // stage is level L - 1).
    if (bit_count <= widestTableLevel)
        return;

    oscillators.resize ((size_t) (bit_count - widestTableLevel));

    for (size_t j = 0; j < oscillators.size(); ++j)
        oscillators[j].set_step (M_PI / (double) (1L << (widestTableLevel + 1 + (int) j)));
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
    DataType* dest = (bit_count & 1) != 0 ? scratch.data() : spectrum;
    DataType* other = (bit_count & 1) != 0 ? spectrum : scratch.data();

    stages::forwardPass4 (dest, signal, length, bit_rev_table.data());
    std::swap (dest, other);
    stages::forwardPass8 (dest, other, length);

    for (int level = 3; level < bit_count; ++level)
    {
        std::swap (dest, other);
        const long c = 1L << level;

        if (level <= widestTableLevel)
            stages::forwardPass (dest, other, length, c, tableTwiddles (level));
        else
            stages::forwardPass (dest,
                                 other,
                                 length,
                                 c,
                                 stages::OscillatorTwiddles { &oscillators[(size_t) (level - widestTableLevel - 1)] });
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

    for (int level = bit_count - 1; level >= 3; --level)
    {
        DataType* dest = (level & 1) != 0 ? signal : scratch.data();

        if (level <= widestTableLevel)
            stages::inversePass (dest, source, length, 1L << level, tableTwiddles (level));
        else
            compute_inverse_pass_n_osc (dest, source, level);

        source = dest;
    }

    stages::inversePass8 (scratch.data(), source, length);
    stages::inversePass4 (signal, scratch.data(), length, bit_rev_table.data());
}

template <typename DataType>
void FFTReal<DataType>::compute_inverse_pass_n_osc (DataType* d, const DataType* s, int level) noexcept
{
    stages::inversePass (d,
                         s,
                         length,
                         1L << level,
                         stages::OscillatorTwiddles { &oscillators[(size_t) (level - widestTableLevel - 1)] });
}
} // namespace ffft

// The one instantiation the program uses is compiled once, in FFTReal.cpp.
extern template class ffft::FFTReal<float>;
