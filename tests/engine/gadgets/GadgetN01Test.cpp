// The gated ping-pong delay: echo timing from the knob or the host tempo,
// the send gate, the cross feedback and the crossfade of a changed length.

#include "engine/gadgets/GadgetN01.h"
#include "engine/ParameterMapping.h"
#include "support/GadgetHarness.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace gadgetharness;

namespace
{
constexpr double fs = 48000.0;
constexpr int blockSize = 512;
constexpr float syncOff = 0.0f, syncOn = 1.0f;
// Sens. at 1: the gate opens at -40 dB of power, so a hard hit passes.
constexpr float mostSensitive = 1.0f;

std::unique_ptr<GadgetN01> makeDelay (double rate, float delayKnob, float feedbackKnob, float sensKnob, float sync)
{
    auto delay = std::make_unique<GadgetN01>();
    delay->initProcessing (rate, blockSize);
    delay->setParameters (delayKnob, feedbackKnob, sensKnob, sync, 0);
    delay->reset();
    return delay;
}

/** Samples from a single hit on the left to its first echo (the first
    sample where anything comes back). A block of silence goes first so the
    length is set and faded in before the hit. */
long echoDelay (GadgetN01& delay, float bpm, long longestExpected)
{
    Stereo signal { std::vector<float> ((std::size_t) (longestExpected + 2 * blockSize + 8)), {} };
    signal.right.assign (signal.left.size(), 0.0f);
    const long hitAt = blockSize;
    signal.left[(std::size_t) hitAt] = 1.0f;
    process (delay, signal, blockSize, bpm);

    for (auto i = (std::size_t) hitAt + 1; i < signal.left.size(); ++i)
        if (signal.left[i] != 0.0f)
            return (long) i - hitAt;
    return -1;
}

/** The divisor of a whole note for each tenth of the Delay knob with Sync on. */
double noteDivisor (float knob)
{
    constexpr double divisors[] = { 64, 32, 24, 16, 8, 6, 4, 3, 2, 1 };
    return divisors[std::min (9, (int) (knob * 10.0f))];
}
} // namespace

TEST (DovidUdizur, SyncedEchoLandsOnTheNoteValueOfTheTempo)
{
    // A whole note lasts 4 beats of 60 / bpm seconds; the echo comes one
    // sample after the note value, rounded to whole samples.
    for (float bpm : { 60.0f, 90.0f, 120.0f, 150.0f, 180.0f, 240.0f })
        for (float knob : { 0.05f, 0.15f, 0.25f, 0.35f, 0.45f, 0.55f, 0.65f, 0.75f, 0.85f, 0.95f })
        {
            const auto noteSamples = 4.0 * 60.0 / bpm * fs / noteDivisor (knob);
            const auto expected = (long) std::nearbyint (noteSamples) + 1;
            auto delay = makeDelay (fs, knob, 0.0f, mostSensitive, syncOn);
            EXPECT_EQ (echoDelay (*delay, bpm, expected), expected) << bpm << " bpm, knob " << knob;
        }
}

TEST (DovidUdizur, FreeEchoFollowsTheCubeOfTheKnob)
{
    // The knob's travel covers the whole ring on a cubic curve; p1 = 1 sends
    // the echo round the full ring of 2^19 samples.
    struct Case
    {
        float knob;
        long expected;
    };
    for (const auto& c : { Case { 0.0f, 1 },
                           Case { 0.25f, 8192 },
                           Case { 0.5f, 65536 },
                           Case { 0.75f, 221184 },
                           Case { 1.0f, 524288 } })
    {
        auto delay = makeDelay (fs, c.knob, 0.0f, mostSensitive, syncOff);
        EXPECT_EQ (echoDelay (*delay, 120.0f, c.expected), c.expected) << "knob " << c.knob;
    }
}

TEST (DovidUdizur, DelayLengthEdgeCases)
{
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const auto inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        const char* what;
        double rate;
        float knob, sync, bpm;
        int expected;
    };
    const Case cases[] = {
        { "sync exactly at the threshold is free", 48000.0, 0.5f, ParameterMapping::switchThreshold, 120.0f, 65535 },
        { "120 bpm, 44.1 kHz, a 64th", 44100.0, 0.05f, syncOn, 120.0f, 1378 },
        { "bound 0.1 takes the 32nd", 44100.0, 0.1f, syncOn, 120.0f, 2756 },
        { "bound 0.2 takes the 24th", 44100.0, 0.2f, syncOn, 120.0f, 3675 },
        { "bound 0.3 takes the 16th, 5512.5 to even", 44100.0, 0.3f, syncOn, 120.0f, 5512 },
        { "bound 0.4 takes the 8th", 44100.0, 0.4f, syncOn, 120.0f, 11025 },
        { "bound 0.5 takes the 6th", 44100.0, 0.5f, syncOn, 120.0f, 14700 },
        { "bound 0.6 takes the 4th", 44100.0, 0.6f, syncOn, 120.0f, 22050 },
        { "bound 0.7 takes the 3rd", 44100.0, 0.7f, syncOn, 120.0f, 29400 },
        { "bound 0.8 takes the half", 44100.0, 0.8f, syncOn, 120.0f, 44100 },
        { "bound 0.9 takes the whole", 44100.0, 0.9f, syncOn, 120.0f, 88200 },
        { "no tempo", 48000.0, 0.5f, syncOn, 0.0f, 0 },
        { "negative tempo", 48000.0, 0.5f, syncOn, -120.0f, 0 },
        { "NaN tempo", 48000.0, 0.5f, syncOn, nan, 0 },
        { "infinite tempo", 48000.0, 0.5f, syncOn, inf, 0 },
        { "slow tempo, too long for the ring", 48000.0, 0.95f, syncOn, 20.0f, 524286 },
        { "rounds up to the ring's last cell", 48000.0, 0.95f, syncOn, 21.9727f, 524286 },
        { "tempo so slow the length is infinite", 48000.0, 0.95f, syncOn, 1.0e-38f, 524286 },
        { "free knob past its end", 48000.0, 2.0f, syncOff, 120.0f, 524287 },
        { "free knob below its start", 48000.0, -1.0f, syncOff, 120.0f, 0 },
        { "free knob NaN", 48000.0, nan, syncOff, 120.0f, 0 },
    };

    for (const auto& c : cases)
    {
        auto delay = makeDelay (c.rate, c.knob, 0.0f, 0.5f, c.sync);
        float l = 0.0f, r = 0.0f;
        delay->processSamples (&l, &r, 1, c.bpm);
        EXPECT_EQ (delay->delayLength, c.expected) << c.what;
    }
}

TEST (DovidUdizur, TempoIsReadOnlyWhenAControlChanges)
{
    auto delay = makeDelay (fs, 0.55f, 0.2f, 0.3f, syncOn);
    Stereo block { std::vector<float> (64), std::vector<float> (64) };
    process (*delay, block, 64, 120.0f);
    ASSERT_EQ (delay->delayLength, 16000); // a sixth of a 2 s whole note

    process (*delay, block, 64, 60.0f);
    EXPECT_EQ (delay->delayLength, 16000);

    delay->setParameters (0.55, 0.2, 0.3, syncOn, 0);
    process (*delay, block, 64, 60.0f);
    EXPECT_EQ (delay->delayLength, 32000);
}

TEST (DovidUdizur, SyncWithoutTempoGivesAOneSampleEcho)
{
    auto delay = makeDelay (fs, 0.55f, 0.0f, mostSensitive, syncOn);
    EXPECT_EQ (echoDelay (*delay, 0.0f, 1), 1);
}

TEST (DovidUdizur, AfterAResetTheEchoIsOneSampleEarlierUntilTheNextChange)
{
    auto delay = makeDelay (fs, 0.25f, 0.0f, mostSensitive, syncOff);
    EXPECT_EQ (echoDelay (*delay, 0.0f, 8192), 8192);
    delay->reset();
    EXPECT_EQ (echoDelay (*delay, 0.0f, 8192), 8191);
}

TEST (DovidUdizur, GateSendsLevelsAboveTheThresholdAndHoldsBackTheRest)
{
    // A steady level with no feedback settles at dry + send: x (1 + g). The
    // threshold is +20 dB of power at Sens. 0 down to -40 dB at 1, and below it
    // the send falls 10 dB for every dB of level.
    struct Case
    {
        float sens;
        double dbFromThreshold;
    };
    const Case cases[] = { { 0.0f, 3.0 },  { 0.0f, -3.0 }, { 0.5f, 1.0 }, { 0.5f, -1.0 },
                           { 0.5f, -3.0 }, { 1.0f, 6.0 },  { 1.0f, -2.0 } };

    for (const auto& c : cases)
    {
        const auto thresholdDb = 20.0 - 60.0 * c.sens;
        const auto amplitude = (float) std::pow (10.0, (thresholdDb + c.dbFromThreshold) / 20.0);
        const auto expectedSend = c.dbFromThreshold >= 0.0 ? 1.0 : std::pow (10.0, 9.0 * c.dbFromThreshold / 20.0);

        auto delay = makeDelay (fs, 0.1f, 0.0f, c.sens, syncOff);
        auto signal = bothChannels (std::vector<float> ((std::size_t) (2 * fs), amplitude));
        process (*delay, signal, blockSize);

        const auto send = signal.left.back() / amplitude - 1.0;
        EXPECT_NEAR (send, expectedSend, expectedSend * 1.0e-3 + 1.0e-6)
            << "sens " << c.sens << ", " << c.dbFromThreshold << " dB";
    }
}

TEST (DovidUdizur, EchoesBounceBetweenTheSidesInvertedEachTime)
{
    const long echoAt = 66; // knob 0.05: 65 samples, + 1
    auto delay = makeDelay (fs, 0.05f, 0.5f, mostSensitive, syncOff);
    Stereo signal { std::vector<float> (2048), std::vector<float> (2048) };
    signal.left[blockSize] = 1.0f;
    process (*delay, signal, blockSize);

    // The tap filter spreads each echo over a few samples; sum each one.
    const auto energyNear = [&] (const std::vector<float>& x, long at) {
        double sum = 0.0;
        for (long i = at; i < at + 40; ++i)
            sum += x[(std::size_t) (blockSize + i)];
        return sum;
    };
    // Between echoes only the tap filter's decaying tail is left on a side.
    const auto first = energyNear (signal.left, echoAt);
    const auto tail = 1.0e-6 * first;
    EXPECT_GT (first, 0.0);
    EXPECT_NEAR (energyNear (signal.right, echoAt), 0.0, tail);
    EXPECT_LT (energyNear (signal.right, 2 * echoAt), -0.1 * first);
    EXPECT_NEAR (energyNear (signal.left, 2 * echoAt), 0.0, tail);
    EXPECT_GT (energyNear (signal.left, 3 * echoAt), 0.01 * first);
}

TEST (DovidUdizur, ChangedLengthFadesTheOldTapOutAcrossOneBlock)
{
    // A hit whose echo is due inside the block where the length changes comes
    // back scaled by the old tap's weight (n - 1 - i) / n at that sample i.
    constexpr int n = 64;
    constexpr int echoOffsetInBlock = 20;
    const long echoAt = 66; // knob 0.05
    const long hitAt = 2 * n + echoOffsetInBlock - echoAt + n;

    std::vector<float> first[2];
    for (int run = 0; run < 2; ++run)
    {
        auto delay = makeDelay (fs, 0.05f, 0.0f, mostSensitive, syncOff);
        Stereo signal { std::vector<float> (8 * n), std::vector<float> (8 * n) };
        signal.left[(std::size_t) hitAt] = 1.0f;

        for (int start = 0; start < 8 * n; start += n)
        {
            if (run == 1 && start == hitAt + echoAt - echoOffsetInBlock)
                delay->setParameters (0.5, 0.0, mostSensitive, syncOff, 0); // a much longer delay
            delay->processSamples (signal.left.data() + start, signal.right.data() + start, n, 0.0f);
        }
        first[run] = signal.left;
    }

    const auto at = (std::size_t) (hitAt + echoAt);
    ASSERT_NE (first[0][at], 0.0f);
    EXPECT_FLOAT_EQ (first[1][at], first[0][at] * (float) (n - 1 - echoOffsetInBlock) / (float) n);
    // The next block reads the new tap only, where nothing has arrived yet.
    for (auto i = at - echoOffsetInBlock + n; i < at - echoOffsetInBlock + 2 * n; ++i)
        EXPECT_EQ (first[1][i], 0.0f) << i;
}

TEST (DovidUdizur, NonFiniteInputDoesNotCircleInTheRings)
{
    // Feedback carries whatever is in the rings back in; a NaN in there would
    // come round every 66 samples for as long as the gadget runs.
    auto delay = makeDelay (fs, 0.05f, 0.9f, mostSensitive, syncOff);
    EXPECT_TRUE (recoversFromNonFiniteBlock (*delay, 256, 256, 8192));
}

TEST (DovidUdizur, GoldenSnapshots)
{
    struct Case
    {
        const char* name;
        float p1, p2, p3, p4;
    };
    // Short delays, so the echoes fall inside the snapshot.
    for (const auto& c : { Case { "dovid_udizur_default_controls_short_delay", 0.08f, 0.2f, 0.3f, 0.0f },
                           Case { "dovid_udizur_all_up_synced", 0.05f, 1.0f, 1.0f, 1.0f },
                           Case { "dovid_udizur_shortest_open_gate", 0.0f, 0.5f, 1.0f, 0.0f } })
    {
        auto delay = makeDelay (fs, c.p1, c.p2, c.p3, c.p4);
        Stereo signal { testsignals::noiseWithImpulses (400, 61), testsignals::noiseWithImpulses (400, 62) };
        process (*delay, signal, 64, 2000.0f);
        EXPECT_EQ (verifyGolden (c.name, interleaveChannels (signal)), "") << c.name;
    }
}
