#include "LinkwitzRileyFilter.h"

#include "engine/GadgetForms.h"

#include <cmath>

namespace
{
// Damping 2R of a Butterworth section (Q = 1/sqrt 2).
constexpr float butterworthDamping = 1.4142135f;
} // namespace

void LinkwitzRileyFilter::setCutoff (double newSampleRate, float cutoffHz) noexcept
{
    sampleRate = newSampleRate;
    cutoff = cutoffHz;
    needsUpdate = true;
}

void LinkwitzRileyFilter::reset() noexcept { s1 = s2 = s3 = s4 = 0.0f; }

void LinkwitzRileyFilter::updateCoefficients() noexcept
{
    g = (float) std::tan ((double) (cutoff * forms::pi) / sampleRate);
    k = butterworthDamping;
    h = 1.0f / (g * g + (k * g + 1.0f));
    needsUpdate = false;
}

float LinkwitzRileyFilter::lowPassSection (float x, float& bandState, float& lowState) const noexcept
{
    const auto t = (x - k * bandState - g * bandState - lowState) * h * g;
    const auto band = bandState + t;
    const auto low = lowState + g * band;
    bandState = band + t;
    lowState = low + g * band;
    return low;
}

float LinkwitzRileyFilter::highPassSection (float x, float& bandState, float& lowState) const noexcept
{
    const auto high = (x - k * bandState - g * bandState - lowState) * h;
    const auto band = bandState + g * high;
    bandState = band + g * high;
    lowState = lowState + 2.0f * g * band;
    return high;
}

void LinkwitzRileyFilter::processSample (float& sample) noexcept
{
    if (needsUpdate)
        updateCoefficients();

    if (type == lowPass)
        sample = lowPassSection (lowPassSection (sample, s1, s2), s3, s4);
    else
        sample = highPassSection (highPassSection (sample, s1, s2), s3, s4);
}
