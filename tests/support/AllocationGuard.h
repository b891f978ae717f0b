#pragma once

/** Counts heap allocations made by the current thread while it lives.
    The test binary replaces the global operator new to do the counting. */
class AllocationGuard
{
public:
    AllocationGuard();
    ~AllocationGuard();

    int allocations() const;

private:
    int countAtStart;
};
