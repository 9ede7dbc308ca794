#pragma once
// A drawable component filed on a named render layer: it announces itself to the sprite manager
// (RenderableCreateEvent) when it is made and leaves (RenderableDestroyEvent) when it goes, so the
// layers never hold a component that no longer exists.

#include "IRenderComponent.h"

#include <string>

namespace zelk
{

class LayeredRenderComponent : public IRenderComponent
{
public:
    ~LayeredRenderComponent() override;

    const std::string& getLayerName() const { return m_layerName; }

protected:
    LayeredRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow, std::string layerName);

private:
    std::string m_layerName;
};

} // namespace zelk
