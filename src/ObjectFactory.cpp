#include "ObjectFactory.h"

#include "GameObject.h"

namespace zelk
{

void loadObjects(const TiledMap&, const std::filesystem::path&, SpriteManager&)
{
}

void createObject(const TiledObject&, const TiledLayer&, const std::filesystem::path&, SpriteManager&)
{
}

std::shared_ptr<GameObject> createSprite(const TiledObject&, const std::string&, const std::filesystem::path&,
                                         SpriteManager&)
{
    return {};
}

std::shared_ptr<GameObject> createCollider(const TiledObject&)
{
    return {};
}

std::shared_ptr<GameObject> createTrigger(const TiledObject&)
{
    return {};
}

std::shared_ptr<GameObject> createSpawner(const TiledObject&, const std::string&, SpriteManager&,
                                          const std::filesystem::path&)
{
    return {};
}

void addDirectionalAnimations(AnimationRenderComponent&, int, int, bool, float, sf::Vector2i, sf::Vector2i, float)
{
}

} // namespace zelk
