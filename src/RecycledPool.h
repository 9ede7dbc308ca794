#pragma once
// Objects handed out again frame after frame instead of being made anew, for things that are
// rebuilt every frame and thrown away after it.
//
// Contract: recycleAll() marks every object handed out so far as free again. acquire() then hands
// them out in the same order, except an object somebody else still holds a pointer to: that one is
// left alone and a new object takes its place.

#include <cstddef>
#include <memory>
#include <vector>

namespace zelk
{

template <typename T>
class RecycledPool
{
public:
    std::shared_ptr<T> acquire()
    {
        if (m_handedOut == m_objects.size())
            m_objects.push_back(std::make_shared<T>());
        std::shared_ptr<T>& object = m_objects[m_handedOut++];
        if (object.use_count() != 1)
            object = std::make_shared<T>();
        return object;
    }

    void recycleAll() { m_handedOut = 0; }

    std::size_t size() const { return m_objects.size(); }

private:
    std::vector<std::shared_ptr<T>> m_objects;
    std::size_t m_handedOut = 0;
};

} // namespace zelk
