#pragma once

#include <complex>
#include <vector>

namespace naivedft
{
/** One bin of the discrete-time Fourier transform of a finite signal, summed
    directly: H(e^jw) = sum x[n] e^-jwn. With an impulse response as input
    this is the filter's frequency response at w = 2 pi frequencyHz / sampleRate. */
std::complex<double> responseAt (const std::vector<float>& impulseResponse, double frequencyHz, double sampleRate);

/** |responseAt| in dB. */
double magnitudeDbAt (const std::vector<float>& impulseResponse, double frequencyHz, double sampleRate);

/** A unit impulse followed by zeros. */
std::vector<float> unitImpulse (int numSamples);
} // namespace naivedft
