#pragma once
// A fixed pool of complete, parked item game objects (rocks and bombs) built when the map loads.
// Nothing is created or destroyed during a match: spawning only brings a parked slot back into play.

#include <SFML/Graphics/Rect.hpp>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace sf
{
class RenderWindow;
}

namespace zelk
{

class GameObject;

class ItemPool
{
public:
    static constexpr int ROCK = 0;
    static constexpr int BOMB = 1;
    static constexpr int KIND_COUNT = 2;
    static constexpr int BOMB_IDLE_FRAMES = 4;
    static constexpr int BOMB_EXPLOSION_FRAMES = 8;

    // Entry 0 of every list describes the rock, entry 1 the bomb. Every item is announced with a
    // GameObjectCreateEvent, so the game object manager holds it for the whole match.
    ItemPool(int poolSize, sf::RenderWindow& renderWindow, const std::array<std::string, KIND_COUNT>& texturePaths,
             const std::array<sf::IntRect, KIND_COUNT>& textureRects, const std::array<float, KIND_COUNT>& densities,
             const std::array<float, KIND_COUNT>& spawnRates, const std::string& layerName);

    // The item of the slot whose turn it is, advancing the turn; empty for a pool without slots.
    std::shared_ptr<GameObject> takeNextItem();

    const std::vector<std::shared_ptr<GameObject>>& getItems() const { return m_items; }

    // Running sums of the rates that the kind draws are compared against. Rates that add up to less
    // than 1 are scaled up so every draw finds a kind; unusable rates (negative, NaN) count as 0.
    static std::array<float, KIND_COUNT> kindThresholds(const std::array<float, KIND_COUNT>& spawnRates);

    // The pixel area of its image that a kind's frames are cut from: the rock shows its texture
    // rectangle; the bomb uses only the rectangle's size, idle frames in the sheet's first row
    // and the explosion in its second.
    static sf::IntRect sheetAreaOf(int kind, const sf::IntRect& textureRect);

private:
    std::vector<std::shared_ptr<GameObject>> m_items;
    unsigned int m_nextIndex = 0;

    // Numbers items across every pool of the process, so names are unique between spawners.
    static int s_itemCounter;
};

} // namespace zelk
