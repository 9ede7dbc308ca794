#pragma once
// A drawable component filed on a named render layer. Each final drawable announces itself to the
// sprite manager (RenderableCreateEvent) as the last step of its constructor, once it is whole, and
// leaves (RenderableDestroyEvent) as the first step of its destructor, before it is taken apart: a
// listener may call draw() during either event, and the layers never hold a component that no
// longer exists.

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

    // For the final class's constructor and destructor.
    void announceCreation();
    void announceDestruction();

private:
    std::string m_layerName;
    bool m_announced = false;
};

} // namespace zelk
