#include "engine/gadgets/GadgetN08.h"
#include "support/ConvolutionGadgetChecks.h"
#include "support/GadgetHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

using convolutiongadgets::allFinite;

namespace
{
bool kernelsReady (const GadgetN08& gadget) { return gadget.convolverL.isReady() && gadget.convolverR.isReady(); }

bool waitForKernels (const GadgetN08& gadget)
{
    return pollUntil ([&] { return kernelsReady (gadget); });
}

/** The same hiss and flutter on every run. */
void seedNoise (GadgetN08& gadget) { gadget.random.setSeed (8); }

} // namespace

TEST (GadgetN08, UntouchedWhenUnpreparedOrEmpty) { convolutiongadgets::expectUntouchedUnpreparedAndEmpty<GadgetN08>(); }

TEST (GadgetN08, FiniteAtEveryRateAndKnobPosition)
{
    convolutiongadgets::expectFiniteOnKnobGrid<GadgetN08> (kernelsReady, seedNoise);
}

TEST (GadgetN08, RecoversFromANonFiniteBlock)
{
    // A bad sample written into the wow line reaches the flutter line and
    // the speaker's history; after two ring lengths all of it is gone.
    GadgetN08 gadget;
    seedNoise (gadget);
    gadget.initProcessing (48000.0, 512);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));
    EXPECT_TRUE (gadgetharness::recoversFromNonFiniteBlock (gadget, 512, 2 * GadgetN08::ringSize + 1024, 4096));
}

TEST (GadgetN08, LevelCutoff)
{
    struct Case
    {
        float envelope, limit, cutoffHz;
    };

    const Case cases[] = {
        { 0.0f, 0.5f, 20000.0f }, // flushed envelope: log10 is -inf
        { 1.0e-3f, 0.5f, 20000.0f }, // -54 on the 18 log10 scale
        { 1.0f, 0.0f, 4500.0f }, // 0 gives 18000 q
        { 1.0f, 0.5f, 9000.0f },     { 1.0f, 1.0f, 13500.0f },
    };

    for (const auto& c : cases)
        EXPECT_NEAR (GadgetN08::levelCutoffHz (c.envelope, c.limit), c.cutoffHz, c.cutoffHz * 1.0e-5f)
            << "envelope " << c.envelope << ", limit " << c.limit;

    EXPECT_LT (GadgetN08::levelCutoffHz (2.0f, 0.0f), 4500.0f) << "louder still closes further";
    EXPECT_NEAR (GadgetN08::levelCutoffHz (std::pow (10.0f, -10.0f / 18.0f), 0.5f), 20000.0f, 2.0f)
        << "fully open at -10";
}

TEST (GadgetN08, LevelLowPassStopsAtOneHundredHertz)
{
    const auto floor = GadgetN08::levelLowPass (100.0f, 44100.0f);
    const auto below = GadgetN08::levelLowPass (20.0f, 44100.0f);
    EXPECT_EQ (below.a1, floor.a1);
    EXPECT_EQ (below.b0, floor.b0);
}

TEST (GadgetN08, TrimGivesBackHalfTheInputGain)
{
    const std::pair<float, float> table[] = { { 1.0f, 1.0f },         { 4.0f, 0.5f },          { 10.0f, 0.31622777f },
                                              { 33.0f, 0.17407766f }, { 100.0f, 0.17407766f }, { 0.0f, 1.0f } };

    for (const auto& [gain, trim] : table)
        EXPECT_NEAR (GadgetN08::trimForInputGain (gain), trim, 1.0e-6f) << "input gain " << gain;
}

TEST (GadgetN08, HissOnlyWhenAsked)
{
    constexpr int blockSize = 256;
    GadgetN08 gadget;
    seedNoise (gadget);
    gadget.initProcessing (44100.0, blockSize);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));

    std::vector<float> left (blockSize), right (blockSize);
    auto runSilence = [&] {
        std::fill (left.begin(), left.end(), 0.0f);
        std::fill (right.begin(), right.end(), 0.0f);
        gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);
    };

    gadget.setParameters (0.5, 0.3, 0.0, 0.5, 0);

    for (int block = 0; block < 20; ++block)
    {
        runSilence();
        ASSERT_TRUE (std::all_of (left.begin(), left.end(), [] (float v) { return v == 0.0f; })) << "hiss 0 is silent";
    }

    gadget.setParameters (0.5, 0.3, 1.0, 0.5, 0);
    double energy = 0.0;

    for (int block = 0; block < 20; ++block)
    {
        runSilence();
        ASSERT_TRUE (allFinite (left) && allFinite (right));

        for (float v : left)
            energy += (double) v * v;
    }

    EXPECT_GT (energy, 0.0) << "hiss 1 is heard";

    const auto pink = gadget.pinkL.z0;
    gadget.setParameters (0.5, 0.3, 0.0, 0.5, 0);
    runSilence();
    EXPECT_EQ (gadget.pinkL.z0, pink) << "hiss off keeps the pink states";
}

TEST (GadgetN08, FlutterZeroHoldsTheDelaysStill)
{
    constexpr int blockSize = 512;
    GadgetN08 gadget;
    seedNoise (gadget);
    gadget.initProcessing (44100.0, blockSize);
    gadget.reset();
    gadget.setParameters (0.5, 0.0, 0.0, 0.5, 0);

    std::vector<float> left (blockSize, 0.0f), right (blockSize, 0.0f);

    // The position smoother settles on the centre within a second ...
    for (int block = 0; block < 100; ++block)
        gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);

    // ... and stays there: the wow read at 0.0035 fs, the flutter read at
    // 0.0025 fs. (The smoother's state settles at y - b0 x for y = x = 0.5.)
    const float settledState = 0.5f - gadget.positionSmoother.b0 * 0.5f;

    for (int block = 0; block < 20; ++block)
    {
        gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);
        ASSERT_NEAR (gadget.wowSmoothL, settledState, 1.0e-5f);
        ASSERT_NEAR (gadget.flutterSmoothR, settledState, 1.0e-5f);
    }

    EXPECT_NEAR (gadget.wowMaxDelay * 0.5f, 154.35f, 1.0e-3f);
    EXPECT_NEAR (gadget.flutterMaxDelay * 0.5f, 110.25f, 1.0e-3f);
}

TEST (GadgetN08, LimitClosesTheTrebleOnLoudInput)
{
    // A loud 9 kHz tone: at Limit 0 the level low-pass closes to 4.5 kHz or
    // below, at Limit 1 only to 13.5 kHz, so less treble comes out.
    constexpr int blockSize = 512;
    constexpr double rate = 48000.0;
    double outputEnergy[2] {};

    for (int index = 0; index < 2; ++index)
    {
        GadgetN08 gadget;
        seedNoise (gadget);
        gadget.initProcessing (rate, blockSize);
        gadget.reset();
        ASSERT_TRUE (waitForKernels (gadget));
        gadget.setParameters (index == 0 ? 0.0 : 1.0, 0.0, 0.0, 0.5, 0);

        std::vector<float> left (blockSize), right (blockSize);

        for (int block = 0; block < 40; ++block)
        {
            for (int i = 0; i < blockSize; ++i)
                left[(size_t) i] = right[(size_t) i] =
                    (float) std::sin (2.0 * M_PI * 9000.0 * (block * blockSize + i) / rate);

            gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);

            if (block >= 20)
                for (float v : left)
                    outputEnergy[index] += (double) v * v;
        }
    }

    // About -2.6 dB at 9 kHz between the two cutoffs.
    EXPECT_LT (outputEnergy[0], 0.7 * outputEnergy[1]);
}

TEST (GadgetN08, OutputIsTheSpeakerConvolutionOfTheTape)
{
    // Once the speaker kernel is in, the last stage is a convolution with it:
    // an impulse's response has the kernel's quarter of energy spread out
    // and starts no earlier than the tape's delay lines allow.
    constexpr int blockSize = 256;
    GadgetN08 gadget;
    seedNoise (gadget);
    gadget.initProcessing (44100.0, blockSize);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));
    gadget.setParameters (0.5, 0.0, 0.0, 0.5, 0);

    // Settle the wow and flutter positions first, on silence.
    std::vector<float> left (blockSize, 0.0f), right (blockSize, 0.0f);

    for (int block = 0; block < 100; ++block)
        gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);

    const auto response = gadgetharness::impulseResponse (gadget, 4096, blockSize);
    const auto firstHeard =
        std::find_if (response.begin(), response.end(), [] (float v) { return std::abs (v) > 1.0e-6f; });
    const auto delaySamples = std::distance (response.begin(), firstHeard);

    // 154.35 + 110.25 samples through the two lines, less the interpolation's one cell.
    EXPECT_GE (delaySamples, 263);
    EXPECT_LE (delaySamples, 266);
}
