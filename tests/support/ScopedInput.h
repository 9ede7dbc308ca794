#pragma once
// The game's input service for the length of one test: default bindings, and sticks and controller
// ids either fed (at rest until the test feeds them) or read from SFML's devices. Whatever the test
// held, fed or bound is cleared when it goes, so no test inherits another's input.

#include "InputManager.h"

namespace zelk::test
{

class ScopedInput
{
public:
    enum class Joysticks
    {
        AtRest,
        FromDevices
    };

    explicit ScopedInput(Joysticks joysticks = Joysticks::AtRest);
    ~ScopedInput();
    ScopedInput(const ScopedInput&) = delete;
    ScopedInput& operator=(const ScopedInput&) = delete;

    InputManager& operator*() const { return InputManager::getInstance(); }
    InputManager* operator->() const { return &InputManager::getInstance(); }
};

} // namespace zelk::test
