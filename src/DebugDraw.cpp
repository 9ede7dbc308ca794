#include "DebugDraw.h"

#include "GameNames.h"
#include "InputManager.h"
#include "PhysicsManager.h"

#include <SFML/Graphics/CircleShape.hpp>

#include <cmath>

namespace zelk
{

namespace
{

constexpr float AXIS_LENGTH = 0.15f;
constexpr std::size_t CIRCLE_POINTS = 30;
constexpr sf::Uint8 OPAQUE = 255;
constexpr sf::Uint8 POLYGON_SHAPE_FILL_ALPHA = 80;
constexpr sf::Uint8 SOLID_FILL_ALPHA = 50;

sf::Color toSfColor(const b2Color& color, sf::Uint8 alpha)
{
    return sf::Color(static_cast<sf::Uint8>(color.r * 255.f), static_cast<sf::Uint8>(color.g * 255.f),
                     static_cast<sf::Uint8>(color.b * 255.f), alpha);
}

} // namespace

DebugDraw& DebugDraw::getInstance()
{
    static DebugDraw instance;
    return instance;
}

DebugDraw::~DebugDraw() = default;

void DebugDraw::clearShapes()
{
    m_shapes.clear();
    m_polygons.recycleAll();
    m_lines.recycleAll();
}

void DebugDraw::update()
{
    if (InputManager::getInstance().isKeyReleased(Action::DEBUG_DRAW, 0))
        m_enabled = !m_enabled;
}

void DebugDraw::drawPolygonShape(const b2PolygonShape& polygon, const sf::Transformable& transformable,
                                 const b2Color& color)
{
    const std::size_t count = polygon.m_count > 0 ? static_cast<std::size_t>(polygon.m_count) : 0;
    addPolygon(
        count, [&polygon](std::size_t i) { return toPixels(polygon.m_vertices[i]); }, toSfColor(color, OPAQUE),
        toSfColor(color, POLYGON_SHAPE_FILL_ALPHA), transformable.getPosition(), transformable.getRotation());
}

void DebugDraw::drawAABB(const b2AABB& aabb, const sf::Color& color)
{
    const b2Vec2 corners[4] = {
        b2Vec2(aabb.lowerBound.x, aabb.lowerBound.y),
        b2Vec2(aabb.upperBound.x, aabb.lowerBound.y),
        b2Vec2(aabb.upperBound.x, aabb.upperBound.y),
        b2Vec2(aabb.lowerBound.x, aabb.upperBound.y),
    };
    addPolygon(4, [&corners](std::size_t i) { return toPixels(corners[i]); }, color, sf::Color::Transparent);
}

void DebugDraw::DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color)
{
    addVertexPolygon(vertices, vertexCount, toSfColor(color, OPAQUE), sf::Color::Transparent);
}

void DebugDraw::DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color)
{
    addVertexPolygon(vertices, vertexCount, toSfColor(color, OPAQUE), toSfColor(color, SOLID_FILL_ALPHA));
}

void DebugDraw::DrawCircle(const b2Vec2& center, float radius, const b2Color& color)
{
    addCircle(center, radius, toSfColor(color, OPAQUE), sf::Color::Transparent);
}

void DebugDraw::DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis, const b2Color& color)
{
    addCircle(center, radius, toSfColor(color, OPAQUE), toSfColor(color, SOLID_FILL_ALPHA));
    addLine(center, center + radius * axis, toSfColor(color, OPAQUE));
}

void DebugDraw::DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color)
{
    addLine(p1, p2, toSfColor(color, OPAQUE));
}

void DebugDraw::DrawTransform(const b2Transform& xf)
{
    const float c = xf.q.c;
    const float s = xf.q.s;
    addLine(xf.p, xf.p + AXIS_LENGTH * b2Vec2(c, s), sf::Color::Red);
    addLine(xf.p, xf.p + AXIS_LENGTH * b2Vec2(s, -c), sf::Color::Green);
}

void DebugDraw::DrawPoint(const b2Vec2& p, float size, const b2Color& color)
{
    addCircle(p, size, toSfColor(color, OPAQUE), sf::Color::Transparent);
}

void DebugDraw::addLine(const b2Vec2& from, const b2Vec2& to, const sf::Color& color)
{
    std::shared_ptr<sf::VertexArray> line = m_lines.acquire();
    line->setPrimitiveType(sf::LineStrip);
    line->resize(2);
    (*line)[0] = sf::Vertex(toPixels(from), color);
    (*line)[1] = sf::Vertex(toPixels(to), color);
    m_shapes.push_back(std::move(line));
}

void DebugDraw::addCircle(const b2Vec2& center, float radius, const sf::Color& outline, const sf::Color& fill)
{
    // Centred on the point: the origin sits at the circle's middle. Only the world's own debug
    // drawing, which the game does not connect, makes circles, so they are not recycled.
    const float pixelRadius = toPixels(radius);
    auto circle = std::make_shared<sf::CircleShape>(pixelRadius, CIRCLE_POINTS);
    circle->setOrigin(pixelRadius, pixelRadius);
    circle->setPosition(toPixels(center));
    circle->setOutlineThickness(1.f);
    circle->setOutlineColor(outline);
    circle->setFillColor(fill);
    m_shapes.push_back(std::move(circle));
}

template <typename PointAt>
void DebugDraw::addPolygon(std::size_t pointCount, PointAt pointAt, const sf::Color& outline, const sf::Color& fill,
                           const sf::Vector2f& position, float rotation)
{
    std::shared_ptr<OverlayPolygon> polygon = m_polygons.acquire();
    polygon->place(position, rotation);
    polygon->reshape(pointCount, pointAt, outline, fill);
    m_shapes.push_back(std::move(polygon));
}

void DebugDraw::addVertexPolygon(const b2Vec2* vertices, int32 vertexCount, const sf::Color& outline,
                                 const sf::Color& fill)
{
    const std::size_t count = vertexCount > 0 ? static_cast<std::size_t>(vertexCount) : 0;
    addPolygon(count, [vertices](std::size_t i) { return toPixels(vertices[i]); }, outline, fill);
}

} // namespace zelk
