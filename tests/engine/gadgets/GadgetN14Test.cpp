// The auto-swell: trigger thresholds, the -60 to 0 dB ramp in time, the
// look-ahead, and the depth blend.

#include "engine/gadgets/GadgetN14.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr int maxBlock = 512;

struct Stereo
{
    std::vector<float> left, right;
};

std::unique_ptr<GadgetN14> makeSwell (double sens, double attack, double depth, double sampleRate = 44100.0)
{
    auto gadget = std::make_unique<GadgetN14>();
    gadget->initProcessing (sampleRate, maxBlock);
    gadget->setParameters (sens, attack, depth, 0.5, 0);
    gadget->reset();
    return gadget;
}

Stereo run (GadgetN14& gadget, Stereo signal)
{
    const auto total = (int) signal.left.size();
    for (int start = 0; start < total; start += maxBlock)
        gadget.processSamples (
            signal.left.data() + start, signal.right.data() + start, std::min (maxBlock, total - start), 0.0f);
    return signal;
}

/** Silence, then a constant level from sample onset on, on both channels:
    the detector sees exactly that level, and out / in is the gain. */
Stereo stepAt (int onset, int numSamples, float level)
{
    std::vector<float> x ((size_t) numSamples, 0.0f);
    std::fill (x.begin() + onset, x.end(), level);
    return { x, x };
}

double gainDb (float output, float input) { return 20.0 * std::log10 ((double) output / (double) input); }
} // namespace

TEST (Rovazavu, SensitivitySetsTheLevelThatStartsASwell)
{
    struct Row
    {
        double sens;
        double levelDb;
        bool swells;
    };
    // The peak must pass -60 x Sens. dB: 0 dB (full scale) at 0, -60 dB at 1.
    const Row rows[] = { { 0.0, -0.1, false }, { 0.0, 0.1, true },    { 0.5, -31.0, false },
                         { 0.5, -29.0, true }, { 1.0, -61.0, false }, { 1.0, -59.0, true } };
    constexpr int onset = 3000;
    constexpr int lookAhead = 1323;

    for (const auto& row : rows)
    {
        SCOPED_TRACE (testing::Message() << "Sens. " << row.sens << " at " << row.levelDb << " dB");
        const auto level = (float) std::pow (10.0, row.levelDb / 20.0);
        auto gadget = makeSwell (row.sens, 0.0, 0.0);
        const auto output = run (*gadget, stepAt (onset, 6000, level));

        // Where the attack comes out of the look-ahead, a swell has only just begun.
        const auto gain = gainDb (output.left[onset + lookAhead], level);
        if (row.swells)
            EXPECT_LT (gain, -20.0);
        else
            EXPECT_NEAR (gain, 0.0, 1.0e-4);
    }
}

TEST (Rovazavu, GainRisesFromMinus60To0DecibelsStraightOverTheAttackTime)
{
    struct Row
    {
        double sampleRate, attack;
        int fadeSamples; // 50 ms + 2950 ms x Attack^2, rounded half to even
    };
    const Row rows[] = {
        { 44100.0, 0.0, 2205 }, { 48000.0, 0.0, 2400 }, { 44100.0, 0.5, 34729 }, { 48000.0, 1.0, 144000 }
    };
    constexpr float level = 0.5f;
    constexpr int onset = 1000;

    for (const auto& row : rows)
    {
        SCOPED_TRACE (testing::Message() << "fs " << row.sampleRate << " Attack " << row.attack);
        const auto lookAhead = (int) (row.sampleRate * 0.03);
        const auto length = onset + row.fadeSamples + 4000;
        auto gadget = makeSwell (0.5, row.attack, 0.0, row.sampleRate);
        const auto output = run (*gadget, stepAt (onset, length, level));

        // Nothing of the attack is heard before it leaves the look-ahead.
        for (int i = 0; i < onset + lookAhead; ++i)
            ASSERT_EQ (output.left[(size_t) i], 0.0f) << i;

        // The ramp is straight in dB, 60 dB over fadeSamples from the onset;
        // the 80 Hz smoother lags an exponential rise e^(a t) by a constant
        // 20 log10 (1 + a tau) dB, tau = 1 / (2 pi 80 Hz).
        const auto dbPerSample = 60.0 / row.fadeSamples;
        const auto tau = row.sampleRate / (2.0 * M_PI * 80.0);
        const auto smootherLagDb = 20.0 * std::log10 (1.0 + dbPerSample * std::log (10.0) / 20.0 * tau);

        for (double fraction : { 0.7, 0.8, 0.9, 0.97 })
        {
            const auto k = (int) (fraction * row.fadeSamples);
            const auto idealDb = -60.0 + 60.0 * (k + 1) / row.fadeSamples;
            EXPECT_NEAR (gainDb (output.left[(size_t) (onset + k)], level), idealDb - smootherLagDb, 0.05) << k;
        }

        // Full gain once the ramp is over and the smoother has caught up.
        EXPECT_NEAR (gainDb (output.left.back(), level), 0.0, 0.001);
        EXPECT_NEAR (gainDb (output.right.back(), level), 0.0, 0.001);
    }
}

TEST (Rovazavu, OnlyANewAttackAfterTheGateClosedRestartsTheSwell)
{
    constexpr int lookAhead = 1323;
    auto gadget = makeSwell (0.5, 0.0, 0.0);
    // A note, a louder one while the gate is still open, silence long enough
    // for the peak to fall 6 dB below the on threshold, then a new note.
    std::vector<float> x (30000, 0.0f);
    std::fill (x.begin() + 1000, x.begin() + 1500, 0.1f);
    std::fill (x.begin() + 1500, x.begin() + 5000, 0.5f);
    std::fill (x.begin() + 20000, x.end(), 0.5f);
    const auto output = run (*gadget, { x, x });

    // The louder note comes out of the look-ahead on the ramp begun by the
    // first: -60 dB + 60 dB x 1824 / 2205, less the smoother's 2.1 dB lag
    // (a restart would put it near -26 dB).
    EXPECT_NEAR (gainDb (output.left[1500 + lookAhead], 0.5f), -60.0 + 60.0 * 1824 / 2205 - 2.1, 0.5);
    // The new note starts over from far down.
    EXPECT_LT (gainDb (output.left[20000 + lookAhead], 0.5f), -20.0);
}

TEST (Rovazavu, LookAheadIsThirtyMillisecondsUpTo2047Samples)
{
    struct Row
    {
        double sampleRate;
        int lookAhead;
    };
    const Row rows[] = {
        { 22050.0, 661 }, { 44100.0, 1323 }, { 48000.0, 1440 }, { 96000.0, 2047 }, { 192000.0, 2047 }
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (testing::Message() << "fs " << row.sampleRate);
        // Below the Sens. 0 threshold, so the signal passes at full gain,
        // only delayed (the noise's impulses peak at exactly 0 dB).
        const auto input = testsignals::noiseWithImpulses (12000, 3);
        auto gadget = makeSwell (0.0, 0.5, 0.0, row.sampleRate);
        const auto output = run (*gadget, { input, input });

        // From 8000 on the gain smoother has long settled at 1 after the
        // reset (to within the rounding of its float state).
        for (size_t i = 8000; i < input.size(); ++i)
            ASSERT_NEAR (output.left[i], input[i - (size_t) row.lookAhead], 2.0e-5f) << i;
    }
}

TEST (Rovazavu, DepthBlendsInASweptEchoSevenToTenMillisecondsLater)
{
    constexpr double sampleRate = 48000.0;
    constexpr int lookAhead = 1440;
    constexpr int impulseAt = 6000;
    std::vector<float> x (9000, 0.0f);
    x[impulseAt] = 0.5f; // below the Sens. 0 threshold: no swell

    const auto dry = run (*makeSwell (0.0, 0.5, 0.0, sampleRate), { x, x });
    const auto wet = run (*makeSwell (0.0, 0.5, 1.0, sampleRate), { x, x });
    const auto half = run (*makeSwell (0.0, 0.5, 0.5, sampleRate), { x, x });

    // Depth is a plain crossfade between the two.
    for (size_t i = 0; i < x.size(); ++i)
        ASSERT_NEAR (half.left[i], 0.5f * dry.left[i] + 0.5f * wet.left[i], 1.0e-6f) << i;

    // The direct sound reaches the wet mix at half level, moved by the +-10 %
    // amplitude modulation; the echo follows 7 to 10 ms (+ 1 sample) later.
    const auto direct = impulseAt + lookAhead;
    EXPECT_NEAR (wet.left[(size_t) direct], 0.25f, 0.025f);
    EXPECT_NEAR (wet.right[(size_t) direct], 0.25f, 0.025f);

    for (const auto* channel : { &wet.left, &wet.right })
    {
        int echo = -1;
        for (int i = direct + 1; i < (int) channel->size() && echo < 0; ++i)
            if (std::abs ((*channel)[(size_t) i]) > 0.01f)
                echo = i - direct;

        EXPECT_GE (echo, (int) (0.007 * sampleRate) + 1);
        EXPECT_LE (echo, (int) (0.010 * sampleRate) + 2);
    }
}

TEST (Rovazavu, NonFiniteInputDoesNotSilenceLaterBlocks)
{
    for (double depth : { 0.0, 1.0 })
    {
        auto gadget = makeSwell (0.5, 0.0, depth);
        run (*gadget, { std::vector<float> (maxBlock, std::nanf ("")), std::vector<float> (maxBlock, INFINITY) });

        // The bad block comes out of the look-ahead 1323 samples later; after
        // that nothing of it may linger, not even in the echo loop.
        const auto output = run (
            *gadget,
            { testsignals::noiseWithImpulses (maxBlock * 8, 4), testsignals::noiseWithImpulses (maxBlock * 8, 5) });
        const auto clean = (size_t) (1323 + maxBlock);
        EXPECT_TRUE (testsignals::allFinite ({ output.left.begin() + clean, output.left.end() })) << depth;
        EXPECT_TRUE (testsignals::allFinite ({ output.right.begin() + clean, output.right.end() })) << depth;
    }
}

TEST (Rovazavu, MatchesGoldenSnapshots)
{
    struct Setting
    {
        const char* name;
        double p1, p2, p3;
        float amplitude;
    };
    // Two chords below their thresholds (full gain) and one that starts a swell.
    const Setting settings[] = { { "rovazavu_default", 0.5, 0.5, 0.0, 0.02f },
                                 { "rovazavu_fast_full_depth", 1.0, 0.0, 1.0, 0.2f },
                                 { "rovazavu_slow_half_depth", 0.2, 1.0, 0.5, 0.2f } };

    for (const auto& setting : settings)
    {
        auto gadget = makeSwell (setting.p1, setting.p2, setting.p3);
        const auto output = run (*gadget,
                                 { testsignals::sine (2048, 440.0, 44100.0, setting.amplitude),
                                   testsignals::sine (2048, 660.0, 44100.0, setting.amplitude) });
        // Past the 1323-sample look-ahead, so the swell is in the snapshot.
        std::vector<float> snapshot (output.left.begin() + 1448, output.left.end());
        snapshot.insert (snapshot.end(), output.right.begin() + 1448, output.right.end());
        EXPECT_EQ (verifyGolden (setting.name, snapshot), "");
    }
}

TEST (Rovazavu, AttackTimeSquaresTheKnobBeforeScaling)
{
    // (2950 p2^2 + 50) ms: the square comes first. Where the float product
    // sits on a half sample, the other order lands one sample off.
    const struct
    {
        double attack, sampleRate;
        int fadeSamples;
    } cases[] = {
        { 0.047816, 96000.0, 5447 }, { 0.0, 44100.0, 2205 }, { 0.5, 48000.0, 37800 }, { 1.0, 44100.0, 132300 }
    };

    for (const auto& c : cases)
    {
        auto swell = makeSwell (0.5, c.attack, 0.0, c.sampleRate);
        swell->updateCoefficients();
        EXPECT_EQ (swell->fadeLength, c.fadeSamples) << c.attack << " at " << c.sampleRate;
    }
}

TEST (Rovazavu, GateClosesWhenTheReleasedPeakFallsBelowTheOffThreshold)
{
    // After a note stops the peak falls by the 50 ms release alone:
    // 20 log10 (e) / 50 ms dB per second, from the note's level down to the
    // off threshold (-57 Sens. - 6 dB).
    const struct
    {
        double sampleRate, sens;
        float level;
    } rows[] = { { 44100.0, 0.5, 0.1f }, { 48000.0, 0.0, 1.5f }, { 96000.0, 1.0, 0.01f } };
    constexpr int noteSamples = 4000;

    for (const auto& row : rows)
    {
        SCOPED_TRACE (testing::Message() << "fs " << row.sampleRate << " Sens. " << row.sens);
        auto gadget = makeSwell (row.sens, 0.0, 0.0, row.sampleRate);
        float left = row.level, right = row.level;

        for (int i = 0; i < noteSamples; ++i, left = right = row.level)
            gadget->processSamples (&left, &right, 1, 0.0f);

        ASSERT_TRUE (gadget->gateOpen);

        const auto offDb = -57.0 * row.sens - 6.0;
        const auto fallDbPerSample = 20.0 / std::log (10.0) / (0.05 * row.sampleRate);
        const auto expected = (20.0 * std::log10 ((double) row.level) - offDb) / fallDbPerSample;
        int closedAfter = 0;

        while (gadget->gateOpen && closedAfter < 100000)
        {
            left = right = 0.0f;
            gadget->processSamples (&left, &right, 1, 0.0f);
            ++closedAfter;
        }

        // The float release accumulates a little rounding over thousands of samples.
        EXPECT_NEAR (closedAfter, expected, 3.0);
    }
}
