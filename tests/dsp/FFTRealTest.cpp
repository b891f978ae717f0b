#include "dsp/ffft/FFTReal.h"
#include "dsp/ffft/FFTRealFixLen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr int longestLog2 = 15;
constexpr unsigned seed = 20240601;

std::vector<float> randomSignal (long length, unsigned salt)
{
    std::mt19937 generator (seed + salt);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::vector<float> signal ((size_t) length);

    for (auto& x : signal)
        x = uniform (generator);

    return signal;
}

/** Direct DFT in double, stored in the half-complex layout: real parts
    0..N/2, then the negated imaginary parts 1..N/2-1. */
std::vector<double> naiveHalfComplex (const std::vector<float>& x)
{
    const auto n = (long) x.size();
    std::vector<double> cosines ((size_t) n), sines ((size_t) n);

    for (long m = 0; m < n; ++m)
    {
        cosines[(size_t) m] = std::cos (2.0 * M_PI * (double) m / (double) n);
        sines[(size_t) m] = std::sin (2.0 * M_PI * (double) m / (double) n);
    }

    std::vector<double> f ((size_t) n, 0.0);

    for (long k = 0; k <= n / 2; ++k)
    {
        double re = 0.0, im = 0.0;

        for (long t = 0, m = 0; t < n; ++t, m = (m + k) & (n - 1))
        {
            re += x[(size_t) t] * cosines[(size_t) m];
            im -= x[(size_t) t] * sines[(size_t) m];
        }

        f[(size_t) k] = re;

        if (k > 0 && k < n / 2)
            f[(size_t) (n / 2 + k)] = -im;
    }

    return f;
}

/** Largest error relative to the spectrum's RMS. */
template <typename A, typename B>
double relativeError (const std::vector<A>& actual, const std::vector<B>& expected)
{
    double error = 0.0, energy = 0.0;

    for (size_t i = 0; i < expected.size(); ++i)
    {
        error = std::max (error, std::abs ((double) actual[i] - (double) expected[i]));
        energy += (double) expected[i] * (double) expected[i];
    }

    const auto rms = std::sqrt (energy / (double) expected.size());
    return rms > 0.0 ? error / rms : error;
}

// Float rounding grows with the number of stages; this bound is about four
// times what the transforms reach and far below any layout or sign error.
double tolerance (int log2Length) { return 2.5e-7 * (log2Length + 1); }
} // namespace

TEST (FFTReal, MatchesNaiveDftForEveryLength)
{
    for (int bits = 0; bits <= longestLog2; ++bits)
    {
        const long n = 1L << bits;
        const auto signal = randomSignal (n, (unsigned) bits);
        std::vector<float> spectrum ((size_t) n);

        ffft::FFTReal<float> fft (n);
        fft.forward_fft (spectrum.data(), signal.data());

        EXPECT_LT (relativeError (spectrum, naiveHalfComplex (signal)), tolerance (bits))
            << "N = " << n << ", seed " << seed;
    }
}

TEST (FFTReal, ForwardInverseRescaleReturnsTheSignal)
{
    for (int bits = 0; bits <= longestLog2; ++bits)
    {
        const long n = 1L << bits;
        const auto signal = randomSignal (n, 100 + (unsigned) bits);
        const auto untouched = signal;
        std::vector<float> spectrum ((size_t) n), back ((size_t) n);

        ffft::FFTReal<float> fft (n);
        fft.forward_fft (spectrum.data(), signal.data());
        const auto spectrumCopy = spectrum;
        fft.inverse_fft (spectrum.data(), back.data());
        fft.rescale (back.data());

        EXPECT_LT (relativeError (back, signal), tolerance (bits)) << "N = " << n;
        EXPECT_EQ (signal, untouched) << "the input must not be written";
        EXPECT_EQ (spectrum, spectrumCopy) << "the inverse must not write its input";
    }
}

TEST (FFTReal, ImpulseCosineAndSine)
{
    for (int bits = 2; bits <= longestLog2; ++bits)
    {
        const long n = 1L << bits;
        const long half = n / 2;
        ffft::FFTReal<float> fft (n);
        std::vector<float> x ((size_t) n, 0.0f), f ((size_t) n);
        const double exact = 1.0e-6 * (double) n;

        x[0] = 1.0f;
        fft.forward_fft (f.data(), x.data());

        for (long k = 0; k < n; ++k)
            ASSERT_NEAR (f[(size_t) k], k <= half ? 1.0f : 0.0f, 1.0e-6) << "impulse, N = " << n << ", k = " << k;

        for (long t = 0; t < n; ++t)
            x[(size_t) t] = (float) std::cos (2.0 * M_PI * (double) t / (double) n);

        fft.forward_fft (f.data(), x.data());

        for (long k = 0; k < n; ++k)
            ASSERT_NEAR (f[(size_t) k], k == 1 ? (double) half : 0.0, exact) << "cosine, N = " << n << ", k = " << k;

        for (long t = 0; t < n; ++t)
            x[(size_t) t] = (float) std::sin (2.0 * M_PI * (double) t / (double) n);

        fft.forward_fft (f.data(), x.data());

        // Im X[1] = -N/2, stored negated.
        for (long k = 0; k < n; ++k)
            ASSERT_NEAR (f[(size_t) k], k == half + 1 ? (double) half : 0.0, exact)
                << "sine, N = " << n << ", k = " << k;
    }
}

namespace
{
template <int Bits>
void expectFixedMatchesGeneric()
{
    const long n = 1L << Bits;
    const auto signal = randomSignal (n, 200 + Bits);
    std::vector<float> generic ((size_t) n), fixed ((size_t) n), back ((size_t) n);

    ffft::FFTReal<float> genericEngine (n);
    auto fixedEngine = std::make_unique<ffft::FFTRealFixLen<Bits>>();
    ASSERT_EQ (fixedEngine->get_length(), n);

    genericEngine.forward_fft (generic.data(), signal.data());
    fixedEngine->forward_fft (fixed.data(), signal.data());
    EXPECT_LT (relativeError (fixed, generic), tolerance (Bits)) << "forward, N = " << n;
    EXPECT_LT (relativeError (fixed, naiveHalfComplex (signal)), tolerance (Bits))
        << "forward against the DFT, N = " << n;

    fixedEngine->inverse_fft (fixed.data(), back.data());
    fixedEngine->rescale (back.data());
    EXPECT_LT (relativeError (back, signal), tolerance (Bits)) << "round trip, N = " << n;
}
} // namespace

TEST (FFTRealFixLen, AgreesWithTheGenericEngine)
{
    expectFixedMatchesGeneric<10>();
    expectFixedMatchesGeneric<11>();
    expectFixedMatchesGeneric<12>();
    expectFixedMatchesGeneric<13>();
}
