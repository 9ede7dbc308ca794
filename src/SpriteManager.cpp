#include "SpriteManager.h"

#include "GameObject.h"
#include "IRenderComponent.h"
#include "RenderableCreateEvent.h"
#include "RenderableDestroyEvent.h"
#include "TraceTimer.h"

#include <SFML/System/Err.hpp>

namespace zelk
{

SpriteManager::SpriteManager(sf::RenderWindow& renderWindow)
    : m_renderWindow(renderWindow)
{
}

SpriteManager::~SpriteManager()
{
    if (m_createSubscription.isActive())
        shutdown();
}

void SpriteManager::init()
{
    m_createSubscription = Subscription(RenderableCreateEvent::Type, [this](std::shared_ptr<IEvent> event) {
        const auto created = std::static_pointer_cast<RenderableCreateEvent>(event);
        setLayer(created->m_layerName, &created->getData());
    });
    m_destroySubscription = Subscription(RenderableDestroyEvent::Type, [this](std::shared_ptr<IEvent> event) {
        const auto destroyed = std::static_pointer_cast<RenderableDestroyEvent>(event);
        removeComponent(&destroyed->getData());
    });
}

void SpriteManager::shutdown()
{
    m_layerOrder.clear();
    m_layers.clear();
    m_componentLayer.clear();
    m_tileSetTextures.clear();
    m_camera = nullptr;
    m_createSubscription.reset();
    m_destroySubscription.reset();
}

void SpriteManager::setLayerOrder(std::vector<std::string> order)
{
    m_layerOrder = std::move(order);
}

void SpriteManager::setCamera(IRenderComponent* camera)
{
    m_camera = camera;
}

void SpriteManager::setLayer(const std::string& layerName, IRenderComponent* component)
{
    const auto known = m_componentLayer.find(component);
    if (known != m_componentLayer.end())
    {
        const std::string oldName = known->second;
        sf::err() << "src/SpriteManager Line: 59 Removing component from layer, before adding to new layer. from "
                  << oldName << " to " << layerName << std::endl;
        m_layers[oldName].remove(component);
    }
    m_componentLayer[component] = layerName;
    m_layers[layerName].push_back(component);
}

void SpriteManager::removeComponent(IRenderComponent* component)
{
    const auto known = m_componentLayer.find(component);
    if (known == m_componentLayer.end())
        return;
    const auto layer = m_layers.find(known->second);
    if (layer != m_layers.end())
        layer->second.remove(component);
    m_componentLayer.erase(known);
}

void SpriteManager::draw()
{
    if (m_camera)
        m_camera->draw();
    for (const std::string& name : m_layerOrder)
    {
        TraceTimer timer(name);
        const auto layer = m_layers.find(name);
        if (layer == m_layers.end())
            continue;
        for (IRenderComponent* component : layer->second)
        {
            if (component->getGameObject().isActive())
                component->draw();
        }
    }
}

void SpriteManager::setTileSetTextures(std::unordered_map<std::string, std::shared_ptr<sf::Texture>> textures)
{
    m_tileSetTextures = std::move(textures);
}

std::list<IRenderComponent*> SpriteManager::getLayer(const std::string& layerName) const
{
    const auto layer = m_layers.find(layerName);
    return layer == m_layers.end() ? std::list<IRenderComponent*>{} : layer->second;
}

std::string SpriteManager::getLayerOf(IRenderComponent* component) const
{
    const auto known = m_componentLayer.find(component);
    return known == m_componentLayer.end() ? std::string{} : known->second;
}

} // namespace zelk
