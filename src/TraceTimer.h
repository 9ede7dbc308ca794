#pragma once
// Scoped stopwatch: writes one trace event when stopped or destroyed.

#include <chrono>
#include <string>

namespace zelk
{

class TraceTimer
{
public:
    explicit TraceTimer(std::string name);
    ~TraceTimer();

    TraceTimer(const TraceTimer&) = delete;
    TraceTimer& operator=(const TraceTimer&) = delete;

    void stop();

private:
    std::string m_name;
    std::chrono::time_point<std::chrono::steady_clock> m_start;
    bool m_stopped = false;
};

} // namespace zelk
