#pragma once

#include "dsp/FloatLanes.h"

#include <juce_core/juce_core.h>

#include <limits>

/** One sample of the triode stage behind a slot's "hot" switch, written once
    for a float (one stage) and for FloatLanes (the left and right stages side
    by side). Branches are selects, so both forms compute the same values. */
namespace tube
{
constexpr float plateScale = 0.005f;
// Below this grid-to-cathode voltage (-0.251096833 V, rounded down to a
// float) the grid draws no current.
constexpr float gridConductionVolts = -0.251096845f;
// The plate law reaches 0 V at a grid 167 V above the cathode and the grid
// law's v^6 term takes over from about 150 V: neither describes a triode
// much past that. Six times further the grid-to-cathode voltage is held, so
// that the grid current (47 A at most) and the cathode stay finite and the
// cathode's explicit step stays stable at 22.05 kHz and above. Below -1000 V
// the shaper already rounds to exactly -1 and the grid draws nothing, so
// holding the negative side changes no result there.
constexpr float gridLimitVolts = 1000.0f;

template <typename Value>
struct Coefficients
{
    Value dt, invCk, invRk, inGain, supply, invRp, gridGain, hpB0, hpB1, hpA1, outGain;
};

template <typename Value>
struct State
{
    Value vk, ip, ig, hpState;
};

/** Rational tanh-like shaper: odd, slope 1/2 at 0, limits of +-1. */
template <typename Value>
forcedinline Value shape (Value u) noexcept
{
    const auto a = lanes::abs (u);
    const auto t = (a + 3.0f) * a + 6.0f;
    return u * t / (t * a + 12.0f);
}

/** Fitted grid law; g equals v (no grid current) below conduction. */
template <typename Value>
forcedinline Value gridLaw (Value v) noexcept
{
    const auto v3 = v * v * v;
    const auto conducting = ((-9.449697e-12f * v3 + 8.42395e-6f) * v3 + 0.02942225f * v - 0.22971919f)
                            - 0.0006697137f * v * v;
    return lanes::select (v <= gridConductionVolts, v, conducting);
}

/** vgk held within +-gridLimitVolts, even when a huge input overflowed it to
    infinity. A non-finite input sample is left to poison the step, so that
    the block's end returns the stage to rest as for any broken sample. */
template <typename Value>
forcedinline Value limitGridVolts (Value vgk, Value input) noexcept
{
    const auto limit = lanes::splat<Value> (gridLimitVolts);
    const auto held = lanes::select (vgk > limit, limit, lanes::select (vgk < -limit, -limit, vgk));
    return lanes::select (lanes::abs (input) <= std::numeric_limits<float>::max(), held, vgk);
}

template <typename Value>
forcedinline Value step (const Coefficients<Value>& c, State<Value>& s, Value x) noexcept
{
    const auto cathodeCurrent = s.ip + s.ig;

    // One midpoint step of dVk/dt = (I - Vk / Rk) / Ck with I held.
    const auto vMid = s.vk + 0.5f * c.dt * c.invCk * (cathodeCurrent - c.invRk * s.vk);
    const auto vkNew = s.vk + c.dt * c.invCk * (cathodeCurrent - c.invRk * vMid);

    const auto vgk = limitGridVolts (c.inGain * x - vkNew, x);
    const auto plateVolts = 200.0f - 100.0f * shape (vgk + 1.5f);
    const auto vp = lanes::select (vgk > 0.0f, plateVolts * (1.0f - 0.006f * vgk), plateVolts);

    s.ip = (c.supply - vp) * c.invRp;
    s.ig = (vgk - gridLaw (vgk)) * c.gridGain;

    const auto h = c.hpB0 * vp + s.hpState;
    s.hpState = c.hpB1 * vp - c.hpA1 * h;

    s.vk = vkNew;
    return h * plateScale * c.outGain;
}
} // namespace tube
