#pragma once
// Game controllers for tests, seen by SFML's own Linux joystick code: linked into a test executable,
// this library stands in for libudev (enumeration, properties, hot-plug monitor) and for the kernel's
// joystick devices /dev/input/js<slot> (open, the JSIOCG* ioctls, struct js_event records on read,
// ENODEV once unplugged). The test drives the controllers like xdotool drives the keyboard.

#include <string>

namespace zelk::test
{

struct EmulatedController
{
    // As udev reports them: the properties ID_VENDOR_ID and ID_MODEL_ID.
    unsigned vendorId = 0x045E;
    unsigned productId = 0x028E;
    std::string name = "Emulated Gamepad";
};

namespace JoystickEmulator
{
// Axes by the kernel's ABS_* codes (linux/input-event-codes.h) and in its range, -32767..32767.
inline constexpr int AXIS_MAX = 32767;

// A controller appears at /dev/input/js<slot>, for udev's enumeration and hot-plug monitor alike.
void plug(unsigned slot, const EmulatedController& controller = {});
// Its device node goes, and reads on descriptors opened before fail as the kernel's do.
void unplug(unsigned slot);
// Both reach every open descriptor of the slot as one js_event.
void setButton(unsigned slot, unsigned button, bool down);
void setAxis(unsigned slot, int absCode, int value);
// Unplugs everything: the state of a fresh machine.
void reset();
} // namespace JoystickEmulator

} // namespace zelk::test
