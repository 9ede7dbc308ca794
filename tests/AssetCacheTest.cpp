// Shared textures and sound buffers: one decode per file while it is in use, masked and plain kept
// apart, failures not remembered, replaced files loaded again, nothing kept once the users are gone.

#include "AssetCache.h"

#include "BombComponent.h"
#include "ItemSpawnerComponent.h"
#include "SpriteRenderComponent.h"
#include "MatchKit.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

using namespace zelk;
using namespace zelk::test;

namespace
{

class AssetCacheTest : public ::testing::Test
{
protected:
    AssetCacheTest()
        : m_directory(std::filesystem::temp_directory_path() /
                      ("bramblot-asset-cache-" + std::to_string(::getpid()) + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        std::filesystem::create_directories(m_directory);
        // Textures need a graphics context.
        testWindow();
    }

    ~AssetCacheTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    // A width x height picture of one colour with a pure black pixel in its top-left corner.
    std::string writePicture(const std::string& name, unsigned width, unsigned height, sf::Color colour) const
    {
        sf::Image image;
        image.create(width, height, colour);
        image.setPixel(0, 0, sf::Color::Black);
        const std::string path = (m_directory / name).string();
        image.saveToFile(path);
        return path;
    }

    std::string writeSound(const std::string& name, std::size_t sampleCount) const
    {
        std::vector<sf::Int16> samples(sampleCount);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<sf::Int16>(1000.0 * std::sin(static_cast<double>(i) * 0.05));
        sf::SoundBuffer buffer;
        buffer.loadFromSamples(samples.data(), samples.size(), 1, 22050);
        const std::string path = (m_directory / name).string();
        buffer.saveToFile(path);
        return path;
    }

    std::string pathOf(const std::string& name) const { return (m_directory / name).string(); }

private:
    std::filesystem::path m_directory;
};

sf::Color cornerOf(const sf::Texture& texture)
{
    return texture.copyToImage().getPixel(0, 0);
}

} // namespace

TEST_F(AssetCacheTest, OneFileInUseIsOneTextureOrOneSoundBuffer)
{
    const std::string picture = writePicture("rock.png", 8, 4, sf::Color::Red);
    const auto texture = AssetCache::getTexture(picture, true);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(AssetCache::getTexture(picture, true), texture);
    EXPECT_EQ(texture->getSize(), sf::Vector2u(8, 4));

    const std::string sound = writeSound("splash.wav", 4410);
    const auto buffer = AssetCache::getSoundBuffer(sound);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(AssetCache::getSoundBuffer(sound), buffer);
    EXPECT_EQ(buffer->getSampleCount(), 4410u);
}

TEST_F(AssetCacheTest, MaskedAndPlainPicturesOfOneFileStayApart)
{
    const std::string path = writePicture("sheet.png", 4, 4, sf::Color::Green);
    const auto masked = AssetCache::getTexture(path, true);
    const auto plain = AssetCache::getTexture(path, false);
    ASSERT_NE(masked, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_NE(masked, plain);
    EXPECT_EQ(cornerOf(*masked).a, 0) << "pure black becomes transparent";
    EXPECT_EQ(cornerOf(*plain), sf::Color::Black);
    EXPECT_EQ(masked->copyToImage().getPixel(1, 1), sf::Color::Green);
}

TEST_F(AssetCacheTest, AMissingFileGivesNothingAndIsTriedAgainLater)
{
    StreamCapture err(sf::err());
    const std::string path = pathOf("later.png");
    EXPECT_EQ(AssetCache::getTexture(path, false), nullptr);
    EXPECT_EQ(AssetCache::getSoundBuffer(pathOf("later.wav")), nullptr);
    EXPECT_NE(err.text().find("later.png"), std::string::npos) << "SFML says which file failed";

    writePicture("later.png", 2, 2, sf::Color::Blue);
    const auto texture = AssetCache::getTexture(path, false);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getSize(), sf::Vector2u(2, 2));
}

TEST_F(AssetCacheTest, AFileReplacedOnDiskIsLoadedAgain)
{
    const std::string path = writePicture("tiles.png", 2, 2, sf::Color::Red);
    const auto before = AssetCache::getTexture(path, false);
    ASSERT_NE(before, nullptr);

    // A later modification time, in case the file system keeps coarse times.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    writePicture("tiles.png", 6, 3, sf::Color::Red);
    const auto after = AssetCache::getTexture(path, false);
    ASSERT_NE(after, nullptr);
    EXPECT_NE(before, after);
    EXPECT_EQ(after->getSize(), sf::Vector2u(6, 3));
    EXPECT_EQ(before->getSize(), sf::Vector2u(2, 2)) << "a texture in use is left as it is";
}

TEST_F(AssetCacheTest, NothingIsKeptOnceTheLastUserIsGone)
{
    const std::string picture = writePicture("bomb.png", 4, 4, sf::Color::White);
    const std::string sound = writeSound("boom.wav", 2205);
    std::weak_ptr<const sf::Texture> texture = AssetCache::getTexture(picture, false);
    std::weak_ptr<const sf::SoundBuffer> buffer = AssetCache::getSoundBuffer(sound);
    EXPECT_TRUE(texture.expired());
    EXPECT_TRUE(buffer.expired());

    auto held = AssetCache::getSoundBuffer(sound);
    buffer = held;
    EXPECT_EQ(AssetCache::getSoundBuffer(sound), held);
    held.reset();
    EXPECT_TRUE(buffer.expired());

    // Nor an entry per name: maps edited over a long session name their files anew, and every
    // spelling of a path is a name of its own.
    const auto inUse = AssetCache::getTexture(picture, true);
    std::string spelling;
    for (int i = 0; i < 40; ++i)
    {
        spelling += "./";
        ASSERT_NE(AssetCache::getTexture(pathOf(spelling + "bomb.png"), false), nullptr);
        ASSERT_NE(AssetCache::getSoundBuffer(pathOf(spelling + "boom.wav")), nullptr);
    }
    EXPECT_LE(AssetCache::getEntryCount(), 3u) << "the picture in use and at most the last of each kind";
    EXPECT_EQ(AssetCache::getTexture(picture, true), inUse);
}

TEST_F(AssetCacheTest, EveryItemOfAPoolSharesItsKindsPicture)
{
    MatchScene scene;
    auto spawner = std::make_shared<GameObject>("Spawner");
    auto pool = spawner->addComponent<ItemSpawnerComponent>(*spawner, 60, testWindow(), scene.itemTextures().paths(),
                                                            ItemTextures::rects(), std::array<float, 2>{2.f, 3.f},
                                                            std::array<float, 2>{0.5f, 0.5f}, "Objects");

    std::set<const sf::Texture*> rockPictures;
    std::set<const sf::Texture*> bombSheets;
    int bombs = 0;
    for (const auto& item : pool->getPool().getItems())
    {
        if (auto rock = item->getComponent<SpriteRenderComponent>())
            rockPictures.insert(rock->getSprite().getTexture());
        if (auto bomb = item->getComponent<AnimationRenderComponent>())
        {
            bombSheets.insert(&bomb->getTexture());
            ++bombs;
        }
    }
    ASSERT_GT(bombs, 0);
    ASSERT_LT(bombs, 60);
    EXPECT_EQ(rockPictures.size(), 1u);
    EXPECT_EQ(bombSheets.size(), 1u);
    EXPECT_NE(*rockPictures.begin(), nullptr);
    EXPECT_EQ((*bombSheets.begin())->getSize(), sf::Vector2u(8 * ItemTextures::FRAME, 2 * ItemTextures::FRAME));
}
