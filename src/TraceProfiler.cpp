#include "TraceProfiler.h"

#include <array>
#include <charconv>
#include <string>

namespace zelk
{

namespace
{
const char* const TRACE_HEADER = "{\"otherData\": {},\"traceEvents\":[";
const char* const TRACE_FOOTER = "]}";

// The event text is these pieces with the duration, name, thread id and start between them.
constexpr std::string_view EVENT_OPEN = "{\"cat\":\"function\",\"dur\":";
constexpr std::string_view EVENT_NAME = ",\"name\":\"";
constexpr std::string_view EVENT_THREAD = "\",\"ph\":\"X\",\"pid\":0,\"tid\":";
constexpr std::string_view EVENT_START = ",\"ts\":";
constexpr std::string_view EVENT_CLOSE = "}";

// Room for any 64-bit integer in decimal, sign included.
using NumberText = std::array<char, 24>;

template <typename Integer>
std::string_view toText(Integer value, NumberText& buffer)
{
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())};
}

void write(std::ofstream& output, std::string_view text)
{
    output.write(text.data(), static_cast<std::streamsize>(text.size()));
}
} // namespace

TraceProfiler& TraceProfiler::getInstance()
{
    static TraceProfiler instance;
    return instance;
}

TraceProfiler::~TraceProfiler()
{
    endTrace();
}

void TraceProfiler::beginTrace(const std::string& name, const std::string& filePath)
{
    if (m_active)
        endTrace();
    std::lock_guard<std::mutex> guard(m_lock);
    m_active = true;
    m_output.open(filePath, std::ios::out | std::ios::trunc);
    m_output << TRACE_HEADER;
    m_bytesWritten = 0;
    m_traceName = name;
}

void TraceProfiler::endTrace()
{
    if (!m_active)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    writeFooterAndClose();
}

void TraceProfiler::writeFooterAndClose()
{
    m_active = false;
    m_output << TRACE_FOOTER;
    m_output.close();
    m_eventCount = 0;
}

void TraceProfiler::writeEvent(const TraceEvent& event)
{
    NumberText durationBuffer;
    NumberText threadIdBuffer;
    NumberText startBuffer;
    const std::string_view duration = toText(event.end - event.start, durationBuffer);
    const std::string_view threadId = toText(event.threadId, threadIdBuffer);
    const std::string_view start = toText(event.start, startBuffer);
    const std::size_t size = EVENT_OPEN.size() + duration.size() + EVENT_NAME.size() + event.name.size() +
                             EVENT_THREAD.size() + threadId.size() + EVENT_START.size() + start.size() +
                             EVENT_CLOSE.size();

    std::lock_guard<std::mutex> guard(m_lock);
    if (m_bytesWritten + size + 1 > m_byteLimit)
        return;
    if (m_eventCount > 0)
    {
        m_output.put(',');
        ++m_bytesWritten;
    }
    writeEventText(event, duration, threadId, start);
    m_bytesWritten += size;
    ++m_eventCount;
}

void TraceProfiler::writeEventText(const TraceEvent& event, std::string_view duration, std::string_view threadId,
                                   std::string_view start)
{
    write(m_output, EVENT_OPEN);
    write(m_output, duration);
    write(m_output, EVENT_NAME);
    // No escaping beyond this: a double quote in a name becomes a single quote.
    std::string_view rest = event.name;
    for (std::size_t quote = rest.find('"'); quote != std::string_view::npos; quote = rest.find('"'))
    {
        write(m_output, rest.substr(0, quote));
        m_output.put('\'');
        rest.remove_prefix(quote + 1);
    }
    write(m_output, rest);
    write(m_output, EVENT_THREAD);
    write(m_output, threadId);
    write(m_output, EVENT_START);
    write(m_output, start);
    write(m_output, EVENT_CLOSE);
}

} // namespace zelk
