#include "JoystickEmulator.h"

// Written from the kernel's joystick interface (linux/joystick.h: the js_event records, the JSIOCG*
// requests, the JS_EVENT_INIT records a fresh descriptor reads first) and libudev's documented API,
// for the calls SFML's Linux joystick code makes. Only /dev/input/js* paths and the descriptors
// opened on them are emulated; every other call goes on to the C library.

#include <linux/input.h>
#include <linux/joystick.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace
{

constexpr unsigned SLOT_COUNT = 16;
constexpr unsigned BUTTON_COUNT = 16;
// The axes in the order a descriptor reports them, as the kernel's ABS_* codes.
constexpr std::array<std::uint8_t, 8> AXIS_CODES = {ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ, ABS_HAT0X, ABS_HAT0Y};
constexpr const char* DEVICE_PREFIX = "/dev/input/js";
constexpr const char* SYSFS_PREFIX = "/sys/devices/virtual/input/emulated/js";

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

using OpenFunction = int (*)(const char*, int, ...);
using ReadFunction = ssize_t (*)(int, void*, size_t);
using CloseFunction = int (*)(int);
using IoctlFunction = int (*)(int, unsigned long, ...);

struct Controller
{
    bool plugged = false;
    // Counts the plug-ins, so a descriptor of an earlier one stays dead after the next.
    unsigned generation = 0;
    zelk::test::EmulatedController identity;
    std::array<int, AXIS_CODES.size()> axes{};
    std::array<bool, BUTTON_COUNT> buttons{};
};

struct Descriptor
{
    unsigned slot;
    unsigned generation;
    std::deque<js_event> pending;
};

struct Hotplug
{
    unsigned slot;
    const char* action;
};

std::uint32_t milliseconds()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Never destroyed: SFML closes its descriptors and udev objects from static destructors.
struct Emulator
{
    std::mutex mutex;
    std::array<Controller, SLOT_COUNT> controllers;
    std::map<int, Descriptor> descriptors;
    // The monitor's descriptor is an eventfd that counts the hot-plug records not yet received.
    int monitorFd = -1;
    std::deque<Hotplug> hotplugs;

    void announce(unsigned slot, const char* action)
    {
        if (monitorFd < 0)
            return;
        hotplugs.push_back({slot, action});
        const std::uint64_t one = 1;
        if (::write(monitorFd, &one, sizeof one) != static_cast<ssize_t>(sizeof one))
            std::perror("joystick emulator: hot-plug notice");
    }

    void send(unsigned slot, std::uint8_t type, std::uint8_t number, int value)
    {
        const Controller& controller = controllers[slot];
        const js_event event{milliseconds(), static_cast<std::int16_t>(value), type, number};
        for (auto& [fd, descriptor] : descriptors)
        {
            if (descriptor.slot == slot && descriptor.generation == controller.generation)
                descriptor.pending.push_back(event);
        }
    }
};

Emulator& emulator()
{
    static Emulator* const instance = new Emulator;
    return *instance;
}

// The slot of "/dev/input/js<N>" or "<sysfs prefix><N>"; -1 for any other path.
int slotOf(const char* path, const char* prefix)
{
    const std::size_t length = std::strlen(prefix);
    if (path == nullptr || std::strncmp(path, prefix, length) != 0)
        return -1;
    char* end = nullptr;
    const unsigned long slot = std::strtoul(path + length, &end, 10);
    return end != path + length && *end == '\0' && slot < SLOT_COUNT ? static_cast<int>(slot) : -1;
}

std::string numbered(const char* prefix, unsigned slot)
{
    return prefix + std::to_string(slot);
}

int openDevice(unsigned slot)
{
    Emulator& state = emulator();
    const Controller& controller = state.controllers[slot];
    if (!controller.plugged)
    {
        errno = ENOENT;
        return -1;
    }
    // A real descriptor number, so nothing else in the process gets the same one.
    static const auto realOpen = next<OpenFunction>("open");
    const int fd = realOpen("/dev/null", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    Descriptor descriptor{slot, controller.generation, {}};
    // Like the kernel's, a fresh descriptor first reads the whole state.
    for (std::size_t button = 0; button < controller.buttons.size(); ++button)
        descriptor.pending.push_back(
            {milliseconds(), controller.buttons[button], JS_EVENT_BUTTON | JS_EVENT_INIT, static_cast<std::uint8_t>(button)});
    for (std::size_t axis = 0; axis < controller.axes.size(); ++axis)
        descriptor.pending.push_back({milliseconds(), static_cast<std::int16_t>(controller.axes[axis]),
                                      JS_EVENT_AXIS | JS_EVENT_INIT, static_cast<std::uint8_t>(axis)});
    state.descriptors[fd] = std::move(descriptor);
    return fd;
}

int answer(const Descriptor& descriptor, unsigned long request, void* argument)
{
    const Controller& controller = emulator().controllers[descriptor.slot];
    if (request == JSIOCGAXES)
        *static_cast<std::uint8_t*>(argument) = static_cast<std::uint8_t>(AXIS_CODES.size());
    else if (request == JSIOCGBUTTONS)
        *static_cast<std::uint8_t*>(argument) = static_cast<std::uint8_t>(BUTTON_COUNT);
    else if (request == JSIOCGVERSION)
        *static_cast<std::uint32_t*>(argument) = JS_VERSION;
    else if (request == JSIOCGAXMAP)
    {
        std::array<std::uint8_t, ABS_CNT> mapping{};
        std::copy(AXIS_CODES.begin(), AXIS_CODES.end(), mapping.begin());
        std::memcpy(argument, mapping.data(), mapping.size());
    }
    else if ((request & ~(_IOC_SIZEMASK << _IOC_SIZESHIFT)) == JSIOCGNAME(0))
    {
        const std::size_t capacity = _IOC_SIZE(request);
        const std::string& name = controller.identity.name;
        const std::size_t length = std::min(name.size() + 1, capacity);
        std::memcpy(argument, name.c_str(), length);
        return static_cast<int>(length);
    }
    else
    {
        errno = ENOTTY;
        return -1;
    }
    return 0;
}

} // namespace

// ---- The test's side ----

namespace zelk::test::JoystickEmulator
{

void plug(unsigned slot, const EmulatedController& identity)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (slot >= SLOT_COUNT || state.controllers[slot].plugged)
        return;
    Controller& controller = state.controllers[slot];
    controller.plugged = true;
    ++controller.generation;
    controller.identity = identity;
    controller.axes.fill(0);
    controller.buttons.fill(false);
    state.announce(slot, "add");
}

void unplug(unsigned slot)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (slot >= SLOT_COUNT || !state.controllers[slot].plugged)
        return;
    state.controllers[slot].plugged = false;
    state.announce(slot, "remove");
}

void setButton(unsigned slot, unsigned button, bool down)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (slot >= SLOT_COUNT || button >= BUTTON_COUNT || !state.controllers[slot].plugged)
        return;
    state.controllers[slot].buttons[button] = down;
    state.send(slot, JS_EVENT_BUTTON, static_cast<std::uint8_t>(button), down ? 1 : 0);
}

void setAxis(unsigned slot, int absCode, int value)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const auto found = std::find(AXIS_CODES.begin(), AXIS_CODES.end(), absCode);
    if (slot >= SLOT_COUNT || found == AXIS_CODES.end() || !state.controllers[slot].plugged)
        return;
    const auto axis = static_cast<std::uint8_t>(found - AXIS_CODES.begin());
    value = std::clamp(value, -AXIS_MAX, AXIS_MAX);
    state.controllers[slot].axes[axis] = value;
    state.send(slot, JS_EVENT_AXIS, axis, value);
}

void reset()
{
    for (unsigned slot = 0; slot < SLOT_COUNT; ++slot)
        unplug(slot);
}

} // namespace zelk::test::JoystickEmulator

// ---- The kernel's side: the device nodes ----

extern "C" {

int open(const char* path, int flags, ...)
{
    const int slot = slotOf(path, DEVICE_PREFIX);
    if (slot >= 0)
    {
        const std::lock_guard<std::mutex> lock(emulator().mutex);
        return openDevice(static_cast<unsigned>(slot));
    }
    va_list arguments;
    va_start(arguments, flags);
    const int mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(arguments, int) : 0;
    va_end(arguments);
    static const auto realOpen = next<OpenFunction>("open");
    return realOpen(path, flags, mode);
}

int open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(arguments, int) : 0;
    va_end(arguments);
    return open(path, flags, mode);
}

ssize_t read(int fd, void* buffer, size_t size)
{
    {
        Emulator& state = emulator();
        const std::lock_guard<std::mutex> lock(state.mutex);
        const auto found = state.descriptors.find(fd);
        if (found != state.descriptors.end())
        {
            Descriptor& descriptor = found->second;
            const Controller& controller = state.controllers[descriptor.slot];
            if (!controller.plugged || controller.generation != descriptor.generation)
            {
                errno = ENODEV;
                return -1;
            }
            if (descriptor.pending.empty())
            {
                errno = EAGAIN;
                return -1;
            }
            if (size < sizeof(js_event))
            {
                errno = EINVAL;
                return -1;
            }
            std::memcpy(buffer, &descriptor.pending.front(), sizeof(js_event));
            descriptor.pending.pop_front();
            return static_cast<ssize_t>(sizeof(js_event));
        }
    }
    static const auto realRead = next<ReadFunction>("read");
    return realRead(fd, buffer, size);
}

int close(int fd)
{
    {
        Emulator& state = emulator();
        const std::lock_guard<std::mutex> lock(state.mutex);
        state.descriptors.erase(fd);
    }
    static const auto realClose = next<CloseFunction>("close");
    return realClose(fd);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    {
        Emulator& state = emulator();
        const std::lock_guard<std::mutex> lock(state.mutex);
        const auto found = state.descriptors.find(fd);
        if (found != state.descriptors.end())
            return answer(found->second, request, argument);
    }
    static const auto realIoctl = next<IoctlFunction>("ioctl");
    return realIoctl(fd, request, argument);
}

} // extern "C"

// ---- udev's side: enumeration, properties, the hot-plug monitor ----

struct udev
{
    int references = 1;
};

struct udev_list_entry
{
    std::string name;
    udev_list_entry* next = nullptr;
};

struct udev_enumerate
{
    int references = 1;
    std::vector<std::unique_ptr<udev_list_entry>> entries;
};

struct udev_monitor
{
    int references = 1;
};

struct udev_device
{
    int references = 1;
    unsigned slot = 0;
    std::string syspath;
    std::string devnode;
    // "add" or "remove" for a monitor's record, empty for an enumerated device.
    std::string action;
    std::string vendorId;
    std::string modelId;
};

namespace
{

udev_device* newDevice(unsigned slot, const char* action)
{
    const Controller& controller = emulator().controllers[slot];
    char vendor[16];
    char model[16];
    std::snprintf(vendor, sizeof vendor, "%04x", controller.identity.vendorId);
    std::snprintf(model, sizeof model, "%04x", controller.identity.productId);
    return new udev_device{1, slot, numbered(SYSFS_PREFIX, slot), numbered(DEVICE_PREFIX, slot), action, vendor, model};
}

template <typename Object>
Object* release(Object* object)
{
    if (object != nullptr && --object->references == 0)
        delete object;
    return nullptr;
}

} // namespace

extern "C" {

udev* udev_new()
{
    return new udev;
}

udev* udev_unref(udev* context)
{
    return release(context);
}

udev_enumerate* udev_enumerate_new(udev*)
{
    return new udev_enumerate;
}

udev_enumerate* udev_enumerate_unref(udev_enumerate* enumerate)
{
    return release(enumerate);
}

int udev_enumerate_add_match_subsystem(udev_enumerate*, const char* subsystem)
{
    // Only the input subsystem exists here.
    return std::strcmp(subsystem, "input") == 0 ? 0 : -EINVAL;
}

int udev_enumerate_scan_devices(udev_enumerate* enumerate)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    enumerate->entries.clear();
    for (unsigned slot = 0; slot < SLOT_COUNT; ++slot)
    {
        if (!state.controllers[slot].plugged)
            continue;
        enumerate->entries.push_back(std::make_unique<udev_list_entry>());
        enumerate->entries.back()->name = numbered(SYSFS_PREFIX, slot);
    }
    for (std::size_t i = 0; i + 1 < enumerate->entries.size(); ++i)
        enumerate->entries[i]->next = enumerate->entries[i + 1].get();
    return 0;
}

udev_list_entry* udev_enumerate_get_list_entry(udev_enumerate* enumerate)
{
    return enumerate->entries.empty() ? nullptr : enumerate->entries.front().get();
}

udev_list_entry* udev_list_entry_get_next(udev_list_entry* entry)
{
    return entry->next;
}

const char* udev_list_entry_get_name(udev_list_entry* entry)
{
    return entry->name.c_str();
}

udev_device* udev_device_new_from_syspath(udev*, const char* syspath)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    const int slot = slotOf(syspath, SYSFS_PREFIX);
    if (slot < 0 || !state.controllers[slot].plugged)
    {
        errno = ENODEV;
        return nullptr;
    }
    return newDevice(static_cast<unsigned>(slot), "");
}

udev_device* udev_device_unref(udev_device* device)
{
    return release(device);
}

const char* udev_device_get_devnode(udev_device* device)
{
    return device->devnode.c_str();
}

const char* udev_device_get_syspath(udev_device* device)
{
    return device->syspath.c_str();
}

const char* udev_device_get_action(udev_device* device)
{
    return device->action.empty() ? nullptr : device->action.c_str();
}

const char* udev_device_get_property_value(udev_device* device, const char* key)
{
    if (std::strcmp(key, "ID_INPUT_JOYSTICK") == 0)
        return "1";
    if (std::strcmp(key, "ID_VENDOR_ID") == 0)
        return device->vendorId.c_str();
    if (std::strcmp(key, "ID_MODEL_ID") == 0)
        return device->modelId.c_str();
    return nullptr;
}

// No USB parent: every id comes from the properties above.
udev_device* udev_device_get_parent_with_subsystem_devtype(udev_device*, const char*, const char*)
{
    return nullptr;
}

const char* udev_device_get_sysattr_value(udev_device*, const char*)
{
    return nullptr;
}

udev_monitor* udev_monitor_new_from_netlink(udev*, const char*)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (state.monitorFd >= 0)
        return nullptr;
    state.monitorFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return state.monitorFd < 0 ? nullptr : new udev_monitor;
}

udev_monitor* udev_monitor_unref(udev_monitor* monitor)
{
    if (monitor != nullptr && monitor->references == 1)
    {
        Emulator& state = emulator();
        const std::lock_guard<std::mutex> lock(state.mutex);
        static const auto realClose = next<CloseFunction>("close");
        realClose(state.monitorFd);
        state.monitorFd = -1;
        state.hotplugs.clear();
    }
    return release(monitor);
}

int udev_monitor_filter_add_match_subsystem_devtype(udev_monitor*, const char*, const char*)
{
    return 0;
}

int udev_monitor_enable_receiving(udev_monitor*)
{
    return 0;
}

int udev_monitor_get_fd(udev_monitor*)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    return state.monitorFd;
}

udev_device* udev_monitor_receive_device(udev_monitor*)
{
    Emulator& state = emulator();
    const std::lock_guard<std::mutex> lock(state.mutex);
    if (state.hotplugs.empty())
        return nullptr;
    const Hotplug hotplug = state.hotplugs.front();
    state.hotplugs.pop_front();
    // The eventfd counts down one notice per record, so it stays readable while records wait.
    std::uint64_t count = 0;
    static const auto realRead = next<ReadFunction>("read");
    if (realRead(state.monitorFd, &count, sizeof count) == static_cast<ssize_t>(sizeof count) && count > 1)
    {
        count -= 1;
        if (::write(state.monitorFd, &count, sizeof count) != static_cast<ssize_t>(sizeof count))
            std::perror("joystick emulator: hot-plug notice");
    }
    return newDevice(hotplug.slot, hotplug.action);
}

} // extern "C"
