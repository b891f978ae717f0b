#pragma once

#include <cstddef>
#include <vector>

class Gadgets;

/** Running one gadget on test signals and measuring what comes out. */
namespace gadgetharness
{
struct Stereo
{
    std::vector<float> left, right;
};

/** The same signal on both channels. */
Stereo bothChannels (const std::vector<float>& mono);

/** Runs the gadget over the whole signal in place, in blocks of at most blockSize. */
void process (Gadgets& gadget, Stereo& signal, int blockSize, float bpm = 0.0f);

/** The left channel's response to a unit impulse on both channels. */
std::vector<float> impulseResponse (Gadgets& gadget, int length, int blockSize);

/** Left then right, for golden snapshots. */
std::vector<float> interleaveChannels (const Stereo& signal);

/** Amplitude of the sine component at frequencyHz over the samples
    [start, start + count), by a single DFT bin; count is trimmed to a whole
    number of periods so the bin does not leak. */
double toneAmplitude (const std::vector<float>& samples,
                      double frequencyHz,
                      double sampleRate,
                      std::size_t start,
                      std::size_t count);

/** Steady-state gain of the left channel for a sine of the given amplitude:
    the gadget (prepared, controls set, reset) runs settleSeconds, then is
    measured over measureSeconds. */
double sineGain (Gadgets& gadget,
                 double frequencyHz,
                 double sampleRate,
                 float amplitude,
                 double settleSeconds = 0.25,
                 double measureSeconds = 0.25);

double toDecibels (double gain);

/** Feeds one block holding NaN and infinity, then seeded noise: true when
    every output sample after the first settleSamples of the noise is finite. */
bool recoversFromNonFiniteBlock (Gadgets& gadget, int blockSize, int settleSamples, int checkedSamples);
} // namespace gadgetharness
