#include "TraceProfiler.h"

#include <string>

namespace zelk
{

namespace
{
const char* const TRACE_HEADER = "{\"otherData\": {},\"traceEvents\":[";
const char* const TRACE_FOOTER = "]}";

std::string formatEvent(const TraceEvent& event)
{
    std::string name = event.name;
    for (char& c : name)
    {
        if (c == '"')
            c = '\'';
    }
    std::string text;
    text.reserve(96 + name.size());
    text += "{\"cat\":\"function\",\"dur\":";
    text += std::to_string(event.end - event.start);
    text += ",\"name\":\"";
    text += name;
    text += "\",\"ph\":\"X\",\"pid\":0,\"tid\":";
    text += std::to_string(event.threadId);
    text += ",\"ts\":";
    text += std::to_string(event.start);
    text += '}';
    return text;
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
    m_droppedEvents = 0;
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
    std::lock_guard<std::mutex> guard(m_lock);
    const std::string text = formatEvent(event);
    if (m_bytesWritten + text.size() + 1 > m_byteLimit)
    {
        ++m_droppedEvents;
        return;
    }
    if (m_eventCount > 0)
    {
        m_output << ',';
        ++m_bytesWritten;
    }
    m_output << text;
    m_bytesWritten += text.size();
    ++m_eventCount;
}

} // namespace zelk
