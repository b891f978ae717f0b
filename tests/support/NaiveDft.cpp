#include "NaiveDft.h"

#include <cmath>

namespace naivedft
{
std::complex<double> responseAt (const std::vector<float>& impulseResponse, double frequencyHz, double sampleRate)
{
    const auto w = 2.0 * M_PI * frequencyHz / sampleRate;
    std::complex<double> sum;

    for (size_t n = 0; n < impulseResponse.size(); ++n)
        sum += (double) impulseResponse[n] * std::polar (1.0, -w * (double) n);

    return sum;
}

double magnitudeDbAt (const std::vector<float>& impulseResponse, double frequencyHz, double sampleRate)
{
    return 20.0 * std::log10 (std::abs (responseAt (impulseResponse, frequencyHz, sampleRate)));
}

std::vector<float> unitImpulse (int numSamples)
{
    std::vector<float> samples ((size_t) numSamples, 0.0f);
    samples[0] = 1.0f;
    return samples;
}
} // namespace naivedft
