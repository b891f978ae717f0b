#include "engine/gadgets/GadgetN11.h"
#include "support/ConvolutionGadgetChecks.h"
#include "support/GadgetHarness.h"
#include "support/NaiveDft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

using convolutiongadgets::allFinite;

namespace
{
std::vector<float> noise (size_t length, unsigned salt, float amplitude = 1.0f)
{
    return convolutiongadgets::noise (length, 1116 + salt, amplitude);
}

bool kernelsReady (const GadgetN11& gadget) { return gadget.convolvers[0].isReady() && gadget.convolvers[1].isReady(); }

bool waitForKernels (const GadgetN11& gadget)
{
    return pollUntil ([&] { return kernelsReady (gadget); });
}

} // namespace

TEST (GadgetN11, UntouchedWhenUnpreparedOrEmpty) { convolutiongadgets::expectUntouchedUnpreparedAndEmpty<GadgetN11>(); }

TEST (GadgetN11, FiniteAtEveryRateAndKnobPosition)
{
    convolutiongadgets::expectFiniteOnKnobGrid<GadgetN11> (kernelsReady);
}

TEST (GadgetN11, RecoversFromANonFiniteBlock)
{
    // The bad samples stay in the convolvers' 895-sample histories; the tone
    // filter's states are flushed at the end of the block.
    GadgetN11 gadget;
    gadget.initProcessing (48000.0, 512);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));
    EXPECT_TRUE (gadgetharness::recoversFromNonFiniteBlock (gadget, 512, 1024, 4096));
}

TEST (GadgetN11, KnobGainLaw)
{
    const std::pair<float, float> table[] = {
        { 0.0f, 0.0f }, { 1.0e-7f, 0.001f }, { 0.5f, 0.031622777f }, { 1.0f, 1.0f }
    };

    for (const auto& [knob, gain] : table)
        EXPECT_NEAR (GadgetN11::knobGain (knob), gain, gain * 1.0e-4f) << "knob " << knob;
}

TEST (GadgetN11, ToneCornersSitAtTheirFrequencies)
{
    // With the convolution out of the way (wet 0, dry 1), the gadget is its
    // tone filter: -3.01 dB at the corner.
    struct Case
    {
        double rate;
        float tone;
        double cornerHz;
        bool highPass;
    };

    const Case cases[] = {
        { 48000.0, 0.0f, 100.0, false },
        { 48000.0, 0.5f, 20000.0, false },
        { 48000.0, 0.5001f, 20.0, true },
        { 48000.0, 1.0f, 8000.0, true },
        { 96000.0, 0.25f, 0.125 * 19900.0 + 100.0, false },
    };

    for (const auto& c : cases)
    {
        GadgetN11 gadget;
        gadget.initProcessing (c.rate, 1024);
        gadget.reset();
        gadget.setParameters (c.tone, 1.0, 0.0, 0.5, 0);
        const auto response = gadgetharness::impulseResponse (gadget, 1 << 16, 1024);

        EXPECT_NEAR (std::abs (naivedft::responseAt (response, c.cornerHz, c.rate)), std::sqrt (0.5), 2.0e-3)
            << "tone " << c.tone;
        EXPECT_NEAR (std::abs (naivedft::responseAt (response, 0.0, c.rate)), c.highPass ? 0.0 : 1.0, 1.0e-3)
            << "DC, tone " << c.tone;
    }
}

TEST (GadgetN11, ToneStaysStableBelowFortyKilohertz)
{
    // At 22.05 kHz the top of the low-pass range lies above Nyquist; the
    // corner is held below it, so DC still passes at unity.
    GadgetN11 gadget;
    gadget.initProcessing (22050.0, 512);
    gadget.reset();
    gadget.setParameters (0.5, 1.0, 0.0, 0.5, 0);
    const auto response = gadgetharness::impulseResponse (gadget, 1 << 14, 512);

    EXPECT_TRUE (allFinite (response));
    EXPECT_NEAR (std::abs (naivedft::responseAt (response, 0.0, 22050.0)), 1.0, 1.0e-3);
}

TEST (GadgetN11, DryAndWetLevels)
{
    constexpr int blockSize = 256;
    GadgetN11 gadget;
    gadget.initProcessing (44100.0, blockSize);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));

    gadget.setParameters (0.3, 0.0, 0.0, 0.5, 0);
    auto left = noise (blockSize, 1), right = noise (blockSize, 2);
    gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);
    EXPECT_TRUE (std::all_of (left.begin(), left.end(), [] (float v) { return v == 0.0f; }))
        << "dry 0 and wet 0 are silence";

    // Dry alone: a constant settles to the dry gain (the low-pass passes DC).
    gadget.setParameters (0.5, 0.5, 0.0, 0.5, 0);

    for (int block = 0; block < 8; ++block)
    {
        std::fill (left.begin(), left.end(), 1.0f);
        std::fill (right.begin(), right.end(), 1.0f);
        gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);
    }

    EXPECT_NEAR (left.back(), GadgetN11::knobGain (0.5f), 1.0e-5);
}

TEST (GadgetN11, ImpulseChoiceNPicksResponseNPlusOne)
{
    constexpr int blockSize = 512;
    constexpr double rate = 44100.0;

    // The kernels themselves, straight from the engine.
    std::vector<std::vector<float>> kernels;

    for (int response = 0; response < Convolution::numImpulses; ++response)
    {
        Convolution convolver;
        convolver.initFFT (response, rate, blockSize);
        ASSERT_TRUE (pollUntil ([&] { return convolver.isReady(); }));
        std::vector<float> kernel (Convolution::kernelLength, 0.0f);
        kernel[0] = 1.0f;
        convolver.processSamples (kernel.data(), (int) kernel.size());
        kernels.push_back (kernel);
    }

    for (int choice = 0; choice < 8; ++choice)
    {
        GadgetN11 gadget;
        gadget.setParameters (0.5, 0.0, 1.0, 0.5, choice);
        gadget.initProcessing (rate, blockSize);
        gadget.reset();
        ASSERT_TRUE (waitForKernels (gadget));
        EXPECT_EQ ((int) gadget.impulseIndexInUse, choice);
        const auto response = gadgetharness::impulseResponse (gadget, Convolution::kernelLength, blockSize);

        // The 20 kHz low-pass barely touches it: the nearest kernel must be n + 1.
        int nearest = -1;
        double nearestDistance = 1.0e9;

        for (int k = 0; k < Convolution::numImpulses; ++k)
        {
            double distance = 0.0;

            for (size_t i = 0; i < response.size(); ++i)
                distance += std::pow ((double) response[i] - kernels[(size_t) k][i], 2.0);

            if (distance < nearestDistance)
            {
                nearestDistance = distance;
                nearest = k;
            }
        }

        EXPECT_EQ (nearest, choice + 1);
    }
}

TEST (GadgetN11, ChangingTheChoiceReloadsOnceAndPassesAudioMeanwhile)
{
    constexpr int blockSize = 64;
    constexpr double rate = 48000.0;
    GadgetN11 gadget;
    gadget.initProcessing (rate, blockSize);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));

    // Dry 0.5 and wet 1: while loading, the block is 1.5 x the input through
    // the tone filter.
    gadget.setParameters (0.5, 0.9, 1.0, 0.5, 0);
    auto left = noise (blockSize, 1), right = noise (blockSize, 2);
    gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);
    gadget.reset();

    gadget.setParameters (0.5, 0.9, 1.0, 0.5, 3);
    left = noise (blockSize, 3);
    right = noise (blockSize, 4);
    const auto input = left;
    gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);
    EXPECT_EQ ((int) gadget.impulseIndexInUse, 3) << "in use at once, loaded later";

    if (! gadget.convolvers[0].isReady())
    {
        float state = 0.0f;
        const float level = GadgetN11::knobGain (1.0f) + GadgetN11::knobGain (0.9f);

        for (int i = 0; i < blockSize; ++i)
            EXPECT_NEAR (left[(size_t) i], gadget.tone.process (level * input[(size_t) i], state), 1.0e-6)
                << "sample " << i;
    }

    ASSERT_TRUE (waitForKernels (gadget));
    EXPECT_EQ (gadget.convolvers[0].getLoadedImpulse(), 4);

    // From here on every block is convolved: a reload per block would let
    // some through unconvolved and break the kernel's tail across blocks.
    gadget.setParameters (0.5, 0.0, 1.0, 0.5, 3);
    gadget.reset();
    const auto response = gadgetharness::impulseResponse (gadget, 2 * Convolution::kernelLength, blockSize);

    Convolution reference;
    reference.initFFT (4, rate, blockSize);
    ASSERT_TRUE (pollUntil ([&] { return reference.isReady(); }));
    std::vector<float> expected (response.size(), 0.0f);
    expected[0] = 1.0f;

    for (size_t start = 0; start < expected.size(); start += blockSize)
        reference.processSamples (expected.data() + start, blockSize);

    float state = 0.0f;

    for (auto& v : expected)
        v = gadget.tone.process (v, state);

    for (size_t i = 0; i < response.size(); ++i)
        ASSERT_NEAR (response[i], expected[i], 1.0e-5) << "sample " << i;

    EXPECT_EQ (gadget.convolvers[1].getLoadedImpulse(), 4);
}

TEST (GadgetN11, BlocksLongerThanPreparedGoInPieces)
{
    GadgetN11 gadget;
    gadget.initProcessing (44100.0, 100);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));
    gadget.setParameters (0.2, 0.5, 1.0, 0.5, 0);

    auto left = noise (1000, 1), right = noise (1000, 2);
    gadget.processSamples (left.data(), right.data(), 1000, 120.0f);
    EXPECT_TRUE (allFinite (left) && allFinite (right));
}
