#include "AllocationCounter.h"

#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <new>
#include <unistd.h>

namespace zelk::bench
{

namespace
{
thread_local bool t_counting = false;
thread_local bool t_tracing = false;
thread_local AllocationCount t_count;

// With BRAMBLOT_BENCH_ALLOCATION_TRACES=N the first N counted allocations that are not the physics
// overlay's print their call stack to standard error, to find where an allocation comes from.
long& tracesLeft()
{
    static long left = [] {
        const char* value = std::getenv("BRAMBLOT_BENCH_ALLOCATION_TRACES");
        return value != nullptr ? std::atol(value) : 0L;
    }();
    return left;
}

void printCallStack()
{
    static const bool wanted = tracesLeft() > 0;
    if (t_tracing || !wanted)
        return;
    t_tracing = true;
    void* frames[32];
    const int depth = backtrace(frames, 32);
    char** symbols = backtrace_symbols(frames, depth);
    bool overlay = false;
    for (int i = 0; symbols != nullptr && i < depth; ++i)
        overlay = overlay || std::strstr(symbols[i], "DebugDraw") != nullptr;
    std::free(symbols);
    if (!overlay && tracesLeft() > 0)
    {
        static const char separator[] = "---- counted allocation\n";
        [[maybe_unused]] const auto written = write(STDERR_FILENO, separator, sizeof(separator) - 1);
        backtrace_symbols_fd(frames, depth, STDERR_FILENO);
        --tracesLeft();
    }
    t_tracing = false;
}

void note(std::size_t size)
{
    if (!t_counting || t_tracing)
        return;
    ++t_count.calls;
    t_count.bytes += size;
    printCallStack();
}

void* allocate(std::size_t size)
{
    note(size);
    // malloc(0) may return null; operator new must return a unique pointer.
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    note(size);
    void* memory = nullptr;
    const auto bytes = static_cast<std::size_t>(alignment);
    if (posix_memalign(&memory, bytes < sizeof(void*) ? sizeof(void*) : bytes, size == 0 ? 1 : size) != 0)
        throw std::bad_alloc();
    return memory;
}
} // namespace

void startCountingAllocations()
{
    t_count = {};
    t_counting = true;
}

AllocationCount stopCountingAllocations()
{
    t_counting = false;
    return t_count;
}

AllocationCount AllocationScope::stop()
{
    if (!m_stopped)
    {
        m_count = stopCountingAllocations();
        m_stopped = true;
    }
    return m_count;
}

} // namespace zelk::bench

// The replaceable global allocation functions, all routed through the counter.
void* operator new(std::size_t size)
{
    return zelk::bench::allocate(size);
}

void* operator new[](std::size_t size)
{
    return zelk::bench::allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return zelk::bench::allocate(size);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}

void* operator new(std::size_t size, std::align_val_t alignment)
{
    return zelk::bench::allocateAligned(size, alignment);
}

void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return zelk::bench::allocateAligned(size, alignment);
}

void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    try
    {
        return zelk::bench::allocateAligned(size, alignment);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return operator new(size, alignment, std::nothrow);
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(memory);
}
