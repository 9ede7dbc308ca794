#include "InputManager.h"

#include "GameNames.h"

namespace zelk
{

namespace
{
bool isValidKey(int code)
{
    return code >= 0 && code < InputState::KEY_COUNT;
}

bool isValidButton(unsigned joystick, unsigned button)
{
    return joystick < InputState::JOYSTICK_COUNT && button < InputState::BUTTON_COUNT;
}
} // namespace

InputManager::InputManager()
{
    m_vendorIds.fill(-1);
}

InputManager& InputManager::getInstance()
{
    static InputManager instance;
    return instance;
}

void InputManager::setKeyBinding(int player, const std::string& action, sf::Keyboard::Key key)
{
    if (player < 0 || player >= PLAYER_COUNT)
        return;
    m_keyBindings[player][action] = key;
}

void InputManager::setButtonBinding(unsigned joystick, const std::string& action, unsigned button)
{
    if (joystick >= InputState::JOYSTICK_COUNT)
        return;
    m_buttonBindings[joystick][action] = button;
}

void InputManager::installDefaultBindings()
{
    setKeyBinding(0, Action::EXIT, sf::Keyboard::Escape);
    setKeyBinding(0, Action::SELECT_WITH_SPACE, sf::Keyboard::Space);
    setKeyBinding(0, Action::UP, sf::Keyboard::W);
    setKeyBinding(0, Action::LEFT, sf::Keyboard::A);
    setKeyBinding(0, Action::DOWN, sf::Keyboard::S);
    setKeyBinding(0, Action::RIGHT, sf::Keyboard::D);
    setKeyBinding(0, Action::FIRE, sf::Keyboard::Space);
    setKeyBinding(0, Action::MENU_UP, sf::Keyboard::Up);
    setKeyBinding(0, Action::MENU_DOWN, sf::Keyboard::Down);
    setKeyBinding(0, Action::SELECT, sf::Keyboard::Enter);

    for (unsigned joystick = 0; joystick < 2; ++joystick)
    {
        setButtonBinding(joystick, Action::FIRE, ControllerButton::FIRE);
        setButtonBinding(joystick, Action::SELECT, ControllerButton::CONFIRM);
        setButtonBinding(joystick, Action::MENU, ControllerButton::MENU);
    }

    setKeyBinding(1, Action::UP, sf::Keyboard::Up);
    setKeyBinding(1, Action::LEFT, sf::Keyboard::Left);
    setKeyBinding(1, Action::DOWN, sf::Keyboard::Down);
    setKeyBinding(1, Action::RIGHT, sf::Keyboard::Right);
    setKeyBinding(1, Action::FIRE, sf::Keyboard::Enter);

    setKeyBinding(0, Action::DEBUG_DRAW, sf::Keyboard::F1);
}

void InputManager::applyControllerVendorOverrides()
{
    for (unsigned joystick = 0; joystick < 2; ++joystick)
    {
        if (getVendorId(joystick) == SONY_VENDOR_ID)
        {
            setButtonBinding(joystick, Action::SELECT, ControllerButton::SONY_CONFIRM);
            setButtonBinding(joystick, Action::MENU, ControllerButton::SONY_MENU);
        }
    }
}

void InputManager::clearBindings()
{
    for (auto& bindings : m_keyBindings)
        bindings.clear();
    for (auto& bindings : m_buttonBindings)
        bindings.clear();
}

void InputManager::handleEvent(const sf::Event& event)
{
    switch (event.type)
    {
    case sf::Event::KeyPressed:
        setLiveKey(event.key.code, true);
        break;
    case sf::Event::KeyReleased:
        setLiveKey(event.key.code, false);
        break;
    case sf::Event::JoystickButtonPressed:
        setLiveButton(event.joystickButton.joystickId, event.joystickButton.button, true);
        break;
    case sf::Event::JoystickButtonReleased:
        setLiveButton(event.joystickButton.joystickId, event.joystickButton.button, false);
        break;
    case sf::Event::LostFocus:
        m_live.keys.fill(false);
        break;
    case sf::Event::JoystickDisconnected:
        if (event.joystickConnect.joystickId < InputState::JOYSTICK_COUNT)
            m_live.buttons[event.joystickConnect.joystickId].fill(false);
        forgetVendorId(event.joystickConnect.joystickId);
        break;
    case sf::Event::JoystickConnected:
        forgetVendorId(event.joystickConnect.joystickId);
        break;
    default:
        break;
    }
}

void InputManager::forgetVendorId(unsigned joystick)
{
    // Another controller may now sit behind this number.
    if (joystick < m_vendorIds.size())
        m_vendorIds[joystick] = -1;
}

void InputManager::setLiveKey(int keyCode, bool down)
{
    if (isValidKey(keyCode))
        m_live.keys[keyCode] = down;
}

void InputManager::setLiveButton(unsigned joystick, unsigned button, bool down)
{
    if (isValidButton(joystick, button))
        m_live.buttons[joystick][button] = down;
}

void InputManager::update()
{
    m_previous = m_current;
    m_current = m_live;
}

void InputManager::resetState()
{
    m_previous.clear();
    m_current.clear();
    m_live.clear();
}

int InputManager::findKey(const std::string& action, int player) const
{
    if (player < 0 || player >= PLAYER_COUNT)
        return -1;
    const auto& bindings = m_keyBindings[player];
    const auto found = bindings.find(action);
    if (found == bindings.end() || !isValidKey(found->second))
        return -1;
    return found->second;
}

int InputManager::findButton(const std::string& action, unsigned joystick) const
{
    if (joystick >= InputState::JOYSTICK_COUNT)
        return -1;
    const auto& bindings = m_buttonBindings[joystick];
    const auto found = bindings.find(action);
    if (found == bindings.end() || found->second >= InputState::BUTTON_COUNT)
        return -1;
    return static_cast<int>(found->second);
}

bool InputManager::isKeyDown(const std::string& action, int player) const
{
    const int key = findKey(action, player);
    return key >= 0 && m_current.keys[key];
}

bool InputManager::isKeyPressed(const std::string& action, int player) const
{
    const int key = findKey(action, player);
    return key >= 0 && m_current.keys[key] && !m_previous.keys[key];
}

bool InputManager::isKeyReleased(const std::string& action, int player) const
{
    const int key = findKey(action, player);
    return key >= 0 && !m_current.keys[key] && m_previous.keys[key];
}

bool InputManager::isButtonDown(const std::string& action, unsigned joystick) const
{
    const int button = findButton(action, joystick);
    return button >= 0 && m_current.buttons[joystick][button];
}

bool InputManager::isButtonPressed(const std::string& action, unsigned joystick) const
{
    const int button = findButton(action, joystick);
    return button >= 0 && m_current.buttons[joystick][button] && !m_previous.buttons[joystick][button];
}

bool InputManager::isButtonReleased(const std::string& action, unsigned joystick) const
{
    const int button = findButton(action, joystick);
    return button >= 0 && !m_current.buttons[joystick][button] && m_previous.buttons[joystick][button];
}

bool InputManager::isButtonPressedOnAnyJoystick(const std::string& action) const
{
    for (unsigned joystick = 0; joystick < 4; ++joystick)
    {
        if (isButtonPressed(action, joystick))
            return true;
    }
    return false;
}

float InputManager::getAxisPosition(unsigned joystick, sf::Joystick::Axis axis) const
{
    if (!m_fedAxes.empty() || !m_fedVendorIds.empty())
    {
        const auto fed = m_fedAxes.find({joystick, static_cast<int>(axis)});
        return fed == m_fedAxes.end() ? 0.f : fed->second;
    }
    return sf::Joystick::getAxisPosition(joystick, axis);
}

unsigned InputManager::getVendorId(unsigned joystick) const
{
    if (!m_fedAxes.empty() || !m_fedVendorIds.empty())
    {
        const auto fed = m_fedVendorIds.find(joystick);
        return fed == m_fedVendorIds.end() ? 0u : fed->second;
    }
    if (joystick >= m_vendorIds.size())
        return sf::Joystick::getIdentification(joystick).vendorId;
    if (m_vendorIds[joystick] < 0)
        m_vendorIds[joystick] = static_cast<long>(sf::Joystick::getIdentification(joystick).vendorId);
    return static_cast<unsigned>(m_vendorIds[joystick]);
}

void InputManager::feedAxisPosition(unsigned joystick, sf::Joystick::Axis axis, float position)
{
    m_fedAxes[{joystick, static_cast<int>(axis)}] = position;
}

void InputManager::feedVendorId(unsigned joystick, unsigned vendorId)
{
    m_fedVendorIds[joystick] = vendorId;
}

void InputManager::clearFedJoysticks()
{
    m_fedAxes.clear();
    m_fedVendorIds.clear();
    // SFML's answers are read afresh: its controllers may have changed while values were fed.
    m_vendorIds.fill(-1);
}

} // namespace zelk
