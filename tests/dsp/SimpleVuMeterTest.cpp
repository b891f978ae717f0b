#include "dsp/SimpleVuMeter.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace
{
constexpr double testRate = 44100.0;

SimpleVuMeter preparedMeter()
{
    SimpleVuMeter meter;
    meter.setSampleRate (testRate);
    meter.reset();
    return meter;
}

float levelAfter (SimpleVuMeter& meter, const std::vector<float>& samples)
{
    meter.processSamples (samples.data(), (int) samples.size());
    meter.refresh();
    return meter.levelDb;
}
} // namespace

TEST (SimpleVuMeter, MeasuresNothingBeforeItHasASampleRate)
{
    SimpleVuMeter meter;
    const std::vector<float> loud (64, 1.0f);
    EXPECT_EQ (levelAfter (meter, loud), AbstractVuMeterDSP::silentDb);
    EXPECT_EQ ((float) meter.peakEnv, 0.0f);
}

TEST (SimpleVuMeter, SteadyLevels)
{
    struct Case
    {
        float amplitude;
        float expectedDb;
    };

    // Negative samples count by their magnitude.
    for (auto c : { Case { 1.0f, 0.0f }, Case { 0.5f, -6.0206f }, Case { -0.5f, -6.0206f }, Case { -1.0f, 0.0f } })
    {
        auto meter = preparedMeter();
        EXPECT_NEAR (levelAfter (meter, std::vector<float> (4096, c.amplitude)), c.expectedDb, 0.001f) << c.amplitude;
    }
}

TEST (SimpleVuMeter, ReleasesOverTwentyMilliseconds)
{
    auto meter = preparedMeter();
    std::vector<float> click (513, 0.0f);
    click[0] = 1.0f;
    const auto level = levelAfter (meter, click);

    EXPECT_NEAR ((float) meter.peakEnv, 0.026f, 0.0005f);
    EXPECT_NEAR (level, -31.7f, 0.1f);
}

TEST (SimpleVuMeter, FloorIsOneTenThousandth)
{
    struct Case
    {
        float envelope;
        float expectedDb;
    };

    for (auto c : { Case { 0.00009f, AbstractVuMeterDSP::silentDb }, Case { 0.0001f, -80.0f } })
    {
        auto meter = preparedMeter();
        meter.peakEnv = c.envelope;
        meter.refresh();
        EXPECT_NEAR ((float) meter.levelDb, c.expectedDb, 0.0001f) << c.envelope;
    }
}

TEST (SimpleVuMeter, ResetSilencesAndNonFiniteInputDoesNotStick)
{
    auto meter = preparedMeter();
    levelAfter (meter, std::vector<float> (64, 0.7f));
    meter.reset();
    EXPECT_EQ ((float) meter.peakEnv, 0.0f);
    EXPECT_EQ ((float) meter.levelDb, AbstractVuMeterDSP::silentDb);

    for (auto bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() })
    {
        std::vector<float> block (64, 0.25f);
        block[10] = bad;
        levelAfter (meter, block);
        EXPECT_EQ ((float) meter.peakEnv, 0.0f) << bad;
        EXPECT_NEAR (levelAfter (meter, std::vector<float> (4096, 0.5f)), -6.0206f, 0.001f) << bad;
    }
}

TEST (SimpleVuMeter, APairInOnePassFollowsAsTwoSingleMeters)
{
    // The input meter runs beside the output meter: same envelopes, bit for
    // bit. A host can hand either side a NaN, and neither may keep it.
    auto first = testsignals::noiseWithImpulses (1000, 21);
    auto second = testsignals::noiseWithImpulses (1000, 22);
    first[400] = std::numeric_limits<float>::quiet_NaN();
    second[700] = std::numeric_limits<float>::quiet_NaN();
    SimpleVuMeter single[2], pair[2];

    for (auto* meter : { &single[0], &single[1], &pair[0], &pair[1] })
        meter->setSampleRate (48000.0);

    for (const int start : { 0, 300, 600 })
    {
        single[0].processSamples (first.data() + start, 300);
        single[1].processSamples (second.data() + start, 300);
        SimpleVuMeter::processPair (pair[0], first.data() + start, pair[1], second.data() + start, 300);

        EXPECT_EQ ((float) pair[0].peakEnv, (float) single[0].peakEnv) << start;
        EXPECT_EQ ((float) pair[1].peakEnv, (float) single[1].peakEnv) << start;
    }
}
