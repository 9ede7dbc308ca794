// Single-image sprites: loading with black masked out, drawing through the object's transform,
// the load failure, blinking.

#include "EventBus.h"
#include "GameObject.h"
#include "SpriteRenderComponent.h"
#include "TestSupport.h"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <unistd.h>

namespace
{

using zelk::GameObject;
using zelk::SpriteRenderComponent;

const sf::Color BACKDROP(0, 0, 200);
const sf::Color DARK_GREY(1, 1, 1);

class SpriteRenderComponentTest : public ::testing::Test
{
protected:
    SpriteRenderComponentTest()
        : m_directory(std::filesystem::temp_directory_path() / ("bramblot-sprite-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_directory);
        m_window.setView(m_window.getDefaultView());
    }
    ~SpriteRenderComponentTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }

    // Writes a PNG whose pixel colours come from colourAt(x, y).
    std::string writeImage(const std::string& name, unsigned width, unsigned height,
                           const std::function<sf::Color(unsigned, unsigned)>& colourAt)
    {
        sf::Image image;
        image.create(width, height);
        for (unsigned y = 0; y < height; ++y)
            for (unsigned x = 0; x < width; ++x)
                image.setPixel(x, y, colourAt(x, y));
        const auto path = (m_directory / name).string();
        image.saveToFile(path);
        return path;
    }

    std::shared_ptr<SpriteRenderComponent> makeSprite(const std::string& path, sf::Vector2f position)
    {
        m_object = std::make_shared<GameObject>("Sign");
        m_object->setPosition(position);
        return m_object->addComponent<SpriteRenderComponent>(*m_object, m_window, path, "Objects");
    }

    // The same, initialised: its image loaded.
    std::shared_ptr<SpriteRenderComponent> loadSprite(const std::string& path, sf::Vector2f position)
    {
        auto sprite = makeSprite(path, position);
        EXPECT_TRUE(sprite->init()) << path;
        return sprite;
    }

    // Clears to the backdrop, draws the sprite and reads the frame back.
    sf::Image render(SpriteRenderComponent& sprite)
    {
        m_window.clear(BACKDROP);
        sprite.draw();
        sf::Texture copy;
        copy.create(m_window.getSize().x, m_window.getSize().y);
        copy.update(m_window);
        return copy.copyToImage();
    }

    sf::RenderWindow& m_window = zelk::test::testWindow();
    std::filesystem::path m_directory;
    std::shared_ptr<GameObject> m_object;
};

sf::Color leftBlackRightDarkGrey(unsigned x, unsigned)
{
    return x < 8 ? sf::Color::Black : DARK_GREY;
}

sf::Color leftRedRightGreen(unsigned x, unsigned)
{
    return x < 8 ? sf::Color::Red : sf::Color::Green;
}

} // namespace

TEST_F(SpriteRenderComponentTest, AMissingOrBrokenImageFailsInitWithItsMessage)
{
    const auto broken = m_directory / "broken.png";
    zelk::test::writeFile(broken, "not a png at all");
    for (const std::string& path : {(m_directory / "no-such-sign.png").string(), broken.string()})
    {
        makeSprite(path, {0.f, 0.f});
        zelk::test::StreamCapture err(sf::err());
        EXPECT_FALSE(m_object->init());
        EXPECT_NE(err.text().find("Could not load texture from " + path + "\n"), std::string::npos);
        EXPECT_NE(err.text().find("Could not initialize component of object Sign\n"), std::string::npos);
    }
}

TEST_F(SpriteRenderComponentTest, PureBlackIsInvisibleButDarkGreyIsNot)
{
    auto sprite = loadSprite(writeImage("mask.png", 16, 8, leftBlackRightDarkGrey), {200.f, 200.f});

    const sf::Image frame = render(*sprite);
    EXPECT_EQ(frame.getPixel(204, 204), BACKDROP);
    EXPECT_EQ(frame.getPixel(212, 204), DARK_GREY);
}

TEST_F(SpriteRenderComponentTest, ShowsTheWholeImageOrTheRectangleSetBeforeInit)
{
    const std::string path = writeImage("halves.png", 16, 8, leftRedRightGreen);
    const sf::Image whole = render(*loadSprite(path, {300.f, 300.f}));
    EXPECT_EQ(whole.getPixel(302, 302), sf::Color::Red);
    EXPECT_EQ(whole.getPixel(314, 306), sf::Color::Green);
    EXPECT_EQ(whole.getPixel(318, 302), BACKDROP);

    const auto half = makeSprite(path, {300.f, 300.f});
    half->getSprite().setTextureRect(sf::IntRect(8, 0, 8, 8));
    ASSERT_TRUE(half->init());
    const sf::Image right = render(*half);
    EXPECT_EQ(right.getPixel(302, 302), sf::Color::Green);
    EXPECT_EQ(right.getPixel(310, 302), BACKDROP);
}

TEST_F(SpriteRenderComponentTest, DrawsThroughTheObjectsTransformAndItsOwnOrigin)
{
    auto sprite = loadSprite(writeImage("scaled.png", 16, 8, leftRedRightGreen), {400.f, 400.f});
    sprite->getSprite().setOrigin(8.f, 4.f);
    m_object->setScale(2.f, 2.f);

    // The 16 x 8 image now covers 32 x 16 pixels centred on the object.
    const sf::Image frame = render(*sprite);
    EXPECT_EQ(frame.getPixel(386, 394), sf::Color::Red);
    EXPECT_EQ(frame.getPixel(413, 406), sf::Color::Green);
    EXPECT_EQ(frame.getPixel(417, 400), BACKDROP);
    EXPECT_EQ(frame.getPixel(400, 410), BACKDROP);
}

TEST_F(SpriteRenderComponentTest, BlinkingStartsInvisibleTogglesEveryIntervalAndEndsWhite)
{
    auto sprite = loadSprite(writeImage("blink.png", 8, 8, leftRedRightGreen), {0.f, 0.f});
    sprite->getSprite().setColor(sf::Color(255, 0, 0, 128));
    sprite->startBlinking(1.0f, 0.1f);

    float elapsed = 0.f;
    auto step = [&] {
        sprite->update(0.05f);
        elapsed += 0.05f;
        return sprite->getSprite().getColor();
    };
    EXPECT_EQ(step(), sf::Color::Transparent); // 0.05
    step();                                     // 0.10
    EXPECT_EQ(step(), sf::Color::White);       // 0.15
    step();                                     // 0.20
    EXPECT_EQ(step(), sf::Color::Transparent); // 0.25
    while (elapsed < 0.92f)
        step();
    EXPECT_TRUE(sprite->isBlinking());
    step();
    step();
    EXPECT_FALSE(sprite->isBlinking());
    EXPECT_EQ(sprite->getSprite().getColor(), sf::Color::White);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(step(), sf::Color::White);
}

TEST_F(SpriteRenderComponentTest, ABlinkWithoutAPositiveIntervalIsRefused)
{
    auto sprite = loadSprite(writeImage("steady.png", 8, 8, leftRedRightGreen), {0.f, 0.f});

    zelk::test::StreamCapture err(sf::err());
    sprite->startBlinking(1.0f, 0.f);
    sprite->startBlinking(1.0f, -0.1f);
    EXPECT_FALSE(sprite->isBlinking());
    EXPECT_NE(err.text().find("interval must be a positive number"), std::string::npos);
    sprite->update(0.05f);
    EXPECT_EQ(sprite->getSprite().getColor(), sf::Color::White);
}
