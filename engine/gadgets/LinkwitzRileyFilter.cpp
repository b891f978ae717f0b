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
