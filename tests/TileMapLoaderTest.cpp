// Loading a map's tilesets and layers into the "TileMap" object: progress lines, tile rectangles and
// positions, announcements, cells that cannot be drawn, and the pixels against the editor's render.

#include "TileMapLoader.h"

#include "CameraRenderComponent.h"
#include "EventBus.h"
#include "GameObjectCreateEvent.h"
#include "RenderableCreateEvent.h"
#include "TileLayerRenderComponent.h"

#include "TestSupport.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Err.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using zelk::GameObject;
using zelk::TileLayerRenderComponent;
using zelk::TiledMap;
using zelk::TileSprite;

std::filesystem::path mapsDir()
{
    return zelk::test::sourceDir() / "tests" / "data" / "maps";
}

sf::Image captureWindow(sf::RenderWindow& window)
{
    sf::Texture texture;
    EXPECT_TRUE(texture.create(window.getSize().x, window.getSize().y));
    texture.update(window);
    return texture.copyToImage();
}

std::size_t countOccurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A map drawn by the editor's own renderer (tmxrasterizer; tools/drawing_tests.py and
// tools/generate_assets.py make the renders), and what the game must draw of it through the camera.
struct EditorRender
{
    const char* name;
    // Relative to the source tree; the tileset images lie beside the map.
    const char* map;
    std::vector<std::string> layers;
    const char* render;
    // Share of the map's pixels, over black, that must match the render within 1 per channel.
    double equalShare;
};

void PrintTo(const EditorRender& render, std::ostream* out)
{
    *out << render.name;
}

// How much of a map a drawing shows as the editor's render does: the editor's pixel laid over the
// black the window was cleared to, within the tolerance per channel. Screen pixel (x, y) shows map
// pixel (x + offset.x, y + offset.y).
struct EditorComparison
{
    std::size_t compared = 0;
    std::size_t equal = 0;
    std::string firstDifference;
};

EditorComparison compareWithEditor(const sf::Image& drawn, const sf::Image& reference, sf::Vector2i offset,
                                   int tolerance)
{
    EditorComparison result;
    const sf::Vector2i mapSize(reference.getSize());
    for (int y = 0; y < static_cast<int>(drawn.getSize().y); ++y)
    {
        for (int x = 0; x < static_cast<int>(drawn.getSize().x); ++x)
        {
            const int mapX = x + offset.x;
            const int mapY = y + offset.y;
            if (mapX < 0 || mapY < 0 || mapX >= mapSize.x || mapY >= mapSize.y)
                continue;
            const sf::Color editor = reference.getPixel(static_cast<unsigned>(mapX), static_cast<unsigned>(mapY));
            const auto overBlack = [&](sf::Uint8 channel) { return (channel * editor.a + 127) / 255; };
            const auto near = [&](sf::Uint8 game, sf::Uint8 channel) {
                return std::abs(game - overBlack(channel)) <= tolerance;
            };
            const sf::Color game = drawn.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y));
            ++result.compared;
            if (near(game.r, editor.r) && near(game.g, editor.g) && near(game.b, editor.b))
                ++result.equal;
            else if (result.firstDifference.empty())
                result.firstDifference = "first at map (" + std::to_string(mapX) + ", " + std::to_string(mapY) + ")";
        }
    }
    return result;
}

class TileMapLoaderTest : public ::testing::TestWithParam<EditorRender>
{
protected:
    void SetUp() override
    {
        m_spriteManager.init();
        auto& bus = zelk::EventBus::getInstance();
        m_listenerIds.push_back(bus.addListener(zelk::GameObjectCreateEvent::Type, [this](auto event) {
            const auto created = std::static_pointer_cast<zelk::GameObjectCreateEvent>(event)->getData();
            m_announced.push_back(created);
            m_eventLog.push_back("object " + created->getId() + " with " +
                                 std::to_string(created->getComponents().size()) + " components");
        }));
        m_listenerIds.push_back(bus.addListener(zelk::RenderableCreateEvent::Type, [this](auto event) {
            m_eventLog.push_back("layer " + std::static_pointer_cast<zelk::RenderableCreateEvent>(event)->m_layerName);
        }));
    }

    void TearDown() override
    {
        m_tileMap.reset();
        m_announced.clear();
        m_spriteManager.shutdown();
        for (const auto id : m_listenerIds)
            zelk::EventBus::getInstance().removeListener(id);
    }

    void load(const std::string& fileName) { loadFrom(mapsDir() / fileName); }

    void loadFrom(const std::filesystem::path& path)
    {
        ASSERT_TRUE(m_map.loadFromFile(path)) << m_map.getError();
        m_tileMap = zelk::loadTileLayers(m_map, path.parent_path(), m_spriteManager);
        ASSERT_NE(m_tileMap, nullptr);
    }

    TileLayerRenderComponent& layer(const std::string& name) const
    {
        const auto components = m_spriteManager.getLayer(name);
        if (components.size() != 1u)
            throw std::runtime_error("expected one component on layer " + name);
        return dynamic_cast<TileLayerRenderComponent&>(*components.front());
    }

    const TileSprite& tileAt(const std::string& layerName, int cellIndex) const
    {
        for (const TileSprite& tile : layer(layerName).getLayerData().tiles)
        {
            if (tile.cellIndex == cellIndex)
                return tile;
        }
        throw std::runtime_error("no tile at cell " + std::to_string(cellIndex));
    }

    zelk::SpriteManager m_spriteManager{zelk::test::testWindow()};
    TiledMap m_map;
    std::shared_ptr<GameObject> m_tileMap;
    std::vector<std::shared_ptr<GameObject>> m_announced;
    std::vector<std::string> m_eventLog;
    std::vector<zelk::ListenerId> m_listenerIds;
};

} // namespace

TEST_F(TileMapLoaderTest, PrintsItsProgressLinesInOrder)
{
    zelk::test::StreamCapture out(std::cout);
    load("editor-csv.tmj");
    EXPECT_EQ(out.text(), "Load tileMap with size: 5x3 and tile size: 32x32\n"
                          "Load tileset: tiles-a width filename: \"tiles-a.png\" and tile size: 32, 32\n"
                          "Load tileset: tiles-b width filename: \"tiles-b.png\" and tile size: 32, 32\n"
                          "Load layer: Background with width: 5 and height: 3\n"
                          "Load layer: Top with width: 5 and height: 3\n"
                          "Load layer: Objects with width: 0 and height: 0\n"
                          "Load layer: Picture with width: 0 and height: 0\n"
                          "Load layer: Overlay with width: 5 and height: 3\n");
}

// Which tiles are kept; where each is cut from and drawn shows in the pixels compared below.
TEST_F(TileMapLoaderTest, KeepsOnlyNonEmptyCellsInCellOrderAndObjectLayersEmpty)
{
    load("editor-csv.tmj");
    const auto& tiles = layer("Top").getLayerData().tiles;
    ASSERT_EQ(tiles.size(), 3u);
    EXPECT_EQ(tiles[0].cellIndex, 2);
    EXPECT_EQ(tiles[1].cellIndex, 6);
    EXPECT_EQ(tiles[2].cellIndex, 14);
    EXPECT_EQ(layer("Background").getLayerData().tiles.size(), 14u);
    EXPECT_EQ(layer("Top").getLayerData().size, sf::Vector2i(5, 3));
    EXPECT_EQ(layer("Top").getLayerData().tileSize, sf::Vector2i(32, 32));
    EXPECT_TRUE(layer("Objects").getLayerData().tiles.empty());
    EXPECT_EQ(layer("Objects").getLayerData().size, sf::Vector2i(0, 0));
    EXPECT_TRUE(layer("Picture").getLayerData().tiles.empty());
}

TEST_F(TileMapLoaderTest, AnnouncesTheTileMapBeforeItsLayers)
{
    load("editor-csv.tmj");
    const std::vector<std::string> expected = {"object TileMap with 0 components", "layer Background", "layer Top",
                                               "layer Objects", "layer Picture", "layer Overlay"};
    EXPECT_EQ(m_eventLog, expected);
    ASSERT_EQ(m_announced.size(), 1u);
    EXPECT_EQ(m_announced[0], m_tileMap);
    EXPECT_EQ(m_tileMap->getId(), "TileMap");
    EXPECT_EQ(m_tileMap->getComponents().size(), 5u);
}

TEST_F(TileMapLoaderTest, DrawsEachLayerAsTheEditorRendersIt)
{
    load("editor-csv.tmj");
    sf::RenderWindow& window = zelk::test::testWindow();
    window.setView(window.getDefaultView());
    for (const std::string name : {"Background", "Top"})
    {
        // Reference: the editor's own renderer, tmxrasterizer --show-layer <name> editor-csv.tmx.
        sf::Image reference;
        const std::string file = "editor-csv-" + std::string(name == "Top" ? "top" : "background") + ".png";
        ASSERT_TRUE(reference.loadFromFile((mapsDir() / file).string()));
        ASSERT_EQ(reference.getSize(), sf::Vector2u(160, 96));

        window.clear(sf::Color::Black);
        layer(name).draw();
        // The tiles are opaque or fully transparent, so over black the editor's colour is exact.
        const EditorComparison comparison = compareWithEditor(captureWindow(window), reference, {0, 0}, 0);
        EXPECT_EQ(comparison.compared, 160u * 96u) << name;
        EXPECT_EQ(comparison.equal, comparison.compared) << name << ": " << comparison.firstDifference;
    }
}

TEST_F(TileMapLoaderTest, SkipsCellsItCannotDrawWithOneMessagePerLayer)
{
    zelk::test::StreamCapture errors(sf::err());
    load("odd-cells.tmj");
    const std::string text = errors.text();
    std::ostringstream missing;
    missing << "Could not load texture " << (mapsDir() / "no-such-image.png") << "\n";
    EXPECT_NE(text.find(missing.str()), std::string::npos) << text;
    EXPECT_NE(text.find("Skipped 4 cells of layer \"Background\": 1 with flipped or rotated tiles (not supported), "
                        "1 whose tile id no tileset covers, 1 of a tileset whose image did not load, "
                        "1 whose tile lies outside its tileset image\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Skipped 2 cells of layer \"Top\": 2 with flipped or rotated tiles (not supported)\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(countOccurrences(text, "Skipped "), 2u) << "one line per layer with skipped cells: " << text;

    const auto& background = layer("Background").getLayerData().tiles;
    ASSERT_EQ(background.size(), 2u);
    EXPECT_EQ(background[0].cellIndex, 0);
    EXPECT_EQ(background[1].cellIndex, 5);
    EXPECT_EQ(layer("Clean").getLayerData().tiles.size(), 4u);
}

TEST_F(TileMapLoaderTest, ATilesetImageNarrowerThanOneTileGivesNoColumnsToCutFrom)
{
    zelk::test::StreamCapture errors(sf::err());
    load("wide-tiles.tmj");
    EXPECT_EQ(errors.text(),
              "Tileset \"tiles-a\" has tiles of 32 x 32 pixels on the map's grid of 128 x 128; the game cuts and "
              "draws every tile in the grid's size, so they do not look as in the editor\n"
              "Skipped 2 cells of layer \"Background\": 2 of a tileset whose image is narrower than one tile\n");
    EXPECT_TRUE(layer("Background").getLayerData().tiles.empty());
}

TEST_F(TileMapLoaderTest, TilesetsSharingANameEachDrawFromTheirOwnImage)
{
    load("same-name-tilesets.tmj");
    const sf::Sprite& first = *tileAt("Background", 0).sprite;
    const sf::Sprite& second = *tileAt("Background", 1).sprite;
    ASSERT_NE(first.getTexture(), nullptr);
    ASSERT_NE(second.getTexture(), nullptr);
    EXPECT_EQ(first.getTexture()->getSize(), sf::Vector2u(64, 64)) << "gid 1 is cut from tiles-a.png";
    EXPECT_EQ(second.getTexture()->getSize(), sf::Vector2u(96, 32)) << "gid 5 is cut from tiles-b.png";

    // The first image lives on with the layer even when nothing else holds it any more.
    m_spriteManager.setTileSetTextures({});
    sf::Image tilesA;
    ASSERT_TRUE(tilesA.loadFromFile((mapsDir() / "tiles-a.png").string()));
    sf::RenderWindow& window = zelk::test::testWindow();
    window.setView(window.getDefaultView());
    window.clear();
    layer("Background").draw();
    EXPECT_EQ(captureWindow(window).getPixel(3, 4), tilesA.getPixel(3, 4));
}

TEST_F(TileMapLoaderTest, AMapThatDidNotLoadGivesAnEmptyTileMap)
{
    zelk::test::StreamCapture out(std::cout);
    const TiledMap empty;
    m_tileMap = zelk::loadTileLayers(empty, mapsDir(), m_spriteManager);
    EXPECT_EQ(out.text(), "Load tileMap with size: 0x0 and tile size: 0x0\n");
    ASSERT_NE(m_tileMap, nullptr);
    EXPECT_TRUE(m_tileMap->getComponents().empty());
    EXPECT_EQ(m_announced.size(), 1u);
}

// Every feature the game draws as the editor does, one map each, pixel for pixel through the camera.
TEST_P(TileMapLoaderTest, DrawsThroughTheCameraAsTheEditorRendersIt)
{
    const EditorRender& expected = GetParam();
    const auto mapPath = zelk::test::sourceDir() / expected.map;
    const auto renderPath = zelk::test::sourceDir() / expected.render;
    if (!std::filesystem::exists(mapPath) || !std::filesystem::exists(renderPath))
        GTEST_SKIP() << "the map or its editor render is not in the tree";
    sf::RenderWindow& window = zelk::test::testWindow();
    if (window.getSize() != sf::Vector2u(1376, 768))
        GTEST_SKIP() << "the test window is not 1376 x 768; the window manager resized it";

    {
        zelk::test::StreamCapture errors(sf::err());
        loadFrom(mapPath);
        EXPECT_EQ(errors.text(), "") << "every cell must be drawable";
    }
    const sf::Vector2i mapSize(m_map.getWidth() * m_map.getTileWidth(), m_map.getHeight() * m_map.getTileHeight());
    auto cameraObject = std::make_shared<GameObject>("Camera");
    auto camera =
        cameraObject->addComponent<zelk::CameraRenderComponent>(*cameraObject, window, window.getView(), mapSize);
    ASSERT_TRUE(cameraObject->init());
    const sf::View& view = window.getView();
    ASSERT_EQ(view.getSize(), sf::Vector2f(window.getSize())) << "the comparison assumes the camera does not scale";
    // Screen pixel (x, y) shows map pixel (x + offset.x, y + offset.y).
    const sf::Vector2f corner = view.getCenter() - view.getSize() / 2.f;
    const sf::Vector2i offset(static_cast<int>(corner.x), static_cast<int>(corner.y));

    sf::Image reference;
    ASSERT_TRUE(reference.loadFromFile(renderPath.string()));
    ASSERT_EQ(reference.getSize(), sf::Vector2u(mapSize));
    window.clear(sf::Color::Black);
    for (const std::string& name : expected.layers)
        layer(name).draw();
    const sf::Image drawn = captureWindow(window);

    const EditorComparison comparison = compareWithEditor(drawn, reference, offset, 1);
    EXPECT_GT(comparison.compared, 0u);
    EXPECT_GE(static_cast<double>(comparison.equal), expected.equalShare * static_cast<double>(comparison.compared))
        << comparison.equal << " of " << comparison.compared << " pixels equal; " << comparison.firstDifference;
}

INSTANTIATE_TEST_SUITE_P(
    Maps, TileMapLoaderTest,
    ::testing::Values(
        EditorRender{"ArenaBackground", "assets/game.tmj", {"Background"}, "tests/data/arena-background.png", 1.0},
        EditorRender{"ArenaTop", "assets/game.tmj", {"Top"}, "tests/data/arena-top.png", 1.0},
        EditorRender{"MarginAndSpacing", "tests/data/drawing/spacing.tmj", {"Background"},
                     "tests/data/drawing/spacing-editor.png", 0.99},
        EditorRender{"TransparentColourAndLayerOpacity", "tests/data/drawing/transparency.tmj", {"Background", "Top"},
                     "tests/data/drawing/transparency-editor.png", 0.99}),
    [](const ::testing::TestParamInfo<EditorRender>& info) { return std::string(info.param.name); });
