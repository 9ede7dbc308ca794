#pragma once
// One frame animation of a sprite sheet, as played by AnimationRenderComponent.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <vector>

namespace zelk
{

struct Animation
{
    // Applied to the sprite for every frame of this animation; a negative x mirrors the frames.
    sf::Vector2f scale{1.f, 1.f};
    // Shown one after another; an animation can only be selected when it has at least one.
    std::vector<sf::IntRect> frames;
    float frameTime = 0.2f;
    // A non-looping animation must reach its last frame before another one can be selected.
    bool loop = true;

    int frameCount() const;
    bool isLastFrame(int frameIndex) const;
};

} // namespace zelk
