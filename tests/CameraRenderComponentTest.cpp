// The arena camera: the whole map height, the window's aspect, the centre on the 32-pixel grid.

#include "CameraRenderComponent.h"

#include "GameObject.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{

using zelk::CameraRenderComponent;
using zelk::GameObject;

bool hasArenaWindowSize(const sf::RenderWindow& window)
{
    return window.getSize() == sf::Vector2u(1376, 768);
}

#define REQUIRE_ARENA_WINDOW(window)                                                                             \
    if (!hasArenaWindowSize(window))                                                                             \
    GTEST_SKIP() << "the test window is " << (window).getSize().x << " x " << (window).getSize().y                \
                 << ", not 1376 x 768: the window manager resized it, so the worked examples do not apply"

struct Framing
{
    sf::Vector2f centre;
    sf::Vector2f size;
};

Framing frameMap(sf::RenderWindow& window, sf::Vector2i mapSize)
{
    window.setView(window.getDefaultView());
    auto camera = std::make_shared<GameObject>("Camera");
    auto component = camera->addComponent<CameraRenderComponent>(*camera, window, window.getView(), mapSize);
    EXPECT_TRUE(camera->init());
    EXPECT_EQ(window.getView().getCenter(), component->getView().getCenter()) << "init sets the view on the window";
    EXPECT_EQ(window.getView().getSize(), component->getView().getSize());
    const Framing framing{window.getView().getCenter(), window.getView().getSize()};
    window.setView(window.getDefaultView());
    return framing;
}

void expectFraming(const Framing& framing, sf::Vector2f centre, sf::Vector2f size)
{
    EXPECT_EQ(framing.centre, centre) << "centre " << framing.centre.x << ", " << framing.centre.y;
    EXPECT_EQ(framing.size, size) << "size " << framing.size.x << ", " << framing.size.y;
}

} // namespace

// The whole map height on the window, the window's aspect, the centre on the 32-pixel grid.
TEST(CameraRenderComponentTest, FramesTheMapHeightOnTheWindowCentredOnTheGrid)
{
    sf::RenderWindow& window = zelk::test::testWindow();
    REQUIRE_ARENA_WINDOW(window);
    // A map of the window's size centres on the grid, not on its middle: 688 / 32 = 21.5 rounds
    // away from zero to 22.
    expectFraming(frameMap(window, {1376, 768}), {704.f, 384.f}, {1376.f, 768.f});
    // A smaller map is scaled up, a larger one down.
    expectFraming(frameMap(window, {1280, 720}), {640.f, 352.f}, {1290.f, 720.f});
    expectFraming(frameMap(window, {1600, 960}), {800.f, 480.f}, {1720.f, 960.f});
}

TEST(CameraRenderComponentTest, TheViewIsSetOnlyByInit)
{
    sf::RenderWindow& window = zelk::test::testWindow();
    window.setView(window.getDefaultView());
    auto camera = std::make_shared<GameObject>("Camera");
    auto component =
        camera->addComponent<CameraRenderComponent>(*camera, window, window.getView(), sf::Vector2i(1600, 960));
    component->update(0.5f);
    component->draw();
    EXPECT_EQ(window.getView().getSize(), window.getDefaultView().getSize());
    EXPECT_EQ(component->getView().getSize(), window.getDefaultView().getSize()) << "starts as the view given";
    EXPECT_TRUE(component->init());
    EXPECT_EQ(window.getView().getSize().y, 960.f);
    window.setView(window.getDefaultView());
}

TEST(CameraRenderComponentTest, AMapWithoutHeightOrWidthKeepsTheDefaultView)
{
    sf::RenderWindow& window = zelk::test::testWindow();
    for (const sf::Vector2i mapSize : {sf::Vector2i(0, 0), sf::Vector2i(1376, 0), sf::Vector2i(0, 768)})
    {
        // Even when another view was current before, as the default one is what a player expects.
        sf::View zoomed(sf::FloatRect(10.f, 20.f, 300.f, 200.f));
        window.setView(zoomed);
        auto camera = std::make_shared<GameObject>("Camera");
        auto component = camera->addComponent<CameraRenderComponent>(*camera, window, zoomed, mapSize);
        EXPECT_TRUE(camera->init());
        EXPECT_EQ(window.getView().getCenter(), window.getDefaultView().getCenter()) << mapSize.x << "x" << mapSize.y;
        EXPECT_EQ(window.getView().getSize(), window.getDefaultView().getSize()) << mapSize.x << "x" << mapSize.y;
        EXPECT_EQ(component->getView().getSize(), window.getDefaultView().getSize());
    }
    window.setView(window.getDefaultView());
}

TEST(CameraRenderComponentTest, AWindowTooSmallForTheGridStillGetsAFiniteView)
{
    // Its height snaps to 0 on the 32-pixel grid, which leaves no aspect ratio to scale by. Each test
    // case runs in its own process, so shrinking the shared window affects no other test.
    sf::RenderWindow& window = zelk::test::testWindow();
    window.setSize({40, 10});
    if (window.getSize() != sf::Vector2u(40, 10))
        GTEST_SKIP() << "the window manager did not let the window shrink";
    auto camera = std::make_shared<GameObject>("Camera");
    auto component =
        camera->addComponent<CameraRenderComponent>(*camera, window, window.getView(), sf::Vector2i(1280, 720));
    EXPECT_TRUE(camera->init());
    const sf::Vector2f size = window.getView().getSize();
    EXPECT_TRUE(std::isfinite(size.x) && size.x > 0.f) << size.x;
    EXPECT_EQ(size, sf::Vector2f(1280.f, 720.f)) << "the map's own aspect";
    EXPECT_EQ(window.getView().getCenter(), sf::Vector2f(640.f, 352.f));
    window.setSize({1376, 768});
}
