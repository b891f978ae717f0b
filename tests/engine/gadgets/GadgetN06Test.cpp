#include "engine/gadgets/GadgetN06.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <complex>

namespace
{
constexpr double rate = 48000.0;
constexpr int blockSize = 256;

struct Comb
{
    Comb (double p1, double p2, double p3, double p4)
    {
        gadget->initProcessing (rate, blockSize);
        gadget->reset();
        gadget->setParameters (p1, p2, p3, p4, 0);
    }

    /** Processes a mono signal on both channels and returns the left output. */
    std::vector<float> run (std::vector<float> signal)
    {
        auto right = signal;
        for (size_t start = 0; start < signal.size(); start += blockSize)
        {
            const auto length = (int) std::min<size_t> (blockSize, signal.size() - start);
            gadget->processSamples (signal.data() + start, right.data() + start, length, 0.0f);
        }
        return signal;
    }

    /** Lets the 10 Hz delay smoother settle on silence. */
    void settle() { run (std::vector<float> ((size_t) rate)); }

    std::unique_ptr<GadgetN06> gadget = std::make_unique<GadgetN06>();
};

std::vector<float> impulse (int length)
{
    std::vector<float> signal ((size_t) length);
    signal[0] = 1.0f;
    return signal;
}

/** Steady-state amplitude of a sine through the comb. */
float sineGain (Comb& comb, double frequencyHz)
{
    const auto output = comb.run (testsignals::sine ((int) rate / 4, frequencyHz, rate));
    return testsignals::peakOf (std::vector<float> (output.end() - 2000, output.end()));
}
} // namespace

TEST (Derurevore, DefaultsPassTheInputUnchanged)
{
    Comb comb (0.5, 0.5, 0.0, 0.5);
    const auto input = testsignals::noiseWithImpulses (5000, 1);
    EXPECT_EQ (comb.run (input), input);
}

TEST (Derurevore, DelayKnobSetsTheEchoPosition)
{
    const struct
    {
        double p1;
        int delaySamples;
    } cases[] = { { 1.0, 8 }, { 0.0, 4095 } };

    for (const auto& c : cases)
    {
        Comb comb (c.p1, 0.0, 0.0, 0.5); // feed-forward, gain 0.99
        comb.settle();
        const auto output = comb.run (impulse (5000));

        EXPECT_FLOAT_EQ (output[0], 1.0f);
        // The smoothed delay sits within a hair of the target: the echo
        // splits between the two neighbouring cells.
        const auto echo = output[(size_t) c.delaySamples];
        EXPECT_GT (echo, 0.9f) << c.p1;
        const auto spread = output[(size_t) c.delaySamples - 1] + echo + output[(size_t) c.delaySamples + 1];
        EXPECT_NEAR (spread, 0.99f, 1.0e-3f) << c.p1;
        EXPECT_NEAR (output[(size_t) c.delaySamples - 3] + output[(size_t) c.delaySamples + 3], 0.0f, 1.0e-6f);
    }
}

TEST (Derurevore, FeedForwardCombMatchesItsAnalyticResponse)
{
    // |1 + g e^-jwD| with D = 8 at 48 kHz: notches at 3 kHz, peaks at 6 kHz.
    Comb comb (1.0, 0.0, 0.0, 0.5);
    comb.settle();
    EXPECT_NEAR (sineGain (comb, 3000.0), 0.01f, 0.01f);
    EXPECT_NEAR (sineGain (comb, 6000.0), 1.99f, 0.01f);
    EXPECT_NEAR (
        sineGain (comb, 1500.0), std::abs (std::complex<double> (1.0) + 0.99 * std::polar (1.0, -M_PI / 2.0)), 0.01);
}

TEST (Derurevore, FeedbackCombRingsAtTheDelayAndDecays)
{
    // 1 / |1 - g e^-jwD|: peaks of 100 at multiples of fs / D, 1/1.99 between.
    Comb comb (1.0, 1.0, 0.0, 0.5);
    comb.settle();
    const auto output = comb.run (impulse (48000));

    for (int echo = 1; echo <= 5; ++echo)
        EXPECT_NEAR (output[(size_t) (8 * echo)], std::pow (0.99f, (float) echo), 0.02f) << echo;

    EXPECT_TRUE (testsignals::allFinite (output));
    EXPECT_LT (testsignals::peakOf (std::vector<float> (output.end() - 1000, output.end())), 0.01f);

    Comb tone (1.0, 1.0, 0.0, 0.5);
    tone.settle();
    EXPECT_NEAR (sineGain (tone, 3000.0), 1.0f / 1.99f, 0.01f);
}

TEST (Derurevore, EnvelopeDepthPushesTheDelayToEitherEnd)
{
    const struct
    {
        double p4;
        float expectedDelay;
    } cases[] = { { 1.0, 8.0f }, { 0.0, 4095.0f } };

    for (const auto& c : cases)
    {
        Comb comb (0.5, 0.5, 0.0, c.p4);
        comb.run (std::vector<float> ((size_t) rate, 0.9f)); // loud and steady

        // At rest the smoother's state is (b1 - a1) D = D / (w + 1).
        const auto w = std::tan (31.415928f / (float) rate);
        EXPECT_NEAR (comb.gadget->delaySmooth * (w + 1.0f), c.expectedDelay, 0.5f);
    }
}

TEST (Derurevore, NonFiniteInputDoesNotSilenceTheNextBlock)
{
    Comb comb (0.3, 1.0, 0.6, 0.8);
    std::vector<float> bad (blockSize, std::nanf (""));
    comb.run (bad);

    const auto output = comb.run (testsignals::noiseWithImpulses (blockSize * 20, 2));
    EXPECT_TRUE (testsignals::allFinite (std::vector<float> (output.begin() + blockSize * 19, output.end())));
}

TEST (Derurevore, GoldenSnapshots)
{
    const struct
    {
        const char* name;
        double p1, p2, p3, p4;
    } settings[] = {
        { "derurevore_default", 0.5, 0.5, 0.0, 0.5 },
        { "derurevore_feedback_lfo", 0.3, 1.0, 0.6, 0.8 },
        { "derurevore_feedforward_env", 0.8, 0.0, 1.0, 0.0 },
    };

    for (const auto& s : settings)
    {
        Comb comb (s.p1, s.p2, s.p3, s.p4);
        auto output = comb.run (testsignals::noiseWithImpulses (4096, 17));
        output.erase (output.begin(), output.end() - 300);
        EXPECT_EQ (verifyGolden (s.name, output), "") << s.name;
    }
}
