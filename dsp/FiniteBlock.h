#pragma once

#include "dsp/FloatLanes.h"

#include <cstring>

/** True when no sample of either channel is NaN or infinite. x * 0 is zero
    for every finite x and NaN otherwise, so one running sum tells; four
    lanes at a time keep the sum off the block's critical path. */
inline bool isFiniteBlock (const float* left, const float* right, int numSamples) noexcept
{
    constexpr int width = 4;
    FloatLanes sum {};
    int i = 0;

    for (; i + width <= numSamples; i += width)
    {
        FloatLanes l, r;
        std::memcpy (&l, left + i, sizeof (l));
        std::memcpy (&r, right + i, sizeof (r));
        sum += l * 0.0f + r * 0.0f;
    }

    auto total = (sum[0] + sum[1]) + (sum[2] + sum[3]);

    for (; i < numSamples; ++i)
        total += left[i] * 0.0f + right[i] * 0.0f;

    return total == 0.0f;
}
