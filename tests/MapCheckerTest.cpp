// The map checker as authors run it (the real executable, without a display), and the editor
// project whose class defaults must be the game's, since the editor leaves defaults out of a map.

#include "ObjectSettings.h"
#include "TestSupport.h"
#include "TiledObject.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <sys/wait.h>

namespace zelk
{
namespace
{

using Json = nlohmann::json;

struct CheckerRun
{
    int exitStatus = -1;
    std::vector<std::string> lines;
};

// No DISPLAY: the checker must not need an X server (the game itself aborts without one).
CheckerRun runChecker(const std::string& mapArgument)
{
    const std::string command = "env -u DISPLAY '" BRAMBLOT_MAPCHECK_EXECUTABLE "' " + mapArgument;
    CheckerRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::string output;
    char buffer[4096];
    for (std::size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, count);
    const int status = pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream text(output);
    for (std::string line; std::getline(text, line);)
        run.lines.push_back(line);
    return run;
}

struct CheckerCase
{
    const char* name;
    // Relative to tests/data/mapcheck; empty for the checker's default, the arena.
    const char* map;
    int exitStatus;
    std::vector<std::string> lines;
};

void PrintTo(const CheckerCase& checkerCase, std::ostream* out)
{
    *out << checkerCase.name;
}

class MapCheckerTest : public testing::TestWithParam<CheckerCase>
{
};

// One line per finding, then the counts.
TEST_P(MapCheckerTest, ReportsEachFindingOnOneLineAndExitsWithItsStatus)
{
    const CheckerCase& expected = GetParam();
    const std::string argument =
        *expected.map ? "'" + (test::sourceDir() / "tests/data/mapcheck" / expected.map).string() + "'" : "";
    const CheckerRun run = runChecker(argument);
    EXPECT_EQ(run.exitStatus, expected.exitStatus);
    EXPECT_EQ(run.lines, expected.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Maps, MapCheckerTest,
    testing::Values(
        CheckerCase{"Arena", "", 0, {"game.tmj: 0 errors, 0 warnings"}},
        CheckerCase{"Players",
                    "players.tmj",
                    1,
                    {
                        R"(players.tmj: object "Player0" (id 3): error: starts inside the wall object "Hedge" (id 1))",
                        R"(players.tmj: object "Player1" (id 4): error: is one of 2 objects named Player1; the match uses only the last (id 5))",
                        R"(players.tmj: object "Player1" (id 5): error: starts inside the killzone object "Chasm" (id 2))",
                        R"(players.tmj: object "Player1" (id 5): error: lacks input (no "InputPlayerIdx"), so it cannot walk)",
                        "players.tmj: 4 errors, 0 warnings",
                    }},
        CheckerCase{"Images",
                    "images.tmj",
                    1,
                    {
                        R"(images.tmj: tileset "ghost": error: image "ghost.png" does not load)",
                        R"(images.tmj: object "Player0" (id 1): error: the sprite sheet "../maps/picture.png" is 8 x 8 pixels, too small for the frames the game cuts from it (up to 192 x 128))",
                        R"(images.tmj: object "Player1" (id 2): error: property "Health" is of type float, expected int; ignored)",
                        R"(images.tmj: object "Player1" (id 2): error: the sprite sheet "Player/nobody.png" does not load)",
                        R"(images.tmj: object "Rocks" (id 3): error: the bomb image "../../../assets/Items/rock.png" is 32 x 32 pixels, too small for the frames the game cuts from it (up to 256 x 64))",
                        R"(images.tmj: object "Empty" (id 4): error: has no item texture ("ItemTexture0" or "ItemTexture1"); it drops nothing)",
                        R"(images.tmj: object "Player1" (id 2): error: lacks hearts (no "Health" of 0 or more))",
                        "images.tmj: 7 errors, 0 warnings",
                    }},
        CheckerCase{"Tiles",
                    "tiles.tmj",
                    1,
                    {
                        R"(tiles.tmj: layer "Background": error: 2 cells with a tile id no tileset covers (the first is 9999), not drawn)",
                        R"(tiles.tmj: layer "Background": error: 1 cell with a flipped or rotated tile, which the game does not draw)",
                        R"(tiles.tmj: layer "Background": error: 1 cell with a tile beyond its tileset image, not drawn)",
                        "tiles.tmj: 3 errors, 0 warnings",
                    }},
        CheckerCase{"WarningsOnly",
                    "warnings.tmj",
                    0,
                    {
                        R"(warnings.tmj: layer "Decor": warning: is loaded but not drawn; the game draws only the layers "Background", "Top" and "Objects")",
                        R"(warnings.tmj: object "Tree" (id 3): warning: has the class "Tree", which the game ignores (it knows "Sprite", "Collider", "Trigger" and "Spawner"))",
                        R"(warnings.tmj: object "FarWall" (id 4): warning: lies outside the map)",
                        "warnings.tmj: 0 errors, 3 warnings",
                    }},
        CheckerCase{"EveryReasonAMapCannotBeRead",
                    "refusals.tmj",
                    2,
                    {
                        R"x(refusals.tmj: error: cannot be read as a map: is a "hexagonal" map; only orthogonal maps are supported)x",
                        R"x(refusals.tmj: error: cannot be read as a map: tileset #1 in map is the external tileset file "arena.tsx", which is not supported; embed the tileset in the map)x",
                        R"x(refusals.tmj: error: cannot be read as a map: layers "Background" and "Decor" hold "zlib" compressed tile data, which is not supported; save them with the tile layer format "CSV" or "Base64 (uncompressed)")x",
                        R"x(refusals.tmj: error: cannot be read as a map: has 2 objects made from a template (the first from "player.tx"), which the game does not read; detach them in the editor (select them, then "Detach" in the context menu), or export the map with the export option "Detach templates")x",
                        R"x(refusals.tmj: layer "Top": error: 1 cell with a flipped or rotated tile, which the game does not draw)x",
                        "refusals.tmj: 5 errors, 0 warnings",
                    }},
        CheckerCase{"WhatTheGameDoesNotDraw",
                    "undrawn.tmj",
                    1,
                    {
                        R"x(undrawn.tmj: tileset "big": warning: has tiles of 64 x 64 pixels on the map's grid of 32 x 32; the game cuts and draws every tile in the grid's size, so they do not look as in the editor)x",
                        R"x(undrawn.tmj: tileset "big": warning: has the tile offset (0, 8), which the game does not apply; its tiles are drawn in their cells)x",
                        R"x(undrawn.tmj: tileset "pictures": error: is a collection of images, which the game does not support, so none of its tiles is drawn; put the tiles into one image and make a tileset of that image)x",
                        R"x(undrawn.tmj: layer "Background": error: is an image layer, which the game does not draw; only tile layers count as "Background" or "Top")x",
                        R"x(undrawn.tmj: layer "Top": warning: has the offset (4, -2), which the game does not apply)x",
                        R"x(undrawn.tmj: layer "Objects": warning: is hidden in the editor, so the game does not draw it either)x",
                        R"x(undrawn.tmj: error: the map has no Player0: the match runs without it and cannot be won)x",
                        R"x(undrawn.tmj: error: the map has no Player1: the match runs without it and cannot be won)x",
                        "undrawn.tmj: 4 errors, 4 warnings",
                    }},
        CheckerCase{"Unreadable",
                    "truncated.tmj",
                    2,
                    {
                        R"(truncated.tmj: error: cannot be read as a map: is not valid JSON (parse error at line 5, column 1: syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal); the file looks truncated)",
                        "truncated.tmj: 1 error, 0 warnings",
                    }}),
    [](const testing::TestParamInfo<CheckerCase>& info) { return std::string(info.param.name); });

// Class name -> member name -> {"type", "value", ...} as the editor file declares them.
using ClassMembers = std::map<std::string, std::map<std::string, Json>>;

// A project's class members name their custom type "propertyType", object types and maps
// "propertytype"; the lower-case spelling stands for both here.
Json withMapSpelling(Json member)
{
    if (member.contains("propertyType"))
    {
        member["propertytype"] = member["propertyType"];
        member.erase("propertyType");
    }
    return member;
}

ClassMembers projectClasses(const Json& project)
{
    ClassMembers classes;
    for (const Json& type : project.at("propertyTypes"))
    {
        if (type.at("type") != "class")
            continue;
        EXPECT_EQ(type.at("useAs"), Json::array({"object"})) << type.at("name");
        auto& members = classes[type.at("name")];
        for (const Json& member : type.at("members"))
            members[member.at("name")] = withMapSpelling(member);
    }
    return classes;
}

ClassMembers objectTypes(const Json& objectTypesFile)
{
    ClassMembers classes;
    for (const Json& type : objectTypesFile)
    {
        auto& members = classes[type.at("name")];
        for (const Json& member : type.at("properties"))
            members[member.at("name")] = member;
    }
    return classes;
}

TiledPropertyType propertyTypeOf(const Json& member)
{
    const std::string type = member.at("type");
    if (type == "int")
        return TiledPropertyType::Int;
    if (type == "float")
        return TiledPropertyType::Float;
    if (type == "string")
        return TiledPropertyType::String;
    ADD_FAILURE() << "the game reads no property of type " << type;
    return TiledPropertyType::Bool;
}

// A map object carrying the class member with its default, as if the author had typed it in.
TiledObject objectWithDefault(const std::string& name, const Json& member)
{
    TiledObject object;
    object.name = "Defaults";
    object.width = 16;
    object.height = 16;
    TiledProperty property;
    property.name = name;
    property.type = propertyTypeOf(member);
    const Json& value = member.at("value");
    if (property.type == TiledPropertyType::Int)
        property.intValue = value.get<int>();
    else if (property.type == TiledPropertyType::Float)
        property.floatValue = value.get<float>();
    else
        property.stringValue = value.get<std::string>();
    object.properties.push_back(property);
    return object;
}

// An empty text is how the editor shows "no file"; the game reads a property left out the same way.
bool meansAbsent(const Json& member)
{
    return member.at("type") == "string" && member.at("value") == "";
}

// Every setting, so that settings compare whole.
auto tied(const SpriteSettings& s)
{
    return std::tie(s.texturePath, s.textureRectLeft, s.textureRectTop, s.density, s.health, s.scale);
}

auto tied(const SpawnerSettings& s)
{
    return std::tie(s.texturePaths, s.textureRects, s.densities, s.spawnRates);
}

TEST(MapCheckerTest, TheTiledProjectGivesEveryClassMemberTheGamesTypeAndDefault)
{
    const Json project = Json::parse(test::readFile(test::assetsDir() / "bramblot.tiled-project"));
    const ClassMembers classes = projectClasses(project);
    // Tiled 1.8 reads the object types file, later versions the project's classes: both must agree.
    EXPECT_EQ(objectTypes(Json::parse(test::readFile(test::assetsDir() / project.at("objectTypesFile").get<std::string>()))),
              classes);
    // The editor offers exactly the classes the game builds.
    ASSERT_EQ(classes.size(), OBJECT_CLASSES.size());
    for (const ObjectClassRule& rule : OBJECT_CLASSES)
        EXPECT_EQ(classes.count(rule.name), 1u) << rule.name;
    EXPECT_TRUE(classes.at("Collider").empty());

    // Every member read through the game's own rules: a wrong type would be a finding, a wrong
    // default would change the settings.
    ObjectFindings findings;
    for (const auto& [name, member] : classes.at("Sprite"))
    {
        SpriteSettings settings;
        if (name == "InputPlayerIdx")
        {
            // The game's default is "not given"; no int says that, so the project shows -1, which
            // no player's input answers to either.
            EXPECT_FALSE(settings.hasInputPlayerIndex);
            EXPECT_EQ(member.at("type"), "int");
            EXPECT_EQ(member.at("value"), -1);
            continue;
        }
        if (!meansAbsent(member))
        {
            EXPECT_TRUE(readSpriteSettings(objectWithDefault(name, member), "base", settings, findings)) << name;
        }
        EXPECT_EQ(tied(settings), tied(SpriteSettings{})) << name;
    }
    EXPECT_EQ(classes.at("Sprite").size(), 7u);

    for (const auto& [name, member] : classes.at("Spawner"))
    {
        SpawnerSettings settings;
        if (!meansAbsent(member))
        {
            EXPECT_TRUE(readSpawnerSettings(objectWithDefault(name, member), "base", settings, findings)) << name;
        }
        EXPECT_EQ(tied(settings), tied(SpawnerSettings{})) << name;
    }
    EXPECT_EQ(classes.at("Spawner").size(), 14u);

    // The trigger's type is an enum of the editor stored as text; its default must give the plain
    // trigger that a trigger without "type" is.
    const Json& triggerType = classes.at("Trigger").at("type");
    EXPECT_EQ(classes.at("Trigger").size(), 1u);
    const std::string triggerDefault = readTriggerType(objectWithDefault("type", triggerType), findings);
    EXPECT_EQ(triggerKindOf(readTriggerType(TiledObject{}, findings)), TriggerKind::Plain);
    EXPECT_EQ(triggerKindOf(triggerDefault), TriggerKind::Plain);
    const auto isTriggerEnum = [&](const Json& type) { return type.at("name") == triggerType.at("propertytype"); };
    const auto& types = project.at("propertyTypes");
    const auto triggerEnum = std::find_if(types.begin(), types.end(), isTriggerEnum);
    ASSERT_NE(triggerEnum, types.end());
    EXPECT_EQ(triggerEnum->at("storageType"), "string");
    EXPECT_EQ(triggerEnum->at("values"), Json::array({"Plain", "Killzone", "River"}));

    EXPECT_TRUE(findings.empty()) << findings.front().text;
}

} // namespace
} // namespace zelk
