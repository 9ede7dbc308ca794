#pragma once
// Writes timed scopes as "complete" events of the Trace Event Format, one trace file at a time.

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

namespace zelk
{

// Only read while writeEvent() runs, so the name is a view of the caller's string.
struct TraceEvent
{
    std::string_view name;
    std::int64_t start;       // microseconds of the steady clock
    std::int64_t end;         // microseconds of the steady clock
    std::uint32_t threadId;
};

class TraceProfiler
{
public:
    static TraceProfiler& getInstance();

    TraceProfiler(const TraceProfiler&) = delete;
    TraceProfiler& operator=(const TraceProfiler&) = delete;
    ~TraceProfiler();

    // Ends an open trace first, then opens (truncating) the file and writes the header.
    void beginTrace(const std::string& name, const std::string& filePath);
    // Writes the footer and closes the file; does nothing when no trace is open.
    void endTrace();
    void writeEvent(const TraceEvent& event);

    bool isActive() const { return m_active; }
    /// For testing.
    const std::string& getTraceName() const { return m_traceName; }

    // A long session must not fill the disk: past this many bytes new events are dropped,
    // the footer is still written so the file stays valid.
    static constexpr std::uint64_t MAX_TRACE_BYTES = 64ull * 1024 * 1024;
    /// For testing.
    void setByteLimit(std::uint64_t bytes) { m_byteLimit = bytes; }

private:
    TraceProfiler() = default;
    void writeFooterAndClose();
    // Writes the event's text straight into the file buffer: a frame writes several events and
    // none of them may cost a heap allocation.
    void writeEventText(const TraceEvent& event, std::string_view duration, std::string_view threadId,
                        std::string_view start);

    std::string m_traceName = "None";
    std::ofstream m_output;
    int m_eventCount = 0;
    bool m_active = false;
    std::mutex m_lock;
    std::uint64_t m_bytesWritten = 0;
    std::uint64_t m_byteLimit = MAX_TRACE_BYTES;
};

} // namespace zelk
