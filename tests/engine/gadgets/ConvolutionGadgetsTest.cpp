#include "engine/gadgets/GadgetN08.h"
#include "engine/gadgets/GadgetN11.h"
#include "support/PollUntil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr unsigned seed = 1116;
const double sampleRates[] = { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };

std::vector<float> noise (size_t length, unsigned salt, float amplitude = 1.0f)
{
    std::mt19937 generator (seed + salt);
    std::uniform_real_distribution<float> uniform (-amplitude, amplitude);
    std::vector<float> x (length);

    for (auto& v : x)
        v = uniform (generator);

    return x;
}

bool allFinite (const std::vector<float>& x)
{
    return std::all_of (x.begin(), x.end(), [] (float v) { return std::isfinite (v); });
}

template <typename Gadget>
bool waitForKernels (Gadget& gadget);

template <>
bool waitForKernels (GadgetN11& gadget)
{
    return pollUntil ([&] { return gadget.convolvers[0].isReady() && gadget.convolvers[1].isReady(); });
}

template <>
bool waitForKernels (GadgetN08& gadget)
{
    return pollUntil ([&] { return gadget.convolverL.isReady() && gadget.convolverR.isReady(); });
}

/** Runs the left channel's response to a unit impulse (the right one gets the same). */
std::vector<float> impulseResponse (Gadgets& gadget, int length, int blockSize)
{
    std::vector<float> left ((size_t) length, 0.0f), right ((size_t) length, 0.0f);
    left[0] = right[0] = 1.0f;

    for (int start = 0; start < length; start += blockSize)
    {
        const int n = std::min (blockSize, length - start);
        gadget.processSamples (left.data() + start, right.data() + start, n, 120.0f);
    }

    return left;
}

double magnitudeAt (const std::vector<float>& response, double frequencyHz, double sampleRate)
{
    std::complex<double> sum = 0.0;

    for (size_t n = 0; n < response.size(); ++n)
        sum += (double) response[n] * std::polar (1.0, -2.0 * M_PI * frequencyHz * (double) n / sampleRate);

    return std::abs (sum);
}

/** Every knob at 0, 0.5 and 1, at every rate: nothing may turn into NaN or
    infinity, whatever the impulse choice and with a loud input. */
template <typename Gadget>
void expectFiniteEverywhere()
{
    constexpr int blockSize = 256;
    const float positions[] = { 0.0f, 0.5f, 1.0f };

    for (const double rate : sampleRates)
    {
        auto gadget = std::make_unique<Gadget>();
        gadget->inputGain = 10.0f;
        gadget->initProcessing (rate, blockSize);
        gadget->reset();
        ASSERT_TRUE (waitForKernels (*gadget));
        int combination = 0;

        for (const float a : positions)
            for (const float b : positions)
                for (const float c : positions)
                {
                    gadget->setParameters (a, b, c, 0.5, combination % 8);

                    for (int block = 0; block < 8; ++block)
                    {
                        auto left = noise (blockSize, (unsigned) (combination * 8 + block), 3.0f);
                        auto right = noise (blockSize, (unsigned) (combination * 8 + block + 1000), 3.0f);
                        gadget->processSamples (left.data(), right.data(), blockSize, 120.0f);
                        ASSERT_TRUE (allFinite (left) && allFinite (right))
                            << gadget->name << " at " << rate << " Hz, knobs " << a << " " << b << " " << c;
                    }

                    ++combination;
                }
    }
}

/** One block with a NaN in it must not silence the gadget: once the bad
    sample has left the delay lines and the convolver history, the output
    is finite again. */
template <typename Gadget>
void expectRecoveryFromANan (int samplesToRecover)
{
    constexpr int blockSize = 512;
    auto gadget = std::make_unique<Gadget>();
    gadget->initProcessing (48000.0, blockSize);
    gadget->reset();
    ASSERT_TRUE (waitForKernels (*gadget));

    auto left = noise (blockSize, 1), right = noise (blockSize, 2);
    left[100] = std::numeric_limits<float>::quiet_NaN();
    right[200] = std::numeric_limits<float>::infinity();
    gadget->processSamples (left.data(), right.data(), blockSize, 120.0f);

    for (int done = 0; done < samplesToRecover; done += blockSize)
    {
        left = noise (blockSize, 3);
        right = noise (blockSize, 4);
        gadget->processSamples (left.data(), right.data(), blockSize, 120.0f);
    }

    EXPECT_TRUE (allFinite (left) && allFinite (right)) << gadget->name;
}

template <typename Gadget>
void expectUntouchedUnpreparedAndEmpty()
{
    auto gadget = std::make_unique<Gadget>();
    auto left = noise (64, 1), right = noise (64, 2);
    const auto leftIn = left, rightIn = right;

    gadget->processSamples (left.data(), right.data(), 64, 120.0f);
    EXPECT_EQ (left, leftIn) << "unprepared " << gadget->name;
    EXPECT_EQ (right, rightIn);

    gadget->initProcessing (44100.0, 64);
    gadget->reset();
    gadget->processSamples (left.data(), right.data(), 0, 120.0f);
    EXPECT_EQ (left, leftIn) << "empty block " << gadget->name;
    EXPECT_EQ (right, rightIn);
}
} // namespace

//==============================================================================
TEST (ConvolutionGadgets, UntouchedWhenUnpreparedOrEmpty)
{
    expectUntouchedUnpreparedAndEmpty<GadgetN11>();
    expectUntouchedUnpreparedAndEmpty<GadgetN08>();
}

TEST (ConvolutionGadgets, FiniteAtEveryRateAndKnobPosition)
{
    expectFiniteEverywhere<GadgetN11>();
    expectFiniteEverywhere<GadgetN08>();
}

TEST (ConvolutionGadgets, RecoverFromANonFiniteInput)
{
    expectRecoveryFromANan<GadgetN11> (2048);
    expectRecoveryFromANan<GadgetN08> (2 * GadgetN08::ringSize + 2048);
}

//==============================================================================
TEST (GadgetN11, KnobGainLaw)
{
    const std::pair<float, float> table[] = { { 0.0f, 0.0f }, { 1.0e-7f, 0.001f }, { 0.5f, 0.031622777f }, { 1.0f, 1.0f } };

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
        const auto response = impulseResponse (gadget, 1 << 16, 1024);

        EXPECT_NEAR (magnitudeAt (response, c.cornerHz, c.rate), std::sqrt (0.5), 2.0e-3) << "tone " << c.tone;
        EXPECT_NEAR (magnitudeAt (response, 0.0, c.rate), c.highPass ? 0.0 : 1.0, 1.0e-3) << "DC, tone " << c.tone;
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
    const auto response = impulseResponse (gadget, 1 << 14, 512);

    EXPECT_TRUE (allFinite (response));
    EXPECT_NEAR (magnitudeAt (response, 0.0, 22050.0), 1.0, 1.0e-3);
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
    EXPECT_TRUE (std::all_of (left.begin(), left.end(), [] (float v) { return v == 0.0f; })) << "dry 0 and wet 0 are silence";

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
        const auto response = impulseResponse (gadget, Convolution::kernelLength, blockSize);

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
            EXPECT_NEAR (left[(size_t) i], gadget.tone.process (level * input[(size_t) i], state), 1.0e-6) << "sample " << i;
    }

    ASSERT_TRUE (waitForKernels (gadget));
    EXPECT_EQ (gadget.convolvers[0].getLoadedImpulse(), 4);

    // From here on every block is convolved: a reload per block would let
    // some through unconvolved and break the kernel's tail across blocks.
    gadget.setParameters (0.5, 0.0, 1.0, 0.5, 3);
    gadget.reset();
    const auto response = impulseResponse (gadget, 2 * Convolution::kernelLength, blockSize);

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

//==============================================================================
TEST (GadgetN08, LevelCutoff)
{
    struct Case
    {
        float envelope, limit, cutoffHz;
    };

    const Case cases[] = {
        { 0.0f, 0.5f, 20000.0f },        // flushed envelope: log10 is -inf
        { 1.0e-3f, 0.5f, 20000.0f },     // -54 on the 18 log10 scale
        { 1.0f, 0.0f, 4500.0f },         // 0 gives 18000 q
        { 1.0f, 0.5f, 9000.0f },
        { 1.0f, 1.0f, 13500.0f },
    };

    for (const auto& c : cases)
        EXPECT_NEAR (GadgetN08::levelCutoffHz (c.envelope, c.limit), c.cutoffHz, c.cutoffHz * 1.0e-5f) << "envelope " << c.envelope << ", limit " << c.limit;

    EXPECT_LT (GadgetN08::levelCutoffHz (2.0f, 0.0f), 4500.0f) << "louder still closes further";
    EXPECT_NEAR (GadgetN08::levelCutoffHz (std::pow (10.0f, -10.0f / 18.0f), 0.5f), 20000.0f, 2.0f) << "fully open at -10";
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
    const std::pair<float, float> table[] = { { 1.0f, 1.0f }, { 4.0f, 0.5f }, { 10.0f, 0.31622777f }, { 33.0f, 0.17407766f }, { 100.0f, 0.17407766f }, { 0.0f, 1.0f } };

    for (const auto& [gain, trim] : table)
        EXPECT_NEAR (GadgetN08::trimForInputGain (gain), trim, 1.0e-6f) << "input gain " << gain;
}

TEST (GadgetN08, HissOnlyWhenAsked)
{
    constexpr int blockSize = 256;
    GadgetN08 gadget;
    gadget.initProcessing (44100.0, blockSize);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));

    std::vector<float> left (blockSize), right (blockSize);
    auto runSilence = [&]
    {
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
        gadget.initProcessing (rate, blockSize);
        gadget.reset();
        ASSERT_TRUE (waitForKernels (gadget));
        gadget.setParameters (index == 0 ? 0.0 : 1.0, 0.0, 0.0, 0.5, 0);

        std::vector<float> left (blockSize), right (blockSize);

        for (int block = 0; block < 40; ++block)
        {
            for (int i = 0; i < blockSize; ++i)
                left[(size_t) i] = right[(size_t) i] = (float) std::sin (2.0 * M_PI * 9000.0 * (block * blockSize + i) / rate);

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
    gadget.initProcessing (44100.0, blockSize);
    gadget.reset();
    ASSERT_TRUE (waitForKernels (gadget));
    gadget.setParameters (0.5, 0.0, 0.0, 0.5, 0);

    // Settle the wow and flutter positions first, on silence.
    std::vector<float> left (blockSize, 0.0f), right (blockSize, 0.0f);

    for (int block = 0; block < 100; ++block)
        gadget.processSamples (left.data(), right.data(), blockSize, 120.0f);

    const auto response = impulseResponse (gadget, 4096, blockSize);
    const auto firstHeard = std::find_if (response.begin(), response.end(), [] (float v) { return std::abs (v) > 1.0e-6f; });
    const auto delaySamples = std::distance (response.begin(), firstHeard);

    // 154.35 + 110.25 samples through the two lines, less the interpolation's one cell.
    EXPECT_GE (delaySamples, 263);
    EXPECT_LE (delaySamples, 266);
}
