#include "ScopedInput.h"

namespace zelk::test
{

namespace
{
void clearAll(InputManager& input)
{
    input.resetState();
    input.clearBindings();
    input.clearFedJoysticks();
}
} // namespace

ScopedInput::ScopedInput(Joysticks joysticks)
{
    InputManager& input = InputManager::getInstance();
    clearAll(input);
    input.installDefaultBindings();
    // Feeding one value puts every stick and vendor id on the fed side, at 0.
    if (joysticks == Joysticks::AtRest)
        input.feedVendorId(0, 0);
}

ScopedInput::~ScopedInput()
{
    clearAll(InputManager::getInstance());
}

} // namespace zelk::test
