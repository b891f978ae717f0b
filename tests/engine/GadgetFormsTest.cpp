#include "engine/GadgetForms.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
/** Steady-state amplitude of a filter's response to a sine, past the transient. */
template <typename Filter>
float sineGain (Filter&& filter, double frequencyHz, double sampleRate)
{
    const int length = (int) sampleRate; // one second
    const auto input = testsignals::sine (length, frequencyHz, sampleRate);
    float peak = 0.0f;

    for (int i = 0; i < length; ++i)
    {
        const auto y = filter (input[(size_t) i]);
        if (i > length / 2)
            peak = std::max (peak, std::abs (y));
    }

    return peak;
}
} // namespace

TEST (GadgetForms, OnePoleSectionsAreThreeDecibelsDownAtTheirCorner)
{
    for (double rate : { 44100.0, 96000.0 })
    {
        for (float cornerHz : { 100.0f, 1000.0f, 5000.0f })
        {
            const auto w = forms::prewarp (cornerHz, (float) rate);
            float lowState = 0.0f, highState = 0.0f;
            const auto low = forms::OnePole::lowPass (w);
            const auto high = forms::OnePole::highPass (w);

            EXPECT_NEAR (
                sineGain ([&] (float x) { return low.process (x, lowState); }, cornerHz, rate), M_SQRT1_2, 2.0e-3);
            EXPECT_NEAR (
                sineGain ([&] (float x) { return high.process (x, highState); }, cornerHz, rate), M_SQRT1_2, 2.0e-3);
        }
    }
}

TEST (GadgetForms, CornersStayBelowNyquistAtLowRates)
{
    EXPECT_EQ (forms::prewarp (20000.0f, 44100.0f), std::tan (20000.0f * forms::pi / 44100.0f));
    EXPECT_EQ (forms::prewarp (20000.0f, 22050.0f), std::tan (0.49f * 22050.0f * forms::pi / 22050.0f));
    EXPECT_TRUE (std::isfinite (forms::prewarp (20000.0f, 8000.0f)));
}

TEST (GadgetForms, BiquadMatchesTheDirectFormDifferenceEquation)
{
    const forms::Biquad biquad { -1.6f, 0.7f, 0.2f, 0.3f, -0.1f };
    forms::Biquad::State state;
    const auto input = testsignals::noiseWithImpulses (2000, 3);
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    for (auto x : input)
    {
        const double expected = 0.2 * x + 0.3 * x1 - 0.1 * x2 + 1.6 * y1 - 0.7 * y2;
        const auto y = biquad.process (x, state);
        ASSERT_NEAR (y, expected, 1.0e-4);
        x2 = x1, x1 = x, y2 = y1, y1 = expected;
    }
}

TEST (GadgetForms, TimeCoefficientsMatchTheirDefinition)
{
    for (float rate : { 44100.0f, 48000.0f, 96000.0f })
        for (float timeMs : { 2.0f, 40.0f, 200.0f })
            EXPECT_NEAR (
                forms::timeCoefficient (timeMs, rate), std::exp (-2.0 * M_PI * 1000.0 / (timeMs * rate)), 1.0e-6);

    EXPECT_NEAR (forms::timeCoefficient (2.0f, 44100.0f), 0.93f, 0.005f);
}

TEST (GadgetForms, DetectorFollowerAndExpander)
{
    float meanSquare = 0.5f;
    forms::detectMeanSquare (meanSquare, 0.9f, 2.0f);
    EXPECT_FLOAT_EQ (meanSquare, 0.1f * 0.5f + 0.9f * 4.0f);

    // Equal input and envelope take the release coefficient.
    float envelope = 0.5f;
    forms::followEnvelope (envelope, 0.5f, 0.0f, 1.0f);
    EXPECT_EQ (envelope, 0.5f);
    forms::followEnvelope (envelope, 0.8f, 0.0f, 1.0f);
    EXPECT_EQ (envelope, 0.8f);

    EXPECT_EQ (forms::expanderGain (0.01f, 0.01f, 100.0f, 4.0f), 1.0f);
    EXPECT_EQ (forms::expanderGain (0.0f, 0.01f, 100.0f, 4.0f), 0.0f);
    // Ratio 2 on a mean square: a quarter of the threshold's power halves the amplitude.
    EXPECT_FLOAT_EQ (forms::expanderGain (0.0025f, 0.01f, 100.0f, 2.0f), 0.5f);
}

TEST (GadgetForms, LfoAnglesStayWithinOnePeriodForAnyBlockSize)
{
    std::mt19937 random (testsignals::testSeed (99));
    float phase = 0.0f;

    for (float rateHz : { 0.005f, 1.0f, 200.0f, 7000.0f })
    {
        const auto step = forms::lfoStep (rateHz, 44100.0);
        ASSERT_LT (step, forms::twoPi);

        for (int block = 0; block < 500; ++block)
        {
            const int length = (int) (random() % 1024);
            for (int i = 0; i < length; ++i)
            {
                const auto angle = forms::lfoAngle (i, step, phase);
                ASSERT_GE (angle, 0.0f);
                ASSERT_LE (angle, forms::twoPi);
            }
            forms::lfoAdvance (phase, length, step);
            ASSERT_LE (phase, forms::twoPi + step * (float) length + 1.0e-3f);
        }
    }
}

TEST (GadgetForms, ControlCurves)
{
    const struct
    {
        float p, square, rate;
    } cases[] = {
        { 0.0f, -1.0f, 0.005f }, { 0.5f, 0.0f, 1.0f }, { 0.75f, 0.25f, std::sqrt (200.0f) }, { 1.0f, 1.0f, 200.0f }
    };

    for (const auto& c : cases)
    {
        EXPECT_FLOAT_EQ (forms::signedSquare (c.p), c.square);
        EXPECT_NEAR (forms::rateCurve (c.p), c.rate, c.rate * 1.0e-5f);
    }

    EXPECT_NEAR (forms::logSweep (20.0f, 20000.0f, 0.0f), 20.0f, 1.0e-3f);
    EXPECT_NEAR (forms::logSweep (20.0f, 20000.0f, 1.0f), 20000.0f, 0.1f);
    EXPECT_NEAR (forms::logSweep (20.0f, 20000.0f, 0.5f), std::sqrt (20.0f * 20000.0f), 0.01f);
}

TEST (GadgetForms, RingsReadWhatWasWrittenKSamplesAgo)
{
    constexpr int size = 8;
    float down[size] {}, up[size] {};
    int downIndex = 0, upIndex = 0;

    for (int n = 1; n <= 20; ++n)
    {
        down[downIndex] = (float) n;
        up[upIndex] = (float) n;
        downIndex = forms::decrementRing (downIndex, size);
        upIndex = forms::incrementRing (upIndex, size);
    }

    // The newest value (20) stands one cell away from the write position,
    // the cell at k = 0 holds the oldest (13), about to be overwritten.
    for (int k = 0; k < size; ++k)
    {
        const forms::FractionalDelay delay ((float) k);
        EXPECT_EQ (forms::readDecrementing (down, downIndex, delay), (float) (13 + (size - k) % size)) << k;
        EXPECT_EQ (forms::readIncrementing (up, upIndex, delay), (float) (13 + (size - k) % size)) << k;
    }

    // A read at N - 1 with a fraction takes its second cell from k = N, i.e. k = 0.
    const forms::FractionalDelay last (size - 1 + 0.25f);
    EXPECT_FLOAT_EQ (forms::readDecrementing (down, downIndex, last), 0.75f * 14.0f + 0.25f * 13.0f);
    EXPECT_FLOAT_EQ (forms::readIncrementing (up, upIndex, last), 0.75f * 14.0f + 0.25f * 13.0f);
}

TEST (GadgetForms, BadDelaysReadAsZeroCells)
{
    for (float bad : { std::nanf (""), -1.0f, INFINITY, 1.0e30f })
    {
        const forms::FractionalDelay delay (bad);
        EXPECT_EQ (delay.cells, 0);
        EXPECT_EQ (delay.fraction, 0.0f);
    }
}

TEST (GadgetForms, FlushZeroesTinyAndNonFiniteStates)
{
    const struct
    {
        float in, out;
    } cases[] = { { 1.0e-8f, 0.0f }, { -1.0e-8f, 0.0f }, { 1.1e-8f, 1.1e-8f }, { -0.5f, -0.5f }, { 1.0e-40f, 0.0f } };

    for (const auto& c : cases)
    {
        auto state = c.in;
        forms::flushDenormal (state);
        EXPECT_EQ (state, c.out) << c.in;
    }

    float nan = std::nanf (""), inf = INFINITY;
    forms::flushDenormals (nan, inf);
    EXPECT_EQ (nan, 0.0f);
    EXPECT_EQ (inf, 0.0f);
}
