#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>
#include <unistd.h>

namespace zelk::test
{

std::filesystem::path sourceDir()
{
    return BRAMBLOT_SOURCE_DIR;
}

std::filesystem::path assetsDir()
{
    return sourceDir() / "assets";
}

std::filesystem::path gameExecutable()
{
    return BRAMBLOT_GAME_EXECUTABLE;
}

StreamCapture::StreamCapture(std::ostream& stream)
    : m_stream(stream)
    , m_previous(nullptr)
{
    // m_buffer is declared after m_previous, so it only exists once the body runs.
    m_previous = stream.rdbuf(m_buffer.rdbuf());
}

StreamCapture::~StreamCapture()
{
    m_stream.rdbuf(m_previous);
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::filesystem::path& directory)
    : m_previous(std::filesystem::current_path())
{
    std::filesystem::current_path(directory);
}

ScopedWorkingDirectory::~ScopedWorkingDirectory()
{
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
}

TemporaryDirectory::TemporaryDirectory()
{
    std::random_device device;
    m_path = std::filesystem::temp_directory_path() /
             ("bramblot-test-" + std::to_string(::getpid()) + "-" + std::to_string(device()));
    std::filesystem::create_directories(m_path);
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

AssetSandbox::AssetSandbox(const std::vector<std::string>& leaveOut)
{
    std::filesystem::create_directories(bin());
    std::filesystem::create_directories(assets());
    if (std::filesystem::exists(assetsDir()))
        std::filesystem::copy(assetsDir(), assets(), std::filesystem::copy_options::recursive |
                                                        std::filesystem::copy_options::overwrite_existing);
    for (const auto& relative : leaveOut)
        removeAsset(relative);
}

void AssetSandbox::writeAsset(const std::string& relativePath, const std::string& bytes) const
{
    const auto path = assets() / relativePath;
    std::filesystem::create_directories(path.parent_path());
    writeFile(path, bytes);
}

void AssetSandbox::removeAsset(const std::string& relativePath) const
{
    std::error_code ignored;
    std::filesystem::remove_all(assets() / relativePath, ignored);
}

sf::RenderWindow& testWindow()
{
    // Never destroyed: closing the last GL context at exit unloads Mesa's driver before the leak
    // check runs, and the driver's own allocations then show up as leaks of an unknown module
    // that no suppression can name.
    static sf::RenderWindow* window =
        new sf::RenderWindow(sf::VideoMode(1376, 768), "bramblot test", sf::Style::Titlebar);
    return *window;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream input(path, std::ios::binary);
    std::ostringstream content;
    content << input.rdbuf();
    return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output << bytes;
}

} // namespace zelk::test
