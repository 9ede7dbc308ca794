// The Tiled JSON reader against maps the real editor wrote, hand-made variants it must accept, and
// broken files it must refuse with a reason.

#include "TiledMap.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using zelk::TiledLayer;
using zelk::TiledLayerKind;
using zelk::TiledMap;
using zelk::TiledObject;
using zelk::TiledProperty;
using zelk::TiledPropertyType;
using zelk::TiledTileset;

std::filesystem::path mapsDir()
{
    return zelk::test::sourceDir() / "tests" / "data" / "maps";
}

std::string quoted(const std::filesystem::path& path)
{
    std::ostringstream text;
    text << path;
    return text.str();
}

TiledMap loadMap(const std::string& fileName)
{
    TiledMap map;
    EXPECT_TRUE(map.loadFromFile(mapsDir() / fileName)) << map.getError();
    return map;
}

std::vector<std::string> layerNames(const TiledMap& map)
{
    std::vector<std::string> names;
    for (const TiledLayer& layer : map.getLayers())
        names.push_back(layer.name);
    return names;
}

const TiledObject& objectNamed(const TiledLayer& layer, const std::string& name)
{
    for (const TiledObject& object : layer.objects)
    {
        if (object.name == name)
            return object;
    }
    ADD_FAILURE() << "no object " << name;
    static const TiledObject none;
    return none;
}

const TiledLayer* findLayer(const TiledMap& map, const std::string& name)
{
    for (const TiledLayer& layer : map.getLayers())
    {
        if (layer.name == name)
            return &layer;
    }
    return nullptr;
}

// Each property as the reader kept it: "<name> <type> <value>", the value from the field of its type.
std::vector<std::string> described(const TiledObject& object)
{
    std::vector<std::string> descriptions;
    for (const TiledProperty& property : object.properties)
    {
        std::ostringstream text;
        text << property.name << " " << zelk::toString(property.type) << " " << std::boolalpha;
        if (property.type == TiledPropertyType::Int || property.type == TiledPropertyType::Object)
            text << property.intValue;
        else if (property.type == TiledPropertyType::Float)
            text << property.floatValue;
        else if (property.type == TiledPropertyType::Bool)
            text << property.boolValue;
        else
            text << property.stringValue;
        descriptions.push_back(text.str());
    }
    return descriptions;
}

void expectEmpty(const TiledMap& map)
{
    EXPECT_EQ(map.getWidth(), 0);
    EXPECT_EQ(map.getHeight(), 0);
    EXPECT_EQ(map.getTileWidth(), 0);
    EXPECT_EQ(map.getTileHeight(), 0);
    EXPECT_TRUE(map.getTilesets().empty());
    EXPECT_TRUE(map.getLayers().empty());
}

const std::vector<std::uint32_t> BackgroundIds = {1, 2, 3, 4, 5, 6, 7, 1, 2, 3, 4, 5, 6, 7, 0};
const std::vector<std::uint32_t> TopIds = {0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 7};
const std::vector<std::uint32_t> OverlayIds = {3, 0, 0, 0, 6, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0};

// The editor saved one map twice, with its tile layers as CSV and as uncompressed Base64: both read
// the same, a group's children standing in place of the group in file order.
void expectTheEditorMap(const TiledMap& map)
{
    EXPECT_TRUE(map.getError().empty());
    EXPECT_EQ(map.getWidth(), 5);
    EXPECT_EQ(map.getHeight(), 3);
    EXPECT_EQ(map.getTileWidth(), 32);
    EXPECT_EQ(map.getTileHeight(), 32);

    // First id, name, image, tile count and size.
    std::vector<std::tuple<int, std::string, std::string, int, int, int>> tilesets;
    for (const TiledTileset& tileset : map.getTilesets())
        tilesets.emplace_back(tileset.firstGid, tileset.name, tileset.image, tileset.tileCount, tileset.tileWidth,
                              tileset.tileHeight);
    EXPECT_EQ(tilesets,
              (decltype(tilesets){{1, "tiles-a", "tiles-a.png", 4, 32, 32}, {5, "tiles-b", "tiles-b.png", 3, 32, 32}}));

    EXPECT_EQ(layerNames(map), (std::vector<std::string>{"Background", "Top", "Objects", "Picture", "Overlay"}));
    ASSERT_EQ(map.getLayers().size(), 5u);
    // Tile ids row-major, the layer as large as the map.
    const std::vector<std::pair<TiledLayerKind, std::vector<std::uint32_t>>> layers{
        {TiledLayerKind::Tile, BackgroundIds}, {TiledLayerKind::Tile, TopIds}, {TiledLayerKind::Object, {}},
        {TiledLayerKind::Image, {}}, {TiledLayerKind::Tile, OverlayIds}};
    for (std::size_t index = 0; index < layers.size(); ++index)
    {
        const TiledLayer& layer = map.getLayers()[index];
        EXPECT_EQ(layer.kind, layers[index].first) << layer.name;
        EXPECT_EQ(layer.data, layers[index].second) << layer.name;
        EXPECT_EQ(layer.width, layer.data.empty() ? 0 : 5) << layer.name;
        EXPECT_EQ(layer.height, layer.data.empty() ? 0 : 3) << layer.name;
    }
    EXPECT_TRUE(map.getLayers()[3].objects.empty());
}

} // namespace

TEST(TiledMapTest, ReadsAnEditorMapInEitherTileFormat)
{
    for (const char* file : {"editor-csv.tmj", "editor-base64.tmj"})
    {
        SCOPED_TRACE(file);
        expectTheEditorMap(loadMap(file));
    }
}

// What decides how the editor draws them; a group's settings reach its children as the editor applies them.
TEST(TiledMapTest, ReadsHowTilesetsAndLayersAreDrawnThroughTheirGroups)
{
    TiledMap map;
    ASSERT_TRUE(map.loadFromString(R"({"width": 1, "height": 1, "tilewidth": 32, "tileheight": 32,
        "tilesets": [{"firstgid": 1, "name": "t", "image": "t.png", "tilecount": 1, "margin": 1, "spacing": 2,
                      "transparentcolor": "#ff00fe", "tileoffset": {"x": -3, "y": 4}},
                     {"firstgid": 2, "name": "pictures", "tiles": [{"id": 0, "image": "a.png"}]}],
        "layers": [{"type": "group", "opacity": 0.5, "offsetx": 2, "layers": [
            {"type": "group", "visible": false, "opacity": 0.5, "layers": [
                {"type": "tilelayer", "name": "Deep", "opacity": 0.5, "offsety": 3, "data": [1]}]},
            {"type": "tilelayer", "name": "Shallow", "data": [1]}]}]})",
                                   "inline map"))
        << map.getError();
    ASSERT_EQ(map.getTilesets().size(), 2u);
    const TiledTileset& tileset = map.getTilesets()[0];
    EXPECT_EQ(tileset.margin, 1);
    EXPECT_EQ(tileset.spacing, 2);
    EXPECT_TRUE(tileset.hasTransparentColor);
    EXPECT_EQ(tileset.transparentColor, 0xFF00FEu);
    EXPECT_EQ(tileset.offsetX, -3);
    EXPECT_EQ(tileset.offsetY, 4);
    EXPECT_FALSE(tileset.isImageCollection);
    EXPECT_TRUE(map.getTilesets()[1].isImageCollection);

    ASSERT_EQ(map.getLayers().size(), 2u);
    const TiledLayer& deep = map.getLayers()[0];
    EXPECT_FLOAT_EQ(deep.opacity, 0.125f);
    EXPECT_FALSE(deep.visible);
    EXPECT_EQ(deep.offsetX, 2.f);
    EXPECT_EQ(deep.offsetY, 3.f);
    const TiledLayer& shallow = map.getLayers()[1];
    EXPECT_FLOAT_EQ(shallow.opacity, 0.5f);
    EXPECT_TRUE(shallow.visible);
    EXPECT_EQ(shallow.offsetX, 2.f);
}

TEST(TiledMapTest, ReadsObjectsWithTheirClassAndRectangle)
{
    const TiledMap map = loadMap("editor-csv.tmj");
    const TiledLayer* objects = findLayer(map, "Objects");
    ASSERT_NE(objects, nullptr);
    ASSERT_EQ(objects->objects.size(), 3u);
    EXPECT_EQ(objects->objects[0].name, "Player0");
    EXPECT_EQ(objects->objects[1].name, "Wall");
    EXPECT_EQ(objects->objects[2].name, "Chasm");

    const TiledObject& player = objects->objects[0];
    EXPECT_EQ(player.id, 1);
    EXPECT_EQ(player.className, "Sprite");
    EXPECT_FLOAT_EQ(player.x, 64.f);
    EXPECT_FLOAT_EQ(player.y, 48.f);
    EXPECT_FLOAT_EQ(player.width, 16.f);
    EXPECT_FLOAT_EQ(player.height, 16.f);
    EXPECT_EQ(objects->objects[1].className, "Collider");
    EXPECT_FLOAT_EQ(objects->objects[1].width, 160.f);
    EXPECT_FLOAT_EQ(objects->objects[2].x, 96.5f);
}

TEST(TiledMapTest, KeepsTheDeclaredTypeOfEveryProperty)
{
    const TiledMap map = loadMap("editor-base64.tmj");
    const TiledLayer* objects = findLayer(map, "Objects");
    ASSERT_NE(objects, nullptr);
    // The editor writes the float 2 without a decimal point; a file path stays distinguishable from a
    // string.
    EXPECT_EQ(described(objectNamed(*objects, "Player0")),
              (std::vector<std::string>{"Density float 2", "Health int 3", "InputPlayerIdx int 0", "Scale float 2.5",
                                        "Sheet file Sprites/player.png", "Solid bool true", "Target object 2",
                                        "Texture string Sprites/player.png", "Tint color #ff112233"}));
    EXPECT_EQ(described(objectNamed(*objects, "Chasm")), std::vector<std::string>{"type string Killzone"});
}

TEST(TiledMapTest, AcceptsWhatOtherEditorVersionsWrite)
{
    // "version" as a number, "class" instead of "type", no "infinite"/"orientation", a tile layer
    // without a size, untyped and class properties, objects without id.
    const TiledMap map = loadMap("handmade-variants.tmj");
    EXPECT_EQ(layerNames(map), (std::vector<std::string>{"Floor", "Objects", "Sky"}));

    const TiledLayer& floor = map.getLayers()[0];
    EXPECT_EQ(floor.width, 2) << "a tile layer without a size covers the map";
    EXPECT_EQ(floor.height, 2);
    EXPECT_EQ(floor.data, (std::vector<std::uint32_t>{1, 0, 3221225473u, 4294967295u}))
        << "tile ids are unsigned 32-bit and kept as stored, flip bits included";

    const TiledLayer& objects = map.getLayers()[1];
    ASSERT_EQ(objects.objects.size(), 3u);
    const TiledObject& player = objects.objects[0];
    EXPECT_EQ(player.className, "Sprite") << "Tiled 1.9 writes the class under \"class\"";
    EXPECT_EQ(described(player), (std::vector<std::string>{"Scale float 2", "Note string untyped",
                                                           "Stats class {\"speed\":3}", "Unset int 0"}));

    const TiledObject& bare = objects.objects[1];
    EXPECT_EQ(bare.id, 0);
    EXPECT_EQ(bare.className, "");
    EXPECT_FLOAT_EQ(bare.width, 0.f);
    EXPECT_TRUE(bare.properties.empty());

    EXPECT_EQ(objects.objects[2].className, "Collider") << "\"type\" wins over \"class\"";
}

TEST(TiledMapTest, WhatIsNoMapFailsNamingIt)
{
    TiledMap map;
    const auto path = mapsDir() / "no-such-map.tmj";
    EXPECT_FALSE(map.loadFromFile(path));
    EXPECT_EQ(map.getError(), quoted(path) + ": the file does not exist");
    expectEmpty(map);
    EXPECT_FALSE(map.loadFromFile(mapsDir()));
    EXPECT_EQ(map.getError(), quoted(mapsDir()) + ": is not a regular file");
    EXPECT_FALSE(map.loadFromString("{\"width\": 5}", "inline map"));
    EXPECT_EQ(map.getError(), "\"inline map\": map has no \"height\"");
}

TEST(TiledMapTest, RefusesAFileLargerThanAnyMapBeforeReadingIt)
{
    const auto path = std::filesystem::temp_directory_path() /
                      ("bramblot-huge-" + std::to_string(std::random_device{}()) + ".tmj");
    zelk::test::writeFile(path, "{");
    // Sparse, so the test writes next to nothing.
    std::filesystem::resize_file(path, TiledMap::MaxFileBytes + 1);
    TiledMap map;
    EXPECT_FALSE(map.loadFromFile(path));
    EXPECT_EQ(map.getError().rfind(quoted(path) + ": the file is " + std::to_string(TiledMap::MaxFileBytes + 1) +
                                       " bytes",
                                   0),
              0u)
        << map.getError();
    std::filesystem::remove(path);
}

TEST(TiledMapTest, AFailedLoadLeavesNothingOfTheMapBefore)
{
    TiledMap map;
    ASSERT_TRUE(map.loadFromFile(mapsDir() / "editor-csv.tmj"));
    EXPECT_FALSE(map.loadFromFile(mapsDir() / "malformed" / "data-length.tmj"));
    expectEmpty(map);
    EXPECT_TRUE(map.loadFromFile(mapsDir() / "minimal.tmj"));
    EXPECT_TRUE(map.getError().empty()) << "a success clears the previous reason";
    EXPECT_EQ(map.getLayers().size(), 2u);
}

TEST(TiledMapTest, TheTileLayersTogetherHoldAtMostTwoMillionCells)
{
    const auto tileLayer = [](const std::string& name, int width, int height, bool withData) {
        std::string layer = "{\"type\":\"tilelayer\",\"name\":\"" + name + "\",\"width\":" + std::to_string(width) +
                            ",\"height\":" + std::to_string(height);
        // Base64 keeps two million cells cheap to parse: one long string instead of an array.
        if (withData)
        {
            const std::size_t bytes = 4 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
            const std::size_t padding = (3 - bytes % 3) % 3;
            const std::string zeros = std::string((bytes + 2) / 3 * 4 - padding, 'A') + std::string(padding, '=');
            layer += ",\"encoding\":\"base64\",\"data\":\"" + zeros + "\"";
        }
        return layer + "}";
    };
    const std::string header = "{\"width\":1024,\"height\":1024,\"tilewidth\":8,\"tileheight\":8,\"layers\":[";
    const std::string full = tileLayer("A", 1024, 1024, true) + "," + tileLayer("B", 1024, 1024, true);

    TiledMap map;
    ASSERT_TRUE(map.loadFromString(header + full + "]}", "full.tmj")) << map.getError();
    EXPECT_EQ(map.getLayers().size(), 2u);

    EXPECT_FALSE(map.loadFromString(header + full + "," + tileLayer("C", 1, 1, true) + "]}", "over.tmj"));
    EXPECT_EQ(map.getError(), "\"over.tmj\": layer \"C\" brings the cells of all tile layers to 2097153, more than "
                              "the 2097152 a map may have");

    // Checked before the tile data is even looked at.
    EXPECT_FALSE(map.loadFromString(header + tileLayer("Wide", 10000, 300, false) + "]}", "wide.tmj"));
    EXPECT_NE(map.getError().find("layer \"Wide\" brings the cells of all tile layers to 3000000"), std::string::npos)
        << map.getError();
}

TEST(TiledMapTest, GroupsNestedUpToTheLimitAreRead)
{
    const auto nested = [](int depth) {
        std::string layers = "[{\"type\":\"objectgroup\",\"name\":\"Deep\"}]";
        for (int i = 0; i < depth; ++i)
            layers = "[{\"type\":\"group\",\"name\":\"G" + std::to_string(i) + "\",\"layers\":" + layers + "}]";
        return "{\"width\":1,\"height\":1,\"tilewidth\":8,\"tileheight\":8,\"layers\":" + layers + "}";
    };
    TiledMap map;
    ASSERT_TRUE(map.loadFromString(nested(64), "deep.tmj")) << map.getError();
    EXPECT_EQ(layerNames(map), std::vector<std::string>{"Deep"});

    EXPECT_FALSE(map.loadFromString(nested(65), "deeper.tmj"));
    EXPECT_NE(map.getError().find("is nested in more than 64 group layers"), std::string::npos) << map.getError();
}

TEST(TiledMapTest, DeeplyNestedJsonInAnIgnoredFieldIsHarmless)
{
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    TiledMap map;
    EXPECT_TRUE(map.loadFromString("{\"width\":1,\"height\":1,\"tilewidth\":8,\"tileheight\":8,\"junk\":" + deep + "}",
                                   "deep.tmj"))
        << map.getError();
    EXPECT_FALSE(map.loadFromString(std::string(200000, '['), "unclosed.tmj"));
    EXPECT_NE(map.getError().find("the file looks truncated"), std::string::npos) << map.getError();
}

// ---- Broken files: each fails with its reason, naming the file, on one line. ----

struct BrokenMap
{
    const char* file;
    const char* reason;
};

void PrintTo(const BrokenMap& broken, std::ostream* out)
{
    *out << broken.file;
}

class TiledMapTest : public ::testing::TestWithParam<BrokenMap>
{
};

TEST_P(TiledMapTest, WithItsReasonNamingTheFile)
{
    const BrokenMap broken = GetParam();
    const auto path = mapsDir() / "malformed" / broken.file;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    TiledMap map;
    EXPECT_FALSE(map.loadFromFile(path));
    const std::string& error = map.getError();
    EXPECT_EQ(error.rfind(quoted(path) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(broken.reason), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    expectEmpty(map);
}

INSTANTIATE_TEST_SUITE_P(
    BrokenFiles, TiledMapTest,
    ::testing::Values(
        BrokenMap{"empty.tmj", "the file is empty"},
        BrokenMap{"truncated.tmj", "is not valid JSON (parse error at line"},
        BrokenMap{"truncated.tmj", "the file looks truncated"},
        BrokenMap{"not-json.tmj", "is not valid JSON (parse error at line 1, column 1"},
        BrokenMap{"top-level-array.tmj", "is not a Tiled map: the file holds an array instead of an object"},
        BrokenMap{"tileset-file.tmj", "is a Tiled \"tileset\" file, not a map"},
        BrokenMap{"compressed.tmj", "layer \"Background\" holds \"zlib\" compressed tile data, which is not supported"},
        BrokenMap{"unknown-encoding.tmj", "layer \"Background\" has the unsupported encoding \"gzip\""},
        BrokenMap{"infinite.tmj", "is an infinite map, which is not supported"},
        BrokenMap{"chunks.tmj", "layer \"Background\" stores its tiles in chunks (an infinite map)"},
        BrokenMap{"external-tileset.tmj",
                  "tileset #1 in map is the external tileset file \"tiles.tsx\", which is not supported"},
        BrokenMap{"data-length.tmj", "layer \"Background\" holds 14 tile ids; expected 5 x 3 = 15"},
        BrokenMap{"width-text.tmj", "map \"width\" is the text \"5\"; expected a whole number from 1 to 10000"},
        BrokenMap{"tile-size-zero.tmj", "map \"tilewidth\" is 0; expected a whole number from 1 to 10000"},
        BrokenMap{"height-negative.tmj", "map \"height\" is -3; expected a whole number from 1 to 10000"},
        BrokenMap{"missing-width.tmj", "map has no \"width\""},
        BrokenMap{"map-size-overflow.tmj", "map \"width\" is 4294967296; expected a whole number from 1 to 10000"},
        BrokenMap{"huge-layer.tmj",
                  "layer \"Background\" \"width\" is 100000; expected a whole number from 0 to 10000"},
        BrokenMap{"orientation-isometric.tmj", "is an \"isometric\" map; only orthogonal maps are supported"},
        BrokenMap{"layers-not-array.tmj", "map \"layers\" is an object; expected an array of layers"},
        BrokenMap{"layer-not-object.tmj", "layer #1 in map is 5; expected an object"},
        BrokenMap{"unknown-layer-type.tmj", "layer \"Background\" has the unsupported layer type \"hexlayer\""},
        BrokenMap{"base64-bad-character.tmj",
                  "layer \"Background\" has invalid Base64 tile data: '#' at position 8 is not Base64"},
        BrokenMap{"base64-bad-length.tmj",
                  "layer \"Background\" has invalid Base64 tile data: its length 79 is not a multiple of 4"},
        BrokenMap{"base64-byte-count.tmj", "layer \"Background\" has invalid Base64 tile data: it decodes to 56 "
                                           "bytes; expected 4 x 15 cells = 60"},
        BrokenMap{"base64-not-text.tmj", "layer \"Background\" \"data\" is an array; expected Base64 text"},
        BrokenMap{"gid-negative.tmj", "layer \"Background\" tile id of cell 0 is -1; expected a whole number from 0 "
                                      "to 4294967295"},
        BrokenMap{"gid-too-large.tmj", "layer \"Background\" tile id of cell 0 is 4294967296"},
        BrokenMap{"gid-fraction.tmj", "layer \"Background\" tile id of cell 0 is 1.5"},
        BrokenMap{"property-type-mismatch.tmj", "property \"Health\" of object 1 \"Player0\" in layer \"Objects\" is "
                                                "declared \"int\" but its value is the text \"three\""},
        BrokenMap{"property-int-range.tmj", "is declared \"int\" but its value is 3000000000, beyond the range of an int"},
        BrokenMap{"property-float-range.tmj", "is declared \"float\" but its value is 1e+300, beyond the range of a float"},
        BrokenMap{"property-unknown-type.tmj", "property \"Health\" of object 1 \"Player0\" in layer \"Objects\" has "
                                               "the unsupported type \"enum\""},
        BrokenMap{"properties-old-format.tmj", "object 1 \"Player0\" in layer \"Objects\" has its properties in the "
                                               "format of Tiled before 1.2, which is not supported"},
        BrokenMap{"object-coordinate-huge.tmj", "object 1 \"Player0\" in layer \"Objects\" \"x\" is 1e+30; expected a "
                                                "number from -16777216 to 16777216"},
        BrokenMap{"object-size-negative.tmj", "object 1 \"Player0\" in layer \"Objects\" \"width\" is -16; expected a "
                                              "number from 0 to 16777216"},
        BrokenMap{"object-name-number.tmj", "object #1 in layer \"Objects\" \"name\" is 7; expected text"},
        BrokenMap{"objects-not-array.tmj", "layer \"Objects\" \"objects\" is the text \"none\"; expected an array of "
                                           "objects"},
        BrokenMap{"firstgid-zero.tmj", "tileset \"tiles-a\" \"firstgid\" is 0; expected a whole number from 1 to "
                                       "268435455"}),
    [](const ::testing::TestParamInfo<BrokenMap>& info) {
        std::string name = std::to_string(info.index) + "_" + info.param.file;
        for (char& character : name)
        {
            if (!std::isalnum(static_cast<unsigned char>(character)))
                character = '_';
        }
        return name;
    });

TEST(TiledMapTest, EveryBrokenSampleFails)
{
    // Also guards the count, so a sample added without an expected reason is noticed.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(mapsDir() / "malformed"))
    {
        ++files;
        TiledMap map;
        EXPECT_FALSE(map.loadFromFile(entry.path())) << entry.path();
    }
    EXPECT_EQ(files, 38u);
}
