#pragma once
// The collision categories of fixtures, with the values the map format documents. Gameplay compares
// the whole value, not single bits: the river's 0x0016 is a value of its own, not a combination.

#include <cstdint>

namespace zelk
{

// Box2D's filter type (b2Filter::categoryBits).
using CategoryBits = std::uint16_t;

namespace CollisionCategory
{
inline constexpr CategoryBits PLAYER = 0x0001;
// A trigger with no known "type" only stops flying bombs, which look for the player category.
inline constexpr CategoryBits PLAIN_TRIGGER = 0x0001;
inline constexpr CategoryBits ITEM = 0x0002;
inline constexpr CategoryBits KILLZONE = 0x0004;
inline constexpr CategoryBits WALL = 0x0008;
inline constexpr CategoryBits RIVER = 0x0016;
// Collides with everything.
inline constexpr CategoryBits ALL = 0xFFFF;
} // namespace CollisionCategory

} // namespace zelk
