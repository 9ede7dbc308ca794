#pragma once
// Plays frame animations from one sprite sheet, chosen by an (animation type, direction) pair.
// Filed on its render layer from construction to destruction through the event bus.
//
// Draws nothing until its creator has added animations and selected one with setAnimation().

#include "Animation.h"
#include "AnimationKey.h"
#include "LayeredRenderComponent.h"
#include "SpriteBlink.h"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <map>
#include <memory>
#include <string>

namespace zelk
{

class AnimationRenderComponent final : public LayeredRenderComponent
{
public:
    // The type before any selection; creators never add an animation under it.
    static constexpr int NO_TYPE = 8;

    AnimationRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow, std::string layerName,
                             std::string texturePath);
    ~AnimationRenderComponent() override;

    // Loads the sprite sheet. A missing sheet is reported by SFML itself and is not fatal.
    bool init() override;
    void update(float deltaTime) override;
    void draw() override;

    // Stores a copy under (type, direction), replacing an earlier one; the selection is kept.
    void addAnimation(int type, int direction, Animation animation);
    // Selects an animation. Ignored while a non-looping animation has not reached its last frame.
    void setAnimation(int type, int direction);
    // Same, keeping the current direction.
    void setAnimation(int type);

    // Every draw with a current animation overwrites its texture rectangle, scale and origin.
    sf::Sprite& getSprite() { return m_sprite; }
    // Alternates invisible and visible phases of interval seconds for duration seconds.
    void startBlinking(float duration, float interval);
    bool isBlinking() const { return m_blink.isBlinking(); }

    /// For testing.
    int getCurrentType() const { return m_currentType; }
    /// For testing.
    int getCurrentDirection() const { return m_currentDirection; }
    // Null until a setAnimation() found an animation with frames.
    /// For testing.
    const Animation* getCurrentAnimation() const { return m_currentAnimation; }
    // The sprite sheet; an empty texture until init() loaded it, or when it could not be loaded.
    const sf::Texture& getTexture() const { return m_sheet ? *m_sheet : m_noSheet; }

private:
    const Animation* findAnimation(int type, int direction) const;
    bool isLockedInNonLoopingAnimation() const;
    // Makes (type, direction) current; the pointer stays null when nothing playable is there.
    void selectAnimation(int type, int direction);
    void restartFrames();
    void stepFrame(float deltaTime);

    std::map<int, std::map<int, Animation>> m_animations;
    sf::Sprite m_sprite;
    std::string m_texturePath;
    // Shared with every component playing the same sheet (the pooled bombs): one decode per match.
    std::shared_ptr<const sf::Texture> m_sheet;
    sf::Texture m_noSheet;
    const Animation* m_currentAnimation = nullptr;
    int m_currentType = NO_TYPE;
    int m_currentDirection = Direction::NONE;
    int m_lastDrawnType = NO_TYPE;
    int m_lastDrawnDirection = Direction::NONE;
    float m_frameTimer = 0.f;
    int m_frameIndex = 0;
    SpriteBlink m_blink;
};

} // namespace zelk
