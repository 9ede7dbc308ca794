#include "MainState.h"

#include "AssetPaths.h"
#include "CameraRenderComponent.h"
#include "EventBus.h"
#include "Game.h"
#include "GameNames.h"
#include "GameObject.h"
#include "GameStateManager.h"
#include "HealthComponent.h"
#include "HealthIndicatorRenderComponent.h"
#include "InputManager.h"
#include "ItemComponent.h"
#include "ItemInteractComponent.h"
#include "ObjectFactory.h"
#include "PlayerFallComponent.h"
#include "PlayerMoveComponent.h"
#include "RigidBodyComponent.h"
#include "TileMapLoader.h"
#include "TiledMap.h"
#include "TraceTimer.h"

#include <SFML/System/Err.hpp>

#include <cstdlib>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace zelk
{

namespace
{
const float MUSIC_VOLUME = 50.f;
const sf::Vector2f INDICATOR_SCALE(2.5f, 2.5f);
const char* const RESTART_ENTRY = "Restart";
const char* const EXIT_ENTRY = "Exit";
const unsigned FAILURE_TEXT_SIZE = 22;
// Room left and right of the failure message, in pixels.
const float FAILURE_TEXT_MARGIN = 40.f;
const char* const FAILURE_HINT = "Press Escape, or Menu on a controller, to go back to the menu.";

sf::Vector2f centredOrigin(const sf::Text& text)
{
    const sf::FloatRect bounds = text.getLocalBounds();
    return {bounds.width * 0.5f, bounds.height * 0.5f};
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Breaks the line at spaces so that, drawn like text, no part is wider than maxWidth (a single
// word wider than that keeps a line of its own).
std::string wrapped(const std::string& line, sf::Text text, float maxWidth)
{
    std::string result;
    std::string current;
    for (const std::string& word : split(line, ' '))
    {
        const std::string candidate = current.empty() ? word : current + " " + word;
        text.setString(candidate);
        if (!current.empty() && text.getLocalBounds().width > maxWidth)
        {
            result += current + "\n";
            current = word;
        }
        else
            current = candidate;
    }
    return result + current;
}
} // namespace

MainState::MainState(GameStateManager* gameStateManager, Game* game)
    : GameState(gameStateManager, game)
    , m_spriteManager(game->getWindow())
{
}

MainState::~MainState() = default;

void MainState::init()
{
    TraceTimer timer("zelk::MainState::init");
    forgetPreviousMatch();
    // The river's splash picks its pitch with rand(); every match sounds a little different.
    std::srand(std::random_device{}());

    // Every object, render component and body the map creates is announced to a listening manager.
    m_gameObjectManager.init();
    m_spriteManager.init();
    m_physicsManager.init();

    if (!loadTileMap())
    {
        showLoadFailure();
        return;
    }
    if (!startMusic())
        return;
    recordPlayerStarts();
    reportIncompletePlayers();
    createCamera();
    createHealthIndicators();
    m_spriteManager.setLayerOrder({MapName::DRAWN_LAYERS.begin(), MapName::DRAWN_LAYERS.end()});
    m_isRunning = true;
}

void MainState::forgetPreviousMatch()
{
    m_isRunning = false;
    m_winnerText = sf::Text();
    m_loadFailure.clear();
    m_loadFailureText = sf::Text();
    m_playerStarts.clear();
    m_winMenu.clear();
}

bool MainState::loadTileMap()
{
    TraceTimer timer("Load Tile Map");
    const std::filesystem::path baseDirectory = AssetPath::DIRECTORY;
    const std::filesystem::path mapPath = baseDirectory / AssetPath::MAP_FILE;
    TiledMap map;
    if (!map.loadFromFile(mapPath))
    {
        std::cerr << "Error loading " << mapPath << "\n" << map.getError() << "\n";
        m_loadFailure = "The arena " + mapPath.generic_string() + " cannot be played:";
        // The reasons continue the file's name ("...: is not valid JSON"); on their own lines they
        // read better with a subject.
        for (const std::string& reason : map.getReasons())
            m_loadFailure += (reason.rfind("is ", 0) == 0 || reason.rfind("has ", 0) == 0 ? "\n- It " : "\n- ") + reason;
        return false;
    }
    loadTileLayers(map, baseDirectory, m_spriteManager);
    loadObjects(map, baseDirectory, m_spriteManager);
    m_mapSize = {map.getWidth() * map.getTileWidth(), map.getHeight() * map.getTileHeight()};
    return true;
}

void MainState::showLoadFailure()
{
    // Without the font only the error output says it.
    if (!loadFont(m_font))
        return;
    sf::RenderWindow& window = m_game->getWindow();
    sf::Text text;
    text.setFont(m_font);
    text.setCharacterSize(FAILURE_TEXT_SIZE);
    const float maxWidth = static_cast<float>(window.getSize().x) - 2.f * FAILURE_TEXT_MARGIN;
    std::string message;
    for (const std::string& line : split(m_loadFailure + "\n\n" + FAILURE_HINT, '\n'))
        message += (message.empty() ? "" : "\n") + wrapped(line, text, maxWidth);
    m_loadFailureText = text;
    m_loadFailureText.setString(message);
    m_loadFailureText.setFillColor(sf::Color::White);
    m_loadFailureText.setPosition(FAILURE_TEXT_MARGIN, FAILURE_TEXT_MARGIN);
}

bool MainState::startMusic()
{
    if (!m_music.openFromFile(AssetPath::MUSIC))
    {
        std::cerr << "Could not load background music\n";
        return false;
    }
    m_music.setLoop(true);
    m_music.setVolume(MUSIC_VOLUME);
    m_music.play();
    return true;
}

void MainState::recordPlayerStarts()
{
    // One record per player id, so index 0 is always "Player0" even when the map lacks it.
    for (const char* id : MapName::PLAYER_IDS)
    {
        PlayerStart start;
        if (const auto player = findPlayer(id))
        {
            if (const auto rigidBody = player->getComponent<RigidBodyComponent>(); rigidBody && rigidBody->getBody())
            {
                const b2Vec2 position = rigidBody->getBody()->GetPosition();
                start.position = toPixels(position);
            }
            if (const auto health = player->getComponent<HealthComponent>())
                start.health = health->getHealth();
        }
        m_playerStarts.push_back(start);
    }
}

void MainState::reportIncompletePlayers() const
{
    for (const char* id : MapName::PLAYER_IDS)
    {
        const auto player = findPlayer(id);
        if (!player)
        {
            sf::err() << "The map has no " << id << ": the match runs without it and cannot be won" << std::endl;
            continue;
        }
        std::string missing;
        const auto note = [&missing](bool present, const char* name) {
            if (!present)
                missing += (missing.empty() ? "" : ", ") + std::string(name);
        };
        const auto rigidBody = player->getComponent<RigidBodyComponent>();
        note(rigidBody && rigidBody->getBody(), "RigidBodyComponent");
        note(player->getComponent<HealthComponent>() != nullptr, "HealthComponent");
        note(player->getComponent<PlayerMoveComponent>() != nullptr, "PlayerMoveComponent");
        note(player->getComponent<ItemInteractComponent>() != nullptr, "ItemInteractComponent");
        note(player->getComponent<PlayerFallComponent>() != nullptr, "PlayerFallComponent");
        if (!missing.empty())
            sf::err() << id << " lacks " << missing << ": the match skips what needs them" << std::endl;
    }
}

void MainState::createCamera()
{
    sf::RenderWindow& window = m_game->getWindow();
    auto camera = std::make_shared<GameObject>("Camera");
    auto component = camera->addComponent<CameraRenderComponent>(*camera, window, window.getView(), m_mapSize);
    if (!camera->init())
        sf::err() << "src/MainState" << " Line: " << 86 << " " << "Could not initialize camera" << std::endl;
    m_gameObjectManager.addGameObject(camera);
    m_spriteManager.setCamera(component.get());
}

void MainState::createHealthIndicators()
{
    createHealthIndicator(MapName::PLAYER_IDS[0], {200.f, 50.f}, 111);
    createHealthIndicator(MapName::PLAYER_IDS[1], {1000.f, 50.f}, 134);
}

void MainState::createHealthIndicator(const std::string& playerId, sf::Vector2f position, int errorLine)
{
    // A player without health has nothing to show; the init report already named it.
    const auto player = findPlayer(playerId);
    const auto health = player ? player->getComponent<HealthComponent>() : nullptr;
    if (!health)
        return;

    auto indicatorObject = std::make_shared<GameObject>(playerId + "HealthIndicator");
    indicatorObject->setPosition(position);
    auto indicator = indicatorObject->addComponent<HealthIndicatorRenderComponent>(
        *indicatorObject, m_game->getWindow(), AssetPath::HEART_BACKGROUND, AssetPath::HEART, "GUI", INDICATOR_SCALE,
        health->getHealth());
    // A contact callback (see ColliderComponent's rule): it only forwards the number. The handle
    // does not own the indicator, which belongs to its own object in the registry.
    const std::weak_ptr<HealthIndicatorRenderComponent> handle = indicator;
    health->addHealthCallback([handle](int newHealth, GameObject&) {
        if (const auto shown = handle.lock())
            shown->setHealth(newHealth);
    });
    if (!indicatorObject->init())
    {
        sf::err() << "src/MainState" << " Line: " << errorLine << " " << "Could not initialize HealthIndicator"
                  << std::endl;
    }
    m_gameObjectManager.addGameObject(indicatorObject);
}

void MainState::update(float deltaTime)
{
    TraceTimer timer("zelk::MainState::update");
    if (isLeaveRequested())
    {
        m_music.stop();
        m_gameStateManager->setState(Screen::MENU);
        return;
    }

    if (m_isRunning)
    {
        updateWorld(m_gameObjectManager, m_physicsManager, deltaTime);
        checkForLoss();
        if (m_isRunning)
            return;
    }
    handleWinScreenInput();
}

void MainState::updateWorld(GameObjectManager& gameObjectManager, PhysicsManager& physicsManager, float deltaTime)
{
    updateObjects(gameObjectManager, deltaTime);
    physicsManager.update(deltaTime);
}

void MainState::updateObjects(GameObjectManager& gameObjectManager, float deltaTime)
{
    EventBus::getInstance().processEvents();
    gameObjectManager.update(deltaTime);
}

bool MainState::isLeaveRequested() const
{
    const auto& input = InputManager::getInstance();
    return input.isKeyPressed(Action::EXIT, 0) || input.isButtonPressedOnAnyJoystick(Action::MENU);
}

std::shared_ptr<GameObject> MainState::findPlayer(const std::string& id) const
{
    const auto& objects = m_gameObjectManager.getGameObjects();
    const auto found = objects.find(id);
    return found == objects.end() ? nullptr : found->second;
}

void MainState::checkForLoss()
{
    const auto player0 = findPlayer(MapName::PLAYER_IDS[0]);
    const auto player1 = findPlayer(MapName::PLAYER_IDS[1]);
    // With a player missing there is nobody to name as winner.
    if (!player0 || !player1)
        return;
    const auto health0 = player0->getComponent<HealthComponent>();
    const auto health1 = player1->getComponent<HealthComponent>();
    if (health0 && health0->getHealth() <= 0)
        openWinScreen(player1, player0);
    if (health1 && health1->getHealth() <= 0)
        openWinScreen(player0, player1);
}

void MainState::openWinScreen(std::shared_ptr<GameObject> winner, std::shared_ptr<GameObject> loser)
{
    for (const auto& player : {winner, loser})
    {
        if (const auto move = player->getComponent<PlayerMoveComponent>())
            move->setCanMove(false);
    }

    // Still running: the loss is seen again next frame and the load retried then.
    if (!loadFont(m_font))
        return;

    placeText(m_winnerText, winner->getId() + " WON!", 60, {0.f, -80.f});
    placeText(m_restartText, RESTART_ENTRY, 25, {0.f, 0.f});
    placeText(m_exitText, EXIT_ENTRY, 25, {0.f, 30.f});
    m_winMenu.setEntries({m_restartText, m_exitText});

    std::cout << winner->getId() << " won!" << std::endl;
    m_isRunning = false;
}

void MainState::placeText(sf::Text& text, const std::string& string, unsigned characterSize,
                          sf::Vector2f offset) const
{
    text.setString(string);
    text.setFillColor(sf::Color::White);
    // The texts stand over the arena itself: a dark outline keeps them readable on water and grass.
    text.setOutlineColor(sf::Color(20, 12, 28));
    text.setOutlineThickness(characterSize >= 60 ? 4.f : 2.f);
    text.setFont(m_font);
    text.setCharacterSize(characterSize);
    text.setOrigin(centredOrigin(text));
    text.setPosition(m_game->getWindow().getView().getCenter() + offset);
}

void MainState::handleWinScreenInput()
{
    // With two entries every move, up or down, toggles. Without entries (the win screen never
    // opened) there is nothing to move to or choose.
    m_winMenu.navigate();
    if (m_winMenu.isConfirmed())
        chooseSelectedEntry();
}

void MainState::chooseSelectedEntry()
{
    const std::string choice = m_winMenu.getMarkedWord();
    if (choice == RESTART_ENTRY)
        restartGame();
    else if (choice == EXIT_ENTRY)
        m_game->getWindow().close();
}

void MainState::restartGame()
{
    m_isRunning = true;
    for (std::size_t index = 0; index < m_playerStarts.size() && index < std::size(MapName::PLAYER_IDS); ++index)
    {
        if (const auto player = findPlayer(MapName::PLAYER_IDS[index]))
            restartPlayer(player, m_playerStarts[index]);
    }
    parkEveryItem();
}

void MainState::restartPlayer(const std::shared_ptr<GameObject>& player, const PlayerStart& start)
{
    const auto rigidBody = player->getComponent<RigidBodyComponent>();
    if (b2Body* body = rigidBody ? rigidBody->getBody() : nullptr)
    {
        const b2Vec2 home = toMetres(start.position);
        PhysicsManager::deferSetTransform(body, home, body->GetAngle());
    }
    if (const auto health = player->getComponent<HealthComponent>())
        health->setHealth(start.health);
    if (const auto interact = player->getComponent<ItemInteractComponent>())
        interact->dropHeldItem();
    if (const auto fall = player->getComponent<PlayerFallComponent>())
        fall->reset();
    else if (const auto move = player->getComponent<PlayerMoveComponent>())
        move->setCanMove(true);
}

void MainState::parkEveryItem()
{
    // A copy: parking must not depend on the registry staying untouched meanwhile.
    const GameObjectManager::GameObjectMap objects = m_gameObjectManager.getGameObjects();
    for (const auto& [id, object] : objects)
    {
        if (const auto item = object->getComponent<ItemComponent>())
            item->deactivate();
    }
}

void MainState::draw()
{
    TraceTimer timer("zelk::MainState::draw");
    m_spriteManager.draw();
    if (m_isRunning)
        return;
    if (!m_loadFailure.empty())
    {
        // In the window's own coordinates: no camera was made for a map that did not load.
        sf::RenderWindow& window = m_game->getWindow();
        window.setView(window.getDefaultView());
        window.draw(m_loadFailureText);
        return;
    }
    m_game->getWindow().draw(m_winnerText);
    drawWinMenu();
}

void MainState::drawWinMenu()
{
    for (std::size_t index = 0; index < m_winMenu.getEntries().size(); ++index)
    {
        sf::Text entry = m_winMenu.markedCopy(index);
        entry.setOrigin(centredOrigin(entry));
        m_game->getWindow().draw(entry);
    }
}

void MainState::exit()
{
    TraceTimer timer("zelk::MainState::exit");
    // The body list goes before the objects (and with them their components) are released.
    m_physicsManager.shutdown();
    m_spriteManager.shutdown();
    m_gameObjectManager.shutdown();
}

} // namespace zelk
