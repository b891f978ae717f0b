#include "Convolution.h"

#include "dsp/KernelCache.h"

#include <Sounds.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <juce_audio_formats/juce_audio_formats.h>

namespace
{
struct EmbeddedImpulse
{
    const char* data;
    int numBytes;
};

// Index 0 is the small speaker of the tape gadget; 1..8 are the convolution
// gadget's choices.
const EmbeddedImpulse embeddedImpulses[Convolution::numImpulses] = {
    { Sounds::small_speaker_mono_wav, Sounds::small_speaker_mono_wavSize },
    { Sounds::fx_heart_beat_wav, Sounds::fx_heart_beat_wavSize },
    { Sounds::fx_metal_pipe_wav, Sounds::fx_metal_pipe_wavSize },
    { Sounds::fx_metal_pole_wav, Sounds::fx_metal_pole_wavSize },
    { Sounds::fx_thick_glass_l_wav, Sounds::fx_thick_glass_l_wavSize },
    { Sounds::fxpolsr1_wav, Sounds::fxpolsr1_wavSize },
    { Sounds::fxradar1_wav, Sounds::fxradar1_wavSize },
    { Sounds::fxstrm2_wav, Sounds::fxstrm2_wavSize },
    { Sounds::glass_vase_wav, Sounds::glass_vase_wavSize },
};

// Peak of the kernel as read, before the energy normalisation.
constexpr float readPeak = 0.15f;
// Sum of squares of the kernel in use: an L2 norm of 0.5.
constexpr float kernelNorm = 0.5f;

} // namespace

Convolution::Convolution()
    : loader (ImpulseLoader::shared())
{
    loader->add (this);
}

Convolution::~Convolution()
{
    leaving = true;
    loader->remove (this);
}

int Convolution::validImpulse (int index) noexcept { return (index >= 0 && index < numImpulses) ? index : 0; }

int Convolution::fftSizeFor (int maxBlockSize) noexcept
{
    const int block = juce::jlimit (0, largestBlockSize, maxBlockSize);
    int size = 1;

    while (size < block + historyLength)
        size *= 2;

    return size;
}

//==============================================================================
void Convolution::initFFT (int impulseIndex, double newSampleRate, int newMaxBlockSize)
{
    {
        const juce::ScopedLock sl (lock);
        requestedImpulse = impulseIndex;
        sampleRate = newSampleRate;
        maxBlockSize = newMaxBlockSize;
        ready = false;
        ++requestCount;
    }

    // The shared loader sleeps between requests, so a request that arrives
    // while it is finishing can never be lost. After the first request of
    // the process a reload from the audio thread only wakes it.
    loader->wake();
}

bool Convolution::shouldStopLoading() const { return leaving || loader->isStopping(); }

void Convolution::serveRequests()
{
    for (;;)
    {
        Request request;
        juce::uint64 serving = 0;

        {
            const juce::ScopedLock sl (lock);

            if (takenCount == requestCount)
                return;

            request = { requestedImpulse, sampleRate, maxBlockSize };
            serving = takenCount = requestCount;
        }

        if (! load (request))
            return;

        const juce::ScopedLock sl (lock);
        loadedImpulse = validImpulse (request.impulse);

        // A newer request goes round again before anything is announced.
        if (serving == requestCount)
        {
            ready = true;
            return;
        }
    }
}

bool Convolution::load (const Request& request)
{
    const int index = validImpulse (request.impulse);
    const int newFftSize = fftSizeFor (request.maxBlockSize);

    // The held kernel already fits: the history carries on.
    if (index == loadedImpulse && irSpectrum != nullptr && lastSampleRate == request.sampleRate
        && fftSize == newFftSize)
        return true;

    if (shouldStopLoading())
        return false;

    auto spectrum = KernelCache::spectrumFor (index, request.sampleRate, newFftSize);

    if (shouldStopLoading())
        return false;

    prepareArrays (newFftSize, request.sampleRate);

    if (shouldStopLoading())
        return false;

    // `ready` is down, so no block reads the spectrum while it changes.
    irSpectrum = std::move (spectrum);
    return true;
}

void Convolution::readEmbeddedKernel (int index, float* kernel)
{
    const auto& wav = embeddedImpulses[validImpulse (index)];
    readKernel (wav.data, (size_t) wav.numBytes, kernel);
}

void Convolution::readKernel (const void* wavData, size_t numBytes, float* kernel)
{
    std::fill (kernel, kernel + kernelLength, 0.0f);

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader (
        format.createReaderFor (new juce::MemoryInputStream (wavData, numBytes, false), true));

    if (reader == nullptr || reader->numChannels < 1)
        return;

    const int numFrames = (int) juce::jlimit ((juce::int64) 0, (juce::int64) kernelLength, reader->lengthInSamples);
    // Integer read: left-justified, a 16-bit sample arrives as s * 65536.
    int frames[kernelLength] {};
    int* const channels[] = { frames };

    if (! reader->read (channels, 1, 0, numFrames, false))
        return;

    juce::int64 peak = 0;

    for (int i = 0; i < numFrames; ++i)
        peak = std::max (peak, std::abs ((juce::int64) frames[i]));

    // A silent start leaves a silent kernel rather than a division by zero.
    if (peak == 0)
        return;

    for (int i = 0; i < numFrames; ++i)
        kernel[i] = (float) frames[i] / (float) peak * readPeak;
}

void Convolution::prepareArrays (int newFftSize, double newSampleRate)
{
    // Only the loader touches the arrays, and only while `ready` is down.
    {
        const juce::ScopedLock sl (lock);
        loadedImpulse = -1;
        lastSampleRate = newSampleRate;
    }

    // A new response or rate starts from a silent history, as fresh arrays would.
    if (newFftSize == fftSize && frame != nullptr)
    {
        clearFrame();
        return;
    }

    const auto size = (size_t) newFftSize;
    irSpectrum.reset();
    fft.reset();
    fixedFft10.reset();
    fixedFft11.reset();
    fixedFft12.reset();
    fixedFft13.reset();

    {
        const juce::ScopedLock sl (lock);
        fftSize = newFftSize;
    }

    switch (newFftSize)
    {
        case 1024:
            fixedFft10 = std::make_unique<ffft::FFTRealFixLen<10>>();
            break;
        case 2048:
            fixedFft11 = std::make_unique<ffft::FFTRealFixLen<11>>();
            break;
        case 4096:
            fixedFft12 = std::make_unique<ffft::FFTRealFixLen<12>>();
            break;
        case 8192:
            fixedFft13 = std::make_unique<ffft::FFTRealFixLen<13>>();
            break;
        default:
            fft = std::make_unique<ffft::FFTReal<float>> ((long) newFftSize);
            break;
    }

    frame.calloc (size);
    frameEnd = historyLength;
    output.malloc (size);
    inSpectrum.malloc (size);
    productSpectrum.malloc (size);
}

void Convolution::normaliseEnergy (float* kernel) noexcept
{
    float energy = 0.0f;

    for (int i = 0; i < kernelLength; ++i)
        energy += kernel[i] * kernel[i];

    if (! (energy > 0.0f))
        return;

    const float scale = kernelNorm / std::sqrt (energy);

    for (int i = 0; i < kernelLength; ++i)
        kernel[i] *= scale;
}

//==============================================================================
void Convolution::reset()
{
    // The clear waits for the next block: while a load runs the arrays
    // belong to the loader, and a load that keeps them (the same response,
    // rate and size, as a second prepare asks for) hands the old history back.
    const juce::ScopedLock sl (lock);
    clearPending = true;
}

void Convolution::clearFrame() noexcept
{
    std::fill (frame.get(), frame.get() + fftSize, 0.0f);
    frameEnd = historyLength;
}

void Convolution::processSamples (float* data, int numSamples)
{
    const juce::ScopedLock sl (lock);

    if (! ready)
        return;

    if (clearPending)
    {
        clearFrame();
        clearPending = false;
    }

    // A block longer than the frame holds goes through in pieces.
    const int longestPiece = fftSize - historyLength;

    for (int start = 0; start < numSamples; start += longestPiece)
        processPiece (data + start, std::min (longestPiece, numSamples - start));
}

void Convolution::processPiece (float* data, int numSamples) noexcept
{
    // The frame's head holds the last 895 inputs; the block follows them.
    std::copy (data, data + numSamples, frame + historyLength);
    clearTailBeyond (historyLength + numSamples);

    switch (fftSize)
    {
        case 1024:
            convolveFrame (*fixedFft10);
            break;
        case 2048:
            convolveFrame (*fixedFft11);
            break;
        case 4096:
            convolveFrame (*fixedFft12);
            break;
        case 8192:
            convolveFrame (*fixedFft13);
            break;
        default:
            convolveFrame (*fft);
            break;
    }

    // The inverse transform returns N times the signal; 1/N is exact, and
    // only the outputs taken need it.
    const float rescale = 1.0f / (float) fftSize;

    for (int i = 0; i < numSamples; ++i)
        data[i] = output[historyLength + i] * rescale;

    // The last 895 inputs move to the head for the next block.
    std::memmove (frame.get(), frame + numSamples, sizeof (float) * (size_t) historyLength);
    clearHistoryIfNotFinite();
}

void Convolution::clearTailBeyond (int end) noexcept
{
    // Input a longer block left beyond this one reaches no output taken, but
    // it does reach every bin of the transform: a NaN there would stay in
    // every later block, and finite values would add their rounding.
    if (end < frameEnd)
        std::fill (frame + end, frame + frameEnd, 0.0f);

    frameEnd = end;
}

void Convolution::clearHistoryIfNotFinite() noexcept
{
    // The transform's DC bin is the sum of the whole frame, so a NaN or an
    // infinity anywhere in it shows there; only then is the history searched.
    // One bad input silences the block it is in, not every block after it.
    if (std::isfinite (inSpectrum[0]))
        return;

    if (! std::all_of (frame.get(), frame + historyLength, [] (float x) { return std::isfinite (x); }))
        clearFrame();
}

template <typename Engine>
void Convolution::convolveFrame (Engine& engine) noexcept
{
    engine.forward_fft (inSpectrum, frame);
    multiplySpectra (productSpectrum, inSpectrum, irSpectrum->data(), fftSize);
    engine.inverse_fft (productSpectrum, output);
}

void Convolution::multiplySpectra (float* product, const float* x, const float* k, int fftSize) noexcept
{
    // Complex product in the half-complex layout: real parts below h,
    // (negated) imaginary parts above; DC and Nyquist are real.
    const int h = fftSize / 2;
    product[0] = x[0] * k[0];
    product[h] = x[h] * k[h];

    // Bins 1 .. h-1 in quads; the last quad overlaps the one before it and
    // writes the same values again.
    auto quad = [&] (int i) {
        using ffft::FloatQuad;
        const auto re = FloatQuad::load (x + i);
        const auto im = FloatQuad::load (x + h + i);
        const auto kernelRe = FloatQuad::load (k + i);
        const auto kernelIm = FloatQuad::load (k + h + i);
        (re * kernelRe - im * kernelIm).store (product + i);
        (im * kernelRe + re * kernelIm).store (product + h + i);
    };

    int i = 1;

    for (; i + 4 <= h; i += 4)
        quad (i);

    if (i < h)
        quad (h - 4);
}

//==============================================================================
bool Convolution::isReady() const
{
    const juce::ScopedLock sl (lock);
    return ready;
}

int Convolution::getLoadedImpulse() const
{
    const juce::ScopedLock sl (lock);
    return loadedImpulse;
}

int Convolution::getFftSize() const
{
    const juce::ScopedLock sl (lock);
    return fftSize;
}
