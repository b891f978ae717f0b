#pragma once

#include "dsp/TnResampling.h"

#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <vector>

/** The spectra of the convolution kernels, built once per process.

    Every convolver of every instance that asks for the same response at the
    same rate and transform size gets the same immutable spectrum, so a
    session of many instances reads, converts and transforms each kernel
    once. Only loader threads call in; the audio thread reads a spectrum
    through the pointer its convolver holds and never touches the cache. */
class KernelCache
{
public:
    using Spectrum = std::vector<float>;

    /** The spectrum of response impulseIndex (0..8) converted to sampleRate,
        zero-padded to fftSize points; built on the first request. */
    static std::shared_ptr<const Spectrum> spectrumFor (int impulseIndex, double sampleRate, int fftSize);

private:
    KernelCache() = default;

    static KernelCache& instance();
    std::shared_ptr<const Spectrum> build (int impulseIndex, double sampleRate, int fftSize);
    void convertToRate (float* kernel, double hostRate);

    std::mutex mutex;
    std::map<std::tuple<int, double, int>, std::shared_ptr<const Spectrum>> spectra;
    // One converter for the process: its filter design is the costly part of a load.
    TnResampling resampler;
};
