#pragma once
// The names the parts of the game find each other by: input actions (bound in InputManager, asked
// for by the screens and components) and the screens (registered by Game, requested by the screens).
// Both are case-sensitive.

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

} // namespace zelk
