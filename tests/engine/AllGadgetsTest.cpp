// Invariants every gadget keeps, written once and run for all fourteen.

#include "engine/GadgetManager.h"
#include "engine/gadgets/GadgetN08.h"
#include "support/PollUntil.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <random>
#include <set>

namespace
{
constexpr int maxBlockSize = 512;
constexpr int samplesPerRun = 6000;
// Far above anything a gadget should produce from a half-scale input; a
// runaway feedback loop crosses it quickly.
constexpr float outputBound = 64.0f;
// The loudest test input is +40 dBFS; a hundred times that is still far
// below what a runaway state reaches within a fraction of a second.
constexpr float loudInputPeak = 100.0f;
constexpr float loudOutputBound = 100.0f * loudInputPeak;
// +30 dBFS, and enough runs of it from rest that a fault hit once in thirty
// such runs is met.
constexpr float loudNoisePeak = 31.6f;
constexpr std::uint32_t loudRunsPerCorner = 32;
// +84 and +104 dBFS: what the Output and Input gains of earlier slots hand a
// later slot. Only HOT's tube stage is asked to bring these back down.
constexpr float slotGainLevels[] = { 16000.0f, 160000.0f };
// +160 and +200 dBFS: what earlier slots at their highest gains hand the
// last one. Fed as squares, whose edges swing a saturated stage hardest.
constexpr float chainLevels[] = { 1.0e8f, 1.0e10f };
constexpr double chainSquareHz = 1000.0, chainSquareSeconds = 0.2;
// The gadgets built to hold any finite input, up to the largest float. The
// others' gains past unity may overflow it; the processor's guard then
// silences the block.
const std::set<int> holdAnyFiniteInput = { 3 };

/** Gadgets whose reset is not meant to be repeatable, with the reason. */
const std::map<int, const char*> nonRepeatableReset = {
    { 4, "the impulse arrives from a loader thread whenever it finishes" },
    { 12, "reset draws random start phases for the rotors" },
};

/** The tape gadget draws its hiss and flutter from a generator of its own,
    seeded from the clock: the table seeds it, so every run hears the same. */
void seedNoise (Gadgets& gadget)
{
    if (auto* tape = dynamic_cast<GadgetN08*> (&gadget))
        tape->random.setSeed (8);
}

/** Waits for the tape gadget's speaker kernel, which the loader thread brings
    in after initProcessing; output compared before and after would differ. */
bool speakerLoaded (Gadgets& gadget)
{
    auto* tape = dynamic_cast<GadgetN08*> (&gadget);
    return tape == nullptr || pollUntil ([tape] { return tape->convolverL.isReady() && tape->convolverR.isReady(); });
}

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

void appendTo (Stereo& signal, const std::vector<float>& left, const std::vector<float>& right)
{
    signal.left.insert (signal.left.end(), left.begin(), left.end());
    signal.right.insert (signal.right.end(), right.begin(), right.end());
}

/** Silence, a sine at -6 dBFS, full-scale noise, DC and a sine at +40 dBFS,
    one after the other: half a second at any rate. */
Stereo escalatingLevels (double sampleRate)
{
    const auto seconds = [sampleRate] (double duration) { return (int) (duration * sampleRate); };
    Stereo signal;

    auto append = [&signal] (const std::vector<float>& left, const std::vector<float>& right) {
        appendTo (signal, left, right);
    };
    auto appendBoth = [&append] (const std::vector<float>& both) { append (both, both); };

    appendBoth (std::vector<float> ((size_t) seconds (0.05), 0.0f));
    appendBoth (testsignals::sine (seconds (0.2), 1000.0, sampleRate, 0.5f));
    append (testsignals::noiseWithImpulses (seconds (0.1), 3, 1.0f), testsignals::noiseWithImpulses (seconds (0.1), 4, 1.0f));
    appendBoth (std::vector<float> ((size_t) seconds (0.05), 1.0f));
    appendBoth (testsignals::sine (seconds (0.1), 110.0, sampleRate, loudInputPeak));
    return signal;
}

/** The escalating levels, then noise at each of the slot gains' levels. */
Stereo pushedThroughSlotGains (double sampleRate)
{
    auto signal = escalatingLevels (sampleRate);
    const auto length = (int) (0.1 * sampleRate);

    for (auto level : slotGainLevels)
        appendTo (signal,
                  testsignals::noiseWithImpulses (length, 5, level),
                  testsignals::noiseWithImpulses (length, 6, level));

    return signal;
}

class AllGadgets : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override { seedNoise (gadget()); }

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

    // Loud noise straight from rest at the rates whose top corners sit near
    // Nyquist, at every corner of the controls: a state flung wide in the
    // first samples goes non-finite in a few of these runs, not in most.
    for (double rate : { 22050.0, 24000.0 })
    {
        gadget().initProcessing (rate, maxBlockSize);
        for (int corner = 0; corner < 16; ++corner)
        {
            auto bit = [corner] (int control) { return (double) ((corner >> control) & 1); };
            for (std::uint32_t run = 0; run < loudRunsPerCorner; ++run)
            {
                gadget().setParameters (bit (0), bit (1), bit (2), bit (3), corner % 2 == 0 ? 0 : 7);
                gadget().reset();
                const auto runSeed = seed + 100u + 2u * run;
                Stereo noise { testsignals::noiseWithImpulses (maxBlockSize, runSeed, loudNoisePeak),
                               testsignals::noiseWithImpulses (maxBlockSize, runSeed + 1, loudNoisePeak) };
                gadget().processSamples (noise.left.data(), noise.right.data(), maxBlockSize, 120.0f);

                SCOPED_TRACE (testing::Message() << "loud noise, rate " << rate << " corner " << bit (0) << bit (1)
                                                 << bit (2) << bit (3) << " run " << run);
                ASSERT_TRUE (testsignals::allFinite (noise.left) && testsignals::allFinite (noise.right));
            }
        }
    }

    // Squares at the levels of a chain of slots, and the largest float where
    // the gadget is built to hold it, the channels in phase and in
    // anti-phase (which a detector of their sum does not hear), at every
    // corner of the controls.
    std::vector<float> levels (std::begin (chainLevels), std::end (chainLevels));
    if (holdAnyFiniteInput.count (GetParam()) > 0)
        levels.push_back (std::numeric_limits<float>::max());

    for (double rate : { 22050.0, 48000.0, 192000.0 })
    {
        gadget().initProcessing (rate, maxBlockSize);
        const auto length = (int) (chainSquareSeconds * rate);

        for (auto level : levels)
            for (bool antiPhase : { false, true })
                for (int corner = 0; corner < 16; ++corner)
                {
                    auto bit = [corner] (int control) { return (double) ((corner >> control) & 1); };
                    gadget().setParameters (bit (0), bit (1), bit (2), bit (3), corner % 2 == 0 ? 0 : 7);
                    gadget().reset();

                    Stereo square { testsignals::square (length, chainSquareHz, rate, level),
                                    testsignals::square (length, chainSquareHz, rate, antiPhase ? -level : level) };
                    for (int start = 0; start < length; start += maxBlockSize)
                        gadget().processSamples (square.left.data() + start,
                                                 square.right.data() + start,
                                                 std::min (maxBlockSize, length - start),
                                                 120.0f);
                    SCOPED_TRACE (testing::Message() << "square at " << level << (antiPhase ? " in anti-phase" : "")
                                                     << ", rate " << rate << " corner " << corner);
                    ASSERT_TRUE (testsignals::allFinite (square.left) && testsignals::allFinite (square.right));
                }
    }
}

/* Through the slot, so HOT's tube stages follow the gadget: every corner of
   the four controls (switches included) and both extreme impulse choices,
   at the rates hosts run, from silence up to +40 dBFS. */
TEST_P (AllGadgets, SlotStaysFiniteAndBoundedAtEveryCornerRateAndLevel)
{
    constexpr int blockSize = 512;
    constexpr int numCorners = 16;
    slot->setCurrentIndex (GetParam());

    for (double rate : { 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 })
    {
        slot->initProcessing (rate, blockSize);
        const Stereo inputs[] = { escalatingLevels (rate), pushedThroughSlotGains (rate) };

        for (int corner = 0; corner < numCorners; ++corner)
        {
            for (bool hot : { false, true })
            {
                auto bit = [corner] (int control) { return (double) ((corner >> control) & 1); };
                gadget().setParameters (bit (0), bit (1), bit (2), bit (3), corner % 2 == 0 ? 0 : 7);
                gadget().reset();
                for (auto& drive : slot->drives)
                    drive.reset();

                auto output = inputs[hot ? 1 : 0];
                const auto length = (int) output.left.size();
                for (int start = 0; start < length; start += blockSize)
                    slot->processSamples (output.left.data() + start, output.right.data() + start,
                                          std::min (blockSize, length - start), 120.0f, hot);

                SCOPED_TRACE (testing::Message() << "rate " << rate << " corner " << bit (0) << bit (1) << bit (2)
                                                 << bit (3) << (hot ? " HOT" : ""));
                ASSERT_TRUE (testsignals::allFinite (output.left) && testsignals::allFinite (output.right));
                ASSERT_LT (std::max (testsignals::peakOf (output.left), testsignals::peakOf (output.right)),
                           loudOutputBound);
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
    ASSERT_TRUE (speakerLoaded (gadget()));
    gadget().setParameters (0.3, 0.8, 0.6, 0.7, 2);

    gadget().reset();
    seedNoise (gadget());
    const auto first = run (gadget(), input, 100);
    gadget().reset();
    seedNoise (gadget());
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
    ASSERT_TRUE (speakerLoaded (gadget()));
    gadget().setParameters (0.6, 0.4, 0.7, 0.2, 5);
    gadget().reset();
    seedNoise (gadget());
    const auto plain = run (gadget(), input, 64);

    gadget().setParameters (0.6, 0.4, 0.7, 0.2, 5);
    gadget().reset();
    seedNoise (gadget());
    float unused = 0.0f;
    gadget().processSamples (&unused, &unused, 0, 120.0f);
    const auto afterEmptyBlock = run (gadget(), input, 64);

    EXPECT_EQ (plain.left, afterEmptyBlock.left);
    EXPECT_EQ (plain.right, afterEmptyBlock.right);
}

INSTANTIATE_TEST_SUITE_P (Gadgets, AllGadgets, ::testing::Range (0, GadgetManager::numGadgets), gadgetName);
