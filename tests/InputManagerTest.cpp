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

TEST_F(InputManagerTest, KeyCodesAndButtonsOutsideTheTableChangeNothing)
{
    for (int code : {-1, 101})
    {
        pressKey(code);
        nextFrame();
        EXPECT_TRUE(isAllClear(m_input.getCurrentState())) << code;
        releaseKey(code);
    }
    pressButton(8, 0);
    pressButton(0, 32);
    nextFrame();
    EXPECT_TRUE(isAllClear(m_input.getCurrentState()));

    pressKey(100);
    nextFrame();
    EXPECT_TRUE(m_input.getCurrentState().keys[100]) << "the last code of the table still counts";
}

TEST_F(InputManagerTest, EachDefaultKeyActsForItsPlayersActionsOnly)
{
    struct Binding
    {
        sf::Keyboard::Key key;
        const char* action;
        int player;
        bool active;
    };
    // Names are case sensitive: Space is "Select" as well as fire, the menu's "select" is Enter.
    const Binding bindings[] = {
        {sf::Keyboard::Space, "fire", 0, true},     {sf::Keyboard::Space, "Select", 0, true},
        {sf::Keyboard::Space, "select", 0, false},  {sf::Keyboard::Space, "fire", 1, false},
        {sf::Keyboard::Enter, "fire", 1, true},     {sf::Keyboard::Enter, "select", 0, true},
        {sf::Keyboard::Down, "down", 1, true},      {sf::Keyboard::Down, "menuDown", 0, true},
        {sf::Keyboard::Down, "down", 0, false},     {sf::Keyboard::Escape, "Exit", 0, true},
        {sf::Keyboard::Escape, "exit", 0, false},   {sf::Keyboard::A, "left", 0, true},
        // Key code 0 is A: an unbound action, or a player without bindings, must not read it.
        {sf::Keyboard::A, "Exit", 1, false},        {sf::Keyboard::A, "noSuchAction", 0, false},
        {sf::Keyboard::A, "left", 2, false},
    };
    for (const Binding& binding : bindings)
    {
        pressKey(binding.key);
        nextFrame();
        EXPECT_EQ(m_input.isKeyPressed(binding.action, binding.player), binding.active)
            << binding.action << " of player " << binding.player << " on key " << binding.key;
        releaseKey(binding.key);
        nextFrame();
    }
}

TEST_F(InputManagerTest, MenuButtonOfTheSecondControllerCountsAsAnyJoystick)
{
    // The third and fourth controllers have no bindings.
    pressButton(2, 0);
    pressButton(3, 0);
    nextFrame();
    EXPECT_FALSE(m_input.isButtonPressed("Menu", 2));
    EXPECT_FALSE(m_input.isButtonPressedOnAnyJoystick("Menu"));

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

} // namespace
} // namespace zelk
