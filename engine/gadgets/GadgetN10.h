#pragma once

#include "dsp/DriveProcessing.h"
#include "dsp/FloatLanes.h"
#include "engine/GadgetForms.h"
#include "engine/Gadgets.h"

#include <limits>

/** "Virozidur": a resonant four-stage diode ladder low-pass, solved for the
    current sample without a unit delay in its feedback loop, with a rational
    tanh as the diode curve. A knob, a sine LFO and the playing level sweep
    its cutoff from 40 Hz to 20 kHz. */
class GadgetN10 final : public Gadgets
{
public:
    GadgetN10();

    void reset() override;
    void processSamples (float* left, float* right, int numSamples, float bpm) override;
    void processSamplesThenDrive (float* left,
                                  float* right,
                                  int numSamples,
                                  float bpm,
                                  DriveProcessing& leftDrive,
                                  DriveProcessing& rightDrive) override;
    void updateCoefficients() override;

    static constexpr int numStages = 4;

    float prevInputL = 0.0f, prevInputR = 0.0f;
    float ladderL[numStages] {};
    float ladderR[numStages] {};
    float cutoffG = 0.0f; // tan(pi fc / fs) of the latest sample
    float resonance = 1.0f;
    float detectorCoeff = 0.0f, attackCoeff = 0.0f, releaseCoeff = 0.0f;
    float meanSquare = 0.0f, envelope = 0.0f;
    float envDepth = 0.0f;
    float lfoDepth = 0.0f;
    float lfoRate = 0.1f;
    float lfoPhase = 0.0f;
    // The position cutoffG was derived from; not a number until the first sample.
    float cutoffPosition = std::numeric_limits<float>::quiet_NaN();
    // Set when a single-precision step ran away: the double-precision step
    // then holds while a coupling voltage stays wide.
    bool preciseWhileCouplingWide = false;

    /** One sample of the ladder at cutoff g = tan(pi fc / fs) and resonance k:
        of one channel as a float, or of both as FloatLanes. */
    template <typename Value>
    static Value ladderStep (Value input, Value& previousInput, Value (&states)[numStages], float g, float k) noexcept;

    // The diode ladder's coupling: adjacent stages see their voltage difference
    // through this factor, the last stage its path to ground through a third of it.
    static constexpr float stageCoupling = 0.5446623f;
    static constexpr float groundCoupling = 0.18155411f;

    // Where the diode curve's v T(v) reaches 1 (tanh's limit).
    static constexpr float saturationVolts = 3.6467386f;

    // The back-substitution divides by g three times, so its rounding error
    // grows as 1 / g^2: in single precision, cutoffs below about 40 Hz x
    // (rate / 48 kHz) lose the ladder's states within a second. That g is
    // only reached above 48 kHz, where the step is taken in double precision.
    static constexpr float smallestSinglePrecisionG = 0.0025f;

    // A single-precision step that leaves a state beyond this, or not a
    // number, has run away. Loud noise near Nyquist takes the states to some
    // 10^4 V, and a step whose rounding feeds on itself passes 10^18 V on its
    // way to overflow; from states below this the double-precision step stays
    // far inside the float range.
    static constexpr float runawayVolts = 1.0e30f;

    // The back-substitution divides by the coupling conductances g1..g3,
    // which fall as 1 / |v| once their diodes saturate. Below the float
    // epsilon the single-precision step's rounding, divided by one of them,
    // outgrows the states themselves, and the double-precision step's,
    // divided by two in turn, is not far behind: the next step then sees a
    // wider voltage and a weaker coupling still, until the states overflow.
    // There the step eliminates forwards instead (forwardEliminationSolve).
    static constexpr float weakestBackSubstitutedCoupling = std::numeric_limits<float>::epsilon();

    // The ladder's input is held within this many volts, far past anything
    // the slots' gains hand it: the detector squares the level, and the step
    // multiplies the input by up to four conductances of at most 32, both
    // within the float range below it.
    static constexpr float inputLimitVolts = 1.0e18f;

private:
    /** The block loop; afterLadder takes each sample's output as FloatLanes
        and returns what goes out. */
    template <typename AfterLadder>
    void processBlock (float* left, float* right, int numSamples, AfterLadder&& afterLadder);

    /** tanh(v) / v as the [3/3] Pade approximant: 1 at 0, falling towards 1/15,
        never 0, so every conductance of the ladder stays positive. */
    template <typename Value>
    static Value diodeConductance (Value v) noexcept
    {
        const auto u = v * v;
        return ((u + 105.0f) * u + 945.0f) / ((15.0f * u + 420.0f) * u + 945.0f);
    }

    /** The same curve, except past saturationVolts: there the approximant's
        v T(v) would pass tanh's limit of 1 and keep rising as v / 15, the
        diodes would turn linear again, and a loud input would let a resonant
        loop grow without end. There the diode carries tanh's limit, 1 / |v|,
        continuous with the curve below. */
    template <typename Value>
    static Value saturatingDiodeConductance (Value v) noexcept
    {
        const auto u = v * v;
        const auto magnitude = lanes::abs (v);
        const auto saturated = magnitude > saturationVolts;
        // One division either way: the numerator and denominator are chosen first.
        const auto numerator = lanes::select (saturated, lanes::splat<Value> (1.0f), (u + 105.0f) * u + 945.0f);
        const auto denominator = lanes::select (saturated, magnitude, (15.0f * u + 420.0f) * u + 945.0f);
        return numerator / denominator;
    }

    /** The five stages' conductances over g, from their diodes' voltages;
        true when a diode of any lane is past the curve's range. */
    template <typename Value>
    static bool diodeConductances (const Value (&volts)[5], Value (&conductances)[5]) noexcept
    {
        // Playing levels keep every diode inside the curve's range; the test
        // of all five is off the sample's critical path.
        auto saturated = lanes::abs (volts[0]) > saturationVolts;
        for (int diode = 1; diode < 5; ++diode)
            saturated = saturated | (lanes::abs (volts[diode]) > saturationVolts);

        const bool anySaturated = lanes::any (saturated);
        for (int diode = 0; diode < 5; ++diode)
            conductances[diode] =
                anySaturated ? saturatingDiodeConductance (volts[diode]) : diodeConductance (volts[diode]);
        return anySaturated;
    }

    /** The back-substitution divides by the coupling conductances g T(v),
        not by g itself. Below saturationVolts T stays above a quarter, but
        past it a diode conducts g / |v|, and a wide enough voltage takes that
        below smallestSinglePrecisionG at any g: near Nyquist a loud input
        leaves such voltages across the stages, and as the cutoff then falls
        the single-precision step's rounding can feed on itself until the
        states overflow. True when a coupling diode of either channel holds
        such a voltage. Most such steps stay finite and are kept as they are,
        so this holds the double-precision step only after one ran away. */
    static bool couplingNeedsPreciseStep (const FloatLanes (&states)[numStages], float g) noexcept
    {
        const auto widestVolts = g * (saturationVolts / smallestSinglePrecisionG);
        const auto wide = (lanes::abs ((states[1] - states[0]) * stageCoupling) > widestVolts)
                          | (lanes::abs ((states[2] - states[1]) * stageCoupling) > widestVolts)
                          | (lanes::abs ((states[3] - states[2]) * stageCoupling) > widestVolts);
        return lanes::any (wide);
    }

    /** The loop's conductances frozen for one sample: g0 from the input,
        g1..g3 between adjacent stages, g4 from the last stage to ground. */
    template <typename Value>
    struct Couplings
    {
        Value g0, g1, g2, g3, g4;
    };

    /** Each lane's step from the forward elimination where its mask is set,
        from the closed form elsewhere; returns y4. Kept out of the sample
        loop: only inputs far past any playing level come here. */
    template <typename Value, typename Mask>
    [[gnu::cold, gnu::noinline]] static Value weakCouplingStep (Value x,
                                                                Value (&states)[numStages],
                                                                const Couplings<Value>& c,
                                                                float k,
                                                                Mask weakCoupling) noexcept;

    /** The frozen loop solved in closed form for y4, the other stages by
        back-substitution from the last; takes the trapezoidal step and
        returns y4. */
    template <typename Value>
    static Value closedFormSolve (Value x, Value (&states)[numStages], const Couplings<Value>& c, float k) noexcept;

    /** The same loop solved by Gaussian elimination from the first stage to
        the last, the feedback's k g0 carried down the last column. Every
        pivot is 1 plus positive terms, so nothing is divided by a coupling
        conductance and the rounding stays that of the states, however weak
        a coupling. Takes the trapezoidal step and returns y4. */
    template <typename Value>
    static Value
        forwardEliminationSolve (Value x, Value (&states)[numStages], const Couplings<Value>& c, float k) noexcept;

    /** True when a state of either channel is beyond runawayVolts or not a
        number; one compare of the states' summed magnitudes, which carries
        an infinity or a NaN through. */
    static bool ranAway (const FloatLanes (&states)[numStages]) noexcept
    {
        const auto size =
            (lanes::abs (states[0]) + lanes::abs (states[1])) + (lanes::abs (states[2]) + lanes::abs (states[3]));
        return lanes::any (~(size <= runawayVolts));
    }

    /** The ladder step in double precision, for cutoffs whose g is below
        smallestSinglePrecisionG; the states stay floats between samples. */
    static FloatLanes preciseLadderStep (FloatLanes input,
                                         FloatLanes& previousInput,
                                         FloatLanes (&states)[numStages],
                                         float g,
                                         float k) noexcept;
};

/* One sample of one channel. The conductances are frozen at the start of the
   sample (the diodes' nonlinearity taken from the previous states); the loop
   they form is then linear and solved in closed form for the last stage's
   output, the other stages follow by back-substitution, and the four
   integrators take a trapezoidal step. A lane whose coupling is too weak to
   divide by takes the forward elimination instead. Defined here and inlined
   into the sample loop. */
template <typename Value>
forcedinline Value
    GadgetN10::ladderStep (Value x, Value& previousInput, Value (&states)[numStages], float g, float k) noexcept
{
    const auto s1 = states[0];
    const auto s2 = states[1];
    const auto s3 = states[2];
    const auto s4 = states[3];

    // The input stage sees the mean of the previous and the current input.
    const Value volts[] = { (previousInput + x) * 0.5f - k * s4,
                            (s2 - s1) * stageCoupling,
                            (s3 - s2) * stageCoupling,
                            (s4 - s3) * stageCoupling,
                            s4 * groundCoupling };
    Value t[5];
    const bool saturated = diodeConductances (volts, t);
    previousInput = x;

    const Couplings<Value> couplings { t[0] * g,
                                       t[1] * g * stageCoupling,
                                       t[2] * g * stageCoupling,
                                       t[3] * g * stageCoupling,
                                       t[4] * g * groundCoupling };

    // The resonance doubles as the output gain. Inside the curve's range a
    // coupling conducts at least a quarter of g c, far above
    // weakestBackSubstitutedCoupling at any cutoff.
    if (! saturated)
        return closedFormSolve (x, states, couplings, k) * k;

    auto weakCoupling = couplings.g1 < weakestBackSubstitutedCoupling;
    weakCoupling = weakCoupling | (couplings.g2 < weakestBackSubstitutedCoupling);
    weakCoupling = weakCoupling | (couplings.g3 < weakestBackSubstitutedCoupling);
    if (! lanes::any (weakCoupling))
        return closedFormSolve (x, states, couplings, k) * k;

    return weakCouplingStep (x, states, couplings, k, weakCoupling) * k;
}

template <typename Value, typename Mask>
Value GadgetN10::weakCouplingStep (Value x,
                                   Value (&states)[numStages],
                                   const Couplings<Value>& c,
                                   float k,
                                   Mask weakCoupling) noexcept
{
    Value eliminated[] = { states[0], states[1], states[2], states[3] };
    const auto eliminatedOutput = forwardEliminationSolve (x, eliminated, c, k);
    const auto output = closedFormSolve (x, states, c, k);
    for (int stage = 0; stage < numStages; ++stage)
        states[stage] = lanes::select (weakCoupling, eliminated[stage], states[stage]);
    return lanes::select (weakCoupling, eliminatedOutput, output);
}

template <typename Value>
forcedinline Value
    GadgetN10::closedFormSolve (Value x, Value (&states)[numStages], const Couplings<Value>& c, float k) noexcept
{
    const auto& [g0, g1, g2, g3, g4] = c;
    auto& s1 = states[0];
    auto& s2 = states[1];
    auto& s3 = states[2];
    auto& s4 = states[3];

    // Apart from g0, the input enters only through x g0 in the numerator and
    // the feedback only through k g0 in the denominator, which exceeds 1.
    const auto numerator =
        ((3.0f * s4 * g1 + 2.0f * s4) * g2 + 2.0f * s4 * g1
         + ((2.0f * s3 + 2.0f * s4) * g1 + ((x * g0 + s2 + s1 + s3 + s4) * g1 + s2 + s3 + s4) * g2 + s4 + s3) * g3
         + s4);
    const auto denominator = ((3.0f * g4 + 3.0f) * g1 + 2.0f * g4 + 2.0f) * g2 + (2.0f * g4 + 2.0f) * g1
                             + (((k * g0 + g4 + 4.0f) * g1 + g4 + 3.0f) * g2 + (2.0f * g4 + 4.0f) * g1 + g4 + 2.0f) * g3
                             + g4 + 1.0f;
    const auto y4 = numerator / denominator;
    const auto y3 = (s4 - (g4 + 1.0f + g3) * y4) / (-g3);
    const auto y2 = (g3 * y4 + s3 - (g3 + 1.0f + g2) * y3) / (-g2);
    // The current through the first coupling, g1 (y2 - y1); y1 itself is not needed.
    const auto j1 = ((g2 * y3 + s2 - (g2 + 1.0f + g1) * y2) / g1 + y2) * g1;

    const auto d1 = (x - k * y4) * g0 + j1;
    const auto d2 = (y3 - y2) * g2 - j1;
    const auto d3 = (y4 - y3) * g3 - (y3 - y2) * g2;
    const auto d4 = -g4 * y4 - (y4 - y3) * g3;

    s1 += 2.0f * d1;
    s2 += 2.0f * d2;
    s3 += 2.0f * d3;
    s4 += 2.0f * d4;
    return y4;
}

template <typename Value>
forcedinline Value GadgetN10::forwardEliminationSolve (Value x,
                                                       Value (&states)[numStages],
                                                       const Couplings<Value>& c,
                                                       float k) noexcept
{
    const auto& [g0, g1, g2, g3, g4] = c;
    auto& s1 = states[0];
    auto& s2 = states[1];
    auto& s3 = states[2];
    auto& s4 = states[3];

    // Row n once the rows above are added into it: pn yn - gn y(n+1) + cn y4 = rn
    // (row 3's -g3 y4 folded into c3); mn = gn / pn is the share of row n
    // that clears yn from the row below.
    const auto c1 = k * g0;
    const auto r1 = s1 + g0 * x;
    const auto p1 = 1.0f + g1;
    const auto m1 = g1 / p1;
    const auto p2 = 1.0f + g2 + m1;
    const auto c2 = m1 * c1;
    const auto r2 = s2 + m1 * r1;
    const auto m2 = g2 / p2;
    const auto p3 = 1.0f + g3 + m2 * (1.0f + m1);
    const auto c3 = m2 * c2 - g3;
    const auto r3 = s3 + m2 * r2;
    const auto m3 = g3 / p3;
    const auto p4 = 1.0f + g4 + m3 * (1.0f + m2 * (1.0f + m1)) + m3 * m2 * c2;
    const auto r4 = s4 + m3 * r3;

    const auto y4 = r4 / p4;
    const auto y3 = (r3 - c3 * y4) / p3;
    const auto y2 = (r2 + g2 * y3 - c2 * y4) / p2;
    const auto y1 = (r1 + g1 * y2 - c1 * y4) / p1;

    // The trapezoidal step: each state moves to the far side of its stage's output.
    s1 = 2.0f * y1 - s1;
    s2 = 2.0f * y2 - s2;
    s3 = 2.0f * y3 - s3;
    s4 = 2.0f * y4 - s4;
    return y4;
}
