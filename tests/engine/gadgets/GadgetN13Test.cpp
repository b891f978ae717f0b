// The rotating speaker: mix law, rotor speeds, routing of the bands, and the
// rotors' free-running phases.

#include "engine/gadgets/GadgetN13.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int maxBlock = 512;

struct Stereo
{
    std::vector<float> left, right;
};

/** A gadget prepared at 48 kHz with repeatable rotor start phases. */
std::unique_ptr<GadgetN13>
    makeRotor (double slowKnob, double fastKnob, double mix, double fastSwitch, double rate = sampleRate)
{
    auto gadget = std::make_unique<GadgetN13>();
    gadget->initProcessing (rate, maxBlock);
    gadget->setParameters (slowKnob, fastKnob, mix, fastSwitch, 0);
    gadget->rotorRandom.setSeed (1234);
    gadget->reset();
    return gadget;
}

Stereo run (GadgetN13& gadget, Stereo signal, int blockSize = maxBlock)
{
    const auto total = (int) signal.left.size();
    for (int start = 0; start < total; start += blockSize)
        gadget.processSamples (
            signal.left.data() + start, signal.right.data() + start, std::min (blockSize, total - start), 0.0f);
    return signal;
}

Stereo noise (int numSamples)
{
    return { testsignals::noiseWithImpulses (numSamples, 5), testsignals::noiseWithImpulses (numSamples, 6) };
}

double rms (const std::vector<float>& x, size_t from)
{
    double sum = 0.0;
    for (size_t i = from; i < x.size(); ++i)
        sum += (double) x[i] * x[i];
    return std::sqrt (sum / (double) (x.size() - from));
}

/** The rotor's mean speed in Hz over the next numSamples, from its phase
    advancing sample by sample. */
double measuredSpeedHz (GadgetN13& gadget, float GadgetN13::*phase, int numSamples = (int) sampleRate)
{
    float left = 0.0f, right = 0.0f;
    double travelled = 0.0;
    for (int i = 0; i < numSamples; ++i)
    {
        const auto before = gadget.*phase;
        gadget.processSamples (&left, &right, 1, 0.0f);
        auto step = (double) (gadget.*phase - before);
        travelled += step < 0.0 ? step + 2.0 * M_PI : step;
    }
    return travelled / (2.0 * M_PI) * sampleRate / numSamples;
}
} // namespace

TEST (DazoviRuvora, DryWetKnobBringsTheWetInThenTakesTheDryOut)
{
    struct Row
    {
        double knob;
        float dry, wet;
    };
    // Wet comes in over the first half, dry goes out over the second.
    const Row rows[] = {
        { 0.0, 1.0f, 0.0f }, { 0.25, 1.0f, 0.5f }, { 0.5, 1.0f, 1.0f }, { 0.75, 0.5f, 1.0f }, { 1.0, 0.0f, 1.0f }
    };
    const auto input = noise (4000);
    const auto wetOnly = run (*makeRotor (0.5, 0.5, 1.0, 0.0), input);

    for (const auto& row : rows)
    {
        SCOPED_TRACE (testing::Message() << "Dry/Wet " << row.knob);
        const auto output = run (*makeRotor (0.5, 0.5, row.knob, 0.0), input);

        for (size_t i = 0; i < input.left.size(); ++i)
        {
            ASSERT_NEAR (output.left[i], row.dry * input.left[i] + row.wet * wetOnly.left[i], 1.0e-6f) << i;
            ASSERT_NEAR (output.right[i], row.dry * input.right[i] + row.wet * wetOnly.right[i], 1.0e-6f) << i;
        }
    }

    // Fully dry is the input itself, bit for bit.
    const auto dry = run (*makeRotor (0.5, 0.5, 0.0, 0.0), input);
    EXPECT_EQ (dry.left, input.left);
    EXPECT_EQ (dry.right, input.right);
}

TEST (DazoviRuvora, RotorsSettleAtTheSelectedSpeeds)
{
    struct Row
    {
        double slowKnob, fastKnob, fastSwitch;
        double lowHz, highHz;
    };
    // The horn always turns 0.1 Hz faster than the bass rotor.
    const Row rows[] = {
        { 0.0, 0.5, 0.0, 0.25, 0.35 },
        { 1.0, 0.5, 0.0, 2.0, 2.1 },
        { 0.5, 1.0, 1.0, 8.3, 8.4 },
        { 0.5, 0.0, 1.0, 5.0, 5.1 },
        { 0.5, 1.0, 0.5, std::sqrt (0.5), std::sqrt (0.5) + 0.1 }, // 0.5 still counts as slow
    };

    for (const auto& row : rows)
    {
        SCOPED_TRACE (testing::Message() << "knobs " << row.slowKnob << " " << row.fastKnob << " switch "
                                         << row.fastSwitch);
        auto gadget = makeRotor (row.slowKnob, row.fastKnob, 1.0, row.fastSwitch);

        // Two seconds for the slower, 2 Hz glide to settle.
        run (*gadget, { std::vector<float> (96000), std::vector<float> (96000) });
        // A slow rotor's step is a few ulps of its phase, so each float
        // addition rounds it by a few tenths of a percent.
        EXPECT_NEAR (measuredSpeedHz (*gadget, &GadgetN13::lowRotorPhase), row.lowHz, 5.0e-3 * row.lowHz);
        EXPECT_NEAR (measuredSpeedHz (*gadget, &GadgetN13::highRotorPhase), row.highHz, 5.0e-3 * row.highHz);
    }
}

TEST (DazoviRuvora, RotorsSpinUpFromStandstillAtTheirOwnPace)
{
    // Each speed follows a one-pole glide: target (1 - exp(-2 pi fc t)), with
    // fc 2 Hz for the heavy bass rotor and 10 Hz for the horn.
    for (double seconds : { 0.05, 0.1, 0.3 })
    {
        SCOPED_TRACE (testing::Message() << seconds << " s after reset");
        auto lowRotor = makeRotor (0.0, 1.0, 1.0, 1.0);
        auto horn = makeRotor (0.0, 1.0, 1.0, 1.0);
        constexpr int window = 480;
        const auto start = (int) (seconds * sampleRate) - window / 2;
        run (*lowRotor, { std::vector<float> ((size_t) start), std::vector<float> ((size_t) start) });
        run (*horn, { std::vector<float> ((size_t) start), std::vector<float> ((size_t) start) });

        const auto expectedLow = 8.3 * (1.0 - std::exp (-2.0 * M_PI * 2.0 * seconds));
        const auto expectedHigh = 8.4 * (1.0 - std::exp (-2.0 * M_PI * 10.0 * seconds));
        EXPECT_NEAR (measuredSpeedHz (*lowRotor, &GadgetN13::lowRotorPhase, window), expectedLow, 0.02 * expectedLow);
        EXPECT_NEAR (measuredSpeedHz (*horn, &GadgetN13::highRotorPhase, window), expectedHigh, 0.02 * expectedHigh);
    }
}

TEST (DazoviRuvora, HornIsFedFromTheLeftInputOnly)
{
    // 6 kHz lies three octaves above the crossover: the bass band keeps
    // -72 dB of it, so right-only input is nearly silent in the wet path.
    const auto tone = testsignals::sine (24000, 6000.0, sampleRate, 0.5f);
    const std::vector<float> silence (tone.size(), 0.0f);

    const auto fromLeft = run (*makeRotor (0.5, 0.5, 1.0, 0.0), { tone, silence });
    const auto fromRight = run (*makeRotor (0.5, 0.5, 1.0, 0.0), { silence, tone });

    const auto leftLevel = rms (fromLeft.left, 4000) + rms (fromLeft.right, 4000);
    const auto rightLevel = rms (fromRight.left, 4000) + rms (fromRight.right, 4000);
    EXPECT_GT (leftLevel, 0.1);
    EXPECT_LT (rightLevel, 1.0e-3 * leftLevel);
}

TEST (DazoviRuvora, OutputDoesNotDependOnTheBlockSize)
{
    // The rotors advance one step per sample whatever the blocks; any
    // per-block phase logic would show up here.
    const auto input = noise (6000);
    const auto reference = run (*makeRotor (0.3, 0.8, 0.7, 1.0), input, maxBlock);

    for (int blockSize : { 1, 7, 64, 333 })
    {
        const auto output = run (*makeRotor (0.3, 0.8, 0.7, 1.0), input, blockSize);
        EXPECT_EQ (output.left, reference.left) << "block " << blockSize;
        EXPECT_EQ (output.right, reference.right) << "block " << blockSize;
    }
}

TEST (DazoviRuvora, EachResetDrawsNewStartPhases)
{
    GadgetN13 gadget;
    gadget.initProcessing (sampleRate, maxBlock);

    gadget.reset();
    const auto firstLow = gadget.lowRotorPhase, firstHigh = gadget.highRotorPhase;
    gadget.reset();

    EXPECT_NE (gadget.lowRotorPhase, firstLow);
    EXPECT_NE (gadget.highRotorPhase, firstHigh);

    for (auto phase : { firstLow, firstHigh, gadget.lowRotorPhase, gadget.highRotorPhase })
    {
        EXPECT_GE (phase, 0.0f);
        EXPECT_LT (phase, 2.0f);
    }
}

TEST (DazoviRuvora, TapsReadBetween301AndSpanMoreSamplesBack)
{
    struct Row
    {
        double rate;
        int spanSamples;
    };
    // 0.5 ms of Doppler travel rounded half to even (22.05 -> 22).
    const Row rows[] = { { 44100.0, 22 }, { 48000.0, 24 }, { 96000.0, 48 }, { 192000.0, 96 } };
    constexpr int impulseAt = 6000; // long after the delay smoothers have settled

    for (const auto& row : rows)
    {
        SCOPED_TRACE (testing::Message() << "fs " << row.rate);
        auto gadget = makeRotor (0.5, 1.0, 1.0, 1.0, row.rate);
        Stereo signal { std::vector<float> (8000), std::vector<float> (8000) };
        signal.left[impulseAt] = 1.0f;
        const auto output = run (*gadget, signal);

        // The horn's band passes the impulse's edge at once, so the first
        // sound is the nearest tap's delay.
        int firstArrival = -1;
        for (int i = 0; i < (int) output.left.size() && firstArrival < 0; ++i)
            if (std::abs (output.left[(size_t) i]) > 1.0e-3f || std::abs (output.right[(size_t) i]) > 1.0e-3f)
                firstArrival = i - impulseAt;

        EXPECT_GE (firstArrival, 301);
        EXPECT_LE (firstArrival, 301 + row.spanSamples);
        EXPECT_EQ (gadget->maxDelay - gadget->minDelay, (float) row.spanSamples);
    }
}

TEST (DazoviRuvora, StaysFiniteFarBelowUsualSampleRates)
{
    // At 1 kHz the 830 Hz crossover would sit above Nyquist; it is held at 490 Hz.
    auto gadget = makeRotor (0.5, 0.5, 1.0, 0.0, 1000.0);
    const auto output = run (*gadget, noise (4000));
    EXPECT_TRUE (testsignals::allFinite (output.left) && testsignals::allFinite (output.right));
    EXPECT_LT (std::max (testsignals::peakOf (output.left), testsignals::peakOf (output.right)), 4.0f);
    EXPECT_FLOAT_EQ (gadget->lowSplit.cutoff, 490.0f);
}

TEST (DazoviRuvora, NonFiniteInputDoesNotSilenceLaterBlocks)
{
    auto gadget = makeRotor (0.5, 0.5, 0.5, 1.0);
    run (*gadget, { std::vector<float> (256, std::nanf ("")), std::vector<float> (256, INFINITY) }, 256);

    // The bad cells leave the taps' reach (at most 326 samples back) within
    // two blocks, and the block-end flush clears the filter states.
    const auto output = run (*gadget, noise (256 * 4), 256);
    EXPECT_TRUE (testsignals::allFinite ({ output.left.begin() + 512, output.left.end() }));
    EXPECT_TRUE (testsignals::allFinite ({ output.right.begin() + 512, output.right.end() }));
}

TEST (DazoviRuvora, MatchesGoldenSnapshots)
{
    struct Setting
    {
        const char* name;
        double p1, p2, p3, p4;
    };
    const Setting settings[] = { { "dazovi_ruvora_default", 0.5, 0.5, 1.0, 0.0 },
                                 { "dazovi_ruvora_knobs_0", 0.0, 0.0, 0.0, 0.0 },
                                 { "dazovi_ruvora_fast", 1.0, 1.0, 0.6, 1.0 } };

    for (const auto& setting : settings)
    {
        auto gadget = makeRotor (setting.p1, setting.p2, setting.p3, setting.p4, 44100.0);
        // Past the taps' 300-sample minimum delay, so the wet path is in the snapshot.
        auto output = run (*gadget, noise (1024));
        std::vector<float> snapshot (output.left.begin() + 624, output.left.end());
        snapshot.insert (snapshot.end(), output.right.begin() + 624, output.right.end());
        EXPECT_EQ (verifyGolden (setting.name, snapshot), "");
    }
}
