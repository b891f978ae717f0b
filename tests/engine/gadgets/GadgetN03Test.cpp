// The plate reverb: scaled lengths, predelay, mix law, modulation counter,
// and its tail measured against what the tank's structure predicts.

#include "engine/gadgets/GadgetN03.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
constexpr int maxBlock = 512;

struct Stereo
{
    std::vector<float> left, right;
};

std::unique_ptr<GadgetN03>
    makeReverb (double rate, double delayKnob, double dampKnob, double effectKnob, double decayKnob)
{
    auto reverb = std::make_unique<GadgetN03>();
    reverb->initProcessing (rate, maxBlock);
    reverb->reset();
    reverb->setParameters (delayKnob, dampKnob, effectKnob, decayKnob, 0);
    return reverb;
}

Stereo run (Gadgets& gadget, Stereo signal, int blockSize = maxBlock)
{
    const auto length = (int) signal.left.size();

    for (int start = 0; start < length; start += blockSize)
        gadget.processSamples (
            signal.left.data() + start, signal.right.data() + start, std::min (blockSize, length - start), 0.0f);

    return signal;
}

Stereo impulse (int length)
{
    Stereo signal { std::vector<float> ((size_t) length), std::vector<float> ((size_t) length) };
    signal.left[0] = signal.right[0] = 1.0f;
    return signal;
}

Stereo noise (int length, std::uint32_t seed)
{
    return { testsignals::noiseWithImpulses (length, seed), testsignals::noiseWithImpulses (length, seed + 1) };
}

/** Least-squares slope of the tail's energy in dB per second, from 50 ms
    windows of both channels between the two times. */
double energySlopeDbPerSecond (const Stereo& tail, double rate, double fromSeconds, double toSeconds)
{
    const auto window = (size_t) (0.05 * rate);
    std::vector<double> seconds, levelsDb;

    for (auto start = (size_t) (fromSeconds * rate); start + window <= (size_t) (toSeconds * rate); start += window)
    {
        double energy = 0.0;
        for (auto i = start; i < start + window; ++i)
            energy += (double) tail.left[i] * tail.left[i] + (double) tail.right[i] * tail.right[i];

        seconds.push_back ((double) (start + window / 2) / rate);
        levelsDb.push_back (10.0 * std::log10 (energy));
    }

    const auto n = (double) seconds.size();
    double meanT = 0.0, meanDb = 0.0;
    for (size_t i = 0; i < seconds.size(); ++i)
    {
        meanT += seconds[i] / n;
        meanDb += levelsDb[i] / n;
    }

    double covariance = 0.0, variance = 0.0;
    for (size_t i = 0; i < seconds.size(); ++i)
    {
        covariance += (seconds[i] - meanT) * (levelsDb[i] - meanDb);
        variance += (seconds[i] - meanT) * (seconds[i] - meanT);
    }
    return covariance / variance;
}
} // namespace

TEST (DivororIrovi, LengthsScaleWithTheRateRoundingHalvesToEven)
{
    struct Case
    {
        double rate;
        int predelayMax, excursion, leftDelay1, inputAllPass2, inputAllPass4, tapLeftAllPass2, tapRightDelay2;
    };

    const Case cases[] = {
        { 44100.0, 15154, 12, 6590, 158, 410, 277, 179 },
        { 14900.0, 5120, 4, 2226, 54, 138, 94, 60 }, // scale 1/2: 2226.5, 53.5, 138.5, 93.5, 60.5 go to even
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << c.rate << " Hz");
        const auto reverb = makeReverb (c.rate, 0.2, 0.5, 0.2, 1.0);

        EXPECT_EQ (reverb->predelayMax, c.predelayMax);
        EXPECT_EQ (reverb->scaledExcursion, c.excursion);
        EXPECT_EQ (reverb->lineLength[GadgetN03::leftDelay1], c.leftDelay1);
        EXPECT_EQ (reverb->lineLength[GadgetN03::inputAllPass2], c.inputAllPass2);
        EXPECT_EQ (reverb->lineLength[GadgetN03::inputAllPass4], c.inputAllPass4);
        EXPECT_EQ (reverb->tapOffset[5], c.tapLeftAllPass2);
        EXPECT_EQ (reverb->tapOffset[13], c.tapRightDelay2);
    }
}

TEST (DivororIrovi, RatesAbove192kKeepTheLengthsOf192k)
{
    const auto at192k = makeReverb (192000.0, 0.2, 0.5, 0.2, 1.0);
    const auto at384k = makeReverb (384000.0, 0.2, 0.5, 0.2, 1.0);

    EXPECT_EQ (at384k->predelayMax, at192k->predelayMax);
    EXPECT_EQ (at384k->scaledExcursion, at192k->scaledExcursion);
    EXPECT_TRUE (
        std::equal (std::begin (at384k->lineLength), std::end (at384k->lineLength), std::begin (at192k->lineLength)));
    EXPECT_TRUE (
        std::equal (std::begin (at384k->tapOffset), std::end (at384k->tapOffset), std::begin (at192k->tapOffset)));
}

TEST (DivororIrovi, PredelayHoldsTheMonoInputBackFromTheDiffusers)
{
    struct Case
    {
        double delayKnob;
        int predelaySamples;
    };

    for (const auto& c : { Case { 0.0, 0 }, Case { 0.5, 7577 }, Case { 1.0, 15154 } })
    {
        SCOPED_TRACE (testing::Message() << "delay " << c.delayKnob);
        auto reverb = makeReverb (44100.0, c.delayKnob, 0.5, 1.0, 1.0);

        // One sample per block, so the bandwidth filter's state shows when the
        // impulse reaches it.
        int arrival = -1;
        for (int i = 0; i <= c.predelaySamples && arrival < 0; ++i)
        {
            float left = i == 0 ? 1.0f : 0.0f, right = left;
            reverb->processSamples (&left, &right, 1, 0.0f);
            if (reverb->bandwidthState != 0.0f)
                arrival = i;
        }

        EXPECT_EQ (arrival, c.predelaySamples);
        EXPECT_FLOAT_EQ (reverb->bandwidthState, 0.99f);
    }
}

TEST (DivororIrovi, DecayKnobKeepsALeastDecay)
{
    struct Case
    {
        double decayKnob;
        float decay;
    };

    for (const auto& c : { Case { 0.0, 0.05f }, Case { 0.5, 0.5f }, Case { 1.0, 0.95f } })
    {
        auto reverb = makeReverb (44100.0, 0.2, 0.5, 0.2, c.decayKnob);
        float unused = 0.0f;
        reverb->processSamples (&unused, &unused, 0, 0.0f);
        EXPECT_FLOAT_EQ (reverb->decay, c.decay);
    }
}

TEST (DivororIrovi, EffectMixesDryAndWetByItsLaw)
{
    // The tank does not depend on Effect, so the wet sum W can be recovered
    // from a fully wet run (0.5 dry + 0.3 W) and must explain every other mix.
    const auto input = noise (6000, 31);
    auto fullyWet = makeReverb (48000.0, 0.0, 0.3, 1.0, 0.8);
    const auto wetRun = run (*fullyWet, input);

    for (double effect : { 0.0, 0.2, 0.5 })
    {
        SCOPED_TRACE (testing::Message() << "effect " << effect);
        auto reverb = makeReverb (48000.0, 0.0, 0.3, effect, 0.8);
        const auto out = run (*reverb, input);

        for (size_t i = 0; i < out.left.size(); ++i)
        {
            const auto wetSum = ((double) wetRun.left[i] - 0.5 * input.left[i]) / 0.3;
            const auto expected = (1.0 - 0.5 * effect * effect) * input.left[i] + 0.3 * effect * wetSum;
            ASSERT_NEAR (out.left[i], expected, 1.0e-5) << "sample " << i;
        }

        if (effect == 0.0)
            EXPECT_EQ (out.left, input.left); // dry only, bit for bit
    }
}

TEST (DivororIrovi, ModulationCounterRestartsAfterOneSecondOfSamples)
{
    for (double rate : { 22050.0, 44100.0, 48000.0 })
    {
        SCOPED_TRACE (testing::Message() << rate << " Hz");
        auto reverb = makeReverb (rate, 0.2, 0.5, 0.2, 1.0);
        const auto oneSecond = (int) rate;

        run (*reverb, noise (oneSecond, 41));
        EXPECT_EQ (reverb->lfoCounter, oneSecond);

        run (*reverb, noise (1, 43));
        EXPECT_EQ (reverb->lfoCounter, 0);
    }
}

TEST (DivororIrovi, SilenceAfterResetStaysSilent)
{
    auto reverb = makeReverb (48000.0, 0.0, 0.5, 1.0, 1.0);
    run (*reverb, noise (20000, 51));
    reverb->reset();

    const auto out = run (*reverb, Stereo { std::vector<float> (48000), std::vector<float> (48000) });
    EXPECT_EQ (testsignals::peakOf (out.left), 0.0f);
    EXPECT_EQ (testsignals::peakOf (out.right), 0.0f);
}

TEST (DivororIrovi, TailDecaysAtTheRateTheTankPredicts)
{
    // Nominal lengths at 29.8 kHz: the eight tank lines, and the second
    // all-pass of the right half, the longest line that feeds back on itself.
    constexpr double designRate = 29800.0;
    constexpr double tankLoopSamples = 672 + 4453 + 1800 + 3720 + 908 + 4217 + 2656 + 3163;
    constexpr double rightAllPass2Samples = 2656;
    constexpr double tankAllPassGain = 0.75;

    struct Case
    {
        double decayKnob, expectedDbPerSecond, relativeTolerance;
    };

    // Decay 1 (0.95 at both of the loop's two gains per half): the energy
    // falls 80 log10(0.95) dB per trip round the whole tank, whose mean
    // length over frequency is the sum of its lines (an all-pass of length M
    // delays by M on average).
    // Decay 0: the loop dies within a trip, and what lingers is the longest
    // all-pass ringing on its own, losing 20 log10(0.75) dB per pass.
    const Case cases[] = {
        { 1.0, 80.0 * std::log10 (0.95) * designRate / tankLoopSamples, 0.1 },
        { 0.0, 20.0 * std::log10 (tankAllPassGain) * designRate / rightAllPass2Samples, 0.05 },
    };

    for (double rate : { 44100.0, 96000.0 })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << rate << " Hz, decay " << c.decayKnob);
            auto reverb = makeReverb (rate, 0.0, 0.0, 1.0, c.decayKnob);
            const auto tail = run (*reverb, impulse ((int) (3.5 * rate)));

            const auto slope = energySlopeDbPerSecond (tail, rate, 0.5, 3.5);
            EXPECT_NEAR (slope, c.expectedDbPerSecond, c.relativeTolerance * std::abs (c.expectedDbPerSecond));
        }
    }
}

TEST (DivororIrovi, TailIsDecorrelatedAndBalancedBetweenSides)
{
    for (double decayKnob : { 0.3, 1.0 })
    {
        SCOPED_TRACE (testing::Message() << "decay " << decayKnob);
        constexpr double rate = 48000.0;
        auto reverb = makeReverb (rate, 0.0, 0.5, 1.0, decayKnob);
        const auto tail = run (*reverb, impulse ((int) rate));

        double energyL = 0.0, energyR = 0.0, cross = 0.0;
        for (auto i = (size_t) (0.05 * rate); i < tail.left.size(); ++i)
        {
            energyL += (double) tail.left[i] * tail.left[i];
            energyR += (double) tail.right[i] * tail.right[i];
            cross += (double) tail.left[i] * tail.right[i];
        }

        EXPECT_LT (std::abs (cross) / std::sqrt (energyL * energyR), 0.1);
        EXPECT_NEAR (energyL / energyR, 1.0, 0.2);
    }
}

TEST (DivororIrovi, ABadSampleDoesNotSilenceTheTail)
{
    auto reverb = makeReverb (48000.0, 0.2, 0.5, 0.5, 1.0);
    auto bad = noise (maxBlock, 61);
    bad.left[10] = std::numeric_limits<float>::quiet_NaN();
    bad.right[300] = -std::numeric_limits<float>::infinity();
    run (*reverb, bad);

    // Past the predelay (about 70 ms here) and one more block, all is finite again.
    run (*reverb, noise (4800, 63));
    const auto after = run (*reverb, noise (48000, 65));
    EXPECT_TRUE (testsignals::allFinite (after.left) && testsignals::allFinite (after.right));
    EXPECT_GT (testsignals::peakOf (after.left), 0.1f);
}

TEST (DivororIrovi, MatchesGoldenSnapshots)
{
    struct Case
    {
        const char* name;
        double delayKnob, dampKnob, effectKnob, decayKnob;
    };

    const Case cases[] = { { "divoror_irovi_default", 0.2, 0.5, 0.2, 1.0 },
                           { "divoror_irovi_all_up", 1.0, 1.0, 1.0, 1.0 },
                           { "divoror_irovi_no_predelay", 0.0, 0.0, 1.0, 0.0 } };

    for (const auto& c : cases)
    {
        auto reverb = makeReverb (44100.0, c.delayKnob, c.dampKnob, c.effectKnob, c.decayKnob);
        const auto out = run (*reverb, noise (22050, 71));

        // Every 64th sample of half a second, so the snapshot reaches past the predelay.
        std::vector<float> snapshot;
        for (size_t i = 0; i < out.left.size(); i += 64)
        {
            snapshot.push_back (out.left[i]);
            snapshot.push_back (out.right[i]);
        }
        EXPECT_EQ (verifyGolden (c.name, snapshot), "");
    }
}
