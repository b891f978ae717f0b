// The six-stage phaser: all-pass sections swept together by a triangle LFO,
// with feedback round the chain.

#include "engine/gadgets/GadgetN02.h"
#include "support/GadgetHarness.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gadgetharness;

namespace
{
constexpr double fs = 48000.0;
constexpr double baseHz[] = { 160.0, 330.0, 480.0, 980.0, 1600.0, 2600.0 };

void prepare (GadgetN02& phaser, double rate, float amount, float lfoRate, float feedback)
{
    phaser.initProcessing (rate, 512);
    phaser.setParameters (amount, lfoRate, feedback, 0.5, 0);
    phaser.reset();
}

/** A first-order all-pass (s - w) / (s + w) turns a sine by pi - 2 atan(W),
    W the analog frequency over the section's. Through the bilinear transform
    W = tan(pi f / fs) / tan(pi F / fs). Summed over the six sections: */
double chainPhaseTerm (double hz, double rate)
{
    double sum = 0.0;
    for (auto stageHz : baseHz)
        sum += std::atan (std::tan (M_PI * hz / rate) / std::tan (M_PI * stageHz / rate));
    return sum;
}

/** Where the half-and-half mix cancels (the chain is at an odd multiple of
    pi) or adds up (an even multiple): the frequency at which the summed
    atan term reaches target, by bisection. */
double frequencyWherePhaseTermIs (double target, double rate)
{
    double low = 1.0, high = 0.499 * rate;
    for (int i = 0; i < 100; ++i)
    {
        const auto mid = 0.5 * (low + high);
        (chainPhaseTerm (mid, rate) < target ? low : high) = mid;
    }
    return 0.5 * (low + high);
}

double gainAt (double hz, double rate)
{
    GadgetN02 phaser;
    prepare (phaser, rate, 0.0f, 0.5f, 0.0f);
    return sineGain (phaser, hz, rate, 0.1f, 0.2, 0.3);
}

/** Runs one sample from the given LFO angle, so the chain is computed there. */
void computeChainAt (GadgetN02& phaser, float angle)
{
    phaser.lfoPhase = angle;
    float l = 0.0f, r = 0.0f;
    phaser.processSamples (&l, &r, 1, 0.0f);
}
} // namespace

TEST (RezovIdidiz, NotchesAndPeaksSitWhereTheAllPassPhaseSaysTheyDo)
{
    // Without sweep or feedback the output is (x + allpass(x)) / 2: a notch
    // where the chain turns the sine by an odd multiple of pi, unity where it
    // turns it by an even multiple. The six sections give three notches.
    for (double rate : { 44100.0, 48000.0, 96000.0 })
    {
        for (double target : { M_PI / 2.0, 3.0 * M_PI / 2.0, 5.0 * M_PI / 2.0 })
        {
            const auto notchHz = frequencyWherePhaseTermIs (target, rate);
            SCOPED_TRACE (testing::Message() << rate << " Hz rate, notch at " << notchHz << " Hz");
            EXPECT_LT (toDecibels (gainAt (notchHz, rate)), -40.0);
            EXPECT_GT (toDecibels (gainAt (notchHz * 1.1, rate)), -25.0);
            EXPECT_GT (toDecibels (gainAt (notchHz / 1.1, rate)), -25.0);
        }

        for (double target : { M_PI, 2.0 * M_PI })
        {
            const auto peakHz = frequencyWherePhaseTermIs (target, rate);
            EXPECT_NEAR (toDecibels (gainAt (peakHz, rate)), 0.0, 0.01)
                << rate << " Hz rate, peak at " << peakHz << " Hz";
        }
    }
}

TEST (RezovIdidiz, AmountMovesTheStagesUpToADecadeEitherWay)
{
    struct Case
    {
        float amount, angle;
        double scale;
        double rate;
    };
    const Case cases[] = {
        { 1.0f, 0.0f, 0.1, fs }, // bottom of the triangle
        { 1.0f, (float) M_PI, 10.0, fs }, // top: 1.6 .. 16 kHz, the last stage held at 20 kHz
        { 1.0f, (float) M_PI / 2.0f, 1.0, fs }, // the triangle's zero crossing
        { 0.5f, (float) M_PI, std::sqrt (10.0), fs },
        { 0.0f, (float) M_PI, 1.0, fs }, // no amount, no sweep
        { 1.0f, (float) M_PI, 10.0, 22050.0 }, // low rates: every stage held below Nyquist
        { 1.0f, (float) M_PI, 10.0, 32000.0 },
    };

    for (const auto& c : cases)
    {
        GadgetN02 phaser;
        prepare (phaser, c.rate, c.amount, 0.5f, 0.0f);
        computeChainAt (phaser, c.angle);

        for (int stage = 0; stage < GadgetN02::numStages; ++stage)
        {
            const auto stageHz = std::min ({ baseHz[stage] * c.scale, 20000.0, 0.49 * c.rate });
            const auto w = std::tan (M_PI * stageHz / c.rate);
            SCOPED_TRACE (testing::Message()
                          << "amount " << c.amount << " angle " << c.angle << " rate " << c.rate << " stage " << stage);
            EXPECT_NEAR (phaser.allpass.b0[stage], (1.0 - w) / (1.0 + w), 2.0e-5);
            EXPECT_LT (std::abs (phaser.allpass.b0[stage]), 1.0f);
        }
    }
}

TEST (RezovIdidiz, WithoutAmountTheLfoDoesNothing)
{
    const auto input = bothChannels (testsignals::noiseWithImpulses (6000, 12));
    auto slow = input, fast = input;
    GadgetN02 a, b;
    prepare (a, fs, 0.0f, 0.0f, 0.7f);
    prepare (b, fs, 0.0f, 1.0f, 0.7f);
    process (a, slow, 100);
    process (b, fast, 100);
    EXPECT_EQ (slow.left, fast.left);
}

TEST (RezovIdidiz, ShortBlocksKeepTheEightSampleGrid)
{
    // The fastest LFO moves the chain a long way in 8 samples, so a grid that
    // restarted with each block would show; rounding of the LFO phase alone does not.
    const auto input = bothChannels (testsignals::noiseWithImpulses (3000, 13));
    GadgetN02 reference;
    prepare (reference, fs, 1.0f, 1.0f, 0.5f);
    auto expected = input;
    process (reference, expected, 512);

    for (int blockSize : { 1, 3, 7, 13 })
    {
        GadgetN02 phaser;
        prepare (phaser, fs, 1.0f, 1.0f, 0.5f);
        auto output = input;
        process (phaser, output, blockSize);

        float worst = 0.0f;
        for (std::size_t i = 0; i < output.left.size(); ++i)
            worst = std::max (worst, std::abs (output.left[i] - expected.left[i]));
        EXPECT_LT (worst, 1.0e-3f) << "block " << blockSize;
    }
}

TEST (RezovIdidiz, FullFeedbackDiesAway)
{
    // Each chain has unity gain, so 0.8 round the loop decays.
    for (float amount : { 0.0f, 1.0f })
    {
        GadgetN02 phaser;
        prepare (phaser, fs, amount, 1.0f, 1.0f);
        Stereo signal { std::vector<float> ((std::size_t) fs), std::vector<float> ((std::size_t) fs) };
        signal.left[0] = signal.right[0] = 1.0f;
        process (phaser, signal, 512);

        EXPECT_LT (testsignals::peakOf (signal.left), 2.0f) << amount;
        EXPECT_LT (testsignals::peakOf ({ signal.left.end() - 4800, signal.left.end() }), 1.0e-6f) << amount;
    }
}

TEST (RezovIdidiz, RecoversFromANonFiniteBlock)
{
    GadgetN02 phaser;
    prepare (phaser, fs, 0.7f, 0.6f, 1.0f);
    EXPECT_TRUE (recoversFromNonFiniteBlock (phaser, 256, 256, 4096));
}

TEST (RezovIdidiz, GoldenSnapshots)
{
    struct Case
    {
        const char* name;
        float p1, p2, p3;
    };
    for (const auto& c : { Case { "rezov_ididiz_default", 0.5f, 0.5f, 0.5f },
                           Case { "rezov_ididiz_all_up", 1.0f, 1.0f, 1.0f },
                           Case { "rezov_ididiz_all_down", 0.0f, 0.0f, 0.0f } })
    {
        GadgetN02 phaser;
        prepare (phaser, fs, c.p1, c.p2, c.p3);
        Stereo signal { testsignals::noiseWithImpulses (400, 51), testsignals::noiseWithImpulses (400, 52) };
        process (phaser, signal, 64);
        EXPECT_EQ (verifyGolden (c.name, interleaveChannels (signal)), "") << c.name;
    }
}
