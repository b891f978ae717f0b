#include "DriveProcessing.h"

#include "engine/GadgetForms.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float outputHighPassHz = 30.0f;
constexpr float headroomDb = 12.0f;

/** The explicit cathode step multiplies a disturbance by
    1 - kb + (kb)^2 / 2 - kS (1 - kb / 2), with k = dt / Ck, b = 1 / Rk and S the
    grid current's slope: the slope at which that factor reaches -1. The
    plate's own slope there, 6 uS against the grid's 0.16 S and more, is
    left out. */
float explicitSlopeLimitFor (float dt, float invCk, float invRk)
{
    const auto k = (double) dt * invCk;
    const auto kb = k * invRk;
    return (float) ((2.0 - kb + 0.5 * kb * kb) / (k * (1.0 - 0.5 * kb)));
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
    needsUpdate = true;
    reset();
}

void DriveProcessing::reset()
{
    vk = vkRest;
    ip = ipRest;
    ig = igRest;
    hpState = hpRest;
    gridSlope = gridSlopeRest;
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
    explicitSlopeLimit = explicitSlopeLimitFor (dt, invCk, invRk);

    const auto hp = forms::OnePole::highPass (forms::prewarp (outputHighPassHz, fs));
    hpB0 = hp.b0;
    hpA1 = hp.a1;
    hpB1 = hp.b1;

    inGain = std::pow (10.0f, drive / 20.0f);
    outGain = std::max (1.0f, std::pow (10.0f, (headroomDb - drive) / 20.0f));
    needsUpdate = false;
}

bool DriveProcessing::hasFiniteState() const noexcept
{
    return std::isfinite (vk) && std::isfinite (ip) && std::isfinite (ig) && std::isfinite (hpState)
           && std::isfinite (gridSlope);
}

tube::Coefficients<float> DriveProcessing::currentCoefficients() const noexcept
{
    return { dt, invCk, invRk, inGain, supply, invRp, gridGain, hpB0, hpB1, hpA1, outGain, explicitSlopeLimit };
}

tube::State<float> DriveProcessing::currentState() const noexcept
{
    return { vk, ip, ig, hpState, gridSlope };
}

void DriveProcessing::setState (const tube::State<float>& state) noexcept
{
    vk = state.vk;
    ip = state.ip;
    ig = state.ig;
    hpState = state.hpState;
    gridSlope = state.gridSlope;
}

void DriveProcessing::processSamples (float* samples, int numSamples)
{
    if (! active)
        return;

    if (needsUpdate)
        updateCoefficients();

    const auto coefficients = currentCoefficients();
    auto state = currentState();

    for (int i = 0; i < numSamples; ++i)
        samples[i] = tube::step (coefficients, state, samples[i]);

    setState (state);
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

    Pair pair (first, second);

    for (int i = 0; i < numSamples; ++i)
    {
        const auto output = pair.process (lanes::fromStereo (firstSamples[i], secondSamples[i]));
        firstSamples[i] = lanes::left (output);
        secondSamples[i] = lanes::right (output);
    }

    pair.finish();
}

DriveProcessing::Pair::Pair (DriveProcessing& leftStage, DriveProcessing& rightStage) noexcept
    : left (leftStage), right (rightStage)
{
    for (auto* stage : { &left, &right })
        if (stage->needsUpdate)
            stage->updateCoefficients();

    const auto l = left.currentCoefficients(), r = right.currentCoefficients();
    constexpr auto both = lanes::fromStereo;
    coefficients = { both (l.dt, r.dt),           both (l.invCk, r.invCk),       both (l.invRk, r.invRk),
                     both (l.inGain, r.inGain),   both (l.supply, r.supply),     both (l.invRp, r.invRp),
                     both (l.gridGain, r.gridGain), both (l.hpB0, r.hpB0),       both (l.hpB1, r.hpB1),
                     both (l.hpA1, r.hpA1),       both (l.outGain, r.outGain),
                     both (l.explicitSlopeLimit, r.explicitSlopeLimit) };
    state = { both (left.vk, right.vk), both (left.ip, right.ip), both (left.ig, right.ig),
              both (left.hpState, right.hpState), both (left.gridSlope, right.gridSlope) };
}

void DriveProcessing::Pair::finish() noexcept
{
    left.setState ({ lanes::left (state.vk), lanes::left (state.ip), lanes::left (state.ig), lanes::left (state.hpState),
                     lanes::left (state.gridSlope) });
    right.setState ({ lanes::right (state.vk), lanes::right (state.ip), lanes::right (state.ig),
                      lanes::right (state.hpState), lanes::right (state.gridSlope) });
    left.endBlock();
    right.endBlock();
}
