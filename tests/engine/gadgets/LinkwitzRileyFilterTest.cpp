// The crossover's two bands against the theory of fourth-order
// Linkwitz-Riley filters.

#include "engine/gadgets/LinkwitzRileyFilter.h"
#include "support/NaiveDft.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct Bands
{
    std::vector<float> low, high;
};

Bands splitImpulse (double sampleRate, float cutoffHz, int numSamples)
{
    LinkwitzRileyFilter lowPass (LinkwitzRileyFilter::lowPass), highPass (LinkwitzRileyFilter::highPass);
    lowPass.setCutoff (sampleRate, cutoffHz);
    highPass.setCutoff (sampleRate, cutoffHz);

    Bands bands { naivedft::unitImpulse (numSamples), naivedft::unitImpulse (numSamples) };
    for (int i = 0; i < numSamples; ++i)
    {
        lowPass.processSample (bands.low[(size_t) i]);
        highPass.processSample (bands.high[(size_t) i]);
    }
    return bands;
}
} // namespace

TEST (LinkwitzRileyFilter, BandsFollowTheSquaredButterworthLawAndSumToAnAllPass)
{
    constexpr float cutoffHz = 830.0f;
    // Far down the stop band the float states' rounding shows, so the bands
    // are compared on a linear scale; the sum's flatness in dB.
    constexpr double toleranceLinear = 1.0e-5;
    constexpr double toleranceDb = 0.001;

    for (double sampleRate : { 22050.0, 44100.0, 48000.0, 192000.0 })
    {
        const auto bands = splitImpulse (sampleRate, cutoffHz, 16384);
        std::vector<float> sum (bands.low.size());
        for (size_t i = 0; i < sum.size(); ++i)
            sum[i] = bands.low[i] + bands.high[i];

        for (double hz = 20.0; hz < 0.45 * sampleRate; hz *= 1.1)
        {
            SCOPED_TRACE (testing::Message() << "fs " << sampleRate << " at " << hz << " Hz");
            // Each band is a second-order Butterworth response squared:
            // 1 / (1 + r^4) and r^4 / (1 + r^4), r the ratio of frequency to
            // cutoff on the prewarped (tan) axis of the bilinear transform.
            const auto r4 = std::pow (std::tan (M_PI * hz / sampleRate) / std::tan (M_PI * cutoffHz / sampleRate), 4.0);
            EXPECT_NEAR (
                std::abs (naivedft::responseAt (bands.low, hz, sampleRate)), 1.0 / (1.0 + r4), toleranceLinear);
            EXPECT_NEAR (
                std::abs (naivedft::responseAt (bands.high, hz, sampleRate)), r4 / (1.0 + r4), toleranceLinear);
            // In phase at every frequency, so the sum is flat.
            EXPECT_NEAR (naivedft::magnitudeDbAt (sum, hz, sampleRate), 0.0, toleranceDb);
        }
    }
}
