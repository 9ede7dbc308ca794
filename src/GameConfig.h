#pragma once
// The fixed settings the entry point hands to the game. The window opens full-screen at the
// desktop's resolution, so width and height are carried along but nothing depends on them.

#include <cstdint>
#include <string>

namespace zelk
{

struct GameConfig
{
    static const char* const DEFAULT_TITLE;

    std::uint32_t width = 1376;
    std::uint32_t height = 768;
    std::string title = DEFAULT_TITLE;
};

} // namespace zelk
