// Our real FFT against JUCE's and (when installed) FFTW's: one forward and
// one inverse transform per iteration, as the convolver runs them per block.
#include "dsp/ffft/FFTReal.h"
#include "dsp/ffft/FFTRealFixLen.h"

#include <benchmark/benchmark.h>
#include <juce_dsp/juce_dsp.h>

#if TARVOLIN_BENCH_FFTW
#include <fftw3.h>
#endif

#include <memory>
#include <random>
#include <vector>

namespace
{
std::vector<float> randomSignal (size_t length)
{
    std::mt19937 generator (1109);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::vector<float> x (length);

    for (auto& v : x)
        v = uniform (generator);

    return x;
}

void countTransforms (benchmark::State& state) { state.SetItemsProcessed (state.iterations() * 2); }

template <typename Engine>
void runEngine (benchmark::State& state, Engine& engine, long n)
{
    auto signal = randomSignal ((size_t) n);
    std::vector<float> spectrum ((size_t) n);

    for (auto _ : state)
    {
        engine.forward_fft (spectrum.data(), signal.data());
        engine.inverse_fft (spectrum.data(), signal.data());
        engine.rescale (signal.data());
        benchmark::DoNotOptimize (signal.data());
    }

    countTransforms (state);
}

void BM_FFTRealGeneric (benchmark::State& state)
{
    const auto n = (long) state.range (0);
    ffft::FFTReal<float> engine (n);
    runEngine (state, engine, n);
}

template <int Bits>
void BM_FFTRealFixLen (benchmark::State& state)
{
    auto engine = std::make_unique<ffft::FFTRealFixLen<Bits>>();
    runEngine (state, *engine, 1L << Bits);
}

void BM_JuceFFT (benchmark::State& state)
{
    const auto n = (int) state.range (0);
    juce::dsp::FFT fft (juce::roundToInt (std::log2 (n)));
    // The real-only transforms work in place on 2N floats.
    auto data = randomSignal ((size_t) (2 * n));

    for (auto _ : state)
    {
        fft.performRealOnlyForwardTransform (data.data(), true);
        fft.performRealOnlyInverseTransform (data.data());
        benchmark::DoNotOptimize (data.data());
    }

    countTransforms (state);
}

#if TARVOLIN_BENCH_FFTW
void BM_FftwHalfComplex (benchmark::State& state)
{
    const auto n = (int) state.range (0);
    auto* signal = fftwf_alloc_real ((size_t) n);
    auto* spectrum = fftwf_alloc_real ((size_t) n);
    // FFTW's r2hc is the same half-complex layout, unscaled both ways.
    auto forward = fftwf_plan_r2r_1d (n, signal, spectrum, FFTW_R2HC, FFTW_MEASURE);
    auto inverse = fftwf_plan_r2r_1d (n, spectrum, signal, FFTW_HC2R, FFTW_MEASURE);
    const auto input = randomSignal ((size_t) n);
    std::copy (input.begin(), input.end(), signal);
    const float scale = 1.0f / (float) n;

    for (auto _ : state)
    {
        fftwf_execute (forward);
        fftwf_execute (inverse);

        for (int i = 0; i < n; ++i)
            signal[i] *= scale;

        benchmark::DoNotOptimize (signal);
    }

    countTransforms (state);
    fftwf_destroy_plan (forward);
    fftwf_destroy_plan (inverse);
    fftwf_free (signal);
    fftwf_free (spectrum);
}

BENCHMARK (BM_FftwHalfComplex)->RangeMultiplier (2)->Range (1024, 16384);
#endif
} // namespace

BENCHMARK (BM_FFTRealGeneric)->RangeMultiplier (2)->Range (1024, 16384);
BENCHMARK (BM_FFTRealFixLen<10>);
BENCHMARK (BM_FFTRealFixLen<11>);
BENCHMARK (BM_FFTRealFixLen<12>);
BENCHMARK (BM_FFTRealFixLen<13>);
BENCHMARK (BM_JuceFFT)->RangeMultiplier (2)->Range (1024, 16384);
