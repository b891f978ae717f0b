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
// that the grid current (47 A at most) and the cathode stay finite. Just
// below the hold the grid current's slope reaches 0.28 S, too steep for the
// cathode's explicit step below about 14.2 kHz: see cathodeStep. Below
// -1000 V the shaper already rounds to exactly -1 and the grid draws
// nothing, so holding the negative side changes no result there.
constexpr float gridLimitVolts = 1000.0f;

// The fitted grid law, g(v) = v6 v^6 + v3 v^3 + v2 v^2 + v1 v + v0.
constexpr float gridLawV6 = -9.449697e-12f;
constexpr float gridLawV3 = 8.42395e-6f;
constexpr float gridLawV2 = -0.0006697137f;
constexpr float gridLawV1 = 0.02942225f;
constexpr float gridLawV0 = -0.22971919f;

template <typename Value>
struct Coefficients
{
    Value dt, invCk, invRk, inGain, supply, invRp, gridGain, hpB0, hpB1, hpA1, outGain;
    // Siemens: the grid current's slope past which the explicit cathode step
    // would grow a disturbance instead of damping it.
    Value explicitSlopeLimit;
};

template <typename Value>
struct State
{
    // gridSlope: the grid current's slope against vgk at the previous sample.
    Value vk, ip, ig, hpState, gridSlope;
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
    const auto conducting = ((gridLawV6 * v3 + gridLawV3) * v3 + gridLawV1 * v + gridLawV0) + gridLawV2 * v * v;
    return lanes::select (v <= gridConductionVolts, v, conducting);
}

/** The grid current's slope against vgk, in siemens; 0 below conduction. */
template <typename Value>
forcedinline Value gridCurrentSlope (Value v, Value gridGain) noexcept
{
    const auto v2 = v * v;
    const auto lawSlope = (6.0f * gridLawV6 * v2 * v + 3.0f * gridLawV3) * v2 + 2.0f * gridLawV2 * v + gridLawV1;
    return lanes::select (v <= gridConductionVolts, lanes::splat<Value> (0.0f), (1.0f - lawSlope) * gridGain);
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

/** One midpoint step of dVk/dt = (I - Vk / Rk) / Ck with I held. */
template <typename Value>
forcedinline Value explicitCathodeStep (const Coefficients<Value>& c, Value vk, Value cathodeCurrent) noexcept
{
    const auto vMid = vk + 0.5f * c.dt * c.invCk * (cathodeCurrent - c.invRk * vk);
    return vk + c.dt * c.invCk * (cathodeCurrent - c.invRk * vMid);
}

/** Linearly implicit Euler step: the grid current falls by its slope times
    the cathode's own rise, so the step settles however steep the grid law. */
template <typename Value>
forcedinline Value implicitCathodeStep (const Coefficients<Value>& c,
                                        Value vk,
                                        Value cathodeCurrent,
                                        Value gridSlope) noexcept
{
    const auto cathodeRate = c.dt * c.invCk;
    return vk + cathodeRate * (cathodeCurrent - c.invRk * vk) / (1.0f + cathodeRate * (gridSlope + c.invRk));
}

/** The explicit step multiplies a disturbance of the cathode by about
    1 - dt S / Ck for a grid current's slope S: past explicitSlopeLimit (a grid
    driven towards its hold at low rates) the cathode would flip every sample.
    There the implicit step takes over, except where the grid stays held,
    since there the current cannot follow the cathode and the explicit step
    only charges it. Everywhere else the explicit step's values are kept. */
template <typename Value>
forcedinline Value cathodeStep (const Coefficients<Value>& c, const State<Value>& s, Value drivenGrid) noexcept
{
    const auto cathodeCurrent = s.ip + s.ig;
    const auto explicitVk = explicitCathodeStep (c, s.vk, cathodeCurrent);
    const auto stiff = s.gridSlope > c.explicitSlopeLimit && drivenGrid - explicitVk < gridLimitVolts;

    if (! lanes::any (stiff))
        return explicitVk;

    return lanes::select (stiff, implicitCathodeStep (c, s.vk, cathodeCurrent, s.gridSlope), explicitVk);
}

template <typename Value>
forcedinline Value step (const Coefficients<Value>& c, State<Value>& s, Value x) noexcept
{
    const auto drivenGrid = c.inGain * x;
    const auto vkNew = cathodeStep (c, s, drivenGrid);

    const auto vgk = limitGridVolts (drivenGrid - vkNew, x);
    const auto plateVolts = 200.0f - 100.0f * shape (vgk + 1.5f);
    const auto vp = lanes::select (vgk > 0.0f, plateVolts * (1.0f - 0.006f * vgk), plateVolts);

    s.ip = (c.supply - vp) * c.invRp;
    s.ig = (vgk - gridLaw (vgk)) * c.gridGain;
    // Taken at the held vgk past the hold: the slope the cathode meets as
    // soon as its rise brings the grid back below it.
    s.gridSlope = gridCurrentSlope (vgk, c.gridGain);

    const auto h = c.hpB0 * vp + s.hpState;
    s.hpState = c.hpB1 * vp - c.hpA1 * h;

    s.vk = vkNew;
    return h * plateScale * c.outGain;
}
} // namespace tube
