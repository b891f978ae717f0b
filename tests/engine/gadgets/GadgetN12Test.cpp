// The tone stack against the analog network it models.

#include "engine/gadgets/GadgetN12.h"
#include "support/GoldenFile.h"
#include "support/NaiveDft.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

namespace
{
constexpr double makeUpGain = 2.8057379722595215;

struct Knobs
{
    double bass, middle, treble;
};

/** The network's transfer function evaluated directly in double precision at
    s = j omega (component values of the circuit; potentiometers kept 0.5 %
    off their ends, the bass one log taper). */
std::complex<double> analogResponse (Knobs knobs, double omega)
{
    auto travel = [] (double x) { return 0.99 * x + 0.005; };
    const double lb = (std::pow (81.0, travel (knobs.bass)) - 1.0) / 80.0, m = travel (knobs.middle),
                 t = travel (knobs.treble);
    const double R1 = (1 - m) * 25e3 + lb * 1e6, R2 = m * 25e3, R3 = t * 250e3, R4 = (1 - t) * 250e3;
    const double R5 = 47e3, R6 = 500e3, R7 = 615, C = 20e-9, Ct = 470e-12;

    const double A0 = R1 + R2 + R3 + R6;
    const double A1 = C
                          * (R1 * R2 + R1 * R3 + R1 * R6 + 2 * R1 * R7 + 2 * R1 * R5 + 2 * R2 * R3 + 2 * R2 * R6
                             + 2 * R2 * R7 + 2 * R2 * R5 + 2 * R3 * R7 + 2 * R3 * R5 + 2 * R6 * R7 + 2 * R6 * R5)
                      + Ct
                            * (R1 * R4 + R1 * R6 + R1 * R7 + R2 * R4 + R2 * R6 + R2 * R7 + R3 * R4 + R3 * R6 + R3 * R7
                               + R4 * R6 + R6 * R7);
    const double A2 =
        C * C
            * (R1 * R2 * R3 + R1 * R2 * R6 + R1 * R2 * R7 + R1 * R2 * R5 + R1 * R3 * R7 + R1 * R3 * R5 + R1 * R6 * R7
               + R1 * R6 * R5)
        + C * Ct
              * (R1 * R2 * R4 + R1 * R2 * R6 + R1 * R2 * R7 + R1 * R3 * R4 + R1 * R3 * R6 + R1 * R3 * R7 + R1 * R4 * R6
                 + 2 * R1 * R4 * R7 + 2 * R1 * R4 * R5 + R1 * R6 * R7 + 2 * R1 * R6 * R5 + 2 * R1 * R7 * R5
                 + 2 * R2 * R3 * R4 + 2 * R2 * R3 * R6 + 2 * R2 * R3 * R7 + 2 * R2 * R4 * R6 + 2 * R2 * R4 * R7
                 + 2 * R2 * R4 * R5 + 2 * R2 * R6 * R5 + 2 * R2 * R7 * R5 + 2 * R3 * R4 * R7 + 2 * R3 * R4 * R5
                 + 2 * R3 * R6 * R7 + 2 * R3 * R6 * R5 + 2 * R3 * R7 * R5 + 2 * R4 * R6 * R7 + 2 * R4 * R6 * R5
                 + 2 * R6 * R7 * R5);
    const double A3 = C * C * Ct
                      * (R1 * R2 * R3 * R4 + R1 * R2 * R3 * R6 + R1 * R2 * R3 * R7 + R1 * R2 * R4 * R6
                         + R1 * R2 * R4 * R7 + R1 * R2 * R4 * R5 + R1 * R2 * R6 * R5 + R1 * R2 * R7 * R5
                         + R1 * R3 * R4 * R7 + R1 * R3 * R4 * R5 + R1 * R3 * R6 * R7 + R1 * R3 * R6 * R5
                         + R1 * R3 * R7 * R5 + R1 * R4 * R6 * R7 + R1 * R4 * R6 * R5 + R1 * R6 * R7 * R5);
    const double B1 = R6 * (C * (R1 + 2 * R2) + Ct * (R1 + R2 + R3));
    const double B2 =
        R6
        * (C * C * R1 * R2
           + C * Ct
                 * (R1 * R2 + R1 * R3 + R1 * R4 + 2 * R1 * R5 + 2 * R2 * R3 + 2 * R2 * R4 + 2 * R2 * R5 + 2 * R3 * R5));
    const double B3 = R6 * C * C * Ct * (R1 * R2 * R3 + R1 * R2 * R4 + R1 * R2 * R5 + R1 * R3 * R5);

    const std::complex<double> s (0.0, omega);
    return (B1 * s + B2 * s * s + B3 * s * s * s) / (A0 + A1 * s + A2 * s * s + A3 * s * s * s);
}

/** The gadget's response to a unit impulse on both channels, long enough
    for the slowest pole (bass fully up) to die out. */
std::vector<float> impulseResponse (Knobs knobs, double sampleRate)
{
    GadgetN12 gadget;
    gadget.initProcessing (sampleRate, 512);
    gadget.setParameters (knobs.bass, knobs.middle, knobs.treble, 0.5, 0);
    gadget.reset();

    auto left = naivedft::unitImpulse ((int) sampleRate);
    auto right = left;
    gadget.processSamples (left.data(), right.data(), (int) left.size(), 0.0f);
    EXPECT_EQ (left, right);
    return left;
}

/** The digital frequency at which the bilinear transform (no prewarping)
    reproduces the analog response at analogHz. */
double bilinearImageHz (double analogHz, double sampleRate)
{
    return sampleRate / M_PI * std::atan (M_PI * analogHz / sampleRate);
}
} // namespace

TEST (DivuruzidodiEq, MatchesTheNetworksPublishedMagnitudes)
{
    struct Row
    {
        Knobs knobs;
        double db100Hz, db1kHz, db5kHz;
    };
    // Magnitude of the analog network with the make-up gain, to 0.1 dB.
    const Row rows[] = {
        { { 0.5, 0.5, 0.5 }, 2.0, -1.0, 3.3 },
        { { 0.0, 0.0, 0.0 }, -5.9, -7.5, -18.0 },
        { { 1.0, 1.0, 1.0 }, 2.6, 2.3, 8.2 },
        { { 1.0, 0.0, 0.0 }, 6.5, -5.9, -18.1 },
    };
    constexpr double sampleRate = 44100.0;
    constexpr double roundingDb = 0.06;

    for (const auto& row : rows)
    {
        const auto response = impulseResponse (row.knobs, sampleRate);
        const std::pair<double, double> points[] = { { 100.0, row.db100Hz },
                                                     { 1000.0, row.db1kHz },
                                                     { 5000.0, row.db5kHz } };

        for (auto [analogHz, expectedDb] : points)
        {
            SCOPED_TRACE (testing::Message() << "knobs " << row.knobs.bass << " " << row.knobs.middle << " "
                                             << row.knobs.treble << " at " << analogHz << " Hz");
            const auto digitalHz = bilinearImageHz (analogHz, sampleRate);
            EXPECT_NEAR (naivedft::magnitudeDbAt (response, digitalHz, sampleRate), expectedDb, roundingDb);
            EXPECT_NEAR (20.0 * std::log10 (std::abs (analogResponse (row.knobs, 2.0 * M_PI * analogHz)) * makeUpGain),
                         expectedDb,
                         roundingDb);
        }
    }
}

TEST (DivuruzidodiEq, FollowsTheAnalogTransferFunctionOnTheBilinearFrequencyAxis)
{
    const Knobs settings[] = { { 0.5, 0.5, 0.5 }, { 0.0, 0.0, 0.0 }, { 1.0, 1.0, 1.0 }, { 1.0, 0.0, 0.0 },
                               { 0.0, 1.0, 0.0 }, { 0.2, 0.9, 0.3 }, { 0.8, 0.1, 0.7 } };
    // The output is single precision; everything before it is not.
    constexpr double toleranceDb = 0.001;

    for (double sampleRate : { 44100.0, 48000.0, 96000.0, 192000.0 })
    {
        for (const auto& knobs : settings)
        {
            const auto response = impulseResponse (knobs, sampleRate);

            // Log-spaced from 20 Hz to 0.45 fs on the digital axis.
            for (double digitalHz = 20.0; digitalHz < 0.45 * sampleRate; digitalHz *= 1.2)
            {
                const auto omega = 2.0 * sampleRate * std::tan (M_PI * digitalHz / sampleRate);
                const auto analogDb = 20.0 * std::log10 (std::abs (analogResponse (knobs, omega)) * makeUpGain);
                SCOPED_TRACE (testing::Message()
                              << "fs " << sampleRate << " knobs " << knobs.bass << " " << knobs.middle << " "
                              << knobs.treble << " at " << digitalHz << " Hz");
                EXPECT_NEAR (naivedft::magnitudeDbAt (response, digitalHz, sampleRate), analogDb, toleranceDb);
            }
        }
    }
}

TEST (DivuruzidodiEq, BlocksDirectCurrentAtEveryRateAndSetting)
{
    // Single-precision coefficients would pass a constant at up to -7 dB here.
    for (double sampleRate : { 44100.0, 48000.0, 96000.0, 192000.0 })
    {
        for (double knob : { 0.0, 0.5, 1.0 })
        {
            GadgetN12 gadget;
            const auto oneSecond = (int) sampleRate;
            gadget.initProcessing (sampleRate, oneSecond);
            gadget.setParameters (knob, knob, knob, 0.5, 0);
            gadget.reset();

            std::vector<float> left ((size_t) oneSecond, 0.5f), right ((size_t) oneSecond, -0.5f);
            gadget.processSamples (left.data(), right.data(), oneSecond, 0.0f);

            SCOPED_TRACE (testing::Message() << "fs " << sampleRate << " knobs " << knob);
            EXPECT_GT (std::abs (left.front()), 0.01f);
            EXPECT_LT (std::abs (left.back()), 1.0e-6f);
            EXPECT_LT (std::abs (right.back()), 1.0e-6f);
        }
    }
}

TEST (DivuruzidodiEq, NonFiniteInputDoesNotSilenceLaterBlocks)
{
    GadgetN12 gadget;
    gadget.initProcessing (44100.0, 256);
    gadget.setParameters (1.0, 0.5, 0.0, 0.5, 0);
    gadget.reset();

    for (float bad : { std::nanf (""), INFINITY })
    {
        std::vector<float> left (256, bad), right (256, -bad);
        gadget.processSamples (left.data(), right.data(), 256, 0.0f);

        left = testsignals::noiseWithImpulses (256, 3);
        right = left;
        gadget.processSamples (left.data(), right.data(), 256, 0.0f);
        EXPECT_TRUE (testsignals::allFinite (left) && testsignals::allFinite (right)) << bad;
    }
}

TEST (DivuruzidodiEq, MatchesGoldenSnapshots)
{
    const Knobs settings[] = { { 0.5, 0.5, 0.5 }, { 0.0, 0.0, 0.0 }, { 1.0, 1.0, 1.0 } };
    const char* names[] = { "divuruzidodi_eq_default", "divuruzidodi_eq_knobs_0", "divuruzidodi_eq_knobs_1" };

    for (int s = 0; s < 3; ++s)
    {
        GadgetN12 gadget;
        gadget.initProcessing (44100.0, 512);
        gadget.setParameters (settings[s].bass, settings[s].middle, settings[s].treble, 0.5, 0);
        gadget.reset();

        auto left = testsignals::noiseWithImpulses (512, 11);
        auto right = testsignals::noiseWithImpulses (512, 12);
        gadget.processSamples (left.data(), right.data(), 512, 0.0f);

        left.insert (left.end(), right.begin(), right.end());
        EXPECT_EQ (verifyGolden (names[s], left), "");
    }
}
