// The chopping noise gate: a downward expander on the playing level, held
// open by the LFO for the second half of each cycle.

#include "engine/gadgets/GadgetN09.h"
#include "support/GadgetHarness.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace gadgetharness;

namespace
{
constexpr double fs = 48000.0;
constexpr float centre = 0.5f;

void prepare (GadgetN09& gate, double rate, float rateKnob, float thresholdKnob, float releaseKnob = 0.7f)
{
    gate.initProcessing (rate, 512);
    gate.setParameters (rateKnob, thresholdKnob, releaseKnob, centre, 0);
    gate.reset();
}

/** Threshold in dB of power and ratio as the knob is drawn: -60..0 dB on a
    curve, ratio 5..10. */
double thresholdDb (double knob) { return (1.0 - (1.0 - knob) * (1.0 - knob)) * 60.0 - 60.0; }
double ratioFor (double knob) { return 5.0 * knob * knob + 5.0; }

/** A constant level on both channels, long enough for the detector, the
    follower and the gain smoother to settle. */
Stereo steadyLevel (float amplitude, int numSamples)
{
    return bothChannels (std::vector<float> ((std::size_t) numSamples, amplitude));
}
} // namespace

TEST (Vuvuru, GainBelowTheThresholdFallsByTheRatio)
{
    // A textbook downward expander: unity above the threshold, and below it the
    // output level falls `ratio` dB for every dB the input falls.
    struct Case
    {
        float thresholdKnob;
        double dbFromThreshold;
    };
    const Case cases[] = { { 0.0f, 6.0 },   { 0.0f, -10.0 }, { 0.25f, 0.5 },  { 0.25f, -3.0 }, { 0.5f, -3.0 },
                           { 0.5f, -10.0 }, { 0.75f, 3.0 },  { 0.75f, -6.0 }, { 1.0f, -3.0 },  { 1.0f, -10.0 } };

    for (const auto& c : cases)
    {
        const auto levelDb = thresholdDb (c.thresholdKnob) + c.dbFromThreshold;
        const auto amplitude = (float) std::pow (10.0, levelDb / 20.0);
        const auto expectedDb = c.dbFromThreshold >= 0.0 ? 0.0 : (ratioFor (c.thresholdKnob) - 1.0) * c.dbFromThreshold;

        GadgetN09 gate;
        prepare (gate, fs, 0.0f, c.thresholdKnob);
        auto signal = steadyLevel (amplitude, (int) fs);
        process (gate, signal, 256);

        SCOPED_TRACE (testing::Message() << "threshold knob " << c.thresholdKnob << ", " << c.dbFromThreshold << " dB");
        EXPECT_NEAR (toDecibels (signal.left.back() / amplitude), expectedDb, 0.05);
        EXPECT_EQ (signal.left.back(), signal.right.back());
    }
}

TEST (Vuvuru, LfoOpensTheGateForTheSecondHalfOfEachCycle)
{
    // Rate knob at its centre: 1 Hz, so the gate acts for 0.5 s and is open
    // for 0.5 s. A level 20 dB under the threshold shows both states.
    const float thresholdKnob = 0.5f;
    const auto amplitude = (float) std::pow (10.0, (thresholdDb (thresholdKnob) - 20.0) / 20.0);
    const auto closedGain = std::pow (10.0, (ratioFor (thresholdKnob) - 1.0) * -20.0 / 20.0);

    struct Case
    {
        float rateKnob;
        bool chops;
    };
    for (const auto& c : { Case { 0.5f, true }, Case { 0.0f, false } })
    {
        GadgetN09 gate;
        prepare (gate, fs, c.rateKnob, thresholdKnob);
        auto signal = steadyLevel (amplitude, (int) (1.5 * fs));
        process (gate, signal, 100);
        const auto gainAt = [&] (double seconds) { return signal.left[(std::size_t) (seconds * fs)] / amplitude; };

        SCOPED_TRACE (testing::Message() << "rate knob " << c.rateKnob);
        EXPECT_NEAR (gainAt (0.25), closedGain, closedGain * 1.0e-3);
        EXPECT_NEAR (gainAt (0.75), c.chops ? 1.0 : closedGain, 1.0e-4);
        EXPECT_NEAR (gainAt (1.25), closedGain, closedGain * 1.0e-3);

        if (c.chops)
        {
            // The opening at 0.5 s reaches half gain after the 20 Hz smoother's
            // ln 2 / (2 pi 20 Hz) = 5.5 ms.
            const auto halfOpen =
                std::find_if (signal.left.begin(), signal.left.end(), [&] (float x) { return x > 0.5f * amplitude; });
            const auto seconds = (double) (halfOpen - signal.left.begin()) / fs;
            EXPECT_NEAR (seconds, 0.5 + std::log (2.0) / (2.0 * M_PI * 20.0), 0.5e-3);
        }
    }
}

TEST (Vuvuru, RateZeroStaysShutPastHalfTheSlowestCycle)
{
    // The knob's bottom is a plain gate, though the LFO still runs at its
    // slowest, 0.005 Hz: the open half would begin 100 s in. At 8 kHz a
    // level under the threshold stays shut for 110 s.
    constexpr double lowRate = 8000.0;
    constexpr int blockSize = 8192;
    const float thresholdKnob = 0.5f;
    const auto amplitude = (float) std::pow (10.0, (thresholdDb (thresholdKnob) - 20.0) / 20.0);
    const auto closedGain = (float) std::pow (10.0, (ratioFor (thresholdKnob) - 1.0) * -20.0 / 20.0);

    GadgetN09 gate;
    gate.initProcessing (lowRate, blockSize);
    gate.setParameters (0.0f, thresholdKnob, 0.7f, centre, 0);
    gate.reset();

    auto signal = steadyLevel (amplitude, blockSize);
    float loudest = 0.0f;

    for (int block = 0; block < (int) (110.0 * lowRate) / blockSize; ++block)
    {
        std::fill (signal.left.begin(), signal.left.end(), amplitude);
        std::fill (signal.right.begin(), signal.right.end(), amplitude);
        gate.processSamples (signal.left.data(), signal.right.data(), blockSize, 0.0f);

        if (block > 0)
            loudest = std::max (loudest, *std::max_element (signal.left.begin(), signal.left.end()));
    }

    EXPECT_LT (loudest, 1.01f * closedGain * amplitude);
}

TEST (Vuvuru, StrongPlayingPassesWholeInBothHalves)
{
    GadgetN09 gate;
    prepare (gate, fs, 0.5f, 0.5f);
    auto signal = steadyLevel (0.5f, (int) (1.5 * fs));
    process (gate, signal, 512);

    // Past the smoother's fade-in after the reset, unity throughout the cycle.
    for (std::size_t i = (std::size_t) (0.2 * fs); i < signal.left.size(); i += 97)
        ASSERT_NEAR (signal.left[i], 0.5f, 1.0e-6f) << "sample " << i;
}

TEST (Vuvuru, NearSilenceIsShutInTheGatedHalfAndPassedInTheOpenHalf)
{
    // -100 dB, far under even the lowest threshold: the gate's gain is all but 0.
    const float whisper = 1.0e-5f;
    GadgetN09 gate;
    prepare (gate, fs, 0.5f, 0.0f);
    auto signal = steadyLevel (whisper, (int) fs);
    process (gate, signal, 512);

    EXPECT_LT (std::abs (signal.left[(std::size_t) (0.25 * fs)]), whisper * 1.0e-6f);
    EXPECT_NEAR (signal.left[(std::size_t) (0.75 * fs)], whisper, whisper * 1.0e-4f);
}

TEST (Vuvuru, KnobEndsAndCentresSetThresholdRatioReleaseAndRate)
{
    struct Case
    {
        float rate, threshold, release;
        double thresholdPower, ratio, releaseMs, lfoHz;
    };
    const Case cases[] = {
        { 0.0f, 0.0f, 0.0f, 1.0e-6, 5.0, 50.0, 0.005 },
        { 0.5f, 0.5f, 0.5f, std::pow (10.0, -1.5), 6.25, 106.25, 1.0 },
        { 1.0f, 1.0f, 1.0f, 1.0, 10.0, 500.0, 200.0 },
    };

    for (const auto& c : cases)
    {
        GadgetN09 gate;
        prepare (gate, fs, c.rate, c.threshold, c.release);
        float unused = 0.0f;
        gate.processSamples (&unused, &unused, 0, 0.0f);

        SCOPED_TRACE (testing::Message() << "knobs " << c.rate << " " << c.threshold << " " << c.release);
        EXPECT_NEAR (gate.threshold, c.thresholdPower, c.thresholdPower * 1.0e-5);
        EXPECT_NEAR (gate.ratio, c.ratio, 1.0e-5);
        EXPECT_NEAR (gate.releaseCoeff, std::exp (-2.0 * M_PI * 1000.0 / (c.releaseMs * fs)), 1.0e-6);
        EXPECT_NEAR (gate.lfoRate, c.lfoHz, c.lfoHz * 1.0e-5);
    }
}

TEST (Vuvuru, SlotInputGainDoesNotMoveTheGate)
{
    // The slot's gain is undone before the detector: four times the input at
    // an input gain of 4 gives exactly four times the output.
    const auto input = bothChannels (testsignals::noiseWithImpulses (20000, 11, 0.05f));
    Stereo scaledInput = input;
    for (auto* channel : { &scaledInput.left, &scaledInput.right })
        for (auto& x : *channel)
            x *= 4.0f;

    GadgetN09 plain, boosted;
    prepare (plain, fs, 0.3f, 0.6f);
    prepare (boosted, fs, 0.3f, 0.6f);
    boosted.inputGain = 4.0f;

    auto plainOut = input;
    auto boostedOut = scaledInput;
    process (plain, plainOut, 128);
    process (boosted, boostedOut, 128);

    for (auto& x : plainOut.left)
        x *= 4.0f;
    EXPECT_EQ (boostedOut.left, plainOut.left);
}

TEST (Vuvuru, RecoversFromANonFiniteBlock)
{
    GadgetN09 gate;
    prepare (gate, fs, 0.5f, 0.5f);
    EXPECT_TRUE (recoversFromNonFiniteBlock (gate, 256, 256, 4096));
}

TEST (Vuvuru, GoldenSnapshots)
{
    struct Case
    {
        const char* name;
        float p1, p2, p3;
    };
    for (const auto& c : { Case { "vuvuru_default", 0.5f, 0.5f, 0.7f },
                           Case { "vuvuru_all_up", 1.0f, 1.0f, 1.0f },
                           Case { "vuvuru_all_down", 0.0f, 0.0f, 0.0f } })
    {
        GadgetN09 gate;
        prepare (gate, fs, c.p1, c.p2, c.p3);
        Stereo signal { testsignals::noiseWithImpulses (400, 21), testsignals::noiseWithImpulses (400, 22) };
        process (gate, signal, 64);
        EXPECT_EQ (verifyGolden (c.name, interleaveChannels (signal)), "") << c.name;
    }
}
