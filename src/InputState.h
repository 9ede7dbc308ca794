#pragma once
// One snapshot of every key and controller button flag.

#include <array>

namespace zelk
{

struct InputState
{
    static constexpr int KEY_COUNT = 101;
    static constexpr int JOYSTICK_COUNT = 8;
    static constexpr int BUTTON_COUNT = 32;

    std::array<bool, KEY_COUNT> keys{};
    std::array<std::array<bool, BUTTON_COUNT>, JOYSTICK_COUNT> buttons{};

    void clear();
};

} // namespace zelk
