#pragma once
// The keys an AnimationRenderComponent files its animations under: an animation type and a
// direction. Sprite sheets, the factory and the components that switch animations share them.

namespace zelk
{

namespace AnimationType
{
enum : int
{
    // A player's.
    STANDING = 0,
    WALKING = 1,
    THROWING = 2,
    // A bomb's, both under Direction::NONE.
    BOMB_IDLE = 0,
    BOMB_EXPLOSION = 2
};
} // namespace AnimationType

namespace Direction
{
// NONE: for animations that look the same whichever way the object faces.
enum : int
{
    UP = 0,
    DOWN = 1,
    LEFT = 2,
    RIGHT = 3,
    NONE = 4
};
} // namespace Direction

} // namespace zelk
