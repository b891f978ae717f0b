// The diode ladder low-pass with its cutoff swept by a knob, an LFO and the
// playing level.

#include "engine/gadgets/GadgetN10.h"
#include "support/GadgetHarness.h"
#include "support/GoldenFile.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>

using namespace gadgetharness;

namespace
{
constexpr double fs = 48000.0;
constexpr float smallSignal = 1.0e-3f;

void prepare (GadgetN10& ladder, double rate, float cutoff, float reson, float lfo = 0.0f, float env = 0.5f)
{
    ladder.initProcessing (rate, 512);
    ladder.setParameters (cutoff, reson, lfo, env, 0);
    ladder.reset();
}

double cutoffHzFor (double knob) { return 40.0 * std::pow (500.0, knob); }
double resonanceFor (double knob) { return knob < 0.5 ? knob + 0.5 : (knob - 0.5) * 12.0 + 1.0; }
double warp (double hz, double rate) { return std::tan (M_PI * hz / rate); }

/** Small-signal response of the diode ladder, worked out from its circuit
    equations in continuous time (cutoff normalised to 1 rad/s) and mapped
    to the sampled filter through the bilinear transform, which puts analog
    frequency tan(pi f / fs) / tan(pi fc / fs) at f.

    Four capacitors; adjacent ones are coupled through a conductance a, the
    last one leaks to ground through b, and the input stage drives the first
    with x - k y4:
        s y1 = (x - k y4) - a (y1 - y2)
        s y2 = a (y1 - y2) - a (y2 - y3)
        s y3 = a (y2 - y3) - a (y3 - y4)
        s y4 = a (y3 - y4) - b y4
    and the filter's output is k y4. */
double ladderGain (double hz, double cutoffHz, double k, double rate)
{
    using C = std::complex<double>;
    const double a = 0.5446623, b = 0.18155411;
    const C s (0.0, warp (hz, rate) / warp (cutoffHz, rate));

    std::array<std::array<C, 5>, 4> m { { { s + a, -a, 0.0, k, 1.0 },
                                          { -a, s + 2.0 * a, -a, 0.0, 0.0 },
                                          { 0.0, -a, s + 2.0 * a, -a, 0.0 },
                                          { 0.0, 0.0, -a, s + a + b, 0.0 } } };

    for (int col = 0; col < 4; ++col)
        for (int row = col + 1; row < 4; ++row)
        {
            const auto factor = m[(size_t) row][(size_t) col] / m[(size_t) col][(size_t) col];
            for (int j = col; j < 5; ++j)
                m[(size_t) row][(size_t) j] -= factor * m[(size_t) col][(size_t) j];
        }

    const auto y4 = m[3][4] / m[3][3];
    return std::abs (k * y4);
}

double measuredGain (double hz, float cutoffKnob, float resonKnob, double rate = fs, double settleSeconds = 0.3)
{
    GadgetN10 ladder;
    prepare (ladder, rate, cutoffKnob, resonKnob);
    return sineGain (ladder, hz, rate, smallSignal, settleSeconds, 0.3);
}
} // namespace

TEST (Virozidur, SmallSignalResponseFollowsTheLadderThroughTheTanMapping)
{
    // Cutoffs of 1.2 and 10.7 kHz. Far lower down the single-precision
    // back-substitution divides by conductances near 0, and its rounding
    // moves the response by tenths of a dB.
    for (float cutoffKnob : { 0.55f, 0.9f })
        for (float resonKnob : { 0.0f, 0.5f, 0.75f })
        {
            const auto cutoffHz = cutoffHzFor (cutoffKnob);
            for (double ratio : { 0.1, 0.3, 0.5, 1.0, 1.5 })
            {
                const auto hz = ratio * cutoffHz;
                SCOPED_TRACE (testing::Message()
                              << "cutoff " << cutoffHz << " Hz, reson " << resonKnob << ", at " << hz << " Hz");
                EXPECT_NEAR (toDecibels (measuredGain (hz, cutoffKnob, resonKnob)),
                             toDecibels (ladderGain (hz, cutoffHz, resonanceFor (resonKnob), fs)),
                             0.03);
            }
        }
}

TEST (Virozidur, LowestCutoffAtHighRatesFollowsTheLadder)
{
    // 40 Hz at 96 and 192 kHz: there the step runs in double precision, and
    // must give the ladder's response, not just a finite one. The resonance
    // rings for a second down there before the response settles.
    for (double rate : { 96000.0, 192000.0 })
        for (float resonKnob : { 0.0f, 0.75f })
            for (double hz : { 20.0, 40.0, 80.0 })
            {
                SCOPED_TRACE (testing::Message() << rate << " Hz, reson " << resonKnob << ", at " << hz << " Hz");
                EXPECT_NEAR (toDecibels (measuredGain (hz, 0.0f, resonKnob, rate, 1.5)),
                             toDecibels (ladderGain (hz, 40.0, resonanceFor (resonKnob), rate)),
                             0.03);
            }
}

TEST (Virozidur, ResonancePeakLiesWhereTheLadderPutsIt)
{
    // Resonance 4 (knob 0.75), cutoff 1.66 kHz: find the analog peak, map it
    // back through the tan warping, and look for the peak there.
    const float cutoffKnob = 0.6f, resonKnob = 0.75f;
    const auto cutoffHz = cutoffHzFor (cutoffKnob);
    const auto k = resonanceFor (resonKnob);

    double peakHz = 0.0, peakGain = 0.0;
    for (double hz = 0.2 * cutoffHz; hz < cutoffHz; hz += 0.1)
        if (const auto g = ladderGain (hz, cutoffHz, k, fs); g > peakGain)
        {
            peakGain = g;
            peakHz = hz;
        }
    ASSERT_GT (toDecibels (peakGain), 12.0); // a real peak, not a shelf

    const auto atPeak = measuredGain (peakHz, cutoffKnob, resonKnob);
    EXPECT_NEAR (toDecibels (atPeak), toDecibels (peakGain), 0.03);
    for (double offset : { -0.04, 0.04 })
        EXPECT_LT (measuredGain (peakHz * (1.0 + offset), cutoffKnob, resonKnob), atPeak) << "offset " << offset;
}

TEST (Virozidur, KnobsSetCutoffResonanceAndBothModulationDepths)
{
    struct Case
    {
        float p1, p2, p3, p4;
        double cutoffHz, resonance, lfoHz, lfoDepth, envDepth;
    };
    const Case cases[] = {
        { 1.0f, 0.5f, 0.0f, 0.5f, 20000.0, 1.0, 0.1, 0.0, 0.0 }, // defaults
        { 0.0f, 0.5f, 0.0f, 0.5f, 40.0, 1.0, 0.1, 0.0, 0.0 },
        { 0.5f, 1.0f, 0.0f, 0.5f, 894.4272, 7.0, 0.1, 0.0, 0.0 },
        { 0.5f, 0.0f, 0.0f, 0.5f, 894.4272, 0.5, 0.1, 0.0, 0.0 },
        { 0.5f, 0.5f, 1.0f, 1.0f, 894.4272, 1.0, 5.0, 0.5, 1.0 },
        { 0.5f, 0.5f, 0.5f, 0.0f, 894.4272, 1.0, std::sqrt (0.5), 0.125, -1.0 },
    };

    for (const auto& c : cases)
    {
        GadgetN10 ladder;
        prepare (ladder, fs, c.p1, c.p2, c.p3, c.p4);
        float silence[1] {};
        float silenceR[1] {};
        ladder.processSamples (silence, silenceR, 1, 0.0f);

        SCOPED_TRACE (testing::Message() << "knobs " << c.p1 << " " << c.p2 << " " << c.p3 << " " << c.p4);
        // The first sample of a reset LFO sits at angle 0, and silence has no envelope.
        EXPECT_NEAR (ladder.cutoffG, warp (c.cutoffHz, fs), warp (c.cutoffHz, fs) * 1.0e-5);
        EXPECT_NEAR (ladder.resonance, c.resonance, 1.0e-6);
        EXPECT_NEAR (ladder.lfoRate, c.lfoHz, c.lfoHz * 1.0e-5);
        EXPECT_NEAR (ladder.lfoDepth, c.lfoDepth, 1.0e-6);
        EXPECT_NEAR (ladder.envDepth, c.envDepth, 1.0e-6);
    }
}

TEST (Virozidur, LfoSweepsHalfTheRangeEitherWayAtItsRate)
{
    // LFO knob at 1: 5 Hz, depth 0.5 around the Cutoff knob's 0.5, so the
    // cutoff runs from 20 kHz (a quarter period in) to 40 Hz (three quarters in).
    GadgetN10 ladder;
    prepare (ladder, fs, 0.5f, 0.5f, 1.0f, 0.5f);
    std::vector<double> g;
    float l = 0.0f, r = 0.0f;
    for (int i = 0; i < (int) (0.2 * fs); ++i)
    {
        ladder.processSamples (&l, &r, 1, 0.0f);
        g.push_back (ladder.cutoffG);
    }

    const auto highest = std::max_element (g.begin(), g.end());
    const auto lowest = std::min_element (g.begin(), g.end());
    EXPECT_NEAR (*highest, warp (20000.0, fs), warp (20000.0, fs) * 1.0e-3);
    EXPECT_NEAR (*lowest, warp (40.0, fs), warp (40.0, fs) * 1.0e-3);
    EXPECT_NEAR ((double) (highest - g.begin()) / fs, 0.05, 1.0e-3);
    EXPECT_NEAR ((double) (lowest - g.begin()) / fs, 0.15, 1.0e-3);
}

TEST (Virozidur, PlayingLevelOpensOrClosesTheFilterByTheEnvKnob)
{
    struct Case
    {
        float envKnob;
        int direction; // +1 opens, -1 closes, 0 leaves it
    };
    for (const auto& c : { Case { 1.0f, 1 }, Case { 0.0f, -1 }, Case { 0.5f, 0 } })
    {
        GadgetN10 ladder;
        prepare (ladder, fs, 0.5f, 0.5f, 0.0f, c.envKnob);
        auto loud = bothChannels (testsignals::noiseWithImpulses (4800, 2, 0.5f));
        process (ladder, loud, 256);

        const auto resting = warp (cutoffHzFor (0.5), fs);
        SCOPED_TRACE (testing::Message() << "env " << c.envKnob);
        if (c.direction > 0)
            EXPECT_GT (ladder.cutoffG, resting * 1.5);
        else if (c.direction < 0)
            EXPECT_LT (ladder.cutoffG, resting / 1.5);
        else
            EXPECT_NEAR (ladder.cutoffG, resting, resting * 1.0e-5);
    }
}

TEST (Virozidur, FullResonanceStaysBounded)
{
    // At resonance 7 the linear ladder would ring up without end; the diode
    // curve holds it. Loud playing, then silence, at the knob ends.
    for (float cutoffKnob : { 0.0f, 0.5f, 1.0f })
    {
        GadgetN10 ladder;
        prepare (ladder, fs, cutoffKnob, 1.0f);
        auto signal = bothChannels (testsignals::noiseWithImpulses ((int) fs, 6, 1.0f));
        std::fill (signal.left.begin() + (long) (0.5 * fs), signal.left.end(), 0.0f);
        std::fill (signal.right.begin() + (long) (0.5 * fs), signal.right.end(), 0.0f);
        process (ladder, signal, 512);

        EXPECT_TRUE (testsignals::allFinite (signal.left)) << cutoffKnob;
        EXPECT_LT (testsignals::peakOf (signal.left), 40.0f) << cutoffKnob;
    }
}

TEST (Virozidur, CutoffStaysBelowNyquistAtLowRates)
{
    struct Case
    {
        double rate, expectedG;
    };
    const Case cases[] = { { 22050.0, std::tan (M_PI * 0.49) },
                           { 32000.0, std::tan (M_PI * 0.49) },
                           { 44100.0, warp (20000.0, 44100.0) },
                           { 96000.0, warp (20000.0, 96000.0) } };

    for (const auto& c : cases)
    {
        GadgetN10 ladder;
        prepare (ladder, c.rate, 1.0f, 0.75f);
        auto signal = bothChannels (testsignals::noiseWithImpulses (4096, 7));
        process (ladder, signal, 512);

        SCOPED_TRACE (testing::Message() << c.rate << " Hz");
        EXPECT_NEAR (ladder.cutoffG, c.expectedG, c.expectedG * 1.0e-5);
        EXPECT_TRUE (testsignals::allFinite (signal.left) && testsignals::allFinite (signal.right));
    }
}

TEST (Virozidur, RecoversFromANonFiniteBlock)
{
    GadgetN10 ladder;
    prepare (ladder, fs, 0.6f, 0.8f, 0.5f, 0.7f);
    EXPECT_TRUE (recoversFromNonFiniteBlock (ladder, 256, 256, 4096));
}

TEST (Virozidur, GoldenSnapshots)
{
    struct Case
    {
        const char* name;
        float p1, p2, p3, p4;
        double rate = fs;
        int length = 400;
        float peak = 0.5f;
    };
    // The fourth case runs the double-precision step (40 Hz at 96 kHz) with
    // noise at +18 dBFS, loud enough to drive the diodes past their range.
    // The last, +30 dBFS at 22.05 kHz with the cutoff at the top, leaves
    // saturated couplings behind as the envelope closes the cutoff; its
    // single-precision steps stay finite and are kept as they are.
    for (const auto& c : { Case { "virozidur_default", 1.0f, 0.5f, 0.0f, 0.5f },
                           Case { "virozidur_all_up", 1.0f, 1.0f, 1.0f, 1.0f },
                           Case { "virozidur_low_resonant_swept", 0.3f, 0.9f, 0.6f, 0.8f },
                           Case { "virozidur_lowest_cutoff_96k_loud", 0.0f, 0.75f, 0.0f, 0.5f, 96000.0, 1024, 8.0f },
                           Case { "virozidur_top_cutoff_22k_loud", 1.0f, 0.25f, 0.0f, 0.25f, 22050.0, 256, 31.6f } })
    {
        GadgetN10 ladder;
        prepare (ladder, c.rate, c.p1, c.p2, c.p3, c.p4);
        Stereo signal { testsignals::noiseWithImpulses (c.length, 41, c.peak),
                        testsignals::noiseWithImpulses (c.length, 42, c.peak) };
        process (ladder, signal, 64);
        EXPECT_EQ (verifyGolden (c.name, interleaveChannels (signal)), "") << c.name;
    }
}

TEST (Virozidur, StepsThroughWeakCouplingsSolveTheLadderLoop)
{
    // Stages a billion volts apart, as the edges of a loud enough square
    // leave them: a diode that far past its curve conducts g c / |v|, far
    // below anything a single-precision division can take. The step must
    // still solve the loop its conductances form, here set up from the
    // circuit equations and solved in long double:
    //     y1 = s1 + g0 (x - k y4) + g1 (y2 - y1)
    //     y2 = s2 + g1 (y1 - y2) - g2 (y2 - y3)
    //     y3 = s3 + g2 (y2 - y3) - g3 (y3 - y4)
    //     y4 = s4 + g3 (y3 - y4) - g4 y4
    // after which each state moves to 2 y - s, and the output is k y4. The
    // diodes follow tanh(v) / v as its [3/3] Pade approximant, and 1 / |v|
    // (tanh's limit) past where that reaches 1, once any diode is there.
    using Real = long double;
    struct Case
    {
        const char* weak;
        float states[GadgetN10::numStages];
        float previousInput, input;
    };
    const Case cases[] = {
        { "first coupling", { 1.0e9f, 0.0f, 1.0f, 2.0f }, 3.0f, 3.0f },
        { "second coupling", { 1.0e9f, 1.0e9f, -1.0f, 0.5f }, 2.0f, -2.0f },
        // At a square's edge, where the input stage sees the mean of the two inputs.
        { "third coupling", { -1.0e9f, -1.0e9f, -1.0e9f, 0.0f }, -1.0e9f, 1.0e9f },
        // The last stage alone far out, its feedback against a louder input.
        { "third coupling", { 0.0f, 0.0f, 0.0f, 1.0e9f }, 2.0e9f, 2.0e9f },
        { "every coupling", { 1.0e9f, -1.0e9f, 1.0e9f, -1.0e9f }, -1.0e9f, 1.0e9f },
    };
    const auto diode = [] (Real v, bool saturating) {
        const auto u = v * v;
        return saturating && std::abs (v) > GadgetN10::saturationVolts
                   ? 1 / std::abs (v)
                   : ((u + 105) * u + 945) / ((15 * u + 420) * u + 945);
    };

    for (const auto& c : cases)
        for (const float k : { 0.5f, 1.0f, 7.0f })
            for (const float g : { 0.0026f, 3.7320509f })
            {
                const Real x = c.input, a = GadgetN10::stageCoupling, b = GadgetN10::groundCoupling;
                Real s[GadgetN10::numStages];
                std::copy (std::begin (c.states), std::end (c.states), s);

                const Real volts[] = { (c.previousInput + x) / 2 - k * s[3],
                                       (s[1] - s[0]) * a,
                                       (s[2] - s[1]) * a,
                                       (s[3] - s[2]) * a,
                                       s[3] * b };
                const bool saturating = std::any_of (std::begin (volts), std::end (volts), [] (Real v) {
                    return std::abs (v) > GadgetN10::saturationVolts;
                });
                const Real g0 = diode (volts[0], saturating) * g, g1 = diode (volts[1], saturating) * g * a,
                           g2 = diode (volts[2], saturating) * g * a, g3 = diode (volts[3], saturating) * g * a,
                           g4 = diode (volts[4], saturating) * g * b;
                ASSERT_LT (std::min ({ g1, g2, g3 }), GadgetN10::weakestBackSubstitutedCoupling) << c.weak;

                Real m[4][5] = { { 1 + g1, -g1, 0, k * g0, s[0] + g0 * x },
                                 { -g1, 1 + g1 + g2, -g2, 0, s[1] },
                                 { 0, -g2, 1 + g2 + g3, -g3, s[2] },
                                 { 0, 0, -g3, 1 + g3 + g4, s[3] } };
                for (int col = 0; col < 4; ++col)
                    for (int row = col + 1; row < 4; ++row)
                        for (int j = 4; j >= col; --j)
                            m[row][j] -= m[row][col] / m[col][col] * m[col][j];
                Real y[4];
                for (int row = 3; row >= 0; --row)
                {
                    y[row] = m[row][4];
                    for (int j = row + 1; j < 4; ++j)
                        y[row] -= m[row][j] * y[j];
                    y[row] /= m[row][row];
                }

                float states[GadgetN10::numStages];
                std::copy (std::begin (c.states), std::end (c.states), states);
                auto previous = c.previousInput;
                const auto output = GadgetN10::ladderStep (c.input, previous, states, g, k);

                // Within float rounding of each stage's own voltages.
                const auto near = [] (Real expected, Real before) {
                    return 1.0e-5L * std::max ({ std::abs (expected), std::abs (before), Real (1) });
                };
                SCOPED_TRACE (testing::Message() << "weak " << c.weak << ", k " << k << ", g " << g);
                EXPECT_NEAR (output, k * y[3], k * near (y[3], s[3]));
                for (int stage = 0; stage < GadgetN10::numStages; ++stage)
                    EXPECT_NEAR (states[stage], 2 * y[stage] - s[stage], near (2 * y[stage] - s[stage], s[stage]))
                        << "stage " << stage;
            }
}

TEST (Virozidur, BothChannelsAsOneVectorEqualTheStepOfEachChannel)
{
    // The gadget runs both channels' ladders as one vector; each lane must be
    // the float step of its channel, from a quiet input to one that saturates
    // the diodes and one that weakens their couplings, at full resonance and
    // at the lowest cutoff.
    for (const float k : { 0.5f, 7.0f })
        for (const float g : { 0.0026f, 1.73f })
        {
            const auto left = testsignals::noiseWithImpulses (2048, 43), right = testsignals::noiseWithImpulses (2048, 44);
            float statesL[GadgetN10::numStages] {}, statesR[GadgetN10::numStages] {};
            FloatLanes states[GadgetN10::numStages] {};
            float previousL = 0.0f, previousR = 0.0f;
            FloatLanes previous {};

            for (size_t i = 0; i < left.size(); ++i)
            {
                // Last, the left channel alone a square loud enough to weaken its couplings.
                const auto gain = i < 1024 ? 0.01f : 20.0f;
                const auto leftInput = i < 1536 ? left[i] * gain : (i / 24 % 2 == 0 ? 1.0e10f : -1.0e10f);
                const auto expectedL = GadgetN10::ladderStep (leftInput, previousL, statesL, g, k);
                const auto expectedR = GadgetN10::ladderStep (right[i] * gain, previousR, statesR, g, k);
                const auto both =
                    GadgetN10::ladderStep (lanes::fromStereo (leftInput, right[i] * gain), previous, states, g, k);
                ASSERT_EQ (lanes::left (both), expectedL) << "k " << k << ", g " << g << ", sample " << i;
                ASSERT_EQ (lanes::right (both), expectedR) << "k " << k << ", g " << g << ", sample " << i;
            }
        }
}
