#pragma once
// The names the parts of the game find each other by: input actions (bound in InputManager, asked
// for by the screens and components), the screens (registered by Game, requested by the screens),
// and the names a map shares with the match. All are case-sensitive.

#include <array>
#include <string_view>

namespace zelk
{

namespace Action
{
// Walking, per player; the menus also take player 0's up and down.
inline constexpr const char* UP = "up";
inline constexpr const char* DOWN = "down";
inline constexpr const char* LEFT = "left";
inline constexpr const char* RIGHT = "right";
// Throwing, per player: a key, or a controller button that charges while held.
inline constexpr const char* FIRE = "fire";
// Menu navigation on player 0's arrow keys, confirming, and leaving a screen.
inline constexpr const char* MENU_UP = "menuUp";
inline constexpr const char* MENU_DOWN = "menuDown";
inline constexpr const char* SELECT = "select";
inline constexpr const char* SELECT_WITH_SPACE = "Select";
inline constexpr const char* EXIT = "Exit";
inline constexpr const char* MENU = "Menu";
inline constexpr const char* DEBUG_DRAW = "debugdraw";
} // namespace Action

namespace Screen
{
inline constexpr const char* MENU = "MenuState";
inline constexpr const char* MATCH = "MainState";
inline constexpr const char* CONTROLS = "InstructionState";
} // namespace Screen

// What a map and the match agree on: the ids the match looks its two players up by, player 0 first,
// and the render layers it draws, in this order (a component filed under another layer is not drawn).
namespace MapName
{
inline constexpr std::array<const char*, 2> PLAYER_IDS = {"Player0", "Player1"};
inline constexpr std::array<const char*, 4> DRAWN_LAYERS = {"Background", "Top", "Objects", "GUI"};

inline bool isDrawnLayer(std::string_view layerName)
{
    for (const char* drawn : DRAWN_LAYERS)
    {
        if (layerName == drawn)
            return true;
    }
    return false;
}
} // namespace MapName

} // namespace zelk
