#pragma once

#include <atomic>

/** A value that one thread writes and another reads, with no ordering
    between them: each read sees a whole old or new value. It reads and
    writes like the plain value it stands for, so DSP code stays readable. */
template <typename T>
class RelaxedAtomic
{
public:
    constexpr RelaxedAtomic() noexcept
        : value {}
    {
    }
    constexpr RelaxedAtomic (T initial) noexcept
        : value (initial)
    {
    }
    RelaxedAtomic (const RelaxedAtomic& other) noexcept
        : value (other.load())
    {
    }

    RelaxedAtomic& operator= (T newValue) noexcept
    {
        store (newValue);
        return *this;
    }

    RelaxedAtomic& operator= (const RelaxedAtomic& other) noexcept
    {
        store (other.load());
        return *this;
    }

    operator T() const noexcept { return load(); }

    T load() const noexcept { return value.load (std::memory_order_relaxed); }
    void store (T newValue) noexcept { value.store (newValue, std::memory_order_relaxed); }
    T exchange (T newValue) noexcept { return value.exchange (newValue, std::memory_order_relaxed); }

private:
    std::atomic<T> value;
};
