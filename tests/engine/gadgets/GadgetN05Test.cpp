// The feedback howl: a tone section into an arctangent saturator, and a short
// negative feedback loop that opens when the playing falls quiet.

#include "engine/gadgets/GadgetN05.h"
#include "support/GadgetHarness.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace gadgetharness;

namespace
{
constexpr double fs = 48000.0;
// For a small signal the saturator is a plain gain of 2/pi.
const double saturatorSlope = 2.0 / M_PI;
const double cornerGainDb = -10.0 * std::log10 (2.0);

std::unique_ptr<GadgetN05> makeHowl (double rate, float feed, float freq, float toneKnob)
{
    auto howl = std::make_unique<GadgetN05>();
    howl->initProcessing (rate, 512);
    howl->setParameters (feed, freq, toneKnob, 0.5, 0);
    howl->reset();
    return howl;
}

/** A 50 ms noise burst (a note) and then silence. */
Stereo noteThenSilence (double seconds)
{
    auto note = testsignals::noiseWithImpulses ((int) (seconds * fs), 5, 0.5f);
    std::fill (note.begin() + (int) (0.05 * fs), note.end(), 0.0f);
    return bothChannels (note);
}

/** The lag in [first, last] where the signal best matches itself (sign = 1)
    or its own negation (sign = -1). */
int bestLag (const std::vector<float>& x, std::size_t start, int first, int last, double sign)
{
    int best = first;
    double bestScore = -1.0e300;
    for (int lag = first; lag <= last; ++lag)
    {
        double score = 0.0;
        for (auto i = start; i + (std::size_t) lag < x.size(); ++i)
            score += sign * x[i] * x[i + (std::size_t) lag];
        if (score > bestScore)
        {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}
} // namespace

TEST (Dirizovazi, ToneCornersLieWhereTheKnobPutsThem)
{
    // With Feed at 0 there is no loop, so a small sine sees the one-pole tone
    // section times 2/pi: -3.01 dB at its corner, flat well inside its pass band.
    struct Case
    {
        float toneKnob;
        double cornerHz;
        bool highPass;
        double rate;
    };
    const Case cases[] = {
        { 0.0f, 100.0, false, fs },
        { 0.25f, 2587.5, false, fs },
        { 0.5f, 20000.0, false, fs },
        { 0.5001f, 20.0, true, fs },
        { 0.75f, 1017.5, true, fs },
        { 1.0f, 8000.0, true, fs },
        // Below 40.8 kHz the 20 kHz corner is held at 0.49 of the rate.
        { 0.5f, 0.49 * 22050.0, false, 22050.0 },
        { 0.5f, 0.49 * 32000.0, false, 32000.0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (testing::Message() << "tone " << c.toneKnob << " at " << c.rate << " Hz");
        const auto passHz = c.highPass ? std::min (c.cornerHz * 10.0, 0.4 * c.rate) : c.cornerHz / 10.0;
        const auto passBandDb =
            c.highPass
                ? -10.0
                      * std::log10 (
                          1.0
                          + std::pow (std::tan (M_PI * c.cornerHz / c.rate) / std::tan (M_PI * passHz / c.rate), 2.0))
                : -10.0
                      * std::log10 (
                          1.0
                          + std::pow (std::tan (M_PI * passHz / c.rate) / std::tan (M_PI * c.cornerHz / c.rate), 2.0));

        auto howl = makeHowl (c.rate, 0.0f, 0.5f, c.toneKnob);
        EXPECT_NEAR (toDecibels (sineGain (*howl, c.cornerHz, c.rate, 1.0e-3f) / saturatorSlope), cornerGainDb, 0.02);
        howl->reset();
        EXPECT_NEAR (toDecibels (sineGain (*howl, passHz, c.rate, 1.0e-3f) / saturatorSlope), passBandDb, 0.02);
    }
}

TEST (Dirizovazi, FeedAtZeroHasNoLoop)
{
    auto howl = makeHowl (fs, 0.0f, 1.0f, 0.5f);
    auto signal = noteThenSilence (0.5);
    process (*howl, signal, 256);

    // The tone section's tail is gone within milliseconds and nothing returns.
    const auto tailStart = (std::size_t) (0.1 * fs);
    EXPECT_EQ (testsignals::peakOf ({ signal.left.begin() + (long) tailStart, signal.left.end() }), 0.0f);
}

TEST (Dirizovazi, HardPlayingKeepsTheLoopShut)
{
    // A note well above the threshold from its first sample: no loop gain at
    // all, so the output is exactly that of the gadget with Feed at 0.
    // A cosine, so the very first sample is already loud.
    std::vector<float> cosine ((std::size_t) (0.5 * fs));
    for (std::size_t i = 0; i < cosine.size(); ++i)
        cosine[i] = 0.5f * (float) std::cos (2.0 * M_PI * 440.0 * (double) i / fs);

    for (float feed : { 0.3f, 0.5f, 0.7f })
    {
        auto plain = makeHowl (fs, 0.0f, 0.8f, 0.3f);
        auto fed = makeHowl (fs, feed, 0.8f, 0.3f);
        auto plainOut = bothChannels (cosine);
        auto fedOut = bothChannels (cosine);

        process (*plain, plainOut, 128);
        process (*fed, fedOut, 128);
        EXPECT_EQ (fedOut.left, plainOut.left) << "feed " << feed;
    }
}

TEST (Dirizovazi, QuietLoopHowlsAtThePitchOfItsDelay)
{
    // A negative feedback loop of D samples flips sign every trip round it, so
    // the howl repeats inverted after D samples and whole after 2D: its pitch
    // is fs / 2D. Freq sets D: 2047 samples at 0, 8 at 1.
    struct Case
    {
        float freqKnob;
        double loopSamples;
    };
    for (const auto& c : { Case { 1.0f, 8.0 }, Case { 0.5f, 135.4375 }, Case { 0.0f, 2047.0 } })
    {
        auto howl = makeHowl (fs, 1.0f, c.freqKnob, 0.5f);
        auto signal = noteThenSilence (1.5);
        process (*howl, signal, 512);

        SCOPED_TRACE (testing::Message() << "freq " << c.freqKnob);
        const auto start = (std::size_t) (1.0 * fs);
        const auto d = (int) std::lround (c.loopSamples);
        EXPECT_GT (testsignals::peakOf ({ signal.left.begin() + (long) start, signal.left.end() }), 0.2f);
        EXPECT_NEAR (bestLag (signal.left, start, d / 2, d * 3 / 2, -1.0), c.loopSamples, 1.0);
        EXPECT_NEAR (bestLag (signal.left, start, d + d / 2, d * 5 / 2, 1.0), 2.0 * c.loopSamples, 1.0);
    }
}

TEST (Dirizovazi, OutputNeverLeavesUnity)
{
    for (float feed : { 0.0f, 0.5f, 1.0f })
        for (float freq : { 0.0f, 0.5f, 1.0f })
            for (float toneKnob : { 0.0f, 0.5f, 1.0f })
            {
                auto howl = makeHowl (fs, feed, freq, toneKnob);
                howl->inputGain = 10.0f;
                Stereo signal { testsignals::noiseWithImpulses (9000, 8, 20.0f),
                                testsignals::noiseWithImpulses (9000, 9, 20.0f) };
                std::fill (signal.left.begin() + 3000, signal.left.end(), 0.0f);
                process (*howl, signal, 64);
                EXPECT_LE (std::max (testsignals::peakOf (signal.left), testsignals::peakOf (signal.right)), 1.0f)
                    << feed << " " << freq << " " << toneKnob;
            }
}

TEST (Dirizovazi, RecoversFromANonFiniteBlock)
{
    auto howl = makeHowl (fs, 1.0f, 0.5f, 0.5f);
    EXPECT_TRUE (recoversFromNonFiniteBlock (*howl, 256, 256, 8192));
}

TEST (Dirizovazi, GoldenSnapshots)
{
    struct Case
    {
        const char* name;
        float p1, p2, p3;
    };
    for (const auto& c : { Case { "dirizovazi_default", 0.0f, 0.5f, 0.5f },
                           Case { "dirizovazi_all_up", 1.0f, 1.0f, 1.0f },
                           Case { "dirizovazi_howl_low_pass", 1.0f, 0.8f, 0.0f } })
    {
        auto howl = makeHowl (fs, c.p1, c.p2, c.p3);
        Stereo signal { testsignals::noiseWithImpulses (400, 31), testsignals::noiseWithImpulses (400, 32) };
        std::fill (signal.left.begin() + 200, signal.left.end(), 0.0f);
        std::fill (signal.right.begin() + 200, signal.right.end(), 0.0f);
        process (*howl, signal, 64);
        EXPECT_EQ (verifyGolden (c.name, interleaveChannels (signal)), "") << c.name;
    }
}
