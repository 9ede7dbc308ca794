#pragma once
// Helpers shared by the test files: stream capture, working-directory sandboxes with a copy of the
// real assets, and a real window for render tests (the tests run under Xvfb).

#include <SFML/Graphics/RenderWindow.hpp>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <sstream>
#include <string>
#include <vector>

namespace zelk::test
{

inline std::filesystem::path sourceDir() { return BRAMBLOT_SOURCE_DIR; }
inline std::filesystem::path assetsDir() { return sourceDir() / "assets"; }
inline std::filesystem::path gameExecutable() { return BRAMBLOT_GAME_EXECUTABLE; }

// Redirects a stream (sf::err(), std::cout, std::cerr) into a buffer while alive.
class StreamCapture
{
public:
    // m_buffer is declared after m_previous, so it only exists once the body runs.
    explicit StreamCapture(std::ostream& stream)
        : m_stream(stream)
    {
        m_previous = stream.rdbuf(m_buffer.rdbuf());
    }
    ~StreamCapture() { m_stream.rdbuf(m_previous); }
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;

    std::string text() const { return m_buffer.str(); }
    void clear() { m_buffer.str({}); }

private:
    std::ostream& m_stream;
    std::streambuf* m_previous = nullptr;
    std::ostringstream m_buffer;
};

// Changes the working directory for its lifetime.
class ScopedWorkingDirectory
{
public:
    explicit ScopedWorkingDirectory(const std::filesystem::path& directory)
        : m_previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(directory);
    }
    ~ScopedWorkingDirectory()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
    }

private:
    std::filesystem::path m_previous;
};

// A fresh, empty temporary directory, removed with everything in it on destruction.
class TemporaryDirectory
{
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A fresh temporary directory holding "bin/" and "assets/" (a copy of the real assets, without
// the files listed, relative to assets/; or nothing at all). Removed on destruction. Enter bin()
// to run game code against it.
class AssetSandbox
{
public:
    struct Empty
    {
    };

    explicit AssetSandbox(const std::vector<std::string>& leaveOut = {});
    explicit AssetSandbox(Empty);

    const std::filesystem::path& root() const { return m_root.path(); }
    std::filesystem::path bin() const { return root() / "bin"; }
    std::filesystem::path assets() const { return root() / "assets"; }
    // Each replaces or adds one asset (path relative to assets/) and returns its full path.
    std::filesystem::path writeAsset(const std::string& relativePath, const std::string& bytes) const;
    // A solid rectangle; a black frame row at top and bottom when framed (black becomes transparent).
    std::filesystem::path writeImage(const std::string& relativePath, unsigned width, unsigned height,
                                     sf::Color color, bool framed = false) const;
    // A quiet tone, long enough for "is it still playing" checks.
    std::filesystem::path writeSound(const std::string& relativePath, float seconds = 2.f) const;
    void removeAsset(const std::string& relativePath) const;

private:
    std::filesystem::path prepare(const std::string& relativePath) const;

    TemporaryDirectory m_root;
};

// An empty sandbox, entered while alive: the game's "../assets/..." paths reach only what the test
// wrote.
class GameDirectory : public AssetSandbox
{
public:
    GameDirectory()
        : AssetSandbox(Empty{})
        , m_entered(bin())
    {
    }

private:
    ScopedWorkingDirectory m_entered;
};

// A real 1376 x 768 window, created once per test process and reused.
sf::RenderWindow& testWindow();

// Polls the condition until it holds (true) or the limit has passed (false). On a loaded machine a
// game, a child process or the sound mixer can be late by seconds, so tests wait for what they need
// to see instead of sleeping for a fixed time.
bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace zelk::test
