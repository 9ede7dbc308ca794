#include "InputState.h"

namespace zelk
{

void InputState::clear()
{
    keys.fill(false);
    for (auto& joystick : buttons)
        joystick.fill(false);
}

} // namespace zelk
