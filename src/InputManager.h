#pragma once
// Named input actions per player (keyboard) and per controller (buttons), with exact per-frame
// edge detection, plus the one place where analogue sticks and controller identities are read.

#include "InputState.h"

#include <SFML/Window/Event.hpp>
#include <SFML/Window/Joystick.hpp>
#include <SFML/Window/Keyboard.hpp>

#include <array>
#include <map>
#include <string>
#include <unordered_map>

namespace zelk
{

// The controller buttons the default bindings use. Sony's controllers (vendor id 0x054C) number
// theirs differently: connected when the game starts, they confirm with 1 and open the menu with 9.
namespace ControllerButton
{
inline constexpr unsigned CONFIRM = 0;
inline constexpr unsigned FIRE = 5;
inline constexpr unsigned MENU = 7;
inline constexpr unsigned SONY_CONFIRM = 1;
inline constexpr unsigned SONY_MENU = 9;
} // namespace ControllerButton

class InputManager
{
public:
    static constexpr int PLAYER_COUNT = 4;
    static constexpr unsigned SONY_VENDOR_ID = 0x054C;

    static InputManager& getInstance();

    InputManager(const InputManager&) = delete;
    InputManager& operator=(const InputManager&) = delete;

    // Bindings.
    void setKeyBinding(int player, const std::string& action, sf::Keyboard::Key key);
    void setButtonBinding(unsigned joystick, const std::string& action, unsigned button);
    void installDefaultBindings();
    // Sony controllers confirm with button 1 and open the menu with button 9.
    void applyControllerVendorOverrides();
    void clearBindings();

    // Event intake: key and joystick-button events change the live flags. Losing the window's focus
    // lets go of every key, and a controller's disconnection of its buttons, as if released: the
    // window hears no release once another window has the keyboard, nor SFML once the controller is
    // gone, and a flag left down would keep a player walking or a throw charging.
    void handleEvent(const sf::Event& event);

    // Once per frame: previous <- current, current <- live.
    void update();
    // Clears every flag of all three snapshots.
    void resetState();

    bool isKeyDown(const std::string& action, int player) const;
    bool isKeyPressed(const std::string& action, int player) const;
    bool isKeyReleased(const std::string& action, int player) const;
    bool isButtonDown(const std::string& action, unsigned joystick) const;
    bool isButtonPressed(const std::string& action, unsigned joystick) const;
    bool isButtonReleased(const std::string& action, unsigned joystick) const;
    bool isButtonPressedOnAnyJoystick(const std::string& action) const;

    // Analogue sticks and controller identity. Gameplay reads them only through these; they ask
    // SFML (0 when nothing is connected) unless a test fed values.
    float getAxisPosition(unsigned joystick, sf::Joystick::Axis axis) const;
    unsigned getVendorId(unsigned joystick) const;

    // Test seam, for tests only (the game takes its input through handleEvent and SFML): set a flag
    // without an event, or feed sticks and vendor ids. Once anything is fed, every stick and vendor
    // id not fed reads 0, until clearFedJoysticks (which also forgets the vendor ids read from SFML).
    void setLiveKey(int keyCode, bool down);
    void setLiveButton(unsigned joystick, unsigned button, bool down);
    void feedAxisPosition(unsigned joystick, sf::Joystick::Axis axis, float position);
    void feedVendorId(unsigned joystick, unsigned vendorId);
    void clearFedJoysticks();

    const InputState& getCurrentState() const { return m_current; }

private:
    InputManager();

    // Both return -1 for an action that has no binding: such an action is never active.
    int findKey(const std::string& action, int player) const;
    int findButton(const std::string& action, unsigned joystick) const;
    void forgetVendorId(unsigned joystick);

    InputState m_previous;
    InputState m_current;
    InputState m_live;
    std::array<std::unordered_map<std::string, sf::Keyboard::Key>, PLAYER_COUNT> m_keyBindings;
    std::array<std::unordered_map<std::string, unsigned>, InputState::JOYSTICK_COUNT> m_buttonBindings;

    std::map<std::pair<unsigned, int>, float> m_fedAxes;
    std::map<unsigned, unsigned> m_fedVendorIds;

    // Vendor ids read from SFML, per joystick; -1 until read. Reading one copies the controller's
    // name (a heap allocation) and a carried item asks every frame, so the answer is kept until the
    // controller is connected or disconnected.
    mutable std::array<long, sf::Joystick::Count> m_vendorIds;
};

} // namespace zelk
