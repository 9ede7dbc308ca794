#pragma once
// Turns the objects of a map's object layers into game objects: players ("Sprite"), walls
// ("Collider"), falling areas ("Trigger") and item spawners ("Spawner"). Every object made here is
// announced with a GameObjectCreateEvent; the factory itself keeps nothing.

#include <SFML/System/Vector2.hpp>

#include <filesystem>
#include <memory>
#include <string>

namespace zelk
{

class AnimationRenderComponent;
class GameObject;
class SpriteManager;
class TiledLayer;
class TiledMap;
class TiledObject;

// Calls createObject for every object of every layer, in map order.
void loadObjects(const TiledMap& map, const std::filesystem::path& baseDirectory, SpriteManager& spriteManager);

// Builds the game object for one map object by its class; objects of other classes are skipped.
void createObject(const TiledObject& object, const TiledLayer& layer, const std::filesystem::path& baseDirectory,
                  SpriteManager& spriteManager);

std::shared_ptr<GameObject> createSprite(const TiledObject& object, const std::string& layerName,
                                         const std::filesystem::path& baseDirectory, SpriteManager& spriteManager);
std::shared_ptr<GameObject> createCollider(const TiledObject& object);
std::shared_ptr<GameObject> createTrigger(const TiledObject& object);
std::shared_ptr<GameObject> createSpawner(const TiledObject& object, const std::string& layerName,
                                          SpriteManager& spriteManager, const std::filesystem::path& baseDirectory);

// Adds the down, up, right and left variants of one animation type. The sheet holds three columns
// side by side (down, up, right); left is the right column mirrored.
void addDirectionalAnimations(AnimationRenderComponent& animation, int type, int frameCount, bool loop,
                              float frameTime, sf::Vector2i start, sf::Vector2i frameSize, float scale);

} // namespace zelk
