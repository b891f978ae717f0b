#pragma once

#include <cmath>
#include <cstdint>

#if ! (defined(__GNUC__) || defined(__clang__))
 #error "FloatLanes needs the GCC/Clang vector extension"
#endif

/** Four floats in one SIMD register (SSE2, NEON), for running the left and
    right channels' identical recurrences as one. A stereo value sits in
    lanes 0 (left) and 1 (right), repeated in lanes 2 and 3 so that every lane
    carries a real signal. Each lane is rounded exactly as the scalar
    operation would be, so a lane equals the same expression computed on
    floats, provided the arithmetic is written in the same order.

    The value type of a templated recurrence is either float or FloatLanes;
    the helpers below come in both forms. */
using FloatLanes = float __attribute__ ((vector_size (16)));
using LaneMask = std::int32_t __attribute__ ((vector_size (16)));

/** A stereo value in double precision: left in lane 0, right in lane 1. */
using DoubleLanes = double __attribute__ ((vector_size (16)));
// What a comparison of two DoubleLanes gives: 64-bit integers, whose exact
// type differs between GCC and Clang.
using DoubleLaneMask = decltype (DoubleLanes {} < DoubleLanes {});

namespace lanes
{
inline FloatLanes fromStereo (float left, float right) noexcept
{
    return FloatLanes { left, right, left, right };
}

/** One value in every lane, or the value itself for a float. */
template <typename Value>
Value splat (float value) noexcept
{
    return value - Value {};
}

inline float left (FloatLanes value) noexcept { return value[0]; }
inline float right (FloatLanes value) noexcept { return value[1]; }

/** Each lane from whenTrue where the mask is set, else from whenFalse. */
inline FloatLanes select (LaneMask mask, FloatLanes whenTrue, FloatLanes whenFalse) noexcept
{
    return (FloatLanes) (((LaneMask) whenTrue & mask) | ((LaneMask) whenFalse & ~mask));
}

inline DoubleLanes select (DoubleLaneMask mask, DoubleLanes whenTrue, DoubleLanes whenFalse) noexcept
{
    return (DoubleLanes) (((DoubleLaneMask) whenTrue & mask) | ((DoubleLaneMask) whenFalse & ~mask));
}

/** True when the mask is set in any lane. */
inline bool any (LaneMask mask) noexcept { return (mask[0] | mask[1] | mask[2] | mask[3]) != 0; }
inline bool any (DoubleLaneMask mask) noexcept { return (mask[0] | mask[1]) != 0; }
inline bool any (bool condition) noexcept { return condition; }

inline float select (bool condition, float whenTrue, float whenFalse) noexcept
{
    return condition ? whenTrue : whenFalse;
}

inline FloatLanes abs (FloatLanes value) noexcept
{
    constexpr std::int32_t allButSign = 0x7fffffff;
    return (FloatLanes) ((LaneMask) value & allButSign);
}

inline DoubleLanes abs (DoubleLanes value) noexcept
{
    constexpr std::int64_t allButSign = 0x7fffffffffffffff;
    return (DoubleLanes) ((DoubleLaneMask) value & allButSign);
}

inline DoubleLanes toDouble (FloatLanes value) noexcept { return DoubleLanes { value[0], value[1] }; }

inline FloatLanes toFloat (DoubleLanes value) noexcept
{
    return fromStereo ((float) value[0], (float) value[1]);
}

inline float abs (float value) noexcept
{
    return std::abs (value);
}
} // namespace lanes
