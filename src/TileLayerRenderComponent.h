#pragma once
// Draws one map layer. The tile sprites are baked, once, into one vertex array per run of
// consecutive tiles sharing a texture, so a layer costs a handful of draw calls instead of one per
// tile, with the same pixels as drawing the sprites one by one. Sprites changed after construction
// are therefore not seen.

#include "LayeredRenderComponent.h"
#include "TileLayerData.h"

#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <memory>
#include <vector>

namespace zelk
{

class TileLayerRenderComponent final : public LayeredRenderComponent
{
public:
    // Files itself under the layer's name (RenderableCreateEvent). textures: shared ownership of
    // the textures the sprites use, for callers that do not keep them alive elsewhere.
    TileLayerRenderComponent(GameObject& gameObject, sf::RenderWindow& renderWindow, TileLayerData layer,
                             std::vector<std::shared_ptr<const sf::Texture>> textures = {});
    ~TileLayerRenderComponent() override;

    bool init() override;
    void update(float deltaTime) override;
    // Default render states: the game object's transform is not applied.
    void draw() override;

    /// For testing.
    const TileLayerData& getLayerData() const { return m_layer; }
    // Draw calls per draw().
    /// For testing.
    std::size_t getDrawCallCount() const { return m_runs.size(); }

private:
    struct TextureRun
    {
        const sf::Texture* texture = nullptr;
        sf::VertexArray vertices{sf::Triangles};
    };

    void buildTextureRuns();
    void appendSprite(const sf::Sprite& sprite);

    TileLayerData m_layer;
    std::vector<std::shared_ptr<const sf::Texture>> m_textures;
    std::vector<TextureRun> m_runs;
};

} // namespace zelk
