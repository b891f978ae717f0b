#include "KernelCache.h"

#include "dsp/Convolution.h"
#include "dsp/ffft/FFTReal.h"

#include <algorithm>
#include <cmath>

namespace
{
/** Every response counts as recorded at 44.1 kHz: at that rate and below,
    and for a rate that is no number, the kernel is the one read. */
bool needsConversion (double sampleRate)
{
    return std::isfinite (sampleRate) && sampleRate > Convolution::referenceRate;
}
} // namespace

KernelCache& KernelCache::instance()
{
    // Never destroyed: a host that quits without deleting its instances
    // leaves the loader running while the exit handlers destroy statics, and
    // the loader may be inside the cache, converting or transforming.
    static auto* const cache = new KernelCache();
    return *cache;
}

std::shared_ptr<const KernelCache::Spectrum> KernelCache::spectrumFor (int impulseIndex, double sampleRate, int fftSize)
{
    auto& cache = instance();
    const std::lock_guard<std::mutex> guard (cache.mutex);

    // Rates that need no conversion share one kernel.
    const auto key = std::make_tuple (
        Convolution::validImpulse (impulseIndex), needsConversion (sampleRate) ? sampleRate : 0.0, fftSize);
    auto& spectrum = cache.spectra[key];

    if (spectrum == nullptr)
        spectrum = cache.build (std::get<0> (key), sampleRate, fftSize);

    return spectrum;
}

std::shared_ptr<const KernelCache::Spectrum> KernelCache::build (int impulseIndex, double sampleRate, int fftSize)
{
    auto padded = std::vector<float> ((size_t) fftSize, 0.0f);
    float* kernel = padded.data();
    Convolution::readEmbeddedKernel (impulseIndex, kernel);

    if (needsConversion (sampleRate))
        convertToRate (kernel, sampleRate);

    Convolution::normaliseEnergy (kernel);

    auto spectrum = std::make_shared<Spectrum> ((size_t) fftSize);
    ffft::FFTReal<float> engine (fftSize);
    engine.forward_fft (spectrum->data(), padded.data());
    return spectrum;
}

void KernelCache::convertToRate (float* kernel, double hostRate)
{
    // The kernel keeps the time span of the first samples at 44.1 kHz.
    constexpr int kernelLength = Convolution::kernelLength;
    const float ratio = (float) hostRate / (float) Convolution::referenceRate;
    const int numIn = std::clamp ((int) std::floor ((float) kernelLength / ratio), 1, kernelLength);
    float converted[kernelLength] {};

    resampler.initResampling (Convolution::referenceRate, hostRate, numIn, kernelLength);
    resampler.reset();
    resampler.processResampling (kernel, converted);
    std::copy (std::begin (converted), std::end (converted), kernel);
}
