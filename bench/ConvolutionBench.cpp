// The convolver against a direct-form FIR, the same overlap-save method on
// FFTW and JUCE's zero-latency convolution, all with the same 896-tap
// kernel, at 48 kHz.
#include "dsp/Convolution.h"

#include <benchmark/benchmark.h>
#include <juce_dsp/juce_dsp.h>

#if TARVOLIN_BENCH_FFTW
#include <fftw3.h>
#endif

#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace
{
constexpr double benchRate = 48000.0;
constexpr int benchImpulse = 2;
constexpr int taps = Convolution::kernelLength;

std::vector<float> randomBlock (int length)
{
    std::mt19937 generator (1110);
    std::uniform_real_distribution<float> uniform (-0.5f, 0.5f);
    std::vector<float> x ((size_t) length);

    for (auto& v : x)
        v = uniform (generator);

    return x;
}

void waitUntilReady (const Convolution& convolver)
{
    while (! convolver.isReady())
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
}

/** The engine's own kernel, read back as its impulse response. */
std::vector<float> engineKernel()
{
    Convolution convolver;
    convolver.initFFT (benchImpulse, benchRate, taps);
    waitUntilReady (convolver);
    std::vector<float> kernel (taps, 0.0f);
    kernel[0] = 1.0f;
    convolver.processSamples (kernel.data(), taps);
    return kernel;
}

void countSamples (benchmark::State& state, int blockSize)
{
    const auto samples = (double) state.iterations() * blockSize;
    state.counters["ns_per_sample"] =
        benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Convolution (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    Convolution convolver;
    convolver.initFFT (benchImpulse, benchRate, blockSize);
    waitUntilReady (convolver);
    auto block = randomBlock (blockSize);
    const auto input = block;

    for (auto _ : state)
    {
        std::copy (input.begin(), input.end(), block.begin());
        convolver.processSamples (block.data(), blockSize);
        benchmark::DoNotOptimize (block.data());
    }

    countSamples (state, blockSize);
}

/** y[i] = sum over k of h[k] x[i - k], the history kept in front of the block. */
void BM_DirectFir (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    const auto kernel = engineKernel();
    std::vector<float> reversed (kernel.rbegin(), kernel.rend());
    std::vector<float> line ((size_t) (taps - 1 + blockSize), 0.0f);
    auto block = randomBlock (blockSize);
    const auto input = block;

    for (auto _ : state)
    {
        std::copy (input.begin(), input.end(), line.begin() + (taps - 1));

        for (int i = 0; i < blockSize; ++i)
        {
            const float* x = line.data() + i;
            float sum = 0.0f;

            for (int k = 0; k < taps; ++k)
                sum += reversed[(size_t) k] * x[k];

            block[(size_t) i] = sum;
        }

        std::copy (line.end() - (taps - 1), line.end(), line.begin());
        benchmark::DoNotOptimize (block.data());
    }

    countSamples (state, blockSize);
}

void BM_JuceConvolution (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    const auto kernel = engineKernel();
    juce::dsp::Convolution convolution; // zero latency, uniform partitions
    convolution.prepare ({ benchRate, (juce::uint32) blockSize, 1 });

    juce::AudioBuffer<float> impulse (1, taps);
    impulse.copyFrom (0, 0, kernel.data(), taps);
    convolution.loadImpulseResponse (std::move (impulse),
                                     benchRate,
                                     juce::dsp::Convolution::Stereo::no,
                                     juce::dsp::Convolution::Trim::no,
                                     juce::dsp::Convolution::Normalise::no);

    juce::AudioBuffer<float> buffer (1, blockSize);
    const auto input = randomBlock (blockSize);
    juce::dsp::AudioBlock<float> audioBlock (buffer);
    juce::dsp::ProcessContextReplacing<float> context (audioBlock);

    // The new response is swapped in by process() once its loader is done.
    while (convolution.getCurrentIRSize() != taps)
    {
        convolution.process (context);
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    for (auto _ : state)
    {
        buffer.copyFrom (0, 0, input.data(), blockSize);
        convolution.process (context);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    countSamples (state, blockSize);
}

#if TARVOLIN_BENCH_FFTW
/** The same method on FFTW: one overlap-save frame of the same N per block,
    a forward and an inverse real transform (r2c/c2r, FFTW's fastest real
    form) and the spectrum product; the kernel transformed once. */
void BM_FftwOverlapSave (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    const auto n = Convolution::fftSizeFor (blockSize);
    const auto bins = n / 2 + 1;
    const auto kernel = engineKernel();

    auto* frame = fftwf_alloc_real ((size_t) n);
    auto* output = fftwf_alloc_real ((size_t) n);
    auto* spectrum = fftwf_alloc_complex ((size_t) bins);
    auto* kernelSpectrum = fftwf_alloc_complex ((size_t) bins);
    auto* product = fftwf_alloc_complex ((size_t) bins);
    auto forward = fftwf_plan_dft_r2c_1d (n, frame, spectrum, FFTW_MEASURE);
    auto inverse = fftwf_plan_dft_c2r_1d (n, product, output, FFTW_MEASURE);

    std::fill (frame, frame + n, 0.0f);
    std::copy (kernel.begin(), kernel.end(), frame);
    fftwf_execute_dft_r2c (forward, frame, kernelSpectrum);
    std::fill (frame, frame + n, 0.0f);

    auto block = randomBlock (blockSize);
    const auto input = block;
    const float scale = 1.0f / (float) n;
    constexpr int history = taps - 1;

    for (auto _ : state)
    {
        std::copy (input.begin(), input.end(), block.begin());
        std::copy (block.begin(), block.end(), frame + history);
        fftwf_execute (forward);

        for (int k = 0; k < bins; ++k)
        {
            const float a = spectrum[k][0], b = spectrum[k][1];
            const float c = kernelSpectrum[k][0], d = kernelSpectrum[k][1];
            product[k][0] = a * c - b * d;
            product[k][1] = a * d + b * c;
        }

        fftwf_execute (inverse);

        for (int i = 0; i < blockSize; ++i)
            block[(size_t) i] = output[history + i] * scale;

        std::memmove (frame, frame + blockSize, sizeof (float) * (size_t) history);
        benchmark::DoNotOptimize (block.data());
    }

    countSamples (state, blockSize);
    fftwf_destroy_plan (forward);
    fftwf_destroy_plan (inverse);
    fftwf_free (frame);
    fftwf_free (output);
    fftwf_free (spectrum);
    fftwf_free (kernelSpectrum);
    fftwf_free (product);
}

BENCHMARK (BM_FftwOverlapSave)->RangeMultiplier (2)->Range (32, 512);
#endif
} // namespace

BENCHMARK (BM_Convolution)->RangeMultiplier (2)->Range (32, 512);
BENCHMARK (BM_DirectFir)->RangeMultiplier (2)->Range (32, 512);
BENCHMARK (BM_JuceConvolution)->RangeMultiplier (2)->Range (32, 512);
