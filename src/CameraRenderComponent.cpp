#include "CameraRenderComponent.h"

#include <cmath>

namespace zelk
{

namespace
{

// Nearest multiple of the grid; halves go away from zero.
double snapToGrid(double value)
{
    return std::round(value / CameraRenderComponent::GridSize) * CameraRenderComponent::GridSize;
}

} // namespace

CameraRenderComponent::CameraRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow, sf::View view,
                                             sf::Vector2i mapSize)
    : IRenderComponent(gameObject, renderWindow)
    , m_view(std::move(view))
    , m_mapSize(mapSize)
{
}

bool CameraRenderComponent::init()
{
    if (m_mapSize.x <= 0 || m_mapSize.y <= 0)
    {
        // No map was loaded: there is nothing to frame, so show the window as it is.
        m_view = m_renderWindow.getDefaultView();
        m_renderWindow.setView(m_view);
        return true;
    }

    // Half sizes in single precision, the snapping in double.
    const float halfWidth = static_cast<float>(m_mapSize.x) * 0.5f;
    const float halfHeight = static_cast<float>(m_mapSize.y) * 0.5f;
    const double centreX = snapToGrid(halfWidth);
    const double centreY = snapToGrid(halfHeight);

    const sf::Vector2u windowSize = m_renderWindow.getSize();
    const double windowWidth = snapToGrid(windowSize.x);
    const double windowHeight = snapToGrid(windowSize.y);
    const double mapHeight = m_mapSize.y;

    // A window less than half a grid unit wide or high has no snapped aspect ratio; the map's own
    // aspect then avoids dividing by zero and an empty view.
    double viewWidth = m_mapSize.x;
    if (windowWidth > 0.0 && windowHeight > 0.0)
    {
        const double ratio = windowHeight / mapHeight;
        viewWidth = std::round(windowWidth / ratio);
    }

    m_view.setCenter(static_cast<float>(centreX), static_cast<float>(centreY));
    m_view.setSize(static_cast<float>(viewWidth), static_cast<float>(mapHeight));
    m_renderWindow.setView(m_view);
    return true;
}

void CameraRenderComponent::update(float)
{
}

void CameraRenderComponent::draw()
{
}

} // namespace zelk
