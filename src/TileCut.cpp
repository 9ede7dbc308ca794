#include "TileCut.h"

namespace zelk
{

TileCut cutTile(std::int64_t localId, sf::Vector2i tileSize, sf::Vector2u imageSize, sf::IntRect& rect)
{
    const std::int64_t columns = imageSize.x / static_cast<unsigned>(tileSize.x);
    if (columns == 0)
        return TileCut::ImageTooNarrow;
    const std::int64_t left = tileSize.x * (localId % columns);
    const std::int64_t top = tileSize.y * (localId / columns);
    if (top + tileSize.y > static_cast<std::int64_t>(imageSize.y))
        return TileCut::OutsideImage;
    rect = sf::IntRect(static_cast<int>(left), static_cast<int>(top), tileSize.x, tileSize.y);
    return TileCut::Inside;
}

} // namespace zelk
