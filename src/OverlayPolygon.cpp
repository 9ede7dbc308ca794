#include "OverlayPolygon.h"

namespace zelk
{

void OverlayPolygon::resetPose()
{
    setOrigin(0.f, 0.f);
    setPosition(0.f, 0.f);
    setRotation(0.f);
    setScale(1.f, 1.f);
}

std::size_t OverlayPolygon::getPointCount() const
{
    return m_complete ? sf::ConvexShape::getPointCount() : 0;
}

} // namespace zelk
