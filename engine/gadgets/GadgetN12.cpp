#include "GadgetN12.h"

#include <algorithm>
#include <cmath>

namespace
{
// Make-up gain that brings the passive network's insertion loss back to unity
// around the knobs' centre.
constexpr float makeUpGain = 2.8057379722595215f;

// Component values of the network (ohms, farads).
constexpr double middlePotOhms = 25.0e3;
constexpr double bassPotOhms = 1.0e6;
constexpr double treblePotOhms = 250.0e3;
constexpr double slopeOhms = 47.0e3; // R5
constexpr double loadOhms = 500.0e3; // R6
constexpr double groundOhms = 615.0; // R7
constexpr double capFarads = 20.0e-9; // C, the bass and middle capacitors
constexpr double trebleCapFarads = 470.0e-12; // Ct

/** Keeps every potentiometer off its end stops, so no resistance is ever 0. */
double potTravel (float knob) noexcept { return 0.99 * knob + 0.005; }

/** The bass potentiometer is a log-taper part: 81^x - 1 spans 0..80. */
double logTaper (double travel) noexcept { return (std::pow (81.0, travel) - 1.0) / 80.0; }

struct AnalogStack
{
    double a0, a1, a2, a3; // denominator coefficients of s^0 .. s^3
    double b1, b2, b3; // numerator coefficients of s^1 .. s^3 (no DC term)
};

void flushDenormal (double& state) noexcept
{
    if ((state >= -1.0e-8 && state <= 1.0e-8) || ! std::isfinite (state))
        state = 0.0;
}

/** The network's transfer function from its nodal analysis, written out as
    polynomial coefficients in s. */
AnalogStack analogStack (float bassKnob, float middleKnob, float trebleKnob) noexcept
{
    const auto lb = logTaper (potTravel (bassKnob));
    const auto m = potTravel (middleKnob);
    const auto t = potTravel (trebleKnob);

    const auto R1 = (1.0f - m) * middlePotOhms + lb * bassPotOhms;
    const auto R2 = m * middlePotOhms;
    const auto R3 = t * treblePotOhms;
    const auto R4 = (1.0f - t) * treblePotOhms;
    const auto R5 = slopeOhms;
    const auto R6 = loadOhms;
    const auto R7 = groundOhms;
    const auto C = capFarads;
    const auto Ct = trebleCapFarads;

    AnalogStack h {};
    h.a0 = R1 + R2 + R3 + R6;
    h.a1 = C
               * (R1 * R2 + R1 * R3 + R1 * R6 + 2 * R1 * R7 + 2 * R1 * R5 + 2 * R2 * R3 + 2 * R2 * R6 + 2 * R2 * R7
                  + 2 * R2 * R5 + 2 * R3 * R7 + 2 * R3 * R5 + 2 * R6 * R7 + 2 * R6 * R5)
           + Ct
                 * (R1 * R4 + R1 * R6 + R1 * R7 + R2 * R4 + R2 * R6 + R2 * R7 + R3 * R4 + R3 * R6 + R3 * R7 + R4 * R6
                    + R6 * R7);
    h.a2 = C * C
               * (R1 * R2 * R3 + R1 * R2 * R6 + R1 * R2 * R7 + R1 * R2 * R5 + R1 * R3 * R7 + R1 * R3 * R5 + R1 * R6 * R7
                  + R1 * R6 * R5)
           + C * Ct
                 * (R1 * R2 * R4 + R1 * R2 * R6 + R1 * R2 * R7 + R1 * R3 * R4 + R1 * R3 * R6 + R1 * R3 * R7
                    + R1 * R4 * R6 + 2 * R1 * R4 * R7 + 2 * R1 * R4 * R5 + R1 * R6 * R7 + 2 * R1 * R6 * R5
                    + 2 * R1 * R7 * R5 + 2 * R2 * R3 * R4 + 2 * R2 * R3 * R6 + 2 * R2 * R3 * R7 + 2 * R2 * R4 * R6
                    + 2 * R2 * R4 * R7 + 2 * R2 * R4 * R5 + 2 * R2 * R6 * R5 + 2 * R2 * R7 * R5 + 2 * R3 * R4 * R7
                    + 2 * R3 * R4 * R5 + 2 * R3 * R6 * R7 + 2 * R3 * R6 * R5 + 2 * R3 * R7 * R5 + 2 * R4 * R6 * R7
                    + 2 * R4 * R6 * R5 + 2 * R6 * R7 * R5);
    h.a3 = C * C * Ct
           * (R1 * R2 * R3 * R4 + R1 * R2 * R3 * R6 + R1 * R2 * R3 * R7 + R1 * R2 * R4 * R6 + R1 * R2 * R4 * R7
              + R1 * R2 * R4 * R5 + R1 * R2 * R6 * R5 + R1 * R2 * R7 * R5 + R1 * R3 * R4 * R7 + R1 * R3 * R4 * R5
              + R1 * R3 * R6 * R7 + R1 * R3 * R6 * R5 + R1 * R3 * R7 * R5 + R1 * R4 * R6 * R7 + R1 * R4 * R6 * R5
              + R1 * R6 * R7 * R5);
    h.b1 = R6 * (C * (R1 + 2 * R2) + Ct * (R1 + R2 + R3));
    h.b2 =
        R6
        * (C * C * R1 * R2
           + C * Ct
                 * (R1 * R2 + R1 * R3 + R1 * R4 + 2 * R1 * R5 + 2 * R2 * R3 + 2 * R2 * R4 + 2 * R2 * R5 + 2 * R3 * R5));
    h.b3 = R6 * C * C * Ct * (R1 * R2 * R3 + R1 * R2 * R4 + R1 * R2 * R5 + R1 * R3 * R5);
    return h;
}
} // namespace

GadgetN12::GadgetN12()
{
    describe ("Divuruzidodi EQ", 6, { "Bass", "Medium", "Treble" }, { 0.5f, 0.5f, 0.5f });
    description = "A virtual analog model of the tone stack of a very famous guitar amplifier. "
                  "A passive tone stack shapes the frequency response in unusual ways: the three knobs "
                  "interact, the middle is scooped even with everything at noon, and turning one knob "
                  "moves the others' bands, just as on the real circuit.";
}

void GadgetN12::updateCoefficients()
{
    const auto T = 1.0 / (double) sampleRateF();
    const auto T2 = T * T;
    const auto T3 = T2 * T;
    const auto h = analogStack (p1, p2, p3);

    // Bilinear transform s = 2 fs (1 - z^-1) / (1 + z^-1), without prewarping,
    // multiplied through by T^3 (1 + z^-1)^3.
    const auto D = h.a0 * T3 + 2 * h.a1 * T2 + 4 * h.a2 * T + 8 * h.a3;
    stackA[0] = (3 * h.a0 * T3 + 2 * h.a1 * T2 - 4 * h.a2 * T - 24 * h.a3) / D;
    stackA[1] = (3 * h.a0 * T3 - 2 * h.a1 * T2 - 4 * h.a2 * T + 24 * h.a3) / D;
    stackA[2] = (h.a0 * T3 - 2 * h.a1 * T2 + 4 * h.a2 * T - 8 * h.a3) / D;
    stackB[0] = (2 * h.b1 * T2 + 4 * h.b2 * T + 8 * h.b3) / D;
    stackB[1] = (2 * h.b1 * T2 - 4 * h.b2 * T - 24 * h.b3) / D;
    stackB[2] = (-2 * h.b1 * T2 - 4 * h.b2 * T + 24 * h.b3) / D;
    stackB[3] = (-2 * h.b1 * T2 + 4 * h.b2 * T - 8 * h.b3) / D;
    outputScale = makeUpGain;
}

void GadgetN12::reset()
{
    std::fill (std::begin (stateL), std::end (stateL), 0.0f);
    std::fill (std::begin (stateR), std::end (stateR), 0.0f);
}

double GadgetN12::processSample (double x, double (&state)[order]) const noexcept
{
    // Third-order transposed direct form II.
    const auto y = stackB[0] * x + state[0];
    state[0] = stackB[1] * x + state[1] - stackA[0] * y;
    state[1] = stackB[2] * x + state[2] - stackA[1] * y;
    state[2] = stackB[3] * x - stackA[2] * y;
    return y;
}

void GadgetN12::processSamples (float* left, float* right, int numSamples, float)
{
    if (! beginBlock())
        return;

    for (int i = 0; i < numSamples; ++i)
    {
        left[i] = (float) (processSample (left[i], stateL) * outputScale);
        right[i] = (float) (processSample (right[i], stateR) * outputScale);
    }

    // Decayed states are zeroed as in every gadget, and so are states a
    // non-finite input has spoilt.
    for (auto* state : { stateL, stateR })
        for (int k = 0; k < order; ++k)
            flushDenormal (state[k]);
}
