#include "TraceTimer.h"

#include "TraceProfiler.h"

#include <functional>
#include <thread>

namespace zelk
{

namespace
{
std::int64_t toMicroseconds(std::chrono::steady_clock::time_point point)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(point.time_since_epoch()).count() / 1000;
}
} // namespace

TraceTimer::TraceTimer(const char* name)
    : m_name(name != nullptr ? name : "")
    , m_start(std::chrono::steady_clock::now())
{
}

TraceTimer::TraceTimer(std::string name)
    : m_ownedName(std::move(name))
    , m_name(m_ownedName)
    , m_start(std::chrono::steady_clock::now())
{
}

TraceTimer::~TraceTimer()
{
    if (!m_stopped)
        stop();
}

void TraceTimer::stop()
{
    const auto end = std::chrono::steady_clock::now();
    const auto threadId = static_cast<std::uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    TraceProfiler::getInstance().writeEvent({m_name, toMicroseconds(m_start), toMicroseconds(end), threadId});
    m_stopped = true;
}

} // namespace zelk
