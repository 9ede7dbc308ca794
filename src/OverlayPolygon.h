#pragma once
// A convex outline of the physics overlay. The overlay refills a few hundred of these every frame,
// so building one costs a single geometry pass, and refilling one with what it already shows costs
// none.

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/ConvexShape.hpp>

#include <cstddef>

namespace zelk
{

class OverlayPolygon : public sf::ConvexShape
{
public:
    // Points, outline thickness 1 and colours as given, in place of whatever the shape showed.
    // pointAt(i) gives point i in local pixels.
    template <typename PointAt>
    void reshape(std::size_t pointCount, PointAt pointAt, const sf::Color& outline, const sf::Color& fill);

    // The whole pose, origin and scale included: a recycled shape may come from another body.
    void place(const sf::Vector2f& position, float rotation);

    // sf::ConvexShape recomputes its whole geometry on every setPoint and setter. While a reshape
    // is filling the shape in, it reports no points, which makes those recomputations return at
    // once; the shape is then computed a single time. Later setters work as usual.
    std::size_t getPointCount() const override;

private:
    template <typename PointAt>
    bool shows(std::size_t pointCount, PointAt pointAt, const sf::Color& outline, const sf::Color& fill) const;

    bool m_complete = true;
};

template <typename PointAt>
void OverlayPolygon::reshape(std::size_t pointCount, PointAt pointAt, const sf::Color& outline,
                             const sf::Color& fill)
{
    if (shows(pointCount, pointAt, outline, fill))
        return;
    m_complete = false;
    setPointCount(pointCount);
    for (std::size_t i = 0; i < pointCount; ++i)
        setPoint(i, pointAt(i));
    setOutlineThickness(1.f);
    setOutlineColor(outline);
    setFillColor(fill);
    m_complete = true;
    update();
}

template <typename PointAt>
bool OverlayPolygon::shows(std::size_t pointCount, PointAt pointAt, const sf::Color& outline,
                           const sf::Color& fill) const
{
    if (getPointCount() != pointCount || getOutlineThickness() != 1.f || getOutlineColor() != outline ||
        getFillColor() != fill)
        return false;
    for (std::size_t i = 0; i < pointCount; ++i)
    {
        if (getPoint(i) != pointAt(i))
            return false;
    }
    return true;
}

} // namespace zelk
