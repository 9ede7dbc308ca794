#include "InputManager.h"
#include "InstructionState.h"
#include "MenuState.h"
#include "TraceProfiler.h"

#include "ScreenTestSupport.h"

#include <SFML/System/Err.hpp>

#include <memory>
#include <string>

namespace zelk
{
namespace
{

class InstructionStateTest : public test::SandboxedGame
{
protected:
    void SetUp() override { test::writeScreenAssets(m_sandbox); }

    // Opens the game, lets the menu build, and goes to the controls screen through the menu.
    void openControls()
    {
        ASSERT_TRUE(m_game.init());
        m_game.runFrame();
        test::tapKey(m_game, sf::Keyboard::Down);
        test::tapKey(m_game, sf::Keyboard::Enter);
        ASSERT_EQ(current(), state("InstructionState"));
    }

    std::shared_ptr<InstructionState> controls()
    {
        return std::dynamic_pointer_cast<InstructionState>(
            m_game.getGameStateManager().getState("InstructionState"));
    }
};

TEST_F(InstructionStateTest, PictureFillsSixTenthsOfTheScreenBetweenHeadingAndHint)
{
    openControls();
    ASSERT_EQ(m_game.getWindow().getSize(), sf::Vector2u(1920, 1080)) << "the tests run on a 1920 x 1080 screen";
    auto screen = controls();
    ASSERT_TRUE(screen->isInitialized());

    EXPECT_FLOAT_EQ(screen->getPicture().getScale().x, 0.6f);
    EXPECT_FLOAT_EQ(screen->getPicture().getScale().y, 0.6f);
    EXPECT_EQ(screen->getPicture().getPosition(), sf::Vector2f(960.0f, 540.0f));
    EXPECT_EQ(screen->getPicture().getOrigin(), sf::Vector2f(150.0f, 540.0f));

    const sf::Text& heading = screen->getHeading();
    EXPECT_EQ(heading.getString(), "Controls");
    EXPECT_EQ(heading.getCharacterSize(), 120u);
    EXPECT_FLOAT_EQ(heading.getPosition().y - heading.getOrigin().y, 20.0f) << "top edge 20 pixels down";
    EXPECT_FLOAT_EQ(heading.getPosition().x, 960.0f);
    EXPECT_FLOAT_EQ(heading.getOrigin().x, heading.getLocalBounds().width / 2.0f);

    const sf::Text& hint = screen->getHint();
    EXPECT_EQ(hint.getString(), "Press Menu Button or ESC to go back!");
    EXPECT_EQ(hint.getCharacterSize(), 30u);
    EXPECT_FLOAT_EQ(hint.getPosition().y, 1060.0f);
    EXPECT_FLOAT_EQ(hint.getOrigin().y, hint.getLocalBounds().height);
}

TEST_F(InstructionStateTest, PictureTallerThanTheScreenShrinksInsteadOfVanishing)
{
    test::writeScreenAssets(m_sandbox, 2160);
    openControls();
    EXPECT_FLOAT_EQ(controls()->getPicture().getScale().y, 0.3f);
    EXPECT_NEAR(controls()->getPicture().getGlobalBounds().height, 1080.0f * 0.6f, 0.5f);
}

TEST_F(InstructionStateTest, LowWindowDoesNotWrapTheMarginsAround)
{
    ASSERT_TRUE(m_game.init());
    // Tiny window: the margins exceed half its height, which must not wrap around.
    m_game.getWindow().create(sf::VideoMode(200, 30), "tiny", sf::Style::None);
    m_game.getGameStateManager().setState("InstructionState");
    m_game.runFrame();
    ASSERT_TRUE(controls()->isInitialized());
    EXPECT_FLOAT_EQ(controls()->getHeading().getPosition().y, 15.0f + 5.0f);
    EXPECT_FLOAT_EQ(controls()->getHint().getPosition().y, 15.0f - 5.0f);
}


TEST_F(InstructionStateTest, MenuButtonOfEitherControllerReturnsButNoOtherButton)
{
    openControls();
    test::tapButton(m_game, 2, ControllerButton::CONFIRM);
    test::tapButton(m_game, 2, ControllerButton::MENU);
    test::tapButton(m_game, 0, ControllerButton::SONY_MENU);
    EXPECT_EQ(current(), state("InstructionState"));
    test::tapButton(m_game, 1, ControllerButton::MENU);
    EXPECT_EQ(current(), state("MenuState"));

    test::tapKey(m_game, sf::Keyboard::Enter);
    ASSERT_EQ(current(), state("InstructionState"));
    test::tapButton(m_game, 0, ControllerButton::MENU);
    EXPECT_EQ(current(), state("MenuState"));
}

TEST_F(InstructionStateTest, ControllerOfVendor054CReturnsWithButtonNine)
{
    m_input->feedVendorId(0, InputManager::SONY_VENDOR_ID);
    openControls();
    test::tapButton(m_game, 0, ControllerButton::MENU);
    EXPECT_EQ(current(), state("InstructionState"));
    test::tapButton(m_game, 0, ControllerButton::SONY_MENU);
    EXPECT_EQ(current(), state("MenuState"));
}

TEST_F(InstructionStateTest, EscapeHeldFromTheMenuDoesNotReturnANewPressDoesAtTheNextFrame)
{
    ASSERT_TRUE(m_game.init());
    m_game.runFrame();
    test::tapKey(m_game, sf::Keyboard::Down);
    test::pressKey(m_game, sf::Keyboard::Escape);
    test::tapKey(m_game, sf::Keyboard::Enter);
    ASSERT_EQ(current(), state("InstructionState"));
    for (int frame = 0; frame < 3; ++frame)
        m_game.runFrame();
    EXPECT_EQ(current(), state("InstructionState"));

    test::releaseKey(m_game, sf::Keyboard::Escape);
    test::pressKey(m_game, sf::Keyboard::Escape);
    EXPECT_EQ(current(), state("InstructionState")) << "the switch waits for the next frame";
    m_game.runFrame();
    EXPECT_EQ(current(), state("MenuState"));
}

TEST_F(InstructionStateTest, MissingPictureShowsNothingButEscapeStillReturnsAndTheNextEntryRetries)
{
    m_sandbox.removeAsset("Controls.png");
    test::StreamCapture errors(sf::err());
    openControls();
    EXPECT_NE(errors.text().find("Could not load Controls\n"), std::string::npos);
    EXPECT_EQ(errors.text().find("Could not load font"), std::string::npos);
    EXPECT_FALSE(controls()->isInitialized());
    EXPECT_EQ(controls()->getPicture().getTexture(), nullptr);

    test::tapKey(m_game, sf::Keyboard::Escape);
    ASSERT_EQ(current(), state("MenuState"));

    test::writeScreenAssets(m_sandbox);
    test::tapKey(m_game, sf::Keyboard::Enter);
    ASSERT_EQ(current(), state("InstructionState"));
    EXPECT_TRUE(controls()->isInitialized());
}

TEST_F(InstructionStateTest, MissingFontShowsThePictureWithoutTexts)
{
    ASSERT_TRUE(m_game.init());
    m_sandbox.removeAsset("fibberish.ttf");
    test::StreamCapture errors(sf::err());
    m_game.getGameStateManager().setState("InstructionState");
    m_game.runFrame();
    ASSERT_EQ(current(), state("InstructionState"));
    EXPECT_NE(errors.text().find("Could not load font\n"), std::string::npos);
    EXPECT_NE(controls()->getPicture().getTexture(), nullptr);
    EXPECT_TRUE(controls()->getHeading().getString().isEmpty());
    EXPECT_FALSE(controls()->isInitialized());
}

} // namespace
} // namespace zelk
