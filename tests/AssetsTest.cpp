// Every file the game loads from "../assets/" opens with SFML and holds what the game's code
// addresses in it: frame rectangles inside the sprite sheets, decodable sounds of the right length,
// and an arena map whose layers, tilesets and objects the loader and the object factory can use.

#include "TestSupport.h"

#include <SFML/Audio/Music.hpp>
#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Text.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using nlohmann::json;

// The game reads its assets relative to its working directory, bin/, and so do these tests.
const std::string ASSETS = "../assets/";

constexpr int MAP_COLUMNS = 43;
constexpr int MAP_ROWS = 24;
constexpr int TILE = 32;
constexpr int MAP_WIDTH = MAP_COLUMNS * TILE;
constexpr int MAP_HEIGHT = MAP_ROWS * TILE;
constexpr std::uint32_t FLIP_BITS = 0xE0000000u;

struct Rect
{
    double x, y, width, height;

    bool overlaps(const Rect& other) const
    {
        return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
               other.y < y + height;
    }
};

// The players' animation table as the object factory builds it: frames, first frame, frame size.
struct AnimationRow
{
    int frames;
    int left;
    int top;
    int size;
};
const std::vector<AnimationRow> PLAYER_ANIMATIONS{{2, 0, 0, 16}, {4, 48, 0, 16}, {4, 96, 0, 32}};
constexpr int DIRECTION_COLUMNS = 3;

json loadMap()
{
    const std::string text = zelk::test::readFile(ASSETS + "game.tmj");
    return json::parse(text, nullptr, false);
}

const json* findLayer(const json& map, const std::string& name)
{
    for (const auto& layer : map["layers"])
        if (layer.value("name", "") == name)
            return &layer;
    return nullptr;
}

std::vector<json> objectsOfType(const json& map, const std::string& type)
{
    std::vector<json> result;
    const json* objects = findLayer(map, "Objects");
    if (objects == nullptr)
        return result;
    for (const auto& object : (*objects)["objects"])
        if (object.value("type", "") == type)
            result.push_back(object);
    return result;
}

const json* findObject(const json& map, const std::string& name)
{
    const json* objects = findLayer(map, "Objects");
    if (objects == nullptr)
        return nullptr;
    for (const auto& object : (*objects)["objects"])
        if (object.value("name", "") == name)
            return &object;
    return nullptr;
}

const json* findProperty(const json& object, const std::string& name)
{
    if (!object.contains("properties"))
        return nullptr;
    for (const auto& property : object["properties"])
        if (property.value("name", "") == name)
            return &property;
    return nullptr;
}

std::string triggerType(const json& object)
{
    const json* property = findProperty(object, "type");
    return property == nullptr ? "" : property->value("value", "");
}

std::vector<json> triggersOfKind(const json& map, const std::string& kind)
{
    std::vector<json> result;
    for (const auto& trigger : objectsOfType(map, "Trigger"))
        if (triggerType(trigger) == kind)
            result.push_back(trigger);
    return result;
}

Rect rectOf(const json& object)
{
    return {object["x"].get<double>(), object["y"].get<double>(), object["width"].get<double>(),
            object["height"].get<double>()};
}

// Players are placed by the centre of their box, everything else by its top-left corner.
Rect playerBox(const json& player)
{
    const Rect rect = rectOf(player);
    return {rect.x - rect.width / 2, rect.y - rect.height / 2, rect.width, rect.height};
}

int intProperty(const json& object, const std::string& name)
{
    const json* property = findProperty(object, name);
    return property == nullptr ? -1 : property->value("value", -1);
}

sf::Image loadImage(const std::string& relativePath)
{
    sf::Image image;
    EXPECT_TRUE(image.loadFromFile(ASSETS + relativePath)) << relativePath;
    return image;
}

bool inside(const sf::IntRect& rect, const sf::Vector2u& size)
{
    return rect.left >= 0 && rect.top >= 0 && rect.width > 0 && rect.height > 0 &&
           rect.left + rect.width <= static_cast<int>(size.x) && rect.top + rect.height <= static_cast<int>(size.y);
}

int opaquePixels(const sf::Image& image, const sf::IntRect& rect)
{
    int count = 0;
    for (int y = rect.top; y < rect.top + rect.height; ++y)
        for (int x = rect.left; x < rect.left + rect.width; ++x)
            if (image.getPixel(x, y).a > 0)
                ++count;
    return count;
}

sf::Image colourKeyed(const std::string& relativePath)
{
    sf::Image image = loadImage(relativePath);
    image.createMaskFromColor(sf::Color::Black, 0);
    return image;
}

// ------------------------------------------------------------------------------------------------
// Font

TEST(AssetsTest, DrawsEveryPrintableAsciiCharacter)
{
    zelk::test::testWindow();
    sf::Font font;
    ASSERT_TRUE(font.loadFromFile(ASSETS + "fibberish.ttf"));
    for (sf::Uint32 code = 33; code <= 126; ++code)
    {
        const sf::Glyph& glyph = font.getGlyph(code, 40, false);
        EXPECT_GT(glyph.advance, 0.f) << static_cast<char>(code);
        EXPECT_GT(glyph.bounds.width, 0.f) << static_cast<char>(code);
        EXPECT_GT(glyph.bounds.height, 0.f) << static_cast<char>(code);
    }
    const sf::Glyph& space = font.getGlyph(' ', 40, false);
    EXPECT_GT(space.advance, 0.f);
    EXPECT_EQ(space.bounds.width, 0.f);
}

TEST(AssetsTest, DescendersReachBelowTheBaselineAndCapitalsDoNot)
{
    zelk::test::testWindow();
    sf::Font font;
    ASSERT_TRUE(font.loadFromFile(ASSETS + "fibberish.ttf"));
    // Glyph bounds are relative to the baseline, y growing downwards.
    const sf::FloatRect g = font.getGlyph('g', 60, false).bounds;
    const sf::FloatRect b = font.getGlyph('B', 60, false).bounds;
    EXPECT_GT(g.top + g.height, 1.f);
    EXPECT_LE(b.top + b.height, 0.5f);
    EXPECT_LT(b.top, -30.f);
}

TEST(AssetsTest, TitlesFitOnTheScreen)
{
    zelk::test::testWindow();
    sf::Font font;
    ASSERT_TRUE(font.loadFromFile(ASSETS + "fibberish.ttf"));
    const sf::Text title("Bramblot", font, 120);
    const sf::Text winner("Player1 WON!", font, 60);
    const sf::Text hint("Press Menu Button or ESC to go back!", font, 30);
    for (const sf::Text* text : {&title, &winner, &hint})
    {
        const sf::FloatRect bounds = text->getLocalBounds();
        EXPECT_GT(bounds.width, 0.f);
        EXPECT_LT(bounds.width, 1280.f) << std::string(text->getString());
        EXPECT_LT(bounds.height, static_cast<float>(text->getCharacterSize()));
    }
}

// ------------------------------------------------------------------------------------------------
// Sprite sheets and pictures

TEST(AssetsTest, SheetsCoverEveryFrameOfTheAnimationTables)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded());
    for (const std::string name : {"Player0", "Player1"})
    {
        const json* player = findObject(map, name);
        ASSERT_NE(player, nullptr) << name;
        const json* texture = findProperty(*player, "Texture");
        ASSERT_NE(texture, nullptr) << name;
        const sf::Image sheet = loadImage(texture->value("value", ""));
        EXPECT_GE(sheet.getSize().x, 192u);
        EXPECT_GE(sheet.getSize().y, 128u);
        for (const AnimationRow& row : PLAYER_ANIMATIONS)
            for (int column = 0; column < DIRECTION_COLUMNS; ++column)
                for (int frame = 0; frame < row.frames; ++frame)
                {
                    const sf::IntRect rect(row.left + column * row.size, row.top + frame * row.size, row.size,
                                           row.size);
                    ASSERT_TRUE(inside(rect, sheet.getSize())) << name << " frame at " << rect.left << "," << rect.top;
                    EXPECT_GT(opaquePixels(sheet, rect), row.size * row.size / 8)
                        << name << " frame at " << rect.left << "," << rect.top << " is empty";
                    // Real alpha, not a colour key: the frame's corner shows the ground below.
                    EXPECT_EQ(sheet.getPixel(rect.left, rect.top).a, 0) << name;
                }
    }
}

TEST(AssetsTest, TheTwoPlayersLookDifferent)
{
    const sf::Image first = loadImage("Player/player0.png");
    const sf::Image second = loadImage("Player/player1.png");
    ASSERT_EQ(first.getSize(), second.getSize());
    int differing = 0;
    int opaque = 0;
    for (unsigned y = 0; y < first.getSize().y; ++y)
        for (unsigned x = 0; x < first.getSize().x; ++x)
        {
            const sf::Color a = first.getPixel(x, y);
            if (a.a == 0)
                continue;
            ++opaque;
            if (a != second.getPixel(x, y))
                ++differing;
        }
    ASSERT_GT(opaque, 0);
    EXPECT_GT(differing * 4, opaque) << "at least a quarter of a player's pixels must carry its own colour";
}

TEST(AssetsTest, BombSheetHoldsFourIdleAndEightExplosionFrames)
{
    const json map = loadMap();
    const std::vector<json> spawners = objectsOfType(map, "Spawner");
    ASSERT_FALSE(spawners.empty());
    for (const json& spawner : spawners)
    {
        const json* texture = findProperty(spawner, "ItemTexture1");
        ASSERT_NE(texture, nullptr);
        const sf::Image sheet = loadImage(texture->value("value", ""));
        const int width = intProperty(spawner, "TextureWidth1");
        const int height = intProperty(spawner, "TextureHeight1");
        ASSERT_GT(width, 0);
        ASSERT_GT(height, 0);
        for (int frame = 0; frame < 4; ++frame)
        {
            const sf::IntRect idle(frame * width, 0, width, height);
            ASSERT_TRUE(inside(idle, sheet.getSize())) << "idle frame " << frame;
            EXPECT_GT(opaquePixels(sheet, idle), 0) << "idle frame " << frame;
        }
        for (int frame = 0; frame < 8; ++frame)
        {
            const sf::IntRect blast(frame * width, height, width, height);
            ASSERT_TRUE(inside(blast, sheet.getSize())) << "explosion frame " << frame;
            EXPECT_GT(opaquePixels(sheet, blast), 0) << "explosion frame " << frame;
        }
        // Drawn centred on the bomb: the sheet must have real transparency around the bomb.
        EXPECT_EQ(sheet.getPixel(0, 0).a, 0);
    }
}

TEST(AssetsTest, RockRectangleLiesInsideTheRockPictureAndItsGroundIsKeyedOut)
{
    const json map = loadMap();
    for (const json& spawner : objectsOfType(map, "Spawner"))
    {
        const json* texture = findProperty(spawner, "ItemTexture0");
        ASSERT_NE(texture, nullptr);
        const sf::Image rock = colourKeyed(texture->value("value", ""));
        const sf::IntRect rect(intProperty(spawner, "TextureLeft0"), intProperty(spawner, "TextureTop0"),
                               intProperty(spawner, "TextureWidth0"), intProperty(spawner, "TextureHeight0"));
        ASSERT_TRUE(inside(rect, rock.getSize()));
        // About the size of the rock's 15-pixel physics circle, drawn at scale 1.
        EXPECT_GE(rect.width, 24);
        EXPECT_LE(rect.width, 40);
        EXPECT_EQ(rock.getPixel(rect.left, rect.top).a, 0);
        EXPECT_EQ(rock.getPixel(rect.left + rect.width - 1, rect.top + rect.height - 1).a, 0);
        EXPECT_EQ(rock.getPixel(rect.left + rect.width / 2, rect.top + rect.height / 2).a, 255);
    }
}

TEST(AssetsTest, HeartCoversExactlyTheEmptyHeartOnceBlackIsKeyedOut)
{
    const sf::Image heart = colourKeyed("Health/heart.png");
    const sf::Image empty = colourKeyed("Health/background.png");
    ASSERT_EQ(heart.getSize(), empty.getSize());
    ASSERT_GT(heart.getSize().x, 0u);
    int visible = 0;
    for (unsigned y = 0; y < heart.getSize().y; ++y)
        for (unsigned x = 0; x < heart.getSize().x; ++x)
        {
            EXPECT_EQ(heart.getPixel(x, y).a, empty.getPixel(x, y).a) << x << "," << y;
            if (heart.getPixel(x, y).a > 0)
                ++visible;
        }
    EXPECT_GT(visible, static_cast<int>(heart.getSize().x * heart.getSize().y) / 3);
    EXPECT_EQ(heart.getPixel(0, 0).a, 0);
}

TEST(AssetsTest, LogoFitsBelowTheMenuEntries)
{
    const sf::Image logo = loadImage("Logo/kelo_logo.png");
    // Drawn at half size 350 px below the centre of a 1080-pixel-high screen: it must end above
    // the bottom edge and begin below the last menu entry (centred 150 px below the centre).
    const float halfHeight = logo.getSize().y * 0.5f / 2.f;
    EXPECT_GT(halfHeight, 0.f);
    EXPECT_LT(350.f + halfHeight, 540.f - 20.f);
    EXPECT_GT(350.f - halfHeight, 150.f + 30.f);
    EXPECT_LE(logo.getSize().x * 0.5f, 1280.f);
    EXPECT_EQ(logo.getPixel(0, 0).a, 0);
}

TEST(AssetsTest, ControlsPictureFitsTheScreenAtSixtyPercentHeight)
{
    const sf::Image controls = loadImage("Controls.png");
    ASSERT_GT(controls.getSize().y, 0u);
    const float scale = 1080.f / controls.getSize().y * 0.6f;
    EXPECT_LE(controls.getSize().x * scale, 1920.f);
    EXPECT_GE(controls.getSize().x * scale, 640.f);
}

// ------------------------------------------------------------------------------------------------
// Sounds and music

struct EffectExpectation
{
    std::string path;
    float shortest;
    float longest;
};

TEST(AssetsTest, EffectsDecodeWithAudibleContentOfTheRightLength)
{
    const std::vector<EffectExpectation> effects{
        {"Sounds/water.wav", 0.2f, 1.5f},
        {"Sounds/loseHealth2.wav", 0.2f, 1.5f},
        {"Sounds/laserRetro_003.ogg", 0.1f, 1.0f},
        {"Sounds/explosionCrunch_003.ogg", 0.6f, 0.8f},
    };
    for (const EffectExpectation& effect : effects)
    {
        sf::SoundBuffer buffer;
        ASSERT_TRUE(buffer.loadFromFile(ASSETS + effect.path)) << effect.path;
        ASSERT_GT(buffer.getSampleCount(), 0u) << effect.path;
        const float seconds = buffer.getDuration().asSeconds();
        EXPECT_GE(seconds, effect.shortest) << effect.path;
        EXPECT_LE(seconds, effect.longest) << effect.path;
        const sf::Int16* samples = buffer.getSamples();
        const auto loudest = std::max_element(samples, samples + buffer.getSampleCount(),
                                              [](sf::Int16 a, sf::Int16 b) { return std::abs(a) < std::abs(b); });
        EXPECT_GT(std::abs(*loudest), 8000) << effect.path << " is nearly silent";
        EXPECT_LT(std::abs(*loudest), 32767) << effect.path << " clips";
    }
}

TEST(AssetsTest, OpensAsAStreamAndLastsAtLeastFortyFiveSeconds)
{
    sf::Music music;
    ASSERT_TRUE(music.openFromFile(ASSETS + "Sounds/pixel-sky.wav"));
    EXPECT_GE(music.getDuration().asSeconds(), 45.f);
    EXPECT_GT(music.getSampleRate(), 0u);
}

TEST(AssetsTest, LoopPointJoinsWithoutAClick)
{
    sf::SoundBuffer buffer;
    ASSERT_TRUE(buffer.loadFromFile(ASSETS + "Sounds/pixel-sky.wav"));
    const std::size_t count = buffer.getSampleCount();
    ASSERT_GT(count, 2u);
    const sf::Int16* samples = buffer.getSamples();
    std::vector<int> steps;
    steps.reserve(count - 1);
    for (std::size_t i = 1; i < count; ++i)
        steps.push_back(std::abs(samples[i] - samples[i - 1]));
    std::nth_element(steps.begin(), steps.begin() + steps.size() * 95 / 100, steps.end());
    const int usualLargeStep = steps[steps.size() * 95 / 100];
    // Looping plays the last sample, then the first: that step must look like any other.
    EXPECT_LE(std::abs(samples[0] - samples[count - 1]), usualLargeStep);
}

// ------------------------------------------------------------------------------------------------
// The arena map

TEST(AssetsTest, ParsesWithTheLayersTheGameDraws)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded()) << "game.tmj is not valid JSON";
    EXPECT_EQ(map.value("orientation", ""), "orthogonal");
    EXPECT_FALSE(map.value("infinite", true));
    EXPECT_EQ(map.value("width", 0), MAP_COLUMNS);
    EXPECT_EQ(map.value("height", 0), MAP_ROWS);
    EXPECT_EQ(map.value("tilewidth", 0), TILE);
    EXPECT_EQ(map.value("tileheight", 0), TILE);
    for (const std::string name : {"Background", "Top"})
    {
        const json* layer = findLayer(map, name);
        ASSERT_NE(layer, nullptr) << name;
        EXPECT_EQ(layer->value("type", ""), "tilelayer");
        ASSERT_TRUE((*layer)["data"].is_array()) << name;
        EXPECT_EQ((*layer)["data"].size(), static_cast<std::size_t>(MAP_COLUMNS * MAP_ROWS)) << name;
    }
    const json* objects = findLayer(map, "Objects");
    ASSERT_NE(objects, nullptr);
    EXPECT_EQ(objects->value("type", ""), "objectgroup");
}

TEST(AssetsTest, EveryGidIsCoveredByAnEmbeddedTilesetWhoseImageLoads)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded());
    struct Range
    {
        std::uint32_t first;
        std::uint32_t count;
    };
    std::vector<Range> ranges;
    for (const auto& tileset : map["tilesets"])
    {
        ASSERT_FALSE(tileset.contains("source")) << "tilesets must be embedded";
        const sf::Image image = loadImage(tileset.value("image", ""));
        const int columns = tileset.value("columns", 0);
        EXPECT_EQ(tileset.value("imagewidth", 0), static_cast<int>(image.getSize().x));
        EXPECT_EQ(tileset.value("imageheight", 0), static_cast<int>(image.getSize().y));
        EXPECT_EQ(tileset.value("tilewidth", 0), TILE);
        EXPECT_EQ(tileset.value("tileheight", 0), TILE);
        EXPECT_EQ(tileset.value("margin", -1), 0);
        EXPECT_EQ(tileset.value("spacing", -1), 0);
        EXPECT_EQ(columns, static_cast<int>(image.getSize().x) / TILE);
        EXPECT_EQ(tileset.value("tilecount", 0), columns * static_cast<int>(image.getSize().y / TILE));
        ranges.push_back({tileset.value("firstgid", 0u), tileset.value("tilecount", 0u)});
    }
    ASSERT_FALSE(ranges.empty());
    for (const std::string name : {"Background", "Top"})
    {
        const json* layer = findLayer(map, name);
        ASSERT_NE(layer, nullptr);
        int drawn = 0;
        for (const auto& cell : (*layer)["data"])
        {
            const std::uint32_t gid = cell.get<std::uint32_t>();
            if (gid == 0)
                continue;
            ++drawn;
            EXPECT_EQ(gid & FLIP_BITS, 0u) << "flipped tiles are not supported";
            const bool covered = std::any_of(ranges.begin(), ranges.end(), [gid](const Range& range) {
                return gid >= range.first && gid < range.first + range.count;
            });
            EXPECT_TRUE(covered) << name << " gid " << gid;
        }
        EXPECT_GT(drawn, 0) << name;
    }
    // The ground is never left empty: every cell of the background shows a tile.
    const json* background = findLayer(map, "Background");
    ASSERT_NE(background, nullptr);
    for (const auto& cell : (*background)["data"])
        EXPECT_NE(cell.get<std::uint32_t>(), 0u);
}

TEST(AssetsTest, PlayersAreSpritesWithTheTypedPropertiesTheFactoryReads)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded());
    const std::vector<std::tuple<std::string, std::string>> expected{
        {"Texture", "string"}, {"TextureRectLeft", "int"}, {"TextureRectTop", "int"}, {"InputPlayerIdx", "int"},
        {"Density", "float"},  {"Health", "int"},          {"Scale", "float"},
    };
    for (int index = 0; index < 2; ++index)
    {
        const std::string name = "Player" + std::to_string(index);
        const json* player = findObject(map, name);
        ASSERT_NE(player, nullptr) << name;
        EXPECT_EQ(player->value("type", ""), "Sprite");
        EXPECT_GT(player->value("width", 0), 0);
        EXPECT_GT(player->value("height", 0), 0);
        for (const auto& [property, type] : expected)
        {
            const json* entry = findProperty(*player, property);
            ASSERT_NE(entry, nullptr) << name << " lacks " << property;
            EXPECT_EQ(entry->value("type", ""), type) << name << "." << property;
        }
        EXPECT_EQ(intProperty(*player, "InputPlayerIdx"), index);
        EXPECT_GE(intProperty(*player, "Health"), 1);
        EXPECT_GT(findProperty(*player, "Scale")->value("value", 0.0), 0.0);
        EXPECT_TRUE(std::filesystem::exists(ASSETS + findProperty(*player, "Texture")->value("value", "")));
    }
}

TEST(AssetsTest, StartPointsLieOnOpenGroundInsideTheView)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded());
    std::vector<json> blockers = objectsOfType(map, "Collider");
    for (const json& killzone : triggersOfKind(map, "Killzone"))
        blockers.push_back(killzone);
    for (const std::string name : {"Player0", "Player1"})
    {
        const json* player = findObject(map, name);
        ASSERT_NE(player, nullptr);
        const Rect box = playerBox(*player);
        // The camera cuts about 26 px off the map's left edge.
        EXPECT_GE(box.x, 32.0) << name;
        EXPECT_LE(box.x + box.width, MAP_WIDTH) << name;
        EXPECT_GE(box.y, 96.0) << name << " starts under the hearts";
        EXPECT_LE(box.y + box.height, MAP_HEIGHT) << name;
        for (const json& blocker : blockers)
            EXPECT_FALSE(box.overlaps(rectOf(blocker))) << name << " starts inside " << blocker.value("name", "");
    }
}

TEST(AssetsTest, HasOneRiverThatLeadsIntoAKillzone)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded());
    const std::vector<json> rivers = triggersOfKind(map, "River");
    const std::vector<json> killzones = triggersOfKind(map, "Killzone");
    ASSERT_EQ(rivers.size(), 1u);
    ASSERT_FALSE(killzones.empty());
    const Rect river = rectOf(rivers.front());
    EXPECT_TRUE(std::any_of(killzones.begin(), killzones.end(),
                            [&river](const json& killzone) { return river.overlaps(rectOf(killzone)); }));
    for (const json& trigger : objectsOfType(map, "Trigger"))
    {
        const json* type = findProperty(trigger, "type");
        ASSERT_NE(type, nullptr) << trigger.value("name", "");
        EXPECT_EQ(type->value("type", ""), "string");
    }
}

TEST(AssetsTest, SpawnersDescribeRocksAndBombsWithRatesAddingUpToOne)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded());
    const std::vector<json> spawners = objectsOfType(map, "Spawner");
    ASSERT_GE(spawners.size(), 1u);
    ASSERT_LE(spawners.size(), 2u);
    for (const json& spawner : spawners)
    {
        double rates = 0.0;
        for (const std::string kind : {"0", "1"})
        {
            const json* texture = findProperty(spawner, "ItemTexture" + kind);
            ASSERT_NE(texture, nullptr);
            EXPECT_EQ(texture->value("type", ""), "string");
            EXPECT_TRUE(std::filesystem::exists(ASSETS + texture->value("value", "")));
            for (const std::string prefix : {"TextureLeft", "TextureTop", "TextureWidth", "TextureHeight"})
            {
                const json* entry = findProperty(spawner, prefix + kind);
                ASSERT_NE(entry, nullptr) << prefix + kind;
                EXPECT_EQ(entry->value("type", ""), "int") << prefix + kind;
            }
            for (const std::string prefix : {"ItemDensity", "ItemSpawnRate"})
            {
                const json* entry = findProperty(spawner, prefix + kind);
                ASSERT_NE(entry, nullptr) << prefix + kind;
                EXPECT_EQ(entry->value("type", ""), "float") << prefix + kind;
                EXPECT_GT(entry->value("value", 0.0), 0.0) << prefix + kind;
            }
            rates += findProperty(spawner, "ItemSpawnRate" + kind)->value("value", 0.0);
        }
        EXPECT_NEAR(rates, 1.0, 1e-6);
        // Items drift downwards from here across the whole arena.
        EXPECT_LT(spawner.value("y", MAP_HEIGHT), MAP_HEIGHT / 4);
        EXPECT_GT(spawner.value("x", 0), 0);
        EXPECT_LT(spawner.value("x", MAP_WIDTH), MAP_WIDTH);
    }
}

TEST(AssetsTest, ObjectNamesAreUnique)
{
    // The game keeps one object per name: a repeated name would silently lose a wall or a drop.
    const json map = loadMap();
    const json* objects = findLayer(map, "Objects");
    ASSERT_NE(objects, nullptr);
    std::set<std::string> names;
    for (const auto& object : (*objects)["objects"])
        EXPECT_TRUE(names.insert(object.value("name", "")).second) << object.value("name", "");
}

TEST(AssetsTest, BothHalvesOfTheArenaMirrorEachOther)
{
    const json map = loadMap();
    ASSERT_FALSE(map.is_discarded());
    const json* first = findObject(map, "Player0");
    const json* second = findObject(map, "Player1");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->value("x", 0) + second->value("x", 0), MAP_WIDTH);
    EXPECT_EQ(first->value("y", 0), second->value("y", 0));
    std::set<std::tuple<double, double, double, double>> shapes;
    std::vector<json> solid = objectsOfType(map, "Collider");
    for (const json& killzone : triggersOfKind(map, "Killzone"))
        solid.push_back(killzone);
    for (const json& object : solid)
    {
        const Rect r = rectOf(object);
        shapes.insert({r.x, r.y, r.width, r.height});
    }
    for (const auto& [x, y, width, height] : shapes)
        EXPECT_EQ(shapes.count({MAP_WIDTH - x - width, y, width, height}), 1u)
            << "no mirror image of the rectangle at " << x << "," << y;
}

} // namespace
