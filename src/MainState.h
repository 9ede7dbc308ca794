#pragma once
// The match screen: owns the match's sprites, objects and physics, loads the arena from the map on
// every entry, runs events, objects and physics each frame, and watches the players' health; when
// one has none left the match freezes behind a win screen offering "Restart" and "Exit". A map that
// cannot be read shows why on screen instead, with the way back to the menu.
// "Exit" on the keyboard or "Menu" on any controller goes back to the menu at the next frame.

#include "GameObjectManager.h"
#include "GameState.h"
#include "PhysicsManager.h"
#include "PlayerStart.h"
#include "SpriteManager.h"
#include "TextMenu.h"

#include <SFML/Audio/Music.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/System/Vector2.hpp>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zelk
{

class GameObject;

class MainState : public GameState
{
public:
    MainState(GameStateManager* gameStateManager, Game* game);
    ~MainState() override;

    void init() override;
    void update(float deltaTime) override;
    void draw() override;
    void exit() override;

    // One frame of a match's world, in the match's order: updateObjects, then the world step with
    // its deferred commands. Static so tests run their scenes through the very same order.
    static void updateWorld(GameObjectManager& gameObjectManager, PhysicsManager& physicsManager, float deltaTime);
    // The world frame's first half: the queued events, then the objects' update pass. Tests look
    // at what it changed before the step.
    static void updateObjects(GameObjectManager& gameObjectManager, float deltaTime);

    bool isRunning() const { return m_isRunning; }
    const GameObjectManager& getGameObjectManager() const { return m_gameObjectManager; }
    /// For testing.
    const SpriteManager& getSpriteManager() const { return m_spriteManager; }
    /// For testing.
    const sf::Music& getMusic() const { return m_music; }
    /// For testing.
    const sf::Text& getWinnerText() const { return m_winnerText; }
    /// For testing.
    const std::vector<sf::Text>& getMenuEntries() const { return m_winMenu.getEntries(); }
    // Null while the win screen has never opened.
    /// For testing.
    const sf::Text* getSelectedEntry() const { return m_winMenu.getMarkedEntry(); }
    /// For testing.
    sf::Vector2i getMapSize() const { return m_mapSize; }
    // Empty unless the map could not be read.
    /// For testing.
    const sf::Text& getLoadFailureText() const { return m_loadFailureText; }

private:
    // The win screen's own stick thresholds: back near the centre, and far enough for a move.
    static constexpr float WIN_STICK_CENTRE_ZONE = 1.f;
    static constexpr float WIN_STICK_MOVE_THRESHOLD = 20.f;

    // Leftovers of an earlier match must not leak into a new entry (for instance one whose
    // music fails to load and so never reaches the running state).
    void forgetPreviousMatch();
    // False, with the reasons kept for the screen, when the map cannot be read.
    bool loadTileMap();
    // A map that cannot be read leaves the match frozen behind its reasons, with the way back.
    void showLoadFailure();
    bool startMusic();
    void recordPlayerStarts();
    void reportIncompletePlayers() const;
    void createCamera();
    void createHealthIndicators();
    void createHealthIndicator(const std::string& playerId, sf::Vector2f position, int errorLine);

    bool isLeaveRequested() const;
    void checkForLoss();
    void handleWinScreenInput();
    void chooseSelectedEntry();

    void openWinScreen(std::shared_ptr<GameObject> winner, std::shared_ptr<GameObject> loser);
    void placeText(sf::Text& text, const std::string& string, unsigned characterSize, sf::Vector2f offset) const;
    void drawWinMenu();
    void restartGame();
    void restartPlayer(const std::shared_ptr<GameObject>& player, const PlayerStart& start);
    void parkEveryItem();

    // The players by id, without the registry's message for a missing one: the loss check runs
    // every frame, and a map without that player was already reported once at init.
    std::shared_ptr<GameObject> findPlayer(const std::string& id) const;

    SpriteManager m_spriteManager;
    GameObjectManager m_gameObjectManager;
    PhysicsManager m_physicsManager;
    bool m_isRunning = false;
    sf::Music m_music;
    sf::Vector2i m_mapSize;

    sf::Text m_winnerText;
    std::string m_loadFailure;
    sf::Text m_loadFailureText;
    sf::Text m_restartText;
    sf::Text m_exitText;
    sf::Font m_font;
    std::vector<PlayerStart> m_playerStarts;
    TextMenu m_winMenu{WIN_STICK_CENTRE_ZONE, WIN_STICK_MOVE_THRESHOLD};
};

} // namespace zelk
