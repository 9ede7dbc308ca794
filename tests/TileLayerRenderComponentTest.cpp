// The tile layer component: its batched drawing puts exactly the pixels
// on screen that drawing its sprites one by one would.

#include "TileLayerRenderComponent.h"

#include "GameObject.h"

#include "TestSupport.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

using zelk::GameObject;
using zelk::TileLayerData;
using zelk::TileLayerRenderComponent;
using zelk::TileSprite;

std::shared_ptr<sf::Texture> loadTexture(const std::string& fileName)
{
    auto texture = std::make_shared<sf::Texture>();
    EXPECT_TRUE(texture->loadFromFile((zelk::test::sourceDir() / "tests/data/maps" / fileName).string()));
    return texture;
}

std::shared_ptr<sf::Sprite> makeSprite(const sf::Texture& texture, sf::IntRect rect, sf::Vector2f position)
{
    auto sprite = std::make_shared<sf::Sprite>();
    sprite->setTexture(texture);
    sprite->setTextureRect(rect);
    sprite->setPosition(position);
    return sprite;
}

sf::Image captureWindow(sf::RenderWindow& window)
{
    sf::Texture texture;
    EXPECT_TRUE(texture.create(window.getSize().x, window.getSize().y));
    texture.update(window);
    return texture.copyToImage();
}

// Number of differing pixels; the first difference goes into the failure text.
std::size_t countDifferentPixels(const sf::Image& expected, const sf::Image& actual, std::string& firstDifference)
{
    if (expected.getSize() != actual.getSize())
    {
        firstDifference = "sizes differ";
        return expected.getSize().x * expected.getSize().y;
    }
    std::size_t different = 0;
    for (unsigned y = 0; y < expected.getSize().y; ++y)
    {
        for (unsigned x = 0; x < expected.getSize().x; ++x)
        {
            if (expected.getPixel(x, y) == actual.getPixel(x, y))
                continue;
            if (different++ == 0)
                firstDifference = "first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    }
    return different;
}

bool hasNonBackgroundPixel(const sf::Image& image, sf::Color background)
{
    for (unsigned y = 0; y < image.getSize().y; ++y)
    {
        for (unsigned x = 0; x < image.getSize().x; ++x)
        {
            if (image.getPixel(x, y) != background)
                return true;
        }
    }
    return false;
}

class TileLayerRenderComponentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_tilesA = loadTexture("tiles-a.png");
        m_tilesB = loadTexture("tiles-b.png");
    }

    TileLayerData layerNamed(const std::string& name) const
    {
        TileLayerData layer;
        layer.name = name;
        layer.size = {5, 3};
        layer.tileSize = {32, 32};
        return layer;
    }

    void addTile(TileLayerData& layer, int cell, const sf::Texture& texture, sf::IntRect rect) const
    {
        const sf::Vector2f position(static_cast<float>(32 * (cell % 5)), static_cast<float>(32 * (cell / 5)));
        layer.tiles.push_back({cell, makeSprite(texture, rect, position)});
    }

    // Tiles from both textures in mixed runs, a transparent corner over another tile, sprites off
    // the grid, tinted, scaled and rotated: whatever a sprite can be, the batch must match it.
    TileLayerData mixedLayer() const
    {
        TileLayerData layer = layerNamed("Background");
        addTile(layer, 0, *m_tilesA, {0, 0, 32, 32});
        addTile(layer, 1, *m_tilesA, {32, 0, 32, 32});
        addTile(layer, 2, *m_tilesB, {64, 0, 32, 32});
        addTile(layer, 3, *m_tilesB, {0, 0, 32, 32});
        addTile(layer, 4, *m_tilesA, {32, 32, 32, 32});
        addTile(layer, 7, *m_tilesA, {0, 32, 32, 32});
        addTile(layer, 14, *m_tilesB, {32, 0, 32, 32});
        auto overlapping = makeSprite(*m_tilesA, {32, 32, 32, 32}, {12.5f, 7.25f});
        layer.tiles.push_back({15, overlapping});
        auto tinted = makeSprite(*m_tilesB, {32, 0, 32, 32}, {100.f, 70.f});
        tinted->setColor(sf::Color(255, 128, 64, 200));
        tinted->setScale(1.5f, 0.75f);
        tinted->setRotation(17.f);
        layer.tiles.push_back({16, tinted});
        return layer;
    }

    std::shared_ptr<sf::Texture> m_tilesA;
    std::shared_ptr<sf::Texture> m_tilesB;
};

const sf::Color ClearColor(30, 60, 90);

void expectSamePixelsAsSpritesOneByOne(const TileLayerData& layer, const sf::View& view)
{
    sf::RenderWindow& window = zelk::test::testWindow();
    window.setView(view);
    window.clear(ClearColor);
    for (const TileSprite& tile : layer.tiles)
        window.draw(*tile.sprite);
    const sf::Image expected = captureWindow(window);

    auto object = std::make_shared<GameObject>("TileMap");
    auto component = object->addComponent<TileLayerRenderComponent>(*object, window, layer);
    window.clear(ClearColor);
    component->draw();
    const sf::Image actual = captureWindow(window);
    window.setView(window.getDefaultView());

    ASSERT_TRUE(hasNonBackgroundPixel(expected, ClearColor)) << "the sprites drew nothing to compare";
    std::string firstDifference;
    EXPECT_EQ(countDifferentPixels(expected, actual, firstDifference), 0u) << firstDifference;
}

} // namespace

TEST_F(TileLayerRenderComponentTest, DrawsTheSamePixelsAsItsSpritesOneByOne)
{
    // Also through a view that scales, as the arena camera does: 1290 x 720 map pixels onto the window.
    sf::View scaling;
    scaling.setCenter(64.f, 48.f);
    scaling.setSize(129.f, 72.f);
    for (const sf::View& view : {zelk::test::testWindow().getDefaultView(), scaling})
        expectSamePixelsAsSpritesOneByOne(mixedLayer(), view);
}

TEST_F(TileLayerRenderComponentTest, OneDrawCallPerRunOfTilesSharingATexture)
{
    TileLayerData layer = layerNamed("Top");
    addTile(layer, 0, *m_tilesA, {0, 0, 32, 32});
    addTile(layer, 1, *m_tilesA, {32, 0, 32, 32});
    addTile(layer, 2, *m_tilesB, {0, 0, 32, 32});
    addTile(layer, 3, *m_tilesB, {32, 0, 32, 32});
    addTile(layer, 4, *m_tilesA, {0, 32, 32, 32});
    auto object = std::make_shared<GameObject>("TileMap");
    auto component = object->addComponent<TileLayerRenderComponent>(*object, zelk::test::testWindow(), layer);
    EXPECT_EQ(component->getDrawCallCount(), 3u);
    EXPECT_EQ(component->getLayerData().tiles.size(), 5u) << "the tile records are kept";
    EXPECT_EQ(component->getLayerData().tiles[2].cellIndex, 2);
}

TEST_F(TileLayerRenderComponentTest, SpritesWithoutTextureDrawNothingAsBefore)
{
    TileLayerData layer = layerNamed("Top");
    addTile(layer, 0, *m_tilesA, {0, 0, 32, 32});
    layer.tiles.push_back({1, std::make_shared<sf::Sprite>()});
    layer.tiles.push_back({2, nullptr});
    addTile(layer, 3, *m_tilesA, {32, 0, 32, 32});
    auto object = std::make_shared<GameObject>("TileMap");
    auto component = object->addComponent<TileLayerRenderComponent>(*object, zelk::test::testWindow(), layer);
    EXPECT_EQ(component->getDrawCallCount(), 1u) << "the textured neighbours still share one run";

    TileLayerData drawable = layer;
    drawable.tiles.erase(drawable.tiles.begin() + 1, drawable.tiles.begin() + 3);
    expectSamePixelsAsSpritesOneByOne(drawable, zelk::test::testWindow().getDefaultView());
}

TEST_F(TileLayerRenderComponentTest, AnEmptyLayerDrawsNothing)
{
    sf::RenderWindow& window = zelk::test::testWindow();
    auto object = std::make_shared<GameObject>("TileMap");
    auto component = object->addComponent<TileLayerRenderComponent>(*object, window, layerNamed("Objects"));
    EXPECT_TRUE(component->init());
    EXPECT_EQ(component->getDrawCallCount(), 0u);
    window.clear(ClearColor);
    component->draw();
    EXPECT_FALSE(hasNonBackgroundPixel(captureWindow(window), ClearColor));
}

TEST_F(TileLayerRenderComponentTest, KeepsTheTexturesItWasGivenAlive)
{
    TileLayerData layer = layerNamed("Background");
    addTile(layer, 0, *m_tilesA, {0, 0, 32, 32});
    const std::weak_ptr<sf::Texture> watch = m_tilesA;
    auto object = std::make_shared<GameObject>("TileMap");
    auto component = object->addComponent<TileLayerRenderComponent>(
        *object, zelk::test::testWindow(), layer, std::vector<std::shared_ptr<const sf::Texture>>{m_tilesA});
    m_tilesA.reset();
    EXPECT_FALSE(watch.expired());
    sf::RenderWindow& window = zelk::test::testWindow();
    window.clear(ClearColor);
    component->draw();
    EXPECT_TRUE(hasNonBackgroundPixel(captureWindow(window), ClearColor));
    component.reset();
    object.reset();
    EXPECT_TRUE(watch.expired());
}
