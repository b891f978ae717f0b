// Invariants every gadget keeps, written once and run for all fourteen.

#include "engine/GadgetManager.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace
{
constexpr int maxBlockSize = 512;
constexpr int samplesPerRun = 6000;
// Far above anything a gadget should produce from a half-scale input; a
// runaway feedback loop crosses it quickly.
constexpr float outputBound = 64.0f;

/** Gadgets whose reset is not meant to be repeatable, with the reason. */
const std::map<int, const char*> nonRepeatableReset = {
    { 4, "the impulse arrives from a loader thread whenever it finishes" },
    { 8, "the impulse arrives from a loader thread whenever it finishes" },
    { 12, "reset draws random start phases for the rotors" },
};

struct Stereo
{
    std::vector<float> left, right;
};

Stereo makeInput (std::uint32_t seed)
{
    return { testsignals::noiseWithImpulses (samplesPerRun, seed),
             testsignals::noiseWithImpulses (samplesPerRun, seed + 1) };
}

/** Runs the whole signal through in blocks of at most blockSize. */
Stereo run (Gadgets& gadget, Stereo signal, int blockSize, float bpm = 120.0f)
{
    for (int start = 0; start < samplesPerRun; start += blockSize)
    {
        const auto length = std::min (blockSize, samplesPerRun - start);
        gadget.processSamples (signal.left.data() + start, signal.right.data() + start, length, bpm);
    }
    return signal;
}

class AllGadgets : public ::testing::TestWithParam<int>
{
protected:
    Gadgets& gadget() { return *slot->getAlgorithmObject (GetParam()); }

    std::unique_ptr<GadgetManager> slot = std::make_unique<GadgetManager>();
};

std::string gadgetName (const ::testing::TestParamInfo<int>& info) { return "index" + std::to_string (info.param); }
} // namespace

TEST_P (AllGadgets, UnpreparedLeavesBuffersUntouched)
{
    const auto input = makeInput (1);
    const auto output = run (gadget(), input, maxBlockSize);

    EXPECT_EQ (output.left, input.left);
    EXPECT_EQ (output.right, input.right);
}

TEST_P (AllGadgets, OutputStaysFiniteAndBoundedAtEveryRateBlockSizeAndSetting)
{
    const auto seed = testsignals::testSeed (20261207u);
    SCOPED_TRACE ("TARVOLIN_SEED=" + std::to_string (seed));
    std::mt19937 random (seed);
    std::uniform_real_distribution<double> knob (0.0, 1.0);

    for (double rate : { 22050.0, 32000.0, 44100.0, 48000.0, 96000.0, 192000.0 })
    {
        for (int blockSize : { 1, 32, maxBlockSize })
        {
            for (int setting = 0; setting < 4; ++setting)
            {
                const double fixedKnob = setting * 0.5;
                auto value = [&] { return setting < 3 ? fixedKnob : knob (random); };
                const double controls[] = { value(), value(), value(), value() };
                const int impulse = setting < 3 ? setting * 3 : (int) (random() % 8);

                gadget().initProcessing (rate, maxBlockSize);
                gadget().reset();
                gadget().setParameters (controls[0], controls[1], controls[2], controls[3], impulse);

                const auto output = run (gadget(), makeInput (seed + (std::uint32_t) setting), blockSize);
                SCOPED_TRACE (testing::Message()
                              << "rate " << rate << " block " << blockSize << " controls " << controls[0] << " "
                              << controls[1] << " " << controls[2] << " " << controls[3]);
                ASSERT_TRUE (testsignals::allFinite (output.left) && testsignals::allFinite (output.right));
                ASSERT_LT (std::max (testsignals::peakOf (output.left), testsignals::peakOf (output.right)),
                           outputBound);
            }
        }
    }
}

TEST_P (AllGadgets, ResetMakesProcessingRepeatable)
{
    if (auto reason = nonRepeatableReset.find (GetParam()); reason != nonRepeatableReset.end())
        GTEST_SKIP() << reason->second;

    const auto input = makeInput (7);
    gadget().initProcessing (48000.0, maxBlockSize);
    gadget().setParameters (0.3, 0.8, 0.6, 0.7, 2);

    gadget().reset();
    const auto first = run (gadget(), input, 100);
    gadget().reset();
    const auto second = run (gadget(), input, 100);

    EXPECT_EQ (first.left, second.left);
    EXPECT_EQ (first.right, second.right);
}

TEST_P (AllGadgets, EmptyBlockChangesNothing)
{
    if (auto reason = nonRepeatableReset.find (GetParam()); reason != nonRepeatableReset.end())
        GTEST_SKIP() << reason->second;

    const auto input = makeInput (9);
    gadget().initProcessing (44100.0, maxBlockSize);
    gadget().setParameters (0.6, 0.4, 0.7, 0.2, 5);
    gadget().reset();
    const auto plain = run (gadget(), input, 64);

    gadget().setParameters (0.6, 0.4, 0.7, 0.2, 5);
    gadget().reset();
    float unused = 0.0f;
    gadget().processSamples (&unused, &unused, 0, 120.0f);
    const auto afterEmptyBlock = run (gadget(), input, 64);

    EXPECT_EQ (plain.left, afterEmptyBlock.left);
    EXPECT_EQ (plain.right, afterEmptyBlock.right);
}

INSTANTIATE_TEST_SUITE_P (Gadgets, AllGadgets, ::testing::Range (0, GadgetManager::numGadgets), gadgetName);
