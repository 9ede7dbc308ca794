#pragma once
// Counts the heap allocations (calls of the global operator new) that the calling thread makes while
// counting is on. Linking AllocationCounter.cpp replaces the global operator new and delete of the
// whole executable, so allocations inside SFML and the standard library are seen too.

#include <cstdint>

namespace zelk::bench
{

struct AllocationCount
{
    std::uint64_t calls = 0;
    std::uint64_t bytes = 0;
};

// Counting is per thread: the audio and streaming threads do not disturb the main thread's figures.
void startCountingAllocations();
AllocationCount stopCountingAllocations();

// Counts allocations for its lifetime.
class AllocationScope
{
public:
    AllocationScope() { startCountingAllocations(); }
    ~AllocationScope() { stop(); }
    AllocationScope(const AllocationScope&) = delete;
    AllocationScope& operator=(const AllocationScope&) = delete;

    AllocationCount stop();

private:
    bool m_stopped = false;
    AllocationCount m_count;
};

} // namespace zelk::bench
