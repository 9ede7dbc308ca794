#pragma once
// Decides what is drawn and in which order: render components arrive and leave through the event
// bus (RenderableCreateEvent / RenderableDestroyEvent) and are drawn layer by layer.
//
// The layers hold raw pointers; a component's destroy event is the single way it leaves them, so
// a destroyed component is never drawn.

#include "Subscription.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zelk
{

class IRenderComponent;

class SpriteManager
{
public:
    explicit SpriteManager(sf::RenderWindow& renderWindow);

    SpriteManager(const SpriteManager&) = delete;
    SpriteManager& operator=(const SpriteManager&) = delete;
    // A manager that goes away without shutdown() must not leave listeners pointing at it.
    ~SpriteManager();

    void init();
    void shutdown();

    void setLayerOrder(std::vector<std::string> order);
    // The camera is drawn (a no-op draw) before the layers; it sits in no layer.
    void setCamera(IRenderComponent* camera);
    void setLayer(const std::string& layerName, IRenderComponent* component);
    void removeComponent(IRenderComponent* component);
    void draw();

    // Keeps the match's tileset textures alive as long as the sprites cut from them are drawn.
    void setTileSetTextures(std::unordered_map<std::string, std::shared_ptr<sf::Texture>> textures);

    sf::RenderWindow& getRenderWindow() const { return m_renderWindow; }
    /// For testing.
    IRenderComponent* getCamera() const { return m_camera; }
    /// For testing.
    const std::vector<std::string>& getLayerOrder() const { return m_layerOrder; }
    // Components on a layer in drawing order; empty for an unknown layer.
    /// For testing.
    std::list<IRenderComponent*> getLayer(const std::string& layerName) const;
    // The layer a component is filed under, or an empty string.
    /// For testing.
    std::string getLayerOf(IRenderComponent* component) const;

private:
    sf::RenderWindow& m_renderWindow;
    std::unordered_map<std::string, std::shared_ptr<sf::Texture>> m_tileSetTextures;
    IRenderComponent* m_camera = nullptr;
    std::map<std::string, std::list<IRenderComponent*>> m_layers;
    std::map<IRenderComponent*, std::string> m_componentLayer;
    std::vector<std::string> m_layerOrder;
    Subscription m_createSubscription;
    Subscription m_destroySubscription;
};

} // namespace zelk
