// Frame cost of a real match: a real Game with its full-screen window (run under Xvfb), the menu
// entered first and then "MainState", exactly as a player starts a match. Every frame is timed on
// its own with a fixed step of 1/280 s, and the heap allocations made during it are counted, with
// the physics overlay's share (shapes refilled for every enabled body, every frame, and allocated
// only when a frame needs more of them than any before) told apart.
//
// Run from bin/ under Xvfb: make bench (see docs/PERFORMANCE.md).

#include "AllocationCounter.h"

#include "AssetPaths.h"
#include "DebugDraw.h"
#include "Game.h"
#include "GameConfig.h"
#include "GameNames.h"
#include "GameObject.h"
#include "GameStateManager.h"
#include "ItemSpawnerComponent.h"
#include "MainState.h"
#include "TraceProfiler.h"

#include <SFML/System/Err.hpp>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace zelk;
namespace fs = std::filesystem;

namespace
{

constexpr float FRAME_TIME = 1.f / 280.f;
constexpr int FRAMES_PER_SECOND = 280;

// BRAMBLOT_BENCH_SECONDS_SCALE shortens the measured runs (0.05 measures a twentieth of the
// frames), for running the benchmark under valgrind or heaptrack. The warm-up is not shortened.
int frames(double seconds)
{
    static const double scale = [] {
        const char* value = std::getenv("BRAMBLOT_BENCH_SECONDS_SCALE");
        const double parsed = value != nullptr ? std::atof(value) : 1.0;
        return parsed > 0.0 ? parsed : 1.0;
    }();
    return std::max(1, static_cast<int>(seconds * scale * FRAMES_PER_SECOND));
}

// Items live 20 s: after that long the arena holds as many as it ever does.
constexpr int STEADY_STATE_FRAMES = 20 * FRAMES_PER_SECOND;
// The graphics driver prepares its shaders for each new kind of drawing on first use.
constexpr int WARM_UP_DRAWS = 30;
const sf::Vector2f SPAWN_VELOCITY(0.f, 100.f);

fs::path projectDirectory()
{
    return BRAMBLOT_SOURCE_DIR;
}

// The game's chatter (map loading, pools, listeners) would bury the results: it goes to a log file.
class QuietGame
{
public:
    QuietGame()
        : m_log(fs::temp_directory_path() / "bramblot-benchmark.log", std::ios::app)
        , m_cout(std::cout.rdbuf(m_log.rdbuf()))
        , m_cerr(std::cerr.rdbuf(m_log.rdbuf()))
        , m_err(sf::err().rdbuf(m_log.rdbuf()))
    {
    }

    ~QuietGame()
    {
        std::cout.rdbuf(m_cout);
        std::cerr.rdbuf(m_cerr);
        sf::err().rdbuf(m_err);
    }

    QuietGame(const QuietGame&) = delete;
    QuietGame& operator=(const QuietGame&) = delete;

private:
    std::ofstream m_log;
    std::streambuf* m_cout;
    std::streambuf* m_cerr;
    std::streambuf* m_err;
};

// A throwaway game directory: bin/ to run from, and assets/ holding links to every real asset with
// the given map as "game.tmj". The working directory is its bin/ while it exists.
class GameDirectory
{
public:
    explicit GameDirectory(const fs::path& map)
        : m_previous(fs::current_path())
    {
        std::string pattern = (fs::temp_directory_path() / "bramblot-bench-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
        fs::create_directories(m_root / "bin");
        fs::create_directories(m_root / "assets");
        const fs::path realAssets = projectDirectory() / "assets";
        for (const auto& entry : fs::directory_iterator(realAssets))
        {
            if (entry.path().filename() != AssetPath::MAP_FILE)
                fs::create_symlink(entry.path(), m_root / "assets" / entry.path().filename());
        }
        fs::copy_file(map, m_root / "assets" / AssetPath::MAP_FILE);
        fs::current_path(m_root / "bin");
    }

    ~GameDirectory()
    {
        std::error_code ignored;
        fs::current_path(m_previous, ignored);
        fs::remove_all(m_root, ignored);
    }

    GameDirectory(const GameDirectory&) = delete;
    GameDirectory& operator=(const GameDirectory&) = delete;

    fs::path bin() const { return m_root / "bin"; }

private:
    fs::path m_previous;
    fs::path m_root;
};

// The session's trace, with every scope of every frame (the render layers' among them): kept as
// BRAMBLOT_BENCH_TRACES/<benchmark>.json when that directory is given, for tools/trace-stats.
// Resolved at start-up, before any session changes the working directory.
const fs::path TRACE_DIRECTORY = [] {
    const char* directory = std::getenv("BRAMBLOT_BENCH_TRACES");
    return directory != nullptr && *directory != '\0' ? fs::absolute(directory) : fs::path();
}();

fs::path traceFile(const std::string& benchmarkName)
{
    if (TRACE_DIRECTORY.empty())
        return "benchmark.json";
    fs::create_directories(TRACE_DIRECTORY);
    return TRACE_DIRECTORY / (benchmarkName + ".json");
}

// A real game in a match: Game::init (full-screen window), one frame of the menu, then the
// switch to "MainState" the way choosing "Start" does it. Traces go to a file like in the game.
class MatchSession
{
public:
    MatchSession(const fs::path& map, const std::string& benchmarkName)
        : m_directory(map)
        , m_game(GameConfig{})
    {
        TraceProfiler::getInstance().beginTrace("benchmark", traceFile(benchmarkName).string());
        m_game.init();
        m_game.update();
        m_game.getGameStateManager().setState(Screen::MATCH);
        m_game.update();
        m_match = dynamic_cast<MainState*>(m_game.getGameStateManager().getCurrentState());
        if (m_match == nullptr || !m_match->isRunning())
        {
            std::cerr << "The match did not start; see " << (fs::temp_directory_path() / "bramblot-benchmark.log")
                      << std::endl;
            std::abort();
        }
        DebugDraw::getInstance().clearShapes();
        // Pictures drawn between measured frames must not wait for the game's frame cap.
        m_game.getWindow().setFramerateLimit(0);
    }

    ~MatchSession()
    {
        // What the main loop does when the window closes.
        if (GameState* current = m_game.getGameStateManager().getCurrentState())
            current->exit();
        m_game.getWindow().close();
        DebugDraw::getInstance().clearShapes();
        TraceProfiler::getInstance().endTrace();
    }

    MatchSession(const MatchSession&) = delete;
    MatchSession& operator=(const MatchSession&) = delete;

    Game& game() { return m_game; }
    MainState& match() { return *m_match; }

    // Frames that are not measured, with the overlay's shapes dropped as Game::draw does.
    void runFrames(int count)
    {
        for (int frame = 0; frame < count; ++frame)
        {
            m_match->update(FRAME_TIME);
            DebugDraw::getInstance().clearShapes();
        }
    }

    std::vector<ItemSpawnerComponent*> spawners() const
    {
        std::vector<ItemSpawnerComponent*> found;
        for (const auto& [id, object] : m_match->getGameObjectManager().getGameObjects())
        {
            if (auto spawner = object->getComponent<ItemSpawnerComponent>())
                found.push_back(spawner.get());
        }
        return found;
    }

    int itemsInPlay() const
    {
        int count = 0;
        for (const ItemSpawnerComponent* spawner : spawners())
        {
            for (const auto& item : spawner->getPool().getItems())
                count += item && item->isActive() ? 1 : 0;
        }
        return count;
    }

    int pooledItems() const
    {
        int count = 0;
        for (const ItemSpawnerComponent* spawner : spawners())
            count += static_cast<int>(spawner->getPool().getItems().size());
        return count;
    }

private:
    QuietGame m_quiet;
    GameDirectory m_directory;
    Game m_game;
    MainState* m_match = nullptr;
};

// CPU time of the calling thread: unlike the wall clock it does not count the time the thread
// waited for a core, which on a busy machine is most of the spread between frames.
double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double medianOf(std::vector<double>& values)
{
    std::sort(values.begin(), values.end());
    const std::size_t count = values.size();
    return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2.0;
}

// Per-frame figures: durations for the median and 95th percentile, allocations split by source.
class FrameRecorder
{
public:
    explicit FrameRecorder(benchmark::State& state)
        : m_state(state)
    {
        m_microseconds.reserve(static_cast<std::size_t>(state.max_iterations));
        m_cpuMicroseconds.reserve(static_cast<std::size_t>(state.max_iterations));
    }

    // Times one call, with the heap counted around it only.
    template <typename Work>
    void measure(Work&& work)
    {
        const std::size_t recycledBefore = DebugDraw::getInstance().getRecycledShapeCount();
        bench::AllocationScope allocations;
        const double cpuStart = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        const double cpuEnd = threadCpuSeconds();
        const bench::AllocationCount count = allocations.stop();
        m_cpuMicroseconds.push_back((cpuEnd - cpuStart) * 1e6);

        // The overlay refills the shapes of earlier frames and allocates only when a frame needs
        // more shapes than any before; such a frame's allocations are all put down to it.
        const bool overlayGrew = DebugDraw::getInstance().getRecycledShapeCount() != recycledBefore;
        const std::uint64_t overlay = overlayGrew ? count.calls : 0;
        m_allocations += count.calls;
        m_overlayAllocations += overlay;
        m_framesOverlayGrew += overlayGrew ? 1 : 0;
        m_framesWithOtherAllocations += count.calls > overlay ? 1 : 0;
        m_bytes += count.bytes;
        m_shapes += DebugDraw::getInstance().getShapes().size();
        DebugDraw::getInstance().clearShapes();

        const std::chrono::duration<double> seconds = end - start;
        m_microseconds.push_back(seconds.count() * 1e6);
        m_state.SetIterationTime(seconds.count());
    }

    void report()
    {
        if (m_microseconds.empty())
            return;
        const double median = medianOf(m_microseconds);
        const std::size_t count = m_microseconds.size();
        const std::size_t p95Rank = std::max<std::size_t>(1, (count * 95 + 99) / 100);
        m_state.counters["median_us"] = median;
        m_state.counters["cpu_median_us"] = medianOf(m_cpuMicroseconds);
        m_state.counters["p95_us"] = m_microseconds[p95Rank - 1];
        m_state.counters["max_us"] = m_microseconds.back();
        const auto perFrame = benchmark::Counter::kAvgIterations;
        m_state.counters["allocs"] = benchmark::Counter(static_cast<double>(m_allocations), perFrame);
        m_state.counters["overlay_allocs"] = benchmark::Counter(static_cast<double>(m_overlayAllocations), perFrame);
        m_state.counters["other_allocs"] =
            benchmark::Counter(static_cast<double>(m_allocations - m_overlayAllocations), perFrame);
        m_state.counters["frames_other_allocs"] = static_cast<double>(m_framesWithOtherAllocations);
        m_state.counters["frames_overlay_grew"] = static_cast<double>(m_framesOverlayGrew);
        m_state.counters["alloc_bytes"] = benchmark::Counter(static_cast<double>(m_bytes), perFrame);
        m_state.counters["overlay_shapes"] = benchmark::Counter(static_cast<double>(m_shapes), perFrame);
    }

private:
    benchmark::State& m_state;
    std::vector<double> m_microseconds;
    std::vector<double> m_cpuMicroseconds;
    std::uint64_t m_allocations = 0;
    std::uint64_t m_overlayAllocations = 0;
    std::uint64_t m_framesWithOtherAllocations = 0;
    std::uint64_t m_framesOverlayGrew = 0;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_shapes = 0;
};

fs::path arenaMap()
{
    return projectDirectory() / "assets" / AssetPath::MAP_FILE;
}

fs::path fourSpawnerMap()
{
    return projectDirectory() / "benchmarks" / "data" / "four-spawners.tmj";
}

// One whole picture as the game makes it, the driver's rendering in display() included.
void drawPicture(MatchSession& session)
{
    sf::RenderWindow& window = session.game().getWindow();
    window.clear(sf::Color::Black);
    session.match().draw();
    window.display();
}

// The arena as it is played: both spawners cycling, items coming and going.
void MatchUpdateOnTheArena(benchmark::State& state)
{
    MatchSession session(arenaMap(), "MatchUpdateOnTheArena");
    session.runFrames(STEADY_STATE_FRAMES);
    FrameRecorder recorder(state);
    for (auto _ : state)
        recorder.measure([&] { session.match().update(FRAME_TIME); });
    recorder.report();
    state.counters["items_in_play"] = session.itemsInPlay();
}

// The same update with the picture drawn and displayed between frames, as in the game: the driver's
// software rendering runs through megabytes of pixels per frame and leaves the caches cold.
void MatchUpdateBetweenPictures(benchmark::State& state)
{
    MatchSession session(arenaMap(), "MatchUpdateBetweenPictures");
    session.runFrames(STEADY_STATE_FRAMES);
    FrameRecorder recorder(state);
    for (auto _ : state)
    {
        recorder.measure([&] { session.match().update(FRAME_TIME); });
        drawPicture(session);
    }
    recorder.report();
}

// Every pooled item of four spawners launched at once and in play for every measured frame.
void MatchUpdateWithEveryItemInPlay(benchmark::State& state)
{
    MatchSession session(fourSpawnerMap(), "MatchUpdateWithEveryItemInPlay");
    for (ItemSpawnerComponent* spawner : session.spawners())
    {
        for (std::size_t slot = 0; slot < spawner->getPool().getItems().size(); ++slot)
            spawner->spawn(SPAWN_VELOCITY);
    }
    session.runFrames(1);
    const int launched = session.itemsInPlay();
    FrameRecorder recorder(state);
    for (auto _ : state)
        recorder.measure([&] { session.match().update(FRAME_TIME); });
    recorder.report();
    state.counters["items_launched"] = launched;
    state.counters["items_in_play"] = session.itemsInPlay();
    state.counters["items_pooled"] = session.pooledItems();
}

// The measured draws go through here and the warm-up does not, so a profiler can collect exactly
// the measured ones: valgrind --tool=callgrind --toggle-collect='*drawMeasuredPicture*'.
[[gnu::noinline]] void drawMeasuredPicture(MainState& match)
{
    match.draw();
}

// A few untimed pictures first, so the driver's work on first use is not measured, then one update
// and one timed submission per picture.
void measureDrawing(benchmark::State& state, MatchSession& session)
{
    sf::RenderWindow& window = session.game().getWindow();
    for (int frame = 0; frame < WARM_UP_DRAWS; ++frame)
        drawPicture(session);
    FrameRecorder recorder(state);
    for (auto _ : state)
    {
        session.runFrames(1);
        window.clear(sf::Color::Black);
        recorder.measure([&] { drawMeasuredPicture(session.match()); });
        window.display();
    }
    recorder.report();
}

// Submission of one picture of the match (layers, items, hearts); the window's display, where the
// driver renders, is not timed.
void MatchDrawOnTheArena(benchmark::State& state)
{
    MatchSession session(arenaMap(), "MatchDrawOnTheArena");
    session.runFrames(STEADY_STATE_FRAMES);
    measureDrawing(state, session);
}

// The same submission with a view far away from the arena: every triangle falls outside the picture,
// so the driver's rasterising work at draw time (setting up and binning each triangle, which
// software GL does inside the draw call) is left out and what remains is close to the cost of the
// game's own code, SFML and the GL calls themselves.
void MatchDrawOutsideTheView(benchmark::State& state)
{
    MatchSession session(arenaMap(), "MatchDrawOutsideTheView");
    session.runFrames(STEADY_STATE_FRAMES);
    sf::RenderWindow& window = session.game().getWindow();
    sf::View away = window.getView();
    away.setCenter(-1.0e6f, -1.0e6f);
    window.setView(away);
    measureDrawing(state, session);
}

// Entering the match: map, tile layers, objects, item pools and their bodies, music, camera.
void MatchEntry(benchmark::State& state)
{
    MatchSession session(arenaMap(), "MatchEntry");
    FrameRecorder recorder(state);
    for (auto _ : state)
    {
        session.match().exit();
        recorder.measure([&] { session.match().init(); });
    }
    recorder.report();
}

} // namespace

BENCHMARK(MatchUpdateOnTheArena)->UseManualTime()->Iterations(frames(20))->Unit(benchmark::kMicrosecond);
BENCHMARK(MatchUpdateBetweenPictures)->UseManualTime()->Iterations(frames(2))->Unit(benchmark::kMicrosecond);
BENCHMARK(MatchUpdateWithEveryItemInPlay)->UseManualTime()->Iterations(frames(10))->Unit(benchmark::kMicrosecond);
BENCHMARK(MatchDrawOnTheArena)->UseManualTime()->Iterations(frames(2))->Unit(benchmark::kMicrosecond);
BENCHMARK(MatchDrawOutsideTheView)->UseManualTime()->Iterations(frames(2))->Unit(benchmark::kMicrosecond);
BENCHMARK(MatchEntry)->UseManualTime()->Iterations(15)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
