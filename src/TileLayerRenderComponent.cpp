#include "TileLayerRenderComponent.h"

#include <cstdlib>

namespace zelk
{

TileLayerRenderComponent::TileLayerRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow,
                                                   TileLayerData layer,
                                                   std::vector<std::shared_ptr<const sf::Texture>> textures)
    : LayeredRenderComponent(gameObject, renderWindow, layer.name)
    , m_layer(std::move(layer))
    , m_textures(std::move(textures))
{
    buildTextureRuns();
    announceCreation();
}

TileLayerRenderComponent::~TileLayerRenderComponent()
{
    announceDestruction();
}

bool TileLayerRenderComponent::init()
{
    return true;
}

void TileLayerRenderComponent::update(float)
{
}

void TileLayerRenderComponent::draw()
{
    for (const TextureRun& run : m_runs)
        m_renderWindow.draw(run.vertices, sf::RenderStates(run.texture));
}

void TileLayerRenderComponent::buildTextureRuns()
{
    for (const TileSprite& tile : m_layer.tiles)
    {
        // A sprite without a texture draws nothing, so it has no place in a run either.
        if (tile.sprite && tile.sprite->getTexture())
            appendSprite(*tile.sprite);
    }
}

void TileLayerRenderComponent::appendSprite(const sf::Sprite& sprite)
{
    if (m_runs.empty() || m_runs.back().texture != sprite.getTexture())
    {
        m_runs.emplace_back();
        m_runs.back().texture = sprite.getTexture();
    }

    // The corners and texture coordinates exactly as sf::Sprite builds them, moved by the sprite's
    // transform the way SFML moves small batches (on the CPU, in float), and cut into the two
    // triangles of its strip with their vertices in strip order. Where a pixel samples exactly on a
    // texel edge, even the winding of a triangle decides which texel wins, so none of this is free.
    const sf::IntRect rect = sprite.getTextureRect();
    const float width = static_cast<float>(std::abs(rect.width));
    const float height = static_cast<float>(std::abs(rect.height));
    const float left = static_cast<float>(rect.left);
    const float right = left + static_cast<float>(rect.width);
    const float top = static_cast<float>(rect.top);
    const float bottom = top + static_cast<float>(rect.height);
    const sf::Transform& transform = sprite.getTransform();
    const sf::Color color = sprite.getColor();

    const sf::Vertex corners[4] = {
        sf::Vertex(transform.transformPoint(0.f, 0.f), color, sf::Vector2f(left, top)),
        sf::Vertex(transform.transformPoint(0.f, height), color, sf::Vector2f(left, bottom)),
        sf::Vertex(transform.transformPoint(width, 0.f), color, sf::Vector2f(right, top)),
        sf::Vertex(transform.transformPoint(width, height), color, sf::Vector2f(right, bottom)),
    };
    sf::VertexArray& vertices = m_runs.back().vertices;
    for (const int corner : {0, 1, 2, 1, 2, 3})
        vertices.append(corners[corner]);
}

} // namespace zelk
