#pragma once

#include <cmath>

namespace ffft
{
/** A rotating unit vector: each step turns (cos, sin) by a fixed angle. Used
    for the twiddles of the widest stages, where a full cosine table would
    cost more memory than the recurrence costs accuracy. */
template <typename T>
class OscSinCos
{
public:
    void set_step (double angleRad) noexcept
    {
        cos_step = (T) std::cos (angleRad);
        sin_step = (T) std::sin (angleRad);
    }

    void clear_buffers() noexcept
    {
        cos_value = T (1);
        sin_value = T (0);
    }

    void step() noexcept
    {
        const T oldCos = cos_value;
        const T oldSin = sin_value;
        cos_value = oldCos * cos_step - oldSin * sin_step;
        sin_value = oldSin * cos_step + oldCos * sin_step;
    }

    T get_cos() const noexcept { return cos_value; }
    T get_sin() const noexcept { return sin_value; }

    T cos_value = T (1);
    T sin_value = T (0);
    T cos_step = T (1);
    T sin_step = T (0);
};
} // namespace ffft
