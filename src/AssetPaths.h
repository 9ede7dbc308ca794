#pragma once
// Every file the game loads by its own name. The game runs from a directory one level below the
// project root (bin/), so "../assets/" reaches the asset directory.

namespace zelk
{

namespace AssetPath
{
// The map; the files it names are relative to the directory it lies in.
inline constexpr const char* DIRECTORY = "../assets";
inline constexpr const char* MAP_FILE = "game.tmj";

inline constexpr const char* FONT = "../assets/fibberish.ttf";
inline constexpr const char* LOGO = "../assets/Logo/kelo_logo.png";
inline constexpr const char* CONTROLS_PICTURE = "../assets/Controls.png";
inline constexpr const char* HEART_BACKGROUND = "../assets/Health/background.png";
inline constexpr const char* HEART = "../assets/Health/heart.png";

inline constexpr const char* MUSIC = "../assets/Sounds/pixel-sky.wav";
inline constexpr const char* SPLASH_SOUND = "../assets/Sounds/water.wav";
inline constexpr const char* THROW_SOUND = "../assets/Sounds/laserRetro_003.ogg";
inline constexpr const char* EXPLOSION_SOUND = "../assets/Sounds/explosionCrunch_003.ogg";
inline constexpr const char* HIT_SOUND = "../assets/Sounds/loseHealth2.wav";
} // namespace AssetPath

} // namespace zelk
