#include "dsp/Convolution.h"
#include "dsp/ImpulseLoader.h"
#include "support/PollUntil.h"

#include <Sounds.h>
#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <libresample.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace
{
constexpr int kernelLength = Convolution::kernelLength;
constexpr unsigned seed = 896;

bool waitUntilReady (const Convolution& convolver)
{
    return pollUntil ([&] { return convolver.isReady(); });
}

/** The convolver's response to a unit impulse: its kernel, plus whatever
    follows it (which must be silence). Leaves the history cleared. */
std::vector<float> measureKernel (Convolution& convolver, int length = 2 * kernelLength)
{
    convolver.reset();
    std::vector<float> response ((size_t) length, 0.0f);
    response[0] = 1.0f;
    const int piece = convolver.getFftSize() - Convolution::historyLength;

    for (int start = 0; start < length; start += piece)
        convolver.processSamples (response.data() + start, std::min (piece, length - start));

    convolver.reset();
    return response;
}

double sumOfSquares (const std::vector<float>& x, size_t from, size_t to)
{
    double sum = 0.0;

    for (size_t i = from; i < to; ++i)
        sum += (double) x[i] * x[i];

    return sum;
}

std::vector<float> noise (size_t length, unsigned salt)
{
    std::mt19937 generator (seed + salt);
    std::uniform_real_distribution<float> uniform (-1.0f, 1.0f);
    std::vector<float> x (length);

    for (auto& v : x)
        v = uniform (generator);

    return x;
}

/** The exact linear convolution, sample by sample, in double. */
std::vector<float> directFir (const std::vector<float>& kernel, const std::vector<float>& input)
{
    std::vector<float> output (input.size());

    for (size_t i = 0; i < input.size(); ++i)
    {
        double sum = 0.0;

        for (size_t k = 0; k < (size_t) kernelLength && k <= i; ++k)
            sum += (double) kernel[k] * input[i - k];

        output[i] = (float) sum;
    }

    return output;
}

double largestDifference (const std::vector<float>& a, const std::vector<float>& b)
{
    double largest = 0.0;

    for (size_t i = 0; i < a.size(); ++i)
        largest = std::max (largest, (double) std::abs (a[i] - b[i]));

    return largest;
}

/** Feeds the input through in blocks of random length 0..longest. */
std::vector<float> convolveInBlocks (Convolution& convolver, std::vector<float> signal, int longest, unsigned salt)
{
    std::mt19937 generator (seed + salt);
    std::uniform_int_distribution<int> blockLength (0, longest);

    for (size_t start = 0; start < signal.size();)
    {
        // Now and then the extremes: empty and full blocks.
        const int draw = blockLength (generator);
        const int length = draw % 17 == 0 ? 0 : (draw % 13 == 0 ? longest : draw);
        const auto n = (int) std::min ((size_t) length, signal.size() - start);
        convolver.processSamples (signal.data() + start, n);
        start += (size_t) n;
    }

    return signal;
}

// The FFT's float rounding on a full-scale input; errors in the overlap,
// the history or the product are orders of magnitude larger.
constexpr double firTolerance = 2.0e-5;
} // namespace

TEST (Convolution, TransformSizeFollowsTheLargestBlock)
{
    const std::pair<int, int> table[] = { { -5, 1024 },   { 0, 1024 },    { 129, 1024 },  { 130, 2048 },
                                          { 1153, 2048 }, { 1154, 4096 }, { 3201, 4096 }, { 3202, 8192 },
                                          { 7297, 8192 }, { 7298, 16384 } };

    for (const auto& [block, size] : table)
        EXPECT_EQ (Convolution::fftSizeFor (block), size) << "block " << block;
}

TEST (Convolution, PassesAudioThroughBeforeTheFirstLoad)
{
    Convolution convolver;
    auto block = noise (256, 1);
    const auto input = block;
    convolver.processSamples (block.data(), (int) block.size());
    EXPECT_EQ (block, input);

    convolver.reset();
    convolver.processSamples (block.data(), (int) block.size());
    EXPECT_EQ (block, input);
}

TEST (Convolution, PassesAudioThroughWhileLoading)
{
    Convolution convolver;
    convolver.initFFT (2, 96000.0, 256);

    // A block that saw the convolver unready before and after ran entirely
    // while it was unready (only a new request lowers the flag).
    for (int i = 0; i < 200 && ! convolver.isReady(); ++i)
    {
        auto block = noise (256, 2);
        const auto input = block;
        const bool readyBefore = convolver.isReady();
        convolver.processSamples (block.data(), (int) block.size());

        if (! readyBefore && ! convolver.isReady())
            ASSERT_EQ (block, input);
    }

    ASSERT_TRUE (waitUntilReady (convolver));
}

TEST (Convolution, KernelIsTheStartOfTheResponseAtTheReferenceRate)
{
    // Read the first 896 frames independently, as floats, and scale them to
    // a sum of squares of 0.25: that must be the impulse response.
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader (format.createReaderFor (
        new juce::MemoryInputStream (Sounds::fx_metal_pipe_wav, (size_t) Sounds::fx_metal_pipe_wavSize, false), true));
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->sampleRate, 44092.0) << "the file's own rate, which the engine ignores";

    juce::AudioBuffer<float> frames (1, kernelLength);
    reader->read (&frames, 0, kernelLength, 0, true, false);
    double energy = 0.0;

    for (int i = 0; i < kernelLength; ++i)
        energy += (double) frames.getSample (0, i) * frames.getSample (0, i);

    Convolution convolver;
    convolver.initFFT (2, 44100.0, 512);
    ASSERT_TRUE (waitUntilReady (convolver));
    const auto response = measureKernel (convolver);

    for (int i = 0; i < kernelLength; ++i)
        ASSERT_NEAR (response[(size_t) i], frames.getSample (0, i) * 0.5 / std::sqrt (energy), 2.0e-6) << "tap " << i;

    EXPECT_NEAR (sumOfSquares (response, 0, kernelLength), 0.25, 1.0e-5);
    EXPECT_NEAR (sumOfSquares (response, kernelLength, response.size()), 0.0, 1.0e-10) << "nothing after the kernel";
}

TEST (Convolution, EveryKernelHasAQuarterOfEnergyAtEveryRate)
{
    for (const double rate : { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 })
    {
        for (int impulse = 0; impulse < Convolution::numImpulses; ++impulse)
        {
            Convolution convolver;
            convolver.initFFT (impulse, rate, 128);
            ASSERT_TRUE (waitUntilReady (convolver));
            EXPECT_EQ (convolver.getLoadedImpulse(), impulse);
            const auto response = measureKernel (convolver);

            // No latency of its own: as read, the kernel starts at once. (The
            // 2x interpolator's taps put its own 12-sample centre into it.)
            if (rate <= Convolution::referenceRate)
                EXPECT_NE (response[0], 0.0f) << rate << " Hz, impulse " << impulse;
            EXPECT_NEAR (sumOfSquares (response, 0, kernelLength), 0.25, 1.0e-5) << rate << " Hz, impulse " << impulse;
            EXPECT_NEAR (sumOfSquares (response, kernelLength, response.size()), 0.0, 1.0e-10)
                << rate << " Hz, impulse " << impulse;
        }
    }
}

TEST (Convolution, KernelAboveTheReferenceRateIsTheConvertedStartOfTheResponse)
{
    // The start of the response taken as 44.1 kHz, 896 x 44100 / rate frames
    // of it converted to 896 taps and scaled to a sum of squares of 0.25:
    // at 88.2 kHz through the 25-tap half-band filter (zero-stuffed, times
    // 2), at 48 kHz through a fresh libresample converter.
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader (format.createReaderFor (
        new juce::MemoryInputStream (Sounds::fx_metal_pole_wav, (size_t) Sounds::fx_metal_pole_wavSize, false), true));
    ASSERT_NE (reader, nullptr);
    juce::AudioBuffer<float> frames (1, kernelLength);
    reader->read (&frames, 0, kernelLength, 0, true, false);
    const float* start = frames.getReadPointer (0);

    auto unitEnergy = [] (std::vector<double> taps) {
        double energy = 0.0;

        for (auto v : taps)
            energy += v * v;

        for (auto& v : taps)
            v *= 0.5 / std::sqrt (energy);

        return taps;
    };

    const double oddTaps[] = { -0.00049278379, 0.0051771482, -0.016844185, 0.040051341,  -0.090523891, 0.31274536,
                               0.31274536,     -0.090523891, 0.040051341,  -0.016844185, 0.0051771482, -0.00049278379 };
    double halfBand[25] {};
    halfBand[12] = 0.49977398;

    for (int k = 0; k < 12; ++k)
        halfBand[2 * k + 1] = oddTaps[k];

    std::vector<double> doubled (kernelLength, 0.0);

    for (int j = 0; j < kernelLength; ++j)
        for (int t = 0; t <= std::min (j, 24); ++t)
            if ((j - t) % 2 == 0)
                doubled[(size_t) j] += 2.0 * halfBand[t] * start[(j - t) / 2];

    std::vector<float> converted (kernelLength, 0.0f);
    {
        const double ratio = 48000.0 / 44100.0;
        std::vector<float> in (start, start + 823);
        void* handle = resample_open (1, ratio, ratio);
        int used = 0;
        resample_process (handle, ratio, in.data(), 823, 1, &used, converted.data(), kernelLength);
        resample_close (handle);
    }

    const std::pair<double, std::vector<double>> cases[] = {
        { 88200.0, unitEnergy (doubled) },
        { 48000.0, unitEnergy (std::vector<double> (converted.begin(), converted.end())) },
    };

    for (const auto& [rate, expected] : cases)
    {
        Convolution convolver;
        convolver.initFFT (3, rate, 128);
        ASSERT_TRUE (waitUntilReady (convolver));
        const auto response = measureKernel (convolver);

        for (int i = 0; i < kernelLength; ++i)
            ASSERT_NEAR (response[(size_t) i], expected[(size_t) i], 2.0e-6) << rate << " Hz, tap " << i;
    }
}

TEST (Convolution, AnIndexOutOfRangeLoadsTheSpeaker)
{
    Convolution speaker, outOfRange;
    speaker.initFFT (0, 48000.0, 64);
    outOfRange.initFFT (9, 48000.0, 64);
    ASSERT_TRUE (waitUntilReady (speaker));
    ASSERT_TRUE (waitUntilReady (outOfRange));
    EXPECT_EQ (outOfRange.getLoadedImpulse(), 0);
    EXPECT_EQ (measureKernel (outOfRange), measureKernel (speaker));
}

TEST (Convolution, SpectrumProductInQuadsIsTheComplexProductOfEveryBin)
{
    for (const int n : { 16, 32, 1024, 4096 })
    {
        const auto x = noise ((size_t) n, 11), k = noise ((size_t) n, 12);
        std::vector<float> product ((size_t) n);
        Convolution::multiplySpectra (product.data(), x.data(), k.data(), n);

        const int h = n / 2;
        EXPECT_EQ (product[0], x[0] * k[0]);
        EXPECT_EQ (product[(size_t) h], x[(size_t) h] * k[(size_t) h]);

        for (int i = 1; i < h; ++i)
        {
            const auto re = (size_t) i, im = (size_t) (h + i);
            ASSERT_EQ (product[re], x[re] * k[re] - x[im] * k[im]) << "bin " << i << ", N = " << n;
            ASSERT_EQ (product[im], x[im] * k[re] + x[re] * k[im]) << "bin " << i << ", N = " << n;
        }
    }
}

TEST (Convolution, EqualsADirectFirOverBlocksOfVaryingLength)
{
    struct Case
    {
        double rate;
        int maxBlock;
        int longestBlock;
        int impulse;
    };

    // The last two feed blocks longer than the frame holds, which the
    // convolver must split; the last one runs the generic engine.
    const Case cases[] = {
        { 44100.0, 512, 512, 1 },   { 48000.0, 256, 256, 2 }, { 88200.0, 1024, 1024, 6 },
        { 96000.0, 3000, 3000, 8 }, { 44100.0, 129, 700, 7 }, { 96000.0, 8000, 20000, 5 },
    };

    for (const auto& c : cases)
    {
        Convolution convolver;
        convolver.initFFT (c.impulse, c.rate, c.maxBlock);
        ASSERT_TRUE (waitUntilReady (convolver));
        const auto kernel = measureKernel (convolver);

        const auto input = noise ((size_t) std::max (20000, 6 * c.longestBlock), (unsigned) c.maxBlock);
        const auto output = convolveInBlocks (convolver, input, c.longestBlock, (unsigned) c.impulse);

        EXPECT_LT (largestDifference (output, directFir (kernel, input)), firTolerance)
            << c.rate << " Hz, largest block " << c.maxBlock << ", fed up to " << c.longestBlock;
    }
}

TEST (Convolution, FastPathKeepsTheHistory)
{
    Convolution convolver;
    convolver.initFFT (3, 48000.0, 256);
    ASSERT_TRUE (waitUntilReady (convolver));
    const auto kernel = measureKernel (convolver);
    const int size = convolver.getFftSize();

    const auto input = noise (6000, 3);
    const std::vector<float> first (input.begin(), input.begin() + 3001);
    const std::vector<float> second (input.begin() + 3001, input.end());

    auto output = convolveInBlocks (convolver, first, 256, 4);
    convolver.initFFT (3, 48000.0, 256);
    ASSERT_TRUE (waitUntilReady (convolver));
    EXPECT_EQ (convolver.getFftSize(), size);

    const auto rest = convolveInBlocks (convolver, second, 256, 5);
    output.insert (output.end(), rest.begin(), rest.end());

    EXPECT_LT (largestDifference (output, directFir (kernel, input)), firTolerance);
}

TEST (Convolution, PreparingAtANewRateWithTheSameBlockLoadsThatRatesKernel)
{
    // A session moved from 44.1 to 96 kHz: the transform size stays, the kernel must not.
    Convolution moved, fresh;
    moved.initFFT (3, 44100.0, 256);
    fresh.initFFT (3, 96000.0, 256);
    ASSERT_TRUE (waitUntilReady (moved));

    moved.initFFT (3, 96000.0, 256);
    ASSERT_TRUE (waitUntilReady (moved) && waitUntilReady (fresh));
    EXPECT_EQ (measureKernel (moved), measureKernel (fresh));
}

TEST (Convolution, ResetClearsTheHistory)
{
    Convolution convolver;
    convolver.initFFT (4, 44100.0, 256);
    ASSERT_TRUE (waitUntilReady (convolver));
    const auto kernel = measureKernel (convolver);

    std::vector<float> unitImpulse (kernelLength, 0.0f);
    unitImpulse[0] = 1.0f;
    const std::vector<float> expected (kernel.begin(), kernel.begin() + kernelLength);

    convolveInBlocks (convolver, noise (2000, 6), 256, 6);
    convolver.reset();
    EXPECT_LT (largestDifference (convolveInBlocks (convolver, unitImpulse, 100, 7), expected), 1.0e-6);

    // Also when it comes during a reload that keeps the arrays, as a second
    // prepare with the same rate and size makes one.
    convolveInBlocks (convolver, noise (2000, 8), 256, 8);
    convolver.initFFT (4, 44100.0, 256);
    convolver.reset();
    ASSERT_TRUE (waitUntilReady (convolver));
    EXPECT_LT (largestDifference (convolveInBlocks (convolver, unitImpulse, 100, 9), expected), 1.0e-6);
}

TEST (Convolution, ANonFiniteInputSpoilsNoBlockAfterItsOwn)
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    const struct
    {
        int blockSize, position;
        float value;
        bool inLastInputs; // among the last 895 inputs when its block ends
    } cases[] = {
        { 512, 511, nan, true }, // also in the frame's tail, past the shorter blocks after it
        { 512, 0, infinity, true },
        { 1024, 200, -infinity, true },
        { 1024, 0, nan, false },
        // Only in the frame's tail, beyond every shorter block after it.
        { 4096, 300, nan, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.value << " at " << c.position << " of " << c.blockSize);
        // The twin hears a 0 instead, and has its history cleared where the
        // bad value would still be in it.
        Convolution convolver, twin;
        convolver.initFFT (2, 48000.0, c.blockSize);
        twin.initFFT (2, 48000.0, c.blockSize);
        ASSERT_TRUE (waitUntilReady (convolver) && waitUntilReady (twin));

        const auto before = noise (2 * (size_t) c.blockSize, 10);
        convolveInBlocks (convolver, before, c.blockSize, 11);
        convolveInBlocks (twin, before, c.blockSize, 11);

        auto block = noise ((size_t) c.blockSize, 12);
        auto twinBlock = block;
        block[(size_t) c.position] = c.value;
        twinBlock[(size_t) c.position] = 0.0f;
        convolver.processSamples (block.data(), c.blockSize);
        twin.processSamples (twinBlock.data(), c.blockSize);

        if (c.inLastInputs)
            twin.reset();

        const auto after = noise (3000, 13);
        EXPECT_EQ (convolveInBlocks (convolver, after, 256, 14), convolveInBlocks (twin, after, 256, 14));
    }
}

TEST (Convolution, ReadsSilentAndUnreadableDataAsASilentKernel)
{
    auto wavBytes = [] (const std::vector<float>& samples) {
        juce::MemoryBlock block;
        {
            juce::WavAudioFormat format;
            std::unique_ptr<juce::AudioFormatWriter> writer (
                format.createWriterFor (new juce::MemoryOutputStream (block, false), 44100.0, 1, 16, {}, 0));
            const float* channels[] = { samples.data() };
            writer->writeFromFloatArrays (channels, 1, (int) samples.size());
        }
        return block;
    };

    float kernel[kernelLength];
    std::fill (std::begin (kernel), std::end (kernel), 1.0f);

    const auto silent = wavBytes (std::vector<float> (2000, 0.0f));
    Convolution::readKernel (silent.getData(), silent.getSize(), kernel);
    EXPECT_TRUE (std::all_of (std::begin (kernel), std::end (kernel), [] (float v) { return v == 0.0f; }));
    Convolution::normaliseEnergy (kernel);
    EXPECT_TRUE (std::all_of (std::begin (kernel), std::end (kernel), [] (float v) { return v == 0.0f; }))
        << "no division by zero";

    std::fill (std::begin (kernel), std::end (kernel), 1.0f);
    const auto garbage = noise (300, 8);
    Convolution::readKernel (garbage.data(), garbage.size() * sizeof (float), kernel);
    EXPECT_TRUE (std::all_of (std::begin (kernel), std::end (kernel), [] (float v) { return v == 0.0f; }));

    // A short file fills the start; its peak becomes 0.15.
    std::vector<float> shortResponse (100, 0.0f);
    shortResponse[3] = -0.5f;
    shortResponse[10] = 0.25f;
    const auto shortFile = wavBytes (shortResponse);
    Convolution::readKernel (shortFile.getData(), shortFile.getSize(), kernel);
    EXPECT_FLOAT_EQ (kernel[3], -0.15f);
    EXPECT_NEAR (kernel[10], 0.075f, 1.0e-5);
    EXPECT_TRUE (std::all_of (kernel + 100, std::end (kernel), [] (float v) { return v == 0.0f; }));
}

//==============================================================================
TEST (ConvolutionThreads, RequestDuringALoadEndsWithTheNewerResponse)
{
    Convolution reference;
    reference.initFFT (5, 96000.0, 512);
    ASSERT_TRUE (waitUntilReady (reference));

    for (int attempt = 0; attempt < 20; ++attempt)
    {
        Convolution convolver;
        convolver.initFFT (2, 96000.0, 512);
        convolver.initFFT (5, 96000.0, 512);
        ASSERT_TRUE (waitUntilReady (convolver));
        EXPECT_EQ (convolver.getLoadedImpulse(), 5);
        EXPECT_EQ (measureKernel (convolver), measureKernel (reference));
    }
}

TEST (ConvolutionThreads, ManyChangesOnConsecutiveBlocksEndWithTheLastOne)
{
    constexpr int changes = 1000;
    constexpr int blockSize = 64;
    Convolution convolver;
    convolver.initFFT (1, 48000.0, blockSize);
    ASSERT_TRUE (waitUntilReady (convolver));

    int last = 0;

    for (int i = 0; i < changes; ++i)
    {
        last = 1 + (i * 5) % 8;
        convolver.initFFT (last, 48000.0, blockSize);
        auto block = noise (blockSize, (unsigned) i);
        convolver.processSamples (block.data(), blockSize);
        ASSERT_TRUE (std::all_of (block.begin(), block.end(), [] (float v) { return std::isfinite (v); }));
    }

    ASSERT_TRUE (waitUntilReady (convolver));
    EXPECT_EQ (convolver.getLoadedImpulse(), last);

    Convolution reference;
    reference.initFFT (last, 48000.0, blockSize);
    ASSERT_TRUE (waitUntilReady (reference));
    EXPECT_EQ (measureKernel (convolver), measureKernel (reference));
}

TEST (ConvolutionThreads, DestroyingDuringALoadIsSafe)
{
    std::mt19937 generator (seed);
    std::uniform_int_distribution<int> pause (0, 400);

    for (int i = 0; i < 40; ++i)
    {
        auto convolver = std::make_unique<Convolution>();
        convolver->initFFT (i % Convolution::numImpulses, i % 2 == 0 ? 96000.0 : 44100.0, 4096);
        convolver->initFFT ((i + 3) % Convolution::numImpulses, 192000.0, 8000);
        std::this_thread::sleep_for (std::chrono::microseconds (pause (generator)));
        convolver.reset();
    }
}

TEST (ConvolutionThreads, AudioRunsWhileAnotherThreadRequests)
{
    // The gadgets' pattern: the host thread asks for a load while the audio
    // thread keeps processing; every block is either passed or convolved.
    Convolution convolver;
    std::atomic<bool> done { false };

    std::thread audio ([&] {
        auto block = noise (128, 9);

        while (! done)
        {
            convolver.processSamples (block.data(), (int) block.size());

            for (auto& v : block)
                v = std::isfinite (v) ? std::clamp (v, -1.0f, 1.0f) : 0.0f;
        }
    });

    for (int i = 0; i < 50; ++i)
    {
        convolver.initFFT (i % Convolution::numImpulses, i % 3 == 0 ? 88200.0 : 48000.0, 128 + 64 * (i % 4));
        std::this_thread::sleep_for (std::chrono::microseconds (200));
    }

    EXPECT_TRUE (waitUntilReady (convolver));
    done = true;
    audio.join();
    EXPECT_EQ (convolver.getLoadedImpulse(), 49 % Convolution::numImpulses);
}

namespace
{
std::atomic<bool> wakeHeld { false }, stopBegun { false }, wakeReleased { false }, loaderEnded { false };

struct ThreadEndSignal
{
    ~ThreadEndSignal() { loaderEnded = true; }
};

// The loader's wake-up as a loaded machine makes it: the thread runs on
// only well over a second after its stop has begun.
void holdWakeUp()
{
    static thread_local ThreadEndSignal signal;
    wakeHeld = true;
    pollUntil ([] { return stopBegun.load(); });
    std::this_thread::sleep_for (std::chrono::milliseconds (1500));
    wakeReleased = true;
}
} // namespace

TEST (ConvolutionThreads, LastUserLeavingWhileTheLoaderIsSlowToWakeWaitsForItsEnd)
{
    wakeHeld = stopBegun = wakeReleased = loaderEnded = false;
    auto loader = ImpulseLoader::shared();
    std::vector<float> kernel;
    {
        Convolution convolver;
        convolver.initFFT (6, 48000.0, 256);
        ASSERT_TRUE (waitUntilReady (convolver));
        kernel = measureKernel (convolver);

        // Woken by a request, the loader is held before it serves it.
        ImpulseLoader::onWake = holdWakeUp;
        convolver.initFFT (7, 48000.0, 256);
        EXPECT_TRUE (pollUntil ([] { return wakeHeld.load(); }));
    }

    const bool lastUser = loader.use_count() == 1;
    stopBegun = true;
    loader.reset();
    ImpulseLoader::onWake = nullptr;
    ASSERT_TRUE (lastUser);
    EXPECT_TRUE (wakeReleased) << "the stop returned while the thread was held: killed or left behind";
    EXPECT_TRUE (pollUntil ([] { return loaderEnded.load(); }));

    // The next loader serves the same kernel.
    Convolution again;
    again.initFFT (6, 48000.0, 256);
    ASSERT_TRUE (waitUntilReady (again));
    EXPECT_EQ (measureKernel (again), kernel);
}
