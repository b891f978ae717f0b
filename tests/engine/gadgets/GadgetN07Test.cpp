// The formant filter: three band-passes gliding between two vowel sets.

#include "engine/gadgets/GadgetN07.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>

namespace
{
constexpr double testRate = 48000.0;
constexpr int maxBlock = 512;

struct Stereo
{
    std::vector<float> left, right;
};

std::unique_ptr<GadgetN07> makeFormant (double course, double reson, double lfo, double env)
{
    auto formant = std::make_unique<GadgetN07>();
    formant->initProcessing (testRate, maxBlock);
    formant->reset();
    formant->setParameters (course, reson, lfo, env, 0);
    return formant;
}

Stereo run (Gadgets& gadget, Stereo signal, int blockSize = maxBlock)
{
    const auto length = (int) signal.left.size();

    for (int start = 0; start < length; start += blockSize)
        gadget.processSamples (
            signal.left.data() + start, signal.right.data() + start, std::min (blockSize, length - start), 0.0f);

    return signal;
}

Stereo noise (int length, std::uint32_t seed)
{
    return { testsignals::noiseWithImpulses (length, seed), testsignals::noiseWithImpulses (length, seed + 1) };
}

/** Magnitude of an impulse response's spectrum at one frequency (a direct DFT term). */
double magnitudeAt (const std::vector<float>& response, double frequencyHz)
{
    const auto step = 2.0 * M_PI * frequencyHz / testRate;
    std::complex<double> sum;
    for (size_t n = 0; n < response.size(); ++n)
        sum += (double) response[n] * std::polar (1.0, -step * (double) n);
    return std::abs (sum);
}

/** The frequency of the largest magnitude within +-5 % of a guess, on a 0.05 % grid. */
double peakNear (const std::vector<float>& response, double guessHz)
{
    double bestHz = guessHz, best = 0.0;
    for (int step = -100; step <= 100; ++step)
    {
        const auto hz = guessHz * (1.0 + 0.0005 * step);
        if (const auto m = magnitudeAt (response, hz); m > best)
        {
            best = m;
            bestHz = hz;
        }
    }
    return bestHz;
}
} // namespace

TEST (DizuzOvovuDozuz, BandCentresSitOnTheTwoVowelSets)
{
    struct Case
    {
        double course;
        double centresHz[3];
    };

    // Reson at 1 makes each band's peak gain 1/k = 40, sharp enough to find.
    constexpr double peakGain = 40.0;
    const Case cases[] = { { 0.0, { 250.0, 3340.0, 4340.0 } }, { 1.0, { 2950.0, 350.0, 600.0 } } };

    for (const auto& c : cases)
    {
        // With no LFO and no envelope depth the position is the Course knob itself.
        auto formant = makeFormant (c.course, 1.0, 0.0, 0.5);
        Stereo signal { std::vector<float> (1 << 15), std::vector<float> (1 << 15) };
        signal.left[0] = 1.0f;
        const auto response = run (*formant, signal).left;

        for (auto centreHz : c.centresHz)
        {
            SCOPED_TRACE (testing::Message() << "course " << c.course << ", band at " << centreHz << " Hz");
            EXPECT_NEAR (peakNear (response, centreHz), centreHz, 0.002 * centreHz);
            EXPECT_NEAR (magnitudeAt (response, centreHz), peakGain, 0.05 * peakGain);
        }
    }
}

TEST (DizuzOvovuDozuz, EnvelopePushesThePositionIntoItsClamp)
{
    struct Case
    {
        double course, env, clampedCourse;
    };

    // A loud input raises the envelope to about 1: with Env at 1 it adds a
    // whole knob's travel, with Env at 0 it takes one away.
    for (const auto& c : { Case { 0.6, 1.0, 1.0 }, Case { 0.4, 0.0, 0.0 } })
    {
        SCOPED_TRACE (testing::Message() << "course " << c.course << " env " << c.env);
        auto pushed = makeFormant (c.course, 0.5, 0.0, c.env);
        run (*pushed, { std::vector<float> (24000, 1.0f), std::vector<float> (24000, 1.0f) });

        auto still = makeFormant (c.clampedCourse, 0.5, 0.0, 0.5);
        run (*still, { std::vector<float> (1), std::vector<float> (1) });

        for (int band = 0; band < GadgetN07::numBands; ++band)
            EXPECT_EQ (pushed->filterG[band], still->filterG[band]) << "band " << band;
    }
}

TEST (DizuzOvovuDozuz, LeftOnlySignalSteersTheFiltersOfBothSides)
{
    const auto loud = testsignals::noiseWithImpulses (8000, 81, 0.9f);
    const auto probe = testsignals::sine (8000, 700.0, testRate, 0.05f);
    const std::vector<float> silence (8000);

    auto loudLeft = makeFormant (0.3, 0.8, 0.0, 1.0);
    auto loudRight = makeFormant (0.3, 0.8, 0.0, 1.0);
    auto quiet = makeFormant (0.3, 0.8, 0.0, 1.0);
    const auto a = run (*loudLeft, { loud, probe });
    const auto b = run (*loudRight, { probe, loud });
    const auto c = run (*quiet, { silence, probe });

    // The detector hears |L + R| / 2, and both sides share one set of filters.
    EXPECT_EQ (a.right, b.left);
    EXPECT_EQ (a.left, b.right);
    EXPECT_NE (a.right, c.right); // the loud left side moved the right side's filters
}

TEST (DizuzOvovuDozuz, LfoAnglesStayWithinOnePeriodForAnyBlockSize)
{
    for (int blockSize : { 1, 7, 64, 512, 4096 })
    {
        SCOPED_TRACE (testing::Message() << "block " << blockSize);
        auto formant = makeFormant (0.5, 0.5, 1.0, 0.5);
        const auto step = 10.0 * 6.2831855 / testRate; // the LFO runs at 10 Hz with the knob at 1

        for (int block = 0; block < 40; ++block)
        {
            std::vector<float> left ((size_t) blockSize), right ((size_t) blockSize);
            formant->processSamples (left.data(), right.data(), blockSize, 0.0f);
            ASSERT_GE (formant->lfoPhase, 0.0f);
            ASSERT_LE (formant->lfoPhase, 6.2832 + step * blockSize);
        }
    }
}

TEST (DizuzOvovuDozuz, LfoKnobSetsTheSweepRateOnALogScale)
{
    struct Case
    {
        double lfo, rateHz;
    };

    constexpr int numBlocks = 375; // 4 s at 48 kHz
    const auto seconds = numBlocks * maxBlock / testRate;

    for (const auto& c : { Case { 0.0, 0.1 }, Case { 0.5, 1.0 }, Case { 1.0, 10.0 } })
    {
        SCOPED_TRACE (testing::Message() << "LFO knob " << c.lfo);
        auto formant = makeFormant (0.5, 0.5, c.lfo, 0.5);
        std::vector<float> left (maxBlock), right (maxBlock);
        double turnedRadians = 0.0;
        float previousPhase = formant->lfoPhase;

        // A block turns the LFO by well under one period, so a phase that
        // went down has wrapped once.
        for (int block = 0; block < numBlocks; ++block)
        {
            formant->processSamples (left.data(), right.data(), maxBlock, 0.0f);
            const auto advance = (double) formant->lfoPhase - previousPhase;
            turnedRadians += advance < 0.0 ? advance + 2.0 * M_PI : advance;
            previousPhase = formant->lfoPhase;
        }

        EXPECT_NEAR (turnedRadians / (2.0 * M_PI * seconds), c.rateHz, 0.001 * c.rateHz);
    }
}

TEST (DizuzOvovuDozuz, SilenceAfterResetStaysSilent)
{
    auto formant = makeFormant (0.5, 1.0, 0.7, 0.8);
    run (*formant, noise (10000, 91));
    formant->reset();

    const auto out = run (*formant, { std::vector<float> (10000), std::vector<float> (10000) });
    EXPECT_EQ (testsignals::peakOf (out.left), 0.0f);
    EXPECT_EQ (testsignals::peakOf (out.right), 0.0f);
}

TEST (DizuzOvovuDozuz, ABadSampleDoesNotSilenceTheFilters)
{
    auto formant = makeFormant (0.5, 1.0, 0.7, 0.8);
    auto bad = noise (maxBlock, 93);
    bad.left[5] = std::numeric_limits<float>::quiet_NaN();
    run (*formant, bad);

    const auto after = run (*formant, noise (4 * maxBlock, 95));
    EXPECT_TRUE (testsignals::allFinite (after.left) && testsignals::allFinite (after.right));
    EXPECT_GT (testsignals::peakOf (after.left), 0.0f);
}

TEST (DizuzOvovuDozuz, MatchesGoldenSnapshots)
{
    struct Case
    {
        const char* name;
        double course, reson, lfo, env;
    };

    const Case cases[] = { { "dizuz_ovovu_dozuz_default", 0.0, 0.5, 0.0, 0.5 },
                           { "dizuz_ovovu_dozuz_all_up", 1.0, 1.0, 1.0, 1.0 },
                           { "dizuz_ovovu_dozuz_all_down", 0.0, 0.0, 0.0, 0.0 } };

    for (const auto& c : cases)
    {
        auto formant = makeFormant (c.course, c.reson, c.lfo, c.env);
        auto out = run (*formant, noise (300, 97), 100);
        out.left.insert (out.left.end(), out.right.begin(), out.right.end());
        EXPECT_EQ (verifyGolden (c.name, out.left), "");
    }
}
