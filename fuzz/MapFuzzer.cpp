// Feeds arbitrary bytes to the map loader and, when they parse, builds the whole match from them the
// way a match start does: tile layers, objects, a few physics steps, then the match's own shutdown.
// Any crash, sanitizer report or hang here is a map that could take the game down.

#include "DebugDraw.h"
#include "GameObjectManager.h"
#include "ObjectFactory.h"
#include "PhysicsManager.h"
#include "SpriteManager.h"
#include "TileMapLoader.h"
#include "TiledMap.h"

#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/System/Err.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <streambuf>
#include <string>

namespace
{

// The loaders report every flaw of a map; thousands of runs a second would drown the fuzzer's own
// output. BRAMBLOT_FUZZ_VERBOSE=1 keeps the messages, for reproducing a single input.
class NullBuffer : public std::streambuf
{
protected:
    int overflow(int character) override { return traits_type::not_eof(character); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

void silenceMessages()
{
    if (std::getenv("BRAMBLOT_FUZZ_VERBOSE") != nullptr)
        return;
    static NullBuffer nullBuffer;
    std::cout.rdbuf(&nullBuffer);
    std::cerr.rdbuf(&nullBuffer);
    sf::err().rdbuf(&nullBuffer);
}

// The sprite manager needs a window; one small window serves every input.
sf::RenderWindow& fuzzWindow()
{
    static sf::RenderWindow window(sf::VideoMode(320, 200), "MapFuzzer");
    return window;
}

const std::filesystem::path& assetDirectory()
{
    static const std::filesystem::path directory = std::filesystem::path(BRAMBLOT_SOURCE_DIR) / "assets";
    return directory;
}

constexpr int PHYSICS_STEPS = 5;
constexpr float STEP_SECONDS = 1.f / 60.f;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    silenceMessages();
    fuzzWindow();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zelk::TiledMap map;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!map.loadFromString(text, "fuzz.tmj"))
        return 0;

    zelk::GameObjectManager gameObjectManager;
    zelk::SpriteManager spriteManager(fuzzWindow());
    zelk::PhysicsManager physicsManager;
    gameObjectManager.init();
    spriteManager.init();
    physicsManager.init();

    zelk::loadTileLayers(map, assetDirectory(), spriteManager);
    zelk::loadObjects(map, assetDirectory(), spriteManager);
    for (int step = 0; step < PHYSICS_STEPS; ++step)
    {
        gameObjectManager.update(STEP_SECONDS);
        physicsManager.update(STEP_SECONDS);
    }
    spriteManager.draw();
    // The physics steps fill the overlay with every body's shapes; the game empties it after each
    // frame's draw. Left to pile up here, it held on to a few kilobytes per input, which made up most
    // of the fuzzer's growth in a long run.
    zelk::DebugDraw::getInstance().clearShapes();

    // Same order as leaving a match: bodies first, then drawables, then the objects themselves.
    physicsManager.shutdown();
    spriteManager.shutdown();
    gameObjectManager.shutdown();
    return 0;
}
