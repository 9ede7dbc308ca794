#include "HealthIndicatorRenderComponent.h"

#include "AssetPaths.h"
#include "GameObject.h"
#include "SpriteManager.h"
#include "TestSupport.h"

#include <SFML/Graphics/Texture.hpp>
#include <SFML/System/Err.hpp>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::test;

namespace
{

const sf::Color HEART_COLOUR(220, 20, 20);
const sf::Color PLACE_COLOUR(20, 20, 220);

class HealthIndicatorRenderComponentTest : public ::testing::Test
{
protected:
    HealthIndicatorRenderComponentTest()
        : window(testWindow())
        , object(std::make_shared<GameObject>("Player0HealthIndicator"))
    {
        // The heart's top and bottom rows are black: it must come out transparent and show the place below.
        directory.writeImage("Health/heart.png", 16, 16, HEART_COLOUR, true);
        directory.writeImage("Health/background.png", 16, 16, PLACE_COLOUR);
        window.setView(window.getDefaultView());
        object->setPosition(200.f, 50.f);
    }

    std::shared_ptr<HealthIndicatorRenderComponent> makeIndicator(int health)
    {
        auto indicator = object->addComponent<HealthIndicatorRenderComponent>(
            *object, window, AssetPath::HEART_BACKGROUND, AssetPath::HEART, "GUI",
            sf::Vector2f(2.5f, 2.5f), health);
        EXPECT_TRUE(object->init());
        return indicator;
    }

    sf::Image render(HealthIndicatorRenderComponent& indicator)
    {
        window.clear(sf::Color::Black);
        indicator.draw();
        sf::Texture texture;
        texture.create(window.getSize().x, window.getSize().y);
        texture.update(window);
        return texture.copyToImage();
    }

    // Colour in the middle of place k (0-based) at the given height below the object.
    static sf::Color placeColour(const sf::Image& image, int place, unsigned y = 70)
    {
        return image.getPixel(static_cast<unsigned>(200 + 40 * (place + 1) + 20), y);
    }

    GameDirectory directory;
    sf::RenderWindow& window;
    std::shared_ptr<GameObject> object;
};

} // namespace

TEST_F(HealthIndicatorRenderComponentTest, PlacesAndHeartsStartOneHeartWidthRightOfTheObject)
{
    auto indicator = makeIndicator(3);
    const sf::Image image = render(*indicator);

    // A 16 px heart at scale 2.5 gives places at x distances 40, 80 and 120.
    EXPECT_EQ(image.getPixel(239, 70), sf::Color::Black);
    EXPECT_EQ(image.getPixel(240, 70), HEART_COLOUR);
    EXPECT_EQ(image.getPixel(279, 70), HEART_COLOUR);
    EXPECT_EQ(image.getPixel(280, 70), HEART_COLOUR);
    EXPECT_EQ(image.getPixel(359, 70), HEART_COLOUR);
    EXPECT_EQ(image.getPixel(360, 70), sf::Color::Black);
    EXPECT_EQ(image.getPixel(260, 49), sf::Color::Black);
    EXPECT_EQ(image.getPixel(260, 87), HEART_COLOUR);
    EXPECT_EQ(image.getPixel(260, 91), sf::Color::Black);
    // The masked black rows of the heart show the empty place beneath them.
    EXPECT_EQ(image.getPixel(260, 51), PLACE_COLOUR);
    EXPECT_EQ(image.getPixel(260, 89), PLACE_COLOUR);
}

TEST_F(HealthIndicatorRenderComponentTest, ALossShowsAnEmptyPlaceAndFlashesForOneSecond)
{
    auto indicator = makeIndicator(3);
    indicator->setHealth(2);
    ASSERT_TRUE(indicator->isFlashing());

    // Hidden during [0, 0.1) of every 0.2 s, shown during [0.1, 0.2).
    sf::Image image = render(*indicator);
    for (int place = 0; place < 3; ++place)
        EXPECT_EQ(placeColour(image, place), PLACE_COLOUR) << place;

    indicator->update(0.15f);
    image = render(*indicator);
    EXPECT_EQ(placeColour(image, 0), HEART_COLOUR);
    EXPECT_EQ(placeColour(image, 1), HEART_COLOUR);
    EXPECT_EQ(placeColour(image, 2), PLACE_COLOUR);

    indicator->update(0.1f);
    EXPECT_EQ(indicator->getVisibleHeartCount(), 0);
    indicator->update(0.1f);
    EXPECT_EQ(indicator->getVisibleHeartCount(), 2);

    indicator->update(0.64f);
    EXPECT_TRUE(indicator->isFlashing());
    indicator->update(0.02f);
    EXPECT_FALSE(indicator->isFlashing());
    EXPECT_EQ(indicator->getVisibleHeartCount(), 2);
    image = render(*indicator);
    EXPECT_EQ(placeColour(image, 1), HEART_COLOUR);
    EXPECT_EQ(placeColour(image, 2), PLACE_COLOUR);
}

TEST_F(HealthIndicatorRenderComponentTest, OnlyALossFlashesAndANewLossRestartsTheFlash)
{
    auto indicator = makeIndicator(3);
    indicator->setHealth(3);
    EXPECT_FALSE(indicator->isFlashing());
    indicator->setHealth(2);
    indicator->update(0.9f);
    indicator->setHealth(1);
    indicator->update(0.9f);
    EXPECT_TRUE(indicator->isFlashing());
    indicator->update(0.15f);
    EXPECT_FALSE(indicator->isFlashing());

    indicator->setHealth(3);
    EXPECT_FALSE(indicator->isFlashing());
    EXPECT_EQ(indicator->getVisibleHeartCount(), 3);
}

TEST_F(HealthIndicatorRenderComponentTest, HeartsAreClampedToThePlaces)
{
    auto indicator = makeIndicator(3);
    indicator->setHealth(7);
    EXPECT_EQ(indicator->getVisibleHeartCount(), 3);
    sf::Image image = render(*indicator);
    EXPECT_EQ(placeColour(image, 2), HEART_COLOUR);
    EXPECT_EQ(image.getPixel(380, 70), sf::Color::Black);

    indicator->setHealth(0);
    indicator->update(1.5f);
    image = render(*indicator);
    for (int place = 0; place < 3; ++place)
        EXPECT_EQ(placeColour(image, place), PLACE_COLOUR) << place;

    indicator->setHealth(-4);
    indicator->update(1.5f);
    EXPECT_EQ(indicator->getVisibleHeartCount(), 0);
    image = render(*indicator);
    EXPECT_EQ(placeColour(image, 0), PLACE_COLOUR);
}

TEST_F(HealthIndicatorRenderComponentTest, NoHealthAtCreationMeansNoPlaces)
{
    auto indicator = makeIndicator(-1);
    indicator->setHealth(2);
    const sf::Image image = render(*indicator);
    EXPECT_EQ(placeColour(image, 0), sf::Color::Black);
}

TEST_F(HealthIndicatorRenderComponentTest, AMissingImageIsReportedAndInitFails)
{
    directory.removeAsset("Health/heart.png");
    StreamCapture errors(sf::err());
    auto indicator = object->addComponent<HealthIndicatorRenderComponent>(
        *object, window, AssetPath::HEART_BACKGROUND, AssetPath::HEART, "GUI",
        sf::Vector2f(2.5f, 2.5f), 3);

    EXPECT_FALSE(indicator->init());
    EXPECT_NE(errors.text().find("Could not load texture from ../assets/Health/heart.png\n"), std::string::npos)
        << errors.text();
    // Drawing what did not load draws nothing and does not fail.
    const sf::Image image = render(*indicator);
    EXPECT_EQ(placeColour(image, 0), sf::Color::Black);
}

TEST_F(HealthIndicatorRenderComponentTest, TheIndicatorLivesOnItsLayerFromCreationToDestruction)
{
    SpriteManager sprites(window);
    sprites.init();
    auto indicator = makeIndicator(3);
    EXPECT_EQ(sprites.getLayerOf(indicator.get()), "GUI");

    auto* const address = indicator.get();
    indicator.reset();
    object.reset();
    EXPECT_TRUE(sprites.getLayer("GUI").empty());
    EXPECT_EQ(sprites.getLayerOf(address), "");
    sprites.shutdown();
}
