#include "DriveProcessing.h"

#include "engine/GadgetForms.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float outputHighPassHz = 30.0f;
constexpr float headroomDb = 12.0f;
constexpr float plateScale = 0.005f;
// Below this grid-to-cathode voltage the grid draws no current.
constexpr double gridConductionVolts = -0.251096833179776;

/** Rational tanh-like shaper: odd, slope 1/2 at 0, limits of +-1. */
inline float shape (float u) noexcept
{
    const auto a = std::abs (u);
    const auto t = (a + 3.0f) * a + 6.0f;
    return u * t / (t * a + 12.0f);
}

/** Fitted grid law; g equals v (no grid current) below conduction. */
inline float gridLaw (float v) noexcept
{
    if ((double) v <= gridConductionVolts)
        return v;

    const auto v3 = v * v * v;
    return ((-9.449697e-12f * v3 + 8.42395e-6f) * v3 + 0.02942225f * v - 0.22971919f) - 0.0006697137f * v * v;
}
} // namespace

void DriveProcessing::setParameters (float driveDb)
{
    drive = driveDb;
    active = true;
    needsUpdate = true;
}

void DriveProcessing::initProcessing (double newSampleRate, int)
{
    sampleRate = newSampleRate;
    reset();
}

void DriveProcessing::reset()
{
    vk = vkRest;
    ip = ipRest;
    ig = igRest;
    hpState = hpRest;
}

void DriveProcessing::updateCoefficients()
{
    const auto fs = (float) sampleRate;
    invRk = 0.001f;
    invCk = 100000.0f;
    dt = 1.0f / fs;
    invRp = 1.0e-5f;
    gridGain = 5.0e-6f;
    supply = 300.0f;

    const auto hp = forms::OnePole::highPass (forms::prewarp (outputHighPassHz, fs));
    hpB0 = hp.b0;
    hpA1 = hp.a1;
    hpB1 = hp.b1;

    inGain = std::pow (10.0f, drive / 20.0f);
    outGain = std::max (1.0f, std::pow (10.0f, (headroomDb - drive) / 20.0f));
}

bool DriveProcessing::hasFiniteState() const noexcept
{
    return std::isfinite (vk) && std::isfinite (ip) && std::isfinite (ig) && std::isfinite (hpState);
}

float DriveProcessing::processSample (float x) noexcept
{
    const auto cathodeCurrent = ip + ig;

    // One midpoint step of dVk/dt = (I - Vk / Rk) / Ck with I held.
    const auto vMid = vk + 0.5f * dt * invCk * (cathodeCurrent - invRk * vk);
    const auto vkNew = vk + dt * invCk * (cathodeCurrent - invRk * vMid);

    const auto vgk = inGain * x - vkNew;
    auto vp = 200.0f - 100.0f * shape (vgk + 1.5f);

    if (vgk > 0.0f)
        vp = vp * (1.0f - 0.006f * vgk);

    ip = (supply - vp) * invRp;
    ig = (vgk - gridLaw (vgk)) * gridGain;

    const auto h = hpB0 * vp + hpState;
    hpState = hpB1 * vp - hpA1 * h;

    vk = vkNew;
    return h * plateScale * outGain;
}

void DriveProcessing::processSamples (float* samples, int numSamples)
{
    if (! active)
        return;

    if (needsUpdate)
        updateCoefficients();

    for (int i = 0; i < numSamples; ++i)
        samples[i] = processSample (samples[i]);

    endBlock();
}

void DriveProcessing::endBlock() noexcept
{
    // A non-finite input would otherwise poison the stage until the next
    // reset; it returns to its rest point instead.
    if (! hasFiniteState())
        reset();
}

void DriveProcessing::processPair (DriveProcessing& first,
                                   float* firstSamples,
                                   DriveProcessing& second,
                                   float* secondSamples,
                                   int numSamples)
{
    if (! (first.active && second.active))
    {
        first.processSamples (firstSamples, numSamples);
        second.processSamples (secondSamples, numSamples);
        return;
    }

    if (first.needsUpdate)
        first.updateCoefficients();

    if (second.needsUpdate)
        second.updateCoefficients();

    for (int i = 0; i < numSamples; ++i)
    {
        firstSamples[i] = first.processSample (firstSamples[i]);
        secondSamples[i] = second.processSample (secondSamples[i]);
    }

    first.endBlock();
    second.endBlock();
}
