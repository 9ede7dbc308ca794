#pragma once
// The keys an AnimationRenderComponent files its animations under: an animation type and a
// direction. Sprite sheets, the factory and the components that switch animations share them.

namespace zelk
{

namespace AnimationType
{
// A player's.
inline constexpr int STANDING = 0;
inline constexpr int WALKING = 1;
inline constexpr int THROWING = 2;
// A bomb's, both under Direction::NONE.
inline constexpr int BOMB_IDLE = 0;
inline constexpr int BOMB_EXPLOSION = 2;
} // namespace AnimationType

namespace Direction
{
inline constexpr int UP = 0;
inline constexpr int DOWN = 1;
inline constexpr int LEFT = 2;
inline constexpr int RIGHT = 3;
// For animations that look the same whichever way the object faces.
inline constexpr int NONE = 4;
} // namespace Direction

} // namespace zelk
