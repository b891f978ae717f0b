// The crusher: resonant low-pass, bit and rate reducer, clipper, sample-and-hold.

#include "engine/gadgets/GadgetN04.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

namespace
{
constexpr double testRate = 48000.0;
constexpr int maxBlock = 512;

struct Stereo
{
    std::vector<float> left, right;
};

std::unique_ptr<GadgetN04> makeCrusher (double amountKnob, double downKnob, double filterKnob, double rate = testRate)
{
    auto crusher = std::make_unique<GadgetN04>();
    crusher->initProcessing (rate, maxBlock);
    crusher->reset();
    crusher->setParameters (amountKnob, downKnob, filterKnob, 0.5, 0);
    return crusher;
}

Stereo run (Gadgets& gadget, Stereo signal)
{
    const auto length = (int) signal.left.size();

    for (int start = 0; start < length; start += maxBlock)
        gadget.processSamples (
            signal.left.data() + start, signal.right.data() + start, std::min (maxBlock, length - start), 0.0f);

    return signal;
}

Stereo constant (float value, int length)
{
    return { std::vector<float> ((size_t) length, value), std::vector<float> ((size_t) length, value) };
}

/** The knob position at which the amount a = 1 - (1 - p)^2 takes a given value. */
double amountKnobFor (double amount) { return 1.0 - std::sqrt (1.0 - amount); }

/** A knob position that sets exactly `bits` reduced bits: the middle of its
    range, or the knob's end for all fourteen. */
double knobForBits (int bits) { return bits >= 14 ? 1.0 : amountKnobFor ((bits + 0.5) / 14.0); }

/** The clipper from its definition, in double. */
double clip (double x, double k) { return (k + 1.0) * x / (std::abs (x) * k + 1.0); }

double rms (const std::vector<float>& x, size_t from)
{
    double sum = 0.0;
    for (auto i = from; i < x.size(); ++i)
        sum += (double) x[i] * x[i];
    return std::sqrt (sum / (double) (x.size() - from));
}
} // namespace

TEST (RarUvidavi, ControlsSetBitsClipperAndHold)
{
    struct Case
    {
        double amountKnob, downKnob;
        int bits;
        float k;
        int hold;
    };

    const Case cases[] = {
        { 0.0, 0.0, 0, 0.0f, 1 }, // the default: nothing reduced, nothing held
        { 0.03, 0.03, 0, 0.12430f, 2 }, // a little clipping before the first bit goes
        { 0.04, 0.5, 1, 0.16831f, 25 },
        { 1.0, 1.0, 14, 200.0f, 50 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "amount " << c.amountKnob << " down " << c.downKnob);
        auto crusher = makeCrusher (c.amountKnob, c.downKnob, 1.0);
        float unused = 0.0f;
        crusher->processSamples (&unused, &unused, 0, 0.0f);

        EXPECT_EQ (crusher->crushBits, c.bits);
        EXPECT_NEAR (crusher->shaperK, c.k, 2.0e-4f * std::max (1.0f, c.k));
        EXPECT_EQ (crusher->holdLength, c.hold);
    }
}

TEST (RarUvidavi, AmountZeroOnlyReappliesTheInputGainAndClamps)
{
    struct Case
    {
        float inputGain, input, expected;
    };

    const Case cases[] = {
        { 1.0f, 0.3f, 0.3f }, { 2.0f, 0.3f, 0.6f },   { 0.5f, -0.7f, -0.35f },
        { 2.0f, 0.7f, 1.0f }, { 2.0f, -0.7f, -1.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "gain " << c.inputGain << " input " << c.input);
        auto crusher = makeCrusher (0.0, 0.0, 1.0);
        crusher->inputGain = c.inputGain;
        const auto out = run (*crusher, constant (c.input, 2048));

        EXPECT_NEAR (out.left.back(), c.expected, 1.0e-5f);
        EXPECT_NEAR (out.right.back(), c.expected, 1.0e-5f);
    }
}

TEST (RarUvidavi, ClipsOnceBelowTheFirstBitAndTwiceFromIt)
{
    constexpr float input = 0.25f;

    // No bit reduced yet: the filtered input through the clipper once.
    auto gentle = makeCrusher (0.03, 0.0, 1.0);
    EXPECT_NEAR (run (*gentle, constant (input, 2048)).left.back(), clip (input, 0.12430), 1.0e-5);

    // One bit: 0.25 is 8191 on the 16-bit scale, reduced to 8190, then clipped twice.
    auto oneBit = makeCrusher (0.04, 0.0, 1.0);
    const auto reduced = 8190.0 / 32767.0;
    EXPECT_NEAR (run (*oneBit, constant (input, 2048)).left.back(), clip (clip (reduced, 0.16831), 0.16831), 1.0e-4);
}

TEST (RarUvidavi, ReducerDropsLowBitsRoundingTowardsMinusInfinity)
{
    struct Case
    {
        int bits;
        float input;
        int expected16;
    };

    const Case cases[] = {
        { 1, 0.5f, 16382 },    { 1, -0.5f, -16384 }, // 16383.5 truncates to 16383, then loses its low bit
        { 4, 0.3f, 9824 },     { 4, -0.3f, -9840 },  { 14, 0.4f, 0 },
        { 14, -0.4f, -16384 }, { 14, 0.9f, 16384 },  { 14, 3.0f, 16384 }, // above 1 reads as 1
        { 14, -3.0f, -32768 }, // below -1 reads as -32767, and the shift rounds it down
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.bits << " bits, input " << c.input);
        auto crusher = makeCrusher (knobForBits (c.bits), 0.0, 1.0);
        run (*crusher, constant (c.input, 4096));

        ASSERT_EQ (crusher->crushBits, c.bits);
        EXPECT_EQ (crusher->crushedL, (float) c.expected16 / 32767.0f);
        EXPECT_EQ (crusher->crushedR, (float) c.expected16 / 32767.0f);
    }
}

TEST (RarUvidavi, ARampTakesEveryLevelOfTheStepOnlyAtReductionInstants)
{
    struct Case
    {
        int bits, levels; // multiples of 2^bits between -32768 and 32767
    };

    constexpr int length = 96000;
    std::vector<float> ramp (length);
    for (int i = 0; i < length; ++i)
        ramp[(size_t) i] = -1.5f + 3.0f * (float) i / (float) length;

    for (const auto& c : { Case { 8, 256 }, Case { 11, 32 }, Case { 14, 4 } })
    {
        SCOPED_TRACE (testing::Message() << c.bits << " bits");
        auto crusher = makeCrusher (knobForBits (c.bits), 0.0, 1.0);
        const auto out = run (*crusher, { ramp, ramp });

        EXPECT_EQ (std::set<float> (out.left.begin(), out.left.end()).size(), (size_t) c.levels);

        // A new value is taken every bits + 1 samples, the first at sample `bits`.
        for (int i = 1; i < length; ++i)
            if (out.left[(size_t) i] != out.left[(size_t) i - 1])
                ASSERT_EQ (i % (c.bits + 1), c.bits) << "changed at sample " << i;
    }
}

TEST (RarUvidavi, HoldRepeatsEveryTakenSampleForItsLength)
{
    struct Case
    {
        double downKnob;
        int length;
    };

    const auto noise = testsignals::noiseWithImpulses (4000, 11);

    for (const auto& c : { Case { 0.0, 1 }, Case { 0.03, 2 }, Case { 0.5, 25 }, Case { 1.0, 50 } })
    {
        SCOPED_TRACE (testing::Message() << "down " << c.downKnob);
        auto unheld = makeCrusher (0.0, 0.0, 1.0);
        auto held = makeCrusher (0.0, c.downKnob, 1.0);
        const auto reference = run (*unheld, { noise, noise });
        const auto out = run (*held, { noise, noise });

        for (size_t i = 0; i < out.left.size(); ++i)
        {
            // Silence until the first take at sample length - 1, then one take per length.
            const auto taken = (long) i - (c.length - 1);
            const auto expected =
                taken < 0 ? 0.0f : reference.left[(size_t) (taken - taken % c.length) + (size_t) c.length - 1];
            ASSERT_EQ (out.left[i], expected) << "sample " << i;
        }
    }
}

TEST (RarUvidavi, FilterPassesDcAndPeaksByItsQAtTheCorner)
{
    struct Case
    {
        double rate, filterKnob, cornerHz;
        float relativeTolerance;
    };

    constexpr float amplitude = 0.1f;
    constexpr double q = 2.6;

    // At 20 Hz the single-precision coefficients put the poles within about
    // 1e-3 of z = 1, where their rounding moves the gain by up to a percent.
    const Case
        cases
            [] = {
                { 48000.0, 0.0, 20.0, 0.015f },          { 48000.0, 0.5, 632.45553, 0.01f },
                { 48000.0, 1.0, 20000.0, 0.01f },        { 44100.0, 1.0, 20000.0, 0.01f },
                { 22050.0, 1.0, 0.49 * 22050.0, 0.01f }, // 20 kHz lies above this rate's Nyquist: held at 0.49 fs
            };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.rate << " Hz, filter " << c.filterKnob);
        const auto length = (int) c.rate;
        const auto sine = testsignals::sine (length, c.cornerHz, c.rate, amplitude);

        auto atCorner = makeCrusher (0.0, 0.0, c.filterKnob, c.rate);
        const auto out = run (*atCorner, { sine, sine });
        EXPECT_NEAR (rms (out.left, (size_t) length / 2) * std::sqrt (2.0) / amplitude, q, c.relativeTolerance * q);

        auto atDc = makeCrusher (0.0, 0.0, c.filterKnob, c.rate);
        EXPECT_NEAR (run (*atDc, constant (amplitude, length)).left.back(), amplitude, c.relativeTolerance * amplitude);
    }
}

TEST (RarUvidavi, ABadSampleDoesNotSilenceTheFilter)
{
    auto crusher = makeCrusher (0.5, 0.2, 0.7);
    auto bad = Stereo { testsignals::noiseWithImpulses (maxBlock, 3), testsignals::noiseWithImpulses (maxBlock, 4) };
    bad.left[100] = std::numeric_limits<float>::quiet_NaN();
    bad.right[200] = std::numeric_limits<float>::infinity();
    run (*crusher, bad);

    const auto after =
        run (*crusher,
             { testsignals::noiseWithImpulses (4 * maxBlock, 5), testsignals::noiseWithImpulses (4 * maxBlock, 6) });
    EXPECT_TRUE (testsignals::allFinite (after.left) && testsignals::allFinite (after.right));
    EXPECT_GT (testsignals::peakOf (after.left), 0.0f);
    EXPECT_GT (testsignals::peakOf (after.right), 0.0f);
}

TEST (RarUvidavi, MatchesGoldenSnapshots)
{
    struct Case
    {
        const char* name;
        double amountKnob, downKnob, filterKnob;
    };

    const Case cases[] = { { "rar_uvidavi_default", 0.0, 0.0, 1.0 },
                           { "rar_uvidavi_all_up", 1.0, 1.0, 1.0 },
                           { "rar_uvidavi_mid", 0.6, 0.1, 0.5 } };

    for (const auto& c : cases)
    {
        auto crusher = makeCrusher (c.amountKnob, c.downKnob, c.filterKnob, 44100.0);
        crusher->inputGain = 1.5f;
        auto out =
            run (*crusher, { testsignals::noiseWithImpulses (300, 21), testsignals::noiseWithImpulses (300, 22) });
        out.left.insert (out.left.end(), out.right.begin(), out.right.end());
        EXPECT_EQ (verifyGolden (c.name, out.left), "");
    }
}
