#include "AllocationGuard.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local int allocationCount = 0;

void* allocate (std::size_t size)
{
    ++allocationCount;

    if (void* memory = std::malloc (size == 0 ? 1 : size))
        return memory;

    throw std::bad_alloc();
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocationCount;
    return std::malloc (size == 0 ? 1 : size);
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocationCount;
    return std::malloc (size == 0 ? 1 : size);
}
void operator delete (void* memory) noexcept { std::free (memory); }
void operator delete[] (void* memory) noexcept { std::free (memory); }
void operator delete (void* memory, std::size_t) noexcept { std::free (memory); }
void operator delete[] (void* memory, std::size_t) noexcept { std::free (memory); }

AllocationGuard::AllocationGuard()
    : countAtStart (allocationCount)
{
}
AllocationGuard::~AllocationGuard() = default;

int AllocationGuard::allocations() const { return allocationCount - countAtStart; }
