#pragma once
// Screen positions are in pixels, the physics world works in metres; angles are degrees on game
// objects and radians on bodies. Every conversion between the two goes through here.

#include <box2d/b2_common.h>
#include <box2d/b2_math.h>

#include <SFML/System/Vector2.hpp>

namespace zelk
{

inline constexpr float PIXELS_PER_METRE = 30.f;
// Multiplying by the float nearest to 1/30 rather than dividing by 30 keeps every conversion the
// same single rounding.
inline constexpr float METRES_PER_PIXEL = 1.f / PIXELS_PER_METRE;

inline float toMetres(float pixels)
{
    return pixels * METRES_PER_PIXEL;
}

inline float toPixels(float metres)
{
    return metres * PIXELS_PER_METRE;
}

inline b2Vec2 toMetres(const sf::Vector2f& pixels)
{
    return {toMetres(pixels.x), toMetres(pixels.y)};
}

inline sf::Vector2f toPixels(const b2Vec2& metres)
{
    return {toPixels(metres.x), toPixels(metres.y)};
}

inline float toDegrees(float radians)
{
    return radians * 180.f / b2_pi;
}

inline float toRadians(float degrees)
{
    return degrees * b2_pi / 180.f;
}

} // namespace zelk
