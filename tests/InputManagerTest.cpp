#include "InputManager.h"
#include "ScopedInput.h"
#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace zelk
{
namespace
{

using test::buttonEvent;
using test::keyEvent;

class InputManagerTest : public ::testing::Test
{
protected:
    // Codes outside the keyboard's range come in too, so they are plain numbers here.
    void pressKey(int code) { m_input.handleEvent(keyEvent(sf::Event::KeyPressed, sf::Keyboard::Key(code))); }
    void releaseKey(int code) { m_input.handleEvent(keyEvent(sf::Event::KeyReleased, sf::Keyboard::Key(code))); }
    void pressButton(unsigned joystick, unsigned button)
    {
        m_input.handleEvent(buttonEvent(sf::Event::JoystickButtonPressed, joystick, button));
    }
    void releaseButton(unsigned joystick, unsigned button)
    {
        m_input.handleEvent(buttonEvent(sf::Event::JoystickButtonReleased, joystick, button));
    }
    void nextFrame() { m_input.update(); }

    static bool isAllClear(const InputState& state)
    {
        for (bool key : state.keys)
            if (key)
                return false;
        for (const auto& joystick : state.buttons)
            for (bool button : joystick)
                if (button)
                    return false;
        return true;
    }

    test::ScopedInput m_scope;
    InputManager& m_input = *m_scope;
};

TEST_F(InputManagerTest, HeldKeyIsPressedOnceDownThroughoutAndReleasedOnce)
{
    pressKey(sf::Keyboard::W);
    nextFrame();
    EXPECT_TRUE(m_input.isKeyPressed("up", 0));
    EXPECT_TRUE(m_input.isKeyPressed("up", 0)) << "asking twice in one frame gives the same answer";
    EXPECT_TRUE(m_input.isKeyDown("up", 0));
    EXPECT_FALSE(m_input.isKeyReleased("up", 0));

    for (int frame = 0; frame < 3; ++frame)
    {
        nextFrame();
        EXPECT_FALSE(m_input.isKeyPressed("up", 0));
        EXPECT_TRUE(m_input.isKeyDown("up", 0));
    }

    releaseKey(sf::Keyboard::W);
    nextFrame();
    EXPECT_TRUE(m_input.isKeyReleased("up", 0));
    EXPECT_FALSE(m_input.isKeyDown("up", 0));
    nextFrame();
    EXPECT_FALSE(m_input.isKeyReleased("up", 0));
}

TEST_F(InputManagerTest, KeyPressedAndReleasedBetweenTwoFramesIsNeverSeen)
{
    pressKey(sf::Keyboard::Escape);
    releaseKey(sf::Keyboard::Escape);
    nextFrame();
    EXPECT_FALSE(m_input.isKeyPressed("Exit", 0));
    EXPECT_FALSE(m_input.isKeyDown("Exit", 0));
    nextFrame();
    EXPECT_FALSE(m_input.isKeyReleased("Exit", 0));
}

TEST_F(InputManagerTest, KeyCodesOutsideTheTableChangeNothing)
{
    for (int code : {-1, 101})
    {
        pressKey(code);
        nextFrame();
        releaseKey(code);
    }
    nextFrame();
    EXPECT_TRUE(isAllClear(m_input.getCurrentState()));
    EXPECT_TRUE(isAllClear(m_input.getPreviousState()));

    pressKey(100);
    nextFrame();
    EXPECT_TRUE(m_input.getCurrentState().keys[100]) << "the last code of the table still counts";
}

TEST_F(InputManagerTest, ButtonsOutsideTheTableChangeNothing)
{
    pressButton(8, 0);
    pressButton(0, 32);
    nextFrame();
    EXPECT_TRUE(isAllClear(m_input.getCurrentState()));
}

TEST_F(InputManagerTest, SpaceIsBothFireAndSelectForPlayerZero)
{
    pressKey(sf::Keyboard::Space);
    nextFrame();
    EXPECT_TRUE(m_input.isKeyPressed("fire", 0));
    EXPECT_TRUE(m_input.isKeyPressed("Select", 0));
    EXPECT_FALSE(m_input.isKeyPressed("select", 0)) << "the menu confirms with Enter, not Space";
    EXPECT_FALSE(m_input.isKeyPressed("fire", 1));
}

TEST_F(InputManagerTest, EnterIsPlayerOnesFireAndTheMenusConfirm)
{
    pressKey(sf::Keyboard::Enter);
    nextFrame();
    EXPECT_TRUE(m_input.isKeyPressed("fire", 1));
    EXPECT_TRUE(m_input.isKeyPressed("select", 0));
}

TEST_F(InputManagerTest, ArrowKeysMovePlayerOneAndTheMenuMark)
{
    pressKey(sf::Keyboard::Down);
    nextFrame();
    EXPECT_TRUE(m_input.isKeyDown("down", 1));
    EXPECT_TRUE(m_input.isKeyPressed("menuDown", 0));
    EXPECT_FALSE(m_input.isKeyDown("down", 0)) << "player 0 walks down with S";
}

TEST_F(InputManagerTest, ActionNamesAreCaseSensitive)
{
    pressKey(sf::Keyboard::Escape);
    nextFrame();
    EXPECT_TRUE(m_input.isKeyPressed("Exit", 0));
    EXPECT_FALSE(m_input.isKeyPressed("exit", 0));
}

TEST_F(InputManagerTest, UnboundActionIsNeverActive)
{
    // Key code 0 is A, player 0's "left": an unbound action must not read it.
    pressKey(sf::Keyboard::A);
    pressButton(2, 0);
    pressButton(3, 0);
    nextFrame();
    EXPECT_TRUE(m_input.isKeyDown("left", 0));
    EXPECT_FALSE(m_input.isKeyDown("Exit", 1));
    EXPECT_FALSE(m_input.isKeyDown("noSuchAction", 0));
    EXPECT_FALSE(m_input.isKeyDown("left", 2));
    EXPECT_FALSE(m_input.isButtonPressed("Menu", 2));
    EXPECT_FALSE(m_input.isButtonPressedOnAnyJoystick("Menu"));
}

TEST_F(InputManagerTest, MenuButtonOfTheSecondControllerCountsAsAnyJoystick)
{
    pressButton(1, ControllerButton::MENU);
    nextFrame();
    EXPECT_TRUE(m_input.isButtonPressedOnAnyJoystick("Menu"));
    EXPECT_FALSE(m_input.isButtonPressed("Menu", 0));
    nextFrame();
    EXPECT_FALSE(m_input.isButtonPressedOnAnyJoystick("Menu"));
    EXPECT_TRUE(m_input.isButtonDown("Menu", 1));

    releaseButton(1, ControllerButton::MENU);
    nextFrame();
    EXPECT_TRUE(m_input.isButtonReleased("Menu", 1));
}

TEST_F(InputManagerTest, ControllersOfVendor054CConfirmWithOneAndOpenTheMenuWithNine)
{
    m_input.feedVendorId(0, InputManager::SONY_VENDOR_ID);
    m_input.feedVendorId(1, 0x045E);
    m_input.applyControllerVendorOverrides();

    pressButton(0, ControllerButton::CONFIRM);
    pressButton(0, ControllerButton::MENU);
    pressButton(1, ControllerButton::CONFIRM);
    pressButton(1, ControllerButton::MENU);
    nextFrame();
    EXPECT_FALSE(m_input.isButtonPressed("select", 0));
    EXPECT_FALSE(m_input.isButtonPressed("Menu", 0));
    EXPECT_TRUE(m_input.isButtonPressed("select", 1));
    EXPECT_TRUE(m_input.isButtonPressed("Menu", 1));

    pressButton(0, ControllerButton::SONY_CONFIRM);
    pressButton(0, ControllerButton::SONY_MENU);
    pressButton(0, ControllerButton::FIRE);
    nextFrame();
    EXPECT_TRUE(m_input.isButtonPressed("select", 0));
    EXPECT_TRUE(m_input.isButtonPressed("Menu", 0));
    EXPECT_TRUE(m_input.isButtonPressed("fire", 0)) << "fire keeps button 5";
}

TEST_F(InputManagerTest, FocusLossLetsGoOfKeysAndADisconnectionOfThatControllersButtons)
{
    pressKey(sf::Keyboard::S);
    pressKey(sf::Keyboard::Space);
    pressButton(0, ControllerButton::FIRE);
    pressButton(1, ControllerButton::FIRE);
    nextFrame();

    sf::Event focusLost{};
    focusLost.type = sf::Event::LostFocus;
    m_input.handleEvent(focusLost);
    nextFrame();
    EXPECT_FALSE(m_input.isKeyDown("down", 0));
    EXPECT_TRUE(m_input.isKeyReleased("fire", 0)) << "a held fire key lets go as a release does";
    EXPECT_TRUE(m_input.isButtonDown("fire", 0)) << "controllers report without the focus";

    sf::Event disconnected{};
    disconnected.type = sf::Event::JoystickDisconnected;
    disconnected.joystickConnect.joystickId = 1;
    m_input.handleEvent(disconnected);
    nextFrame();
    EXPECT_TRUE(m_input.isButtonReleased("fire", 1));
    EXPECT_TRUE(m_input.isButtonDown("fire", 0)) << "only the controller that went";
}

TEST_F(InputManagerTest, FedStickPositionIsWhatGameplayReads)
{
    m_input.feedAxisPosition(0, sf::Joystick::Y, 55.0f);
    EXPECT_FLOAT_EQ(m_input.getAxisPosition(0, sf::Joystick::Y), 55.0f);
    EXPECT_FLOAT_EQ(m_input.getAxisPosition(0, sf::Joystick::X), 0.0f);
    EXPECT_FLOAT_EQ(m_input.getAxisPosition(1, sf::Joystick::Y), 0.0f);
}

} // namespace
} // namespace zelk
