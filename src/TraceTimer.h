#pragma once
// Scoped stopwatch: writes one trace event when stopped or destroyed.

#include <chrono>
#include <string>
#include <string_view>

namespace zelk
{

class TraceTimer
{
public:
    // For a name that outlives the timer, such as a string literal: it is kept by pointer, so a
    // timed scope costs no heap allocation however long its name is. Every frame opens several.
    explicit TraceTimer(const char* name);
    // Any other name is copied.
    explicit TraceTimer(std::string name);
    ~TraceTimer();

    TraceTimer(const TraceTimer&) = delete;
    TraceTimer& operator=(const TraceTimer&) = delete;

    void stop();

private:
    std::string m_ownedName;
    std::string_view m_name;
    std::chrono::time_point<std::chrono::steady_clock> m_start;
    bool m_stopped = false;
};

} // namespace zelk
