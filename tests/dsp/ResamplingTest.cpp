#include "dsp/Oversampling.h"
#include "dsp/TnResampling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr float upCentreGain = 0.99954796f;
constexpr float upOddSettled = 1.0004519f;

std::vector<float> sine (int length, double cyclesPerSample)
{
    std::vector<float> x ((size_t) length);

    for (int i = 0; i < length; ++i)
        x[(size_t) i] = (float) std::sin (2.0 * M_PI * cyclesPerSample * i);

    return x;
}
} // namespace

TEST (Oversampling, UpPathImpulseGivesTheTaps)
{
    constexpr int n = 32;
    Oversampling oversampler;
    oversampler.initOversampling (n);
    std::vector<float> in (n, 0.0f);
    in[0] = 1.0f;
    oversampler.processUp (in.data(), n);
    const float* up = oversampler.getData();

    for (int j = 0; j < 2 * n; ++j)
    {
        float expected = 0.0f;

        if (j == 12)
            expected = upCentreGain;
        else if (j % 2 == 1 && j / 2 < Oversampling::oddTapCount)
            expected = 2.0f * Oversampling::oddTaps[j / 2];

        EXPECT_FLOAT_EQ (up[j], expected) << "position " << j;
    }
}

TEST (Oversampling, UpPathSettlesOnAConstant)
{
    constexpr int n = 40;
    Oversampling oversampler;
    oversampler.initOversampling (n);
    const std::vector<float> ones (n, 1.0f);
    oversampler.processUp (ones.data(), n);

    for (int j = 23; j < 2 * n; ++j)
        EXPECT_NEAR (oversampler.getData()[j], j % 2 == 0 ? upCentreGain : upOddSettled, 2.0e-7) << "position " << j;
}

TEST (Oversampling, DownAfterUpDelaysByTwelveSamples)
{
    constexpr int n = 512;
    constexpr int delay = 12;
    const auto in = sine (n, 0.01);
    Oversampling oversampler;
    oversampler.initOversampling (n);
    oversampler.processUp (in.data(), n);

    std::vector<float> out (n);
    oversampler.processDown (out.data(), n);

    // A slow sine lies deep in the pass band: only the delay remains.
    for (int i = delay + 24; i < n; ++i)
        EXPECT_NEAR (out[(size_t) i], in[(size_t) (i - delay)], 2.0e-3) << "sample " << i;
}

TEST (TnResampling, ChoosesThePath)
{
    struct Case
    {
        double rateIn, rateOut;
        int numIn, numOut;
        int mode;
    };

    const Case cases[] = {
        { 44100.0, 88200.0, 448, 896, TnResampling::twiceUp },
        { 88200.0, 44100.0, 896, 448, TnResampling::twiceDown },
        { 44100.0, 48000.0, 823, 896, TnResampling::generalRatio },
        { 44100.0, 96000.0, 411, 896, TnResampling::generalRatio },
        { 44100.0, 176400.0, 224, 896, TnResampling::generalRatio },
    };

    TnResampling resampler;

    for (const auto& c : cases)
    {
        resampler.initResampling (c.rateIn, c.rateOut, c.numIn, c.numOut);
        EXPECT_EQ (resampler.getMode(), c.mode) << c.rateIn << " -> " << c.rateOut;
    }
}

TEST (TnResampling, ReopensTheConverterForANewRatio)
{
    // Each converter is opened for one ratio only and refuses any other. One
    // process converts kernels for 48, then 96 and 192 kHz with the same
    // output length; each must be, to its last tap, what a fresh one gives.
    TnResampling reused;

    for (const double rateOut : { 48000.0, 96000.0, 192000.0 })
    {
        const double ratio = rateOut / 44100.0;
        const int numIn = (int) std::floor (896.0 / ratio);
        const auto in = sine (numIn, 0.004);
        std::vector<float> out (896), freshOut (896);

        reused.initResampling (44100.0, rateOut, numIn, 896);
        reused.reset();
        reused.processResampling (in.data(), out.data());

        TnResampling fresh;
        fresh.initResampling (44100.0, rateOut, numIn, 896);
        fresh.reset();
        fresh.processResampling (in.data(), freshOut.data());
        EXPECT_EQ (out, freshOut) << rateOut << " Hz";

        // The output is the same slow sine at the new rate.
        for (int j = 64; j < 800; ++j)
            EXPECT_NEAR (out[(size_t) j], std::sin (2.0 * M_PI * 0.004 * j / ratio), 2.0e-2)
                << rateOut << " Hz, sample " << j;
    }
}

TEST (TnResampling, ResetMakesTheNextConversionIdentical)
{
    struct Case
    {
        double rateOut;
        int numIn;
    };

    for (const auto& c :
         { Case { 88200.0, 448 }, Case { 48000.0, 823 }, Case { 96000.0, 411 }, Case { 192000.0, 205 } })
    {
        TnResampling resampler;
        const auto in = sine (c.numIn, 0.013);
        std::vector<float> first (896), second (896);

        resampler.initResampling (44100.0, c.rateOut, c.numIn, 896);
        resampler.reset();
        resampler.processResampling (in.data(), first.data());
        resampler.initResampling (44100.0, c.rateOut, c.numIn, 896);
        resampler.reset();
        resampler.processResampling (in.data(), second.data());

        EXPECT_EQ (first, second) << c.rateOut << " Hz";
    }

    // The 2x down path too.
    TnResampling resampler;
    const auto in = sine (896, 0.013);
    std::vector<float> first (448), second (448);

    for (auto* out : { &first, &second })
    {
        resampler.initResampling (88200.0, 44100.0, 896, 448);
        resampler.reset();
        resampler.processResampling (in.data(), out->data());
    }

    EXPECT_EQ (first, second) << "2x down";
}
