#pragma once

#include "IEvent.h"

#include <utility>

namespace zelk
{

// An event carrying one datum; for reference types the event holds the reference.
template <typename T>
class BasicDataEvent : public IEvent
{
public:
    explicit BasicDataEvent(T data)
        : m_data(std::forward<T>(data))
    {
    }

    T getData() const { return m_data; }

protected:
    T m_data;
};

} // namespace zelk
