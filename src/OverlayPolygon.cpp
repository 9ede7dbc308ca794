#include "OverlayPolygon.h"

namespace zelk
{

void OverlayPolygon::place(const sf::Vector2f& position, float rotation)
{
    setOrigin(0.f, 0.f);
    setPosition(position);
    setRotation(rotation);
    setScale(1.f, 1.f);
}

std::size_t OverlayPolygon::getPointCount() const
{
    return m_complete ? sf::ConvexShape::getPointCount() : 0;
}

} // namespace zelk
