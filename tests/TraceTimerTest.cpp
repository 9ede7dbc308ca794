// The scoped stopwatch on the frame path: every frame opens several timers, so a timed scope must
// cost no heap allocation, whatever the length of its name. This executable counts the calls of
// the global operator new to check it.

#include "TraceTimer.h"

#include "TraceProfiler.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <unistd.h>

namespace
{
thread_local bool t_counting = false;
thread_local int t_allocations = 0;

void* countedAllocationOrNull(std::size_t size) noexcept
{
    if (t_counting)
        ++t_allocations;
    return std::malloc(size == 0 ? 1 : size);
}

void* countedAllocation(std::size_t size)
{
    if (void* memory = countedAllocationOrNull(size))
        return memory;
    throw std::bad_alloc();
}

// Counts the allocations of this thread while alive.
class AllocationCount
{
public:
    AllocationCount()
    {
        t_allocations = 0;
        t_counting = true;
    }
    ~AllocationCount() { t_counting = false; }
    AllocationCount(const AllocationCount&) = delete;
    AllocationCount& operator=(const AllocationCount&) = delete;

    int calls() const { return t_allocations; }
};
} // namespace

void* operator new(std::size_t size)
{
    return countedAllocation(size);
}

void* operator new[](std::size_t size)
{
    return countedAllocation(size);
}

// GoogleTest 1.15 (Debian 13) allocates with the nothrow forms: every form must come from this
// file, or the sanitizer sees its own allocation released by the free below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAllocationOrNull(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return countedAllocationOrNull(size);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
}

void operator delete[](void* memory, const std::nothrow_t&) noexcept
{
    std::free(memory);
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

using namespace zelk;

namespace
{

class TraceTimerTest : public ::testing::Test
{
protected:
    TraceTimerTest()
        : m_path(std::filesystem::temp_directory_path() / ("bramblot-trace-timer-" + std::to_string(::getpid()) +
                                                          ".json"))
    {
        TraceProfiler::getInstance().beginTrace("test", m_path.string());
        // The first event of a file comes without a comma; the measured ones are like the rest.
        TraceTimer("opening event").stop();
    }

    ~TraceTimerTest() override
    {
        TraceProfiler::getInstance().endTrace();
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }

    std::string traceText()
    {
        TraceProfiler::getInstance().endTrace();
        return test::readFile(m_path);
    }

private:
    std::filesystem::path m_path;
};

} // namespace

TEST_F(TraceTimerTest, ScopesNamedByLiteralsOrLayerNamesCostNoHeapAllocation)
{
    const std::string layer = "Background";
    int calls = -1;
    {
        AllocationCount count;
        {
            TraceTimer frame("zelk::MainState::update");
            TraceTimer inner("a scope name far longer than any small-string buffer holds");
            TraceTimer timer(layer);
            timer.stop();
        }
        calls = count.calls();
    }
    EXPECT_EQ(calls, 0);

    const std::string text = traceText();
    for (const char* name : {"zelk::MainState::update", "a scope name far longer than any small-string buffer holds",
                             "Background"})
        EXPECT_NE(text.find("\"name\":\"" + std::string(name) + "\""), std::string::npos) << name;
}

TEST_F(TraceTimerTest, ANameBuiltAtRunTimeIsKeptAfterItsStringIsGoneAndQuotesBecomeSingleOnes)
{
    {
        TraceTimer timer(std::string("built at run time, number ") + std::to_string(42) +
                         " and long enough to live on the heap");
        TraceTimer quoted("say \"cheese\" twice \"\"");
    }
    const std::string text = traceText();
    EXPECT_NE(text.find("\"name\":\"built at run time, number 42 and long enough to live on the heap\""),
              std::string::npos);
    EXPECT_NE(text.find("\"name\":\"say 'cheese' twice ''\""), std::string::npos) << text;
}
