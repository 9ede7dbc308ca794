#include "TestSupport.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>
#include <unistd.h>

namespace zelk::test
{

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

AssetSandbox::AssetSandbox(Empty)
{
    std::filesystem::create_directories(bin());
    std::filesystem::create_directories(assets());
}

AssetSandbox::AssetSandbox(const std::vector<std::string>& leaveOut)
    : AssetSandbox(Empty{})
{
    if (std::filesystem::exists(assetsDir()))
        std::filesystem::copy(assetsDir(), assets(), std::filesystem::copy_options::recursive |
                                                        std::filesystem::copy_options::overwrite_existing);
    for (const auto& relative : leaveOut)
        removeAsset(relative);
}

std::filesystem::path AssetSandbox::prepare(const std::string& relativePath) const
{
    const auto path = assets() / relativePath;
    std::filesystem::create_directories(path.parent_path());
    return path;
}

std::filesystem::path AssetSandbox::writeAsset(const std::string& relativePath, const std::string& bytes) const
{
    const auto path = prepare(relativePath);
    writeFile(path, bytes);
    return path;
}

std::filesystem::path AssetSandbox::writeImage(const std::string& relativePath, unsigned width, unsigned height,
                                               sf::Color color, bool framed) const
{
    sf::Image image;
    image.create(width, height, color);
    for (unsigned x = 0; framed && x < width; ++x)
    {
        image.setPixel(x, 0, sf::Color::Black);
        image.setPixel(x, height - 1, sf::Color::Black);
    }
    const auto path = prepare(relativePath);
    image.saveToFile(path.string());
    return path;
}

std::filesystem::path AssetSandbox::writeSound(const std::string& relativePath, float seconds) const
{
    const unsigned sampleRate = 22050;
    std::vector<sf::Int16> samples(static_cast<std::size_t>(seconds * static_cast<float>(sampleRate)));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<sf::Int16>(1000.0 * std::sin(static_cast<double>(i) * 0.05));
    sf::SoundBuffer buffer;
    buffer.loadFromSamples(samples.data(), samples.size(), 1, sampleRate);
    const auto path = prepare(relativePath);
    buffer.saveToFile(path.string());
    return path;
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
