#pragma once
// The physics overlay: collects SFML drawables of every enabled body during the frame's update, so
// Game::draw can lay them over the picture when the overlay is on (F1), and discard them each frame.
//
// Contract: the drawing operations only record shapes; they never touch the world. Shapes are
// collected whatever isEnabled() says, so switching the overlay on shows the current frame at once.
// Whoever draws them calls clearShapes() afterwards, drawn or not.
//
// The polygons and lines are recycled: after clearShapes() the next frame refills the same shape
// objects instead of allocating new ones, because they are built every frame even while hidden.
// A shape somebody still holds after clearShapes() is never refilled.

#include "OverlayPolygon.h"
#include "RecycledPool.h"

#include <box2d/box2d.h>

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Drawable.hpp>
#include <SFML/Graphics/Transformable.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <memory>
#include <vector>

namespace zelk
{

class DebugDraw : public b2Draw
{
public:
    static DebugDraw& getInstance();

    ~DebugDraw() override;
    DebugDraw(const DebugDraw&) = delete;
    DebugDraw& operator=(const DebugDraw&) = delete;

    // Player 0's "debugdraw" action flips the overlay when it is let go.
    void update();
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    const std::vector<std::shared_ptr<sf::Drawable>>& getShapes() const { return m_shapes; }
    void clearShapes();
    // Polygons and lines kept for refilling; it only grows, when a frame needs more than any before.
    std::size_t getRecycledShapeCount() const { return m_polygons.size() + m_lines.size(); }

    // A polygon fixture placed with the pose of its owner (body-local vertices in metres).
    void drawPolygonShape(const b2PolygonShape& polygon, const sf::Transformable& transformable,
                          const b2Color& color);
    // A bounding box in metres, outlined only.
    void drawAABB(const b2AABB& aabb, const sf::Color& color);

    void DrawPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
    void DrawSolidPolygon(const b2Vec2* vertices, int32 vertexCount, const b2Color& color) override;
    void DrawCircle(const b2Vec2& center, float radius, const b2Color& color) override;
    void DrawSolidCircle(const b2Vec2& center, float radius, const b2Vec2& axis,
                         const b2Color& color) override;
    void DrawSegment(const b2Vec2& p1, const b2Vec2& p2, const b2Color& color) override;
    // The body's local axes at its origin: x in red, the other in green, 0.15 m long.
    void DrawTransform(const b2Transform& xf) override;
    void DrawPoint(const b2Vec2& p, float size, const b2Color& color) override;

private:
    DebugDraw() = default;

    void addLine(const b2Vec2& from, const b2Vec2& to, const sf::Color& color);
    void addCircle(const b2Vec2& center, float radius, const sf::Color& outline, const sf::Color& fill);
    void addVertexPolygon(const b2Vec2* vertices, int32 vertexCount, const sf::Color& outline,
                          const sf::Color& fill);
    // A recycled polygon, placed at the pose given (none by default).
    template <typename PointAt>
    void addPolygon(std::size_t pointCount, PointAt pointAt, const sf::Color& outline, const sf::Color& fill,
                    const sf::Vector2f& position = {}, float rotation = 0.f);

    bool m_enabled = true;
    std::vector<std::shared_ptr<sf::Drawable>> m_shapes;
    RecycledPool<OverlayPolygon> m_polygons;
    RecycledPool<sf::VertexArray> m_lines;
};

} // namespace zelk
