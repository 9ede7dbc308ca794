#include "Animation.h"

namespace zelk
{

int Animation::frameCount() const
{
    return static_cast<int>(frames.size());
}

bool Animation::isLastFrame(int frameIndex) const
{
    return frameIndex >= frameCount() - 1;
}

std::vector<sf::IntRect> Animation::frameRow(const sf::IntRect& first, int count)
{
    std::vector<sf::IntRect> row;
    for (int i = 0; i < count; ++i)
        row.emplace_back(first.left + i * first.width, first.top, first.width, first.height);
    return row;
}

} // namespace zelk
