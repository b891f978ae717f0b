#pragma once

#include "dsp/ImpulseLoader.h"
#include "dsp/ffft/FFTReal.h"
#include "dsp/ffft/FFTRealFixLen.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>
#include <vector>

/** Convolves one channel in place, with no added latency, with a 896-tap
    kernel taken from the start of one of the nine embedded impulse
    responses.

    The whole kernel is one partition: every block goes through one forward
    and one inverse real FFT of N points, overlap-save with 895 samples of
    history, so the output is the exact linear convolution of the input
    stream with the kernel, the current sample included.

    Kernels are built by the process's shared loader thread (ImpulseLoader)
    and kept in the KernelCache, so identical kernels are built once; the
    audio passes through unchanged until the loader raises `ready`. `ready`
    is raised and read under `lock`, and each request is taken under it too,
    so a request made during a load is served before `ready` is raised again
    and `ready` never announces an older kernel. */
class Convolution
{
public:
    static constexpr int kernelLength = 896;
    static constexpr int historyLength = kernelLength - 1;
    static constexpr double referenceRate = 44100.0;
    static constexpr int numImpulses = 9;
    // A host block this long already needs a 2^21-point transform; longer
    // requests are served in pieces of this size.
    static constexpr int largestBlockSize = 1 << 20;

    Convolution();
    ~Convolution();

    /** Asks for impulse response impulseIndex (0..8, anything else is 0) at
        this rate and largest block; returns at once, the load runs on the
        loader thread. */
    void initFFT (int impulseIndex, double newSampleRate, int newMaxBlockSize);

    /** Clears the history before the next block a kernel convolves, also
        when that kernel is still loading. */
    void reset();

    /** Convolves in place; passes the samples through while no kernel is ready. */
    void processSamples (float* data, int numSamples);

    bool isReady() const;
    int getLoadedImpulse() const;
    int getFftSize() const;

    /** The smallest power of two holding the history and the largest block. */
    static int fftSizeFor (int maxBlockSize) noexcept;

    /** The response an index names: anything outside 0..8 is the speaker, 0. */
    static int validImpulse (int index) noexcept;

    /** Channel 0 of the first 896 frames of a WAV file, scaled to a peak of
        0.15; all zeros when the data cannot be read or are silent. */
    static void readKernel (const void* wavData, size_t numBytes, float* kernel);

    /** Channel 0 of the first 896 frames of embedded response index (0..8). */
    static void readEmbeddedKernel (int index, float* kernel);

    /** Scales the kernel to a sum of squares of 0.25 (an L2 norm of 0.5); a
        silent kernel stays silent. */
    static void normaliseEnergy (float* kernel) noexcept;

    /** The complex product of two spectra in the half-complex layout (fftSize >= 16). */
    static void multiplySpectra (float* product, const float* x, const float* k, int fftSize) noexcept;

    /** Serves the pending requests; called by the loader thread only. */
    void serveRequests();

private:
    struct Request
    {
        int impulse = 0;
        double sampleRate = referenceRate;
        int maxBlockSize = 0;
    };

    bool load (const Request& request);
    bool shouldStopLoading() const;
    void prepareArrays (int newFftSize, double newSampleRate);
    void processPiece (float* data, int numSamples) noexcept;
    void clearFrame() noexcept;
    void clearTailBeyond (int end) noexcept;
    void clearHistoryIfNotFinite() noexcept;

    template <typename Engine>
    void convolveFrame (Engine& engine) noexcept;

    std::shared_ptr<const std::vector<float>> irSpectrum;
    // The frame's first 895 values are the history: the last 895 inputs.
    juce::HeapBlock<float> frame, output, inSpectrum, productSpectrum;
    // Only the engine for the current transform size exists; the loader
    // builds it (tables included) before the first block needs it.
    std::unique_ptr<ffft::FFTReal<float>> fft;
    std::unique_ptr<ffft::FFTRealFixLen<10>> fixedFft10;
    std::unique_ptr<ffft::FFTRealFixLen<11>> fixedFft11;
    std::unique_ptr<ffft::FFTRealFixLen<12>> fixedFft12;
    std::unique_ptr<ffft::FFTRealFixLen<13>> fixedFft13;

    double sampleRate = referenceRate;
    double lastSampleRate = 0.0;
    int maxBlockSize = 0;
    bool ready = false;
    juce::CriticalSection lock;

    int fftSize = 0;
    // The frame holds input up to here; beyond it, zeros.
    int frameEnd = historyLength;
    // Set by reset: the next convolved block starts from silence.
    bool clearPending = false;
    int requestedImpulse = 0;
    int loadedImpulse = -1;

    // Requests made and requests the loader has taken, both under `lock`.
    juce::uint64 requestCount = 0;
    juce::uint64 takenCount = 0;

    // Raised by the destructor: a load of this convolver in progress ends early.
    std::atomic<bool> leaving { false };
    std::shared_ptr<ImpulseLoader> loader;

    JUCE_DECLARE_NON_COPYABLE (Convolution)
};
