#include "GadgetHarness.h"

#include "TestSignals.h"
#include "engine/Gadgets.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

namespace gadgetharness
{
Stereo bothChannels (const std::vector<float>& mono) { return { mono, mono }; }

void process (Gadgets& gadget, Stereo& signal, int blockSize, float bpm)
{
    const auto total = (int) signal.left.size();

    for (int start = 0; start < total; start += blockSize)
    {
        const auto length = std::min (blockSize, total - start);
        gadget.processSamples (signal.left.data() + start, signal.right.data() + start, length, bpm);
    }
}

std::vector<float> impulseResponse (Gadgets& gadget, int length, int blockSize)
{
    auto signal = bothChannels (std::vector<float> ((size_t) length, 0.0f));
    signal.left[0] = signal.right[0] = 1.0f;
    process (gadget, signal, blockSize, 120.0f);
    return signal.left;
}

std::vector<float> interleaveChannels (const Stereo& signal)
{
    auto both = signal.left;
    both.insert (both.end(), signal.right.begin(), signal.right.end());
    return both;
}

double toneAmplitude (const std::vector<float>& samples,
                      double frequencyHz,
                      double sampleRate,
                      std::size_t start,
                      std::size_t count)
{
    const auto samplesPerPeriod = sampleRate / frequencyHz;
    const auto periods = std::floor ((double) count / samplesPerPeriod);
    if (periods >= 1.0)
        count = (std::size_t) std::llround (periods * samplesPerPeriod);

    std::complex<double> sum;
    const auto step = 2.0 * M_PI * frequencyHz / sampleRate;

    for (std::size_t i = 0; i < count; ++i)
        sum += (double) samples[start + i] * std::polar (1.0, -step * (double) i);

    return 2.0 * std::abs (sum) / (double) count;
}

double sineGain (Gadgets& gadget,
                 double frequencyHz,
                 double sampleRate,
                 float amplitude,
                 double settleSeconds,
                 double measureSeconds)
{
    const auto settle = (int) (settleSeconds * sampleRate);
    const auto measure = (int) (measureSeconds * sampleRate);
    auto signal = bothChannels (testsignals::sine (settle + measure, frequencyHz, sampleRate, amplitude));
    process (gadget, signal, 512);
    return toneAmplitude (signal.left, frequencyHz, sampleRate, (std::size_t) settle, (std::size_t) measure)
           / amplitude;
}

double toDecibels (double gain) { return 20.0 * std::log10 (gain); }

bool recoversFromNonFiniteBlock (Gadgets& gadget, int blockSize, int settleSamples, int checkedSamples)
{
    auto bad = bothChannels (testsignals::noiseWithImpulses (blockSize, 3));
    bad.left[(std::size_t) blockSize / 2] = std::numeric_limits<float>::quiet_NaN();
    bad.right[(std::size_t) blockSize / 3] = std::numeric_limits<float>::infinity();
    process (gadget, bad, blockSize);

    auto clean = bothChannels (testsignals::noiseWithImpulses (settleSamples + checkedSamples, 4));
    process (gadget, clean, blockSize);

    const auto finite = [] (float x) { return std::isfinite (x); };
    return std::all_of (clean.left.begin() + settleSamples, clean.left.end(), finite)
           && std::all_of (clean.right.begin() + settleSamples, clean.right.end(), finite);
}
} // namespace gadgetharness
