#pragma once
// The arena's one fixed view: the whole map height, the window's aspect ratio, the centre snapped
// to the 32-pixel grid. Computed and set on the window once, in init(); it does not follow anyone.
// It sits in no render layer: the sprite manager calls its (empty) draw() directly.

#include "IRenderComponent.h"

#include <SFML/Graphics/View.hpp>
#include <SFML/System/Vector2.hpp>

namespace zelk
{

class CameraRenderComponent : public IRenderComponent
{
public:
    // The grid unit of the arena maps, in pixels; deliberately not the map's tile size.
    static constexpr double GridSize = 32.0;

    // mapSize: the map in pixels (tiles x tile size). A map without area keeps the window's
    // default view.
    CameraRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow, sf::View view,
                          sf::Vector2i mapSize);

    bool init() override;
    void update(float deltaTime) override;
    void draw() override;

    const sf::View& getView() const { return m_view; }

private:
    sf::View m_view;
    sf::Vector2i m_mapSize;
};

} // namespace zelk
