#include "Convolution.h"

#include <Sounds.h>
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

int validImpulse (int index) noexcept { return (index >= 0 && index < Convolution::numImpulses) ? index : 0; }
} // namespace

Convolution::Convolution()
    : juce::Thread (juce::String())
{
}

Convolution::~Convolution() { stopThread (1000); }

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

    // The loader lives until destruction and sleeps between requests, so a
    // request that arrives while it is finishing can never be lost. After
    // the first request (from prepareToPlay) a reload from the audio thread
    // only wakes it: no thread is started there.
    if (! isThreadRunning())
        startThread();

    notify();
}

void Convolution::run()
{
    while (! threadShouldExit())
    {
        serveRequests();
        wait (-1);
    }
}

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
    if (index == loadedImpulse && fft != nullptr && lastSampleRate == request.sampleRate && fftSize == newFftSize)
        return true;

    if (threadShouldExit())
        return false;

    const auto& wav = embeddedImpulses[index];
    readKernel (wav.data, (size_t) wav.numBytes, impulse);

    // Every response counts as recorded at 44.1 kHz; at higher host rates
    // the kernel keeps the time span of its first samples at that rate.
    if (std::isfinite (request.sampleRate) && request.sampleRate > referenceRate)
        resampleKernel (request.sampleRate);

    if (threadShouldExit())
        return false;

    allocate (newFftSize, request.sampleRate);

    if (threadShouldExit())
        return false;

    transformKernel();
    return true;
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

void Convolution::resampleKernel (double hostRate)
{
    const float ratio = (float) hostRate / (float) referenceRate;
    const int numIn = juce::jlimit (1, kernelLength, (int) std::floor ((float) kernelLength / ratio));

    resampler.initResampling (referenceRate, hostRate, numIn, kernelLength);
    resampler.reset();
    resampler.processResampling (impulse, resampled);
    std::copy (std::begin (resampled), std::end (resampled), impulse);
}

void Convolution::allocate (int newFftSize, double newSampleRate)
{
    // Only the loader touches the arrays, and only while `ready` is down.
    const auto size = (size_t) newFftSize;
    irSpectrum.free();
    frame.free();
    output.free();
    inSpectrum.free();
    productSpectrum.free();
    history.free();
    fft.reset();

    {
        const juce::ScopedLock sl (lock);
        loadedImpulse = -1;
        lastSampleRate = newSampleRate;
        fftSize = newFftSize;
    }

    fft = std::make_unique<ffft::FFTReal<float>> ((long) newFftSize);
    irSpectrum.malloc (size);
    frame.calloc (size);
    output.malloc (size);
    inSpectrum.malloc (size);
    productSpectrum.malloc (size);
    history.calloc (size);
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

void Convolution::transformKernel()
{
    std::vector<float> padded ((size_t) fftSize, 0.0f);
    std::copy (std::begin (impulse), std::end (impulse), padded.begin());
    normaliseEnergy (padded.data());

    ffft::FFTReal<float> engine (fftSize);
    engine.forward_fft (irSpectrum, padded.data());
}

//==============================================================================
void Convolution::reset()
{
    const juce::ScopedLock sl (lock);

    if (! ready || fftSize <= 0)
        return;

    std::fill (history.get(), history.get() + fftSize, 0.0f);
    std::fill (frame.get(), frame.get() + fftSize, 0.0f);
}

void Convolution::processSamples (float* data, int numSamples)
{
    const juce::ScopedLock sl (lock);

    if (! ready)
        return;

    // A block longer than the frame holds goes through in pieces.
    const int longestPiece = fftSize - historyLength;

    for (int start = 0; start < numSamples; start += longestPiece)
        processPiece (data + start, std::min (longestPiece, numSamples - start));
}

void Convolution::processPiece (float* data, int numSamples) noexcept
{
    std::copy (data, data + numSamples, frame + historyLength);
    std::copy (history.get(), history.get() + historyLength, frame.get());
    std::copy (frame + numSamples, frame + numSamples + historyLength, history.get());

    switch (fftSize)
    {
        case 1024:
            convolveFrame (fixedFft10);
            break;
        case 2048:
            convolveFrame (fixedFft11);
            break;
        case 4096:
            convolveFrame (fixedFft12);
            break;
        case 8192:
            convolveFrame (fixedFft13);
            break;
        default:
            convolveFrame (*fft);
            break;
    }

    std::copy (output + historyLength, output + historyLength + numSamples, data);
}

template <typename Engine>
void Convolution::convolveFrame (Engine& engine) noexcept
{
    engine.forward_fft (inSpectrum, frame);

    // Complex product in the half-complex layout: real parts below h,
    // (negated) imaginary parts above; DC and Nyquist are real.
    const int h = fftSize / 2;
    const float* x = inSpectrum;
    const float* k = irSpectrum;
    float* p = productSpectrum;

    p[0] = x[0] * k[0];
    p[h] = x[h] * k[h];

    for (int i = 1; i < h; ++i)
    {
        p[i] = x[i] * k[i] - x[h + i] * k[h + i];
        p[h + i] = x[h + i] * k[i] + x[i] * k[h + i];
    }

    engine.inverse_fft (productSpectrum, output);
    engine.rescale (output);
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
