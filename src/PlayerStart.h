#pragma once
// Where and with how much health a player began the match; restart puts it back there.

#include <SFML/System/Vector2.hpp>

namespace zelk
{

struct PlayerStart
{
    // Pixels: the body's position at match start times the pixels per metre.
    sf::Vector2f position;
    int health = 0;
};

} // namespace zelk
