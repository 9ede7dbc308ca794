#include "MainState.h"

#include "CameraRenderComponent.h"
#include "DebugDraw.h"
#include "Game.h"
#include "GameConfig.h"
#include "GameStateManager.h"
#include "HealthIndicatorRenderComponent.h"
#include "MatchKit.h"
#include "ScreenTestSupport.h"

#include <SFML/Window/Event.hpp>

#include <map>

using namespace zelk;
using namespace zelk::test;

namespace
{

const float FRAME = 1.f / 60.f;

// Stands in for the menu: it only counts how often it is entered and left.
class CountingState : public GameState
{
public:
    using GameState::GameState;
    void init() override { ++inits; }
    void exit() override { ++exits; }
    void update(float) override {}
    void draw() override {}

    int inits = 0;
    int exits = 0;
};

// The match as the game runs it: a real window, the real state switch between frames, the input
// snapshot at the start of every frame. Frame times are fixed so physics is repeatable.
class MainStateTest : public ::testing::Test
{
protected:
    MainStateTest()
        : game(GameConfig())
    {
        writeArena("arena.tmj");
        directory.writeSound("Sounds/pixel-sky.wav", 1.f);
        directory.writeAsset("fibberish.ttf", readFile(systemFontPath()));

        game.getWindow().create(sf::VideoMode(1376, 768), "match test", sf::Style::Titlebar);
        DebugDraw::getInstance().setEnabled(false);
        match = std::make_shared<MainState>(&states(), &game);
        menu = std::make_shared<CountingState>(&states(), &game);
        states().addState("MenuState", menu);
        states().addState("MainState", match);
    }

    ~MainStateTest() override
    {
        // What the game loop does when the window closes.
        if (GameState* current = states().getCurrentState())
            current->exit();
    }

    void writeArena(const std::string& mapFile)
    {
        directory.writeAsset("game.tmj", readFile(sourceDir() / "tests" / "data" / "match" / mapFile));
        directory.writeImage("tiles.png", 64, 32, sf::Color(40, 120, 40));
        directory.writeImage("player.png", 192, 128, sf::Color(200, 200, 40));
        directory.writeImage("rock.png", 16, 16, sf::Color(120, 120, 120));
        directory.writeImage("bomb.png", 128, 32, sf::Color(60, 60, 60));
        directory.writeImage("Health/heart.png", 16, 16, sf::Color(220, 20, 20));
        directory.writeImage("Health/background.png", 16, 16, sf::Color(20, 20, 220));
    }

    static InputManager& input() { return InputManager::getInstance(); }
    GameStateManager& states() { return game.getGameStateManager(); }

    void enterMatch()
    {
        states().setState("MainState");
        frame();
    }

    void frame(float deltaTime = FRAME)
    {
        game.update(deltaTime);
        game.draw();
    }

    void frames(int count)
    {
        for (int i = 0; i < count; ++i)
            frame();
    }

    void press(sf::Keyboard::Key key)
    {
        input().setLiveKey(key, true);
        frame();
        input().setLiveKey(key, false);
        frame();
    }

    std::shared_ptr<GameObject> object(const std::string& id) const
    {
        const auto& objects = match->getGameObjectManager().getGameObjects();
        const auto found = objects.find(id);
        return found == objects.end() ? nullptr : found->second;
    }

    template <typename T>
    std::shared_ptr<T> component(const std::string& id) const
    {
        const auto owner = object(id);
        return owner ? owner->getComponent<T>() : nullptr;
    }

    b2Body& body(const std::string& id) const { return *component<RigidBodyComponent>(id)->getBody(); }

    sf::Image screenshot()
    {
        sf::Texture texture;
        EXPECT_TRUE(texture.create(game.getWindow().getSize().x, game.getWindow().getSize().y));
        texture.update(game.getWindow());
        return texture.copyToImage();
    }

    std::string selected() const
    {
        return match->getSelectedEntry() ? std::string(match->getSelectedEntry()->getString()) : std::string();
    }

    // Takes Player0's last heart and lets the loss check see it.
    void defeatPlayer0()
    {
        component<HealthComponent>("Player0")->setHealth(0);
        frame();
    }

    int activeItems() const
    {
        int active = 0;
        for (const auto& [id, item] : match->getGameObjectManager().getGameObjects())
        {
            if (item->getComponent<ItemComponent>() && item->isActive())
                ++active;
        }
        return active;
    }

    ScopedInput scopedInput;
    GameDirectory directory;
    Game game;
    std::shared_ptr<MainState> match;
    std::shared_ptr<CountingState> menu;
};

} // namespace

TEST_F(MainStateTest, EnteringBuildsTheArenaThePlayersAndTheirHearts)
{
    StreamCapture errors(std::cerr);
    enterMatch();

    EXPECT_TRUE(match->isRunning());
    EXPECT_EQ(match->getMapSize(), sf::Vector2i(1376, 768));
    for (const char* id : {"TileMap", "Camera", "Player0", "Player1", "Chasm", "Stream", "WallTop", "Spawner",
                           "Player0HealthIndicator", "Player1HealthIndicator"})
        EXPECT_NE(object(id), nullptr) << id;

    const auto& sprites = match->getSpriteManager();
    EXPECT_EQ(sprites.getLayerOrder(), (std::vector<std::string>{"Background", "Top", "Objects", "GUI"}));
    EXPECT_EQ(sprites.getCamera(), component<CameraRenderComponent>("Camera").get());

    EXPECT_EQ(object("Player0HealthIndicator")->getPosition(), sf::Vector2f(200.f, 50.f));
    EXPECT_EQ(object("Player1HealthIndicator")->getPosition(), sf::Vector2f(1000.f, 50.f));
    const auto hearts = component<HealthIndicatorRenderComponent>("Player1HealthIndicator");
    EXPECT_EQ(hearts->getHealth(), 3);
    EXPECT_EQ(sprites.getLayerOf(hearts.get()), "GUI");

    EXPECT_EQ(match->getMusic().getStatus(), sf::Music::Playing);
    EXPECT_TRUE(match->getMusic().getLoop());
    EXPECT_EQ(match->getMusic().getVolume(), 50.f);
    EXPECT_EQ(errors.text(), "");
}

TEST_F(MainStateTest, TheFrameRunsObjectsThenPhysics)
{
    enterMatch();
    input().setLiveKey(sf::Keyboard::D, true);
    frame();
    // The key's velocity was set by the object pass and moved the body in the same frame's step.
    EXPECT_GT(body("Player0").GetLinearVelocity().x, 0.f);
    EXPECT_GT(object("Player0")->getPosition().x, 300.f);
}

TEST_F(MainStateTest, AMapThatCannotBeReadShowsWhyOnScreenUntilThePlayerGoesBack)
{
    directory.writeAsset("game.tmj", "{ not a map");
    StreamCapture errors(std::cerr);
    StreamCapture sfmlErrors(sf::err());

    enterMatch();
    frames(5);

    // The error output as ever: which file, and why, on one line each.
    const std::string text = errors.text();
    const std::string firstLine = "Error loading \"../assets/game.tmj\"\n";
    ASSERT_EQ(text.substr(0, firstLine.size()), firstLine) << text;
    EXPECT_NE(text.find("is not valid JSON"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    // Nothing about players of a map that was never read.
    EXPECT_EQ(sfmlErrors.text(), "");
    EXPECT_FALSE(match->isRunning());
    EXPECT_EQ(match->getMusic().getStatus(), sf::Music::Stopped);
    EXPECT_EQ(object("Player0"), nullptr);

    // On screen, in the game's font: the reason and the way back, within the window.
    const sf::Text& shown = match->getLoadFailureText();
    const std::string message = shown.getString();
    ASSERT_NE(shown.getFont(), nullptr);
    EXPECT_NE(message.find("is not valid JSON"), std::string::npos) << message;
    EXPECT_NE(message.find("Press Escape, or Menu on a controller, to go back to the menu."), std::string::npos)
        << message;
    const sf::FloatRect bounds = shown.getGlobalBounds();
    EXPECT_GE(bounds.left, 0.f);
    EXPECT_LE(bounds.left + bounds.width, static_cast<float>(game.getWindow().getSize().x));
    const sf::Image image = screenshot();
    int inked = 0;
    for (unsigned y = 0; y < image.getSize().y; ++y)
    {
        for (unsigned x = 0; x < image.getSize().x; ++x)
            inked += image.getPixel(x, y).r > 200 ? 1 : 0;
    }
    EXPECT_GT(inked, 500) << "the message is drawn";

    press(sf::Keyboard::Escape);
    EXPECT_EQ(states().getCurrentState(), menu.get());
    EXPECT_EQ(menu->inits, 1);
}

TEST_F(MainStateTest, WithoutMusicTheMatchIsLoadedButNeverRuns)
{
    directory.removeAsset("Sounds/pixel-sky.wav");
    StreamCapture errors(std::cerr);

    enterMatch();

    EXPECT_NE(errors.text().find("Could not load background music\n"), std::string::npos) << errors.text();
    EXPECT_FALSE(match->isRunning());
    EXPECT_NE(object("Player0"), nullptr);
    EXPECT_EQ(object("Camera"), nullptr);
    EXPECT_EQ(object("Player0HealthIndicator"), nullptr);
    EXPECT_TRUE(match->getSpriteManager().getLayerOrder().empty());

    // Frozen: no object moves, and the win screen has nothing to choose.
    const sf::Vector2f before = object("Player0")->getPosition();
    input().setLiveKey(sf::Keyboard::D, true);
    frames(10);
    input().setLiveKey(sf::Keyboard::D, false);
    press(sf::Keyboard::Down);
    press(sf::Keyboard::Enter);
    EXPECT_EQ(object("Player0")->getPosition(), before);
    EXPECT_FALSE(match->isRunning());
    EXPECT_TRUE(match->getMenuEntries().empty());
    EXPECT_TRUE(game.getWindow().isOpen());
}

TEST_F(MainStateTest, ExitStopsTheMusicAndLeavesForTheMenuOnceAtTheNextFrame)
{
    enterMatch();
    const sf::Vector2f before = object("Player0")->getPosition();
    input().setLiveKey(sf::Keyboard::Escape, true);
    input().setLiveButton(1, ControllerButton::MENU, true);
    input().setLiveKey(sf::Keyboard::D, true);
    input().update();
    match->update(FRAME);

    EXPECT_EQ(match->getMusic().getStatus(), sf::Music::Stopped);
    // The leaving frame runs nothing else: no object update, no physics step.
    EXPECT_EQ(body("Player0").GetLinearVelocity(), b2Vec2(0.f, 0.f));
    EXPECT_EQ(object("Player0")->getPosition(), before);
    EXPECT_EQ(states().getCurrentState(), match.get());
    EXPECT_EQ(menu->inits, 0);

    states().applyPendingState();
    EXPECT_EQ(states().getCurrentState(), menu.get());
    EXPECT_EQ(menu->inits, 1);
    // Leaving released the whole match.
    EXPECT_TRUE(match->getGameObjectManager().getGameObjects().empty());
    frames(2);
    EXPECT_EQ(menu->inits, 1) << "the exit key and the menu button of one frame leave once";
    EXPECT_EQ(menu->exits, 0);
}

TEST_F(MainStateTest, ComingBackLoadsTheMapAgainAndKeepsOnlyTheNewObjects)
{
    enterMatch();
    frames(70);
    const std::size_t firstCount = match->getGameObjectManager().getGameObjects().size();
    std::map<std::string, std::weak_ptr<GameObject>> firstLoad;
    std::vector<std::string> oldItemIds;
    for (const auto& [id, candidate] : match->getGameObjectManager().getGameObjects())
    {
        firstLoad[id] = candidate;
        if (candidate->getComponent<ItemComponent>())
            oldItemIds.push_back(id);
    }
    ASSERT_FALSE(oldItemIds.empty());

    press(sf::Keyboard::Escape);
    EXPECT_EQ(states().getCurrentState(), menu.get());
    for (const auto& [id, gameObject] : firstLoad)
        EXPECT_TRUE(gameObject.expired()) << id << " outlived its match";

    enterMatch();
    EXPECT_TRUE(match->isRunning());
    EXPECT_EQ(match->getGameObjectManager().getGameObjects().size(), firstCount);
    EXPECT_EQ(match->getMusic().getStatus(), sf::Music::Playing);
    // The item counter runs on across loads, so none of the old pool's names is filed any more.
    for (const auto& id : oldItemIds)
        EXPECT_EQ(object(id), nullptr) << id;
    for (const auto& [id, gameObject] : match->getGameObjectManager().getGameObjects())
    {
        const bool isItem = gameObject->getComponent<ItemComponent>() != nullptr;
        EXPECT_TRUE(isItem || firstLoad.count(id) == 1) << id << " was not in the first load";
    }
    frames(10);
    EXPECT_TRUE(match->isRunning());
}

TEST_F(MainStateTest, ALostPlayerOpensTheWinScreenForTheOtherAndFreezesObjectsAndPhysics)
{
    enterMatch();
    body("Player1").SetLinearVelocity(b2Vec2(3.f, 0.f));
    StreamCapture output(std::cout);
    defeatPlayer0();

    EXPECT_FALSE(match->isRunning());
    EXPECT_EQ(output.text(), "Player1 won!\n");
    const sf::Vector2f centre = game.getWindow().getView().getCenter();
    const sf::Text& title = match->getWinnerText();
    EXPECT_EQ(std::string(title.getString()), "Player1 WON!");
    EXPECT_EQ(title.getCharacterSize(), 60u);
    EXPECT_EQ(title.getFillColor(), sf::Color::White);
    EXPECT_EQ(title.getPosition(), centre + sf::Vector2f(0.f, -80.f));
    EXPECT_NEAR(title.getOrigin().x, title.getLocalBounds().width * 0.5f, 1e-3f);

    const auto& entries = match->getMenuEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(std::string(entries[0].getString()), "Restart");
    EXPECT_EQ(entries[0].getPosition(), centre);
    EXPECT_EQ(entries[0].getCharacterSize(), 25u);
    EXPECT_EQ(std::string(entries[1].getString()), "Exit");
    EXPECT_EQ(entries[1].getPosition(), centre + sf::Vector2f(0.f, 30.f));
    EXPECT_EQ(selected(), "Restart");

    EXPECT_FALSE(component<PlayerMoveComponent>("Player0")->canMove());
    EXPECT_FALSE(component<PlayerMoveComponent>("Player1")->canMove());

    const sf::Vector2f frozen = object("Player1")->getPosition();
    const b2Vec2 bodyAt = body("Player1").GetPosition();
    frames(20);
    EXPECT_EQ(object("Player1")->getPosition(), frozen);
    EXPECT_EQ(body("Player1").GetPosition(), bodyAt);
}

TEST_F(MainStateTest, BothPlayersLosingInOneFrameNamesPlayer0)
{
    enterMatch();
    StreamCapture output(std::cout);
    component<HealthComponent>("Player0")->setHealth(0);
    component<HealthComponent>("Player1")->setHealth(-1);
    frame();

    EXPECT_EQ(output.text(), "Player1 won!\nPlayer0 won!\n");
    EXPECT_EQ(std::string(match->getWinnerText().getString()), "Player0 WON!");
    EXPECT_EQ(match->getMenuEntries().size(), 2u);
    EXPECT_EQ(selected(), "Restart");
}

TEST_F(MainStateTest, AMissingFontKeepsTheMatchGoingAndIsRetriedEveryFrame)
{
    directory.removeAsset("fibberish.ttf");
    enterMatch();
    StreamCapture errors(sf::err());
    StreamCapture output(std::cout);

    defeatPlayer0();
    EXPECT_TRUE(match->isRunning());
    const std::string reported = errors.text();
    const std::string message = "Could not load font\n";
    ASSERT_GE(reported.size(), message.size()) << reported;
    EXPECT_EQ(reported.substr(reported.size() - message.size()), message);
    errors.clear();
    frame();
    EXPECT_TRUE(match->isRunning());
    EXPECT_NE(errors.text().find(message), std::string::npos);
    EXPECT_FALSE(component<PlayerMoveComponent>("Player1")->canMove());

    directory.writeAsset("fibberish.ttf", readFile(systemFontPath()));
    frame();
    EXPECT_FALSE(match->isRunning());
    EXPECT_EQ(output.text(), "Player1 won!\n");
}

TEST_F(MainStateTest, EveryMoveKeyTogglesBetweenTheTwoEntriesAndExitClosesTheWindow)
{
    enterMatch();
    defeatPlayer0();
    // The menu screen's tests cover the rest of the steering both screens share.
    press(sf::Keyboard::S);
    EXPECT_EQ(selected(), "Exit");
    press(sf::Keyboard::W);
    EXPECT_EQ(selected(), "Restart");
    press(sf::Keyboard::Up);
    EXPECT_EQ(selected(), "Exit");
    input().setLiveButton(0, ControllerButton::CONFIRM, true);
    frame();
    EXPECT_FALSE(game.getWindow().isOpen()) << "Exit closes the window";
}

TEST_F(MainStateTest, AHeldStickMovesOnceUntilItReturnsToTheCentre)
{
    enterMatch();
    defeatPlayer0();
    input().feedAxisPosition(0, sf::Joystick::Y, 50.f);
    frames(5);
    EXPECT_EQ(selected(), "Exit");

    // Near the centre, but not within (-1, 1): still not released.
    input().feedAxisPosition(0, sf::Joystick::Y, 1.f);
    frame();
    input().feedAxisPosition(0, sf::Joystick::Y, -50.f);
    frames(3);
    EXPECT_EQ(selected(), "Exit");

    input().feedAxisPosition(0, sf::Joystick::Y, 0.5f);
    frame();
    input().feedAxisPosition(0, sf::Joystick::Y, -50.f);
    frames(3);
    EXPECT_EQ(selected(), "Restart");
}

TEST_F(MainStateTest, TheSelectedEntryIsDrawnDecoratedAndCentred)
{
    enterMatch();
    defeatPlayer0();

    // The white ink of the entry drawn `offset` below the view's centre: its width and its middle, in
    // pixels. The texts sit on the camera's view; the arena behind is drawn too, in colours that are
    // not white.
    const sf::Vector2f centre = game.getWindow().getView().getCenter();
    const auto inkOfRow = [&](const sf::Image& image, float offset) {
        const int row = game.getWindow().mapCoordsToPixel(centre + sf::Vector2f(0.f, offset)).y;
        unsigned left = image.getSize().x;
        unsigned right = 0;
        for (unsigned y = static_cast<unsigned>(row - 10); y < static_cast<unsigned>(row + 10); ++y)
        {
            for (unsigned x = 0; x < image.getSize().x; ++x)
            {
                const sf::Color pixel = image.getPixel(x, y);
                if (pixel.r > 200 && pixel.g > 200 && pixel.b > 200)
                {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return std::make_pair(right - left, (left + right) * 0.5f);
    };

    frame();
    sf::Image image = screenshot();
    const auto restartSelected = inkOfRow(image, 0.f);
    const auto exitPlain = inkOfRow(image, 30.f);
    press(sf::Keyboard::S);
    image = screenshot();
    const auto restartPlain = inkOfRow(image, 0.f);
    const auto exitSelected = inkOfRow(image, 30.f);

    // The decoration widens the selected entry on both sides of the same centre.
    EXPECT_GT(restartSelected.first, restartPlain.first + 20);
    EXPECT_GT(exitSelected.first, exitPlain.first + 20);
    const float middle = static_cast<float>(game.getWindow().mapCoordsToPixel(centre).x);
    EXPECT_NEAR(restartSelected.second, middle, 3.f);
    EXPECT_NEAR(exitSelected.second, middle, 3.f);
    // The stored entries stay plain.
    EXPECT_EQ(std::string(match->getMenuEntries()[0].getString()), "Restart");
}

TEST_F(MainStateTest, RestartPutsEverythingBackWithoutReloading)
{
    enterMatch();
    // Let the spawner put a few items into play, and move both players off their marks.
    frames(200);
    ASSERT_GT(activeItems(), 0);
    body("Player0").SetTransform(toMetres({450.f, 420.f}), 1.f);
    body("Player1").SetTransform(toMetres({900.f, 500.f}), 0.f);
    body("Player1").SetLinearVelocity(b2Vec2(2.f, 0.f));
    component<HealthComponent>("Player1")->setHealth(2);
    const auto player0 = object("Player0");
    const std::size_t objectCount = match->getGameObjectManager().getGameObjects().size();

    defeatPlayer0();
    ASSERT_FALSE(match->isRunning());
    press(sf::Keyboard::Enter);

    EXPECT_TRUE(match->isRunning());
    EXPECT_EQ(activeItems(), 0);
    for (const auto& [id, homeX] : {std::pair{"Player0", 300.f}, std::pair{"Player1", 1000.f}})
    {
        EXPECT_EQ(component<HealthComponent>(id)->getHealth(), 3) << id;
        EXPECT_EQ(component<HealthIndicatorRenderComponent>(id + std::string("HealthIndicator"))->getHealth(), 3);
        EXPECT_TRUE(component<PlayerMoveComponent>(id)->canMove()) << id;
        EXPECT_NEAR(object(id)->getPosition().x, homeX, 0.01f) << id;
        EXPECT_NEAR(object(id)->getPosition().y, 200.f, 0.01f) << id;
        EXPECT_EQ(object(id)->getRotation(), 0.f) << id;
    }
    EXPECT_EQ(object("Player0"), player0);
    EXPECT_EQ(match->getGameObjectManager().getGameObjects().size(), objectCount);
    EXPECT_EQ(match->getMusic().getStatus(), sf::Music::Playing);

    // Winning again shows the same two entries.
    StreamCapture output(std::cout);
    component<HealthComponent>("Player1")->setHealth(0);
    frame();
    EXPECT_EQ(output.text(), "Player0 won!\n");
    EXPECT_EQ(std::string(match->getWinnerText().getString()), "Player0 WON!");
    ASSERT_EQ(match->getMenuEntries().size(), 2u);
    EXPECT_EQ(selected(), "Restart");
}

TEST_F(MainStateTest, AFallCostsAHeartShownOnThatPlayersIndicatorAndARestartBringsThePlayerHomeAtOnce)
{
    enterMatch();
    const auto hearts0 = component<HealthIndicatorRenderComponent>("Player0HealthIndicator");
    const auto hearts1 = component<HealthIndicatorRenderComponent>("Player1HealthIndicator");
    // Walked into the chasm through the real physics.
    body("Player1").SetTransform(toMetres({500.f, 730.f}), 0.f);
    frame();
    ASSERT_TRUE(component<PlayerFallComponent>("Player1")->isFalling());
    EXPECT_EQ(component<HealthComponent>("Player1")->getHealth(), 2);
    EXPECT_EQ(hearts1->getHealth(), 2);
    EXPECT_TRUE(hearts1->isFlashing());
    EXPECT_EQ(hearts0->getHealth(), 3);
    EXPECT_FALSE(hearts0->isFlashing());
    EXPECT_TRUE(match->isRunning());
    component<HealthComponent>("Player0")->setHealth(0);
    frame();
    ASSERT_FALSE(match->isRunning());

    press(sf::Keyboard::Enter);

    EXPECT_FALSE(component<PlayerFallComponent>("Player1")->isFalling());
    EXPECT_NEAR(object("Player1")->getPosition().x, 1000.f, 0.01f);
    EXPECT_NEAR(object("Player1")->getPosition().y, 200.f, 0.01f);
    EXPECT_EQ(component<HealthComponent>("Player1")->getHealth(), 3);
    EXPECT_TRUE(component<ColliderComponent>("Player1")->isEnabled());
}

TEST_F(MainStateTest, LeavingRightAfterARestartDropsTheQueuedMovesSafely)
{
    enterMatch();
    defeatPlayer0();
    input().setLiveKey(sf::Keyboard::Enter, true);
    frame();
    input().setLiveKey(sf::Keyboard::Enter, false);
    ASSERT_TRUE(match->isRunning());
    ASSERT_GT(PhysicsManager::getDeferredActionCount(), 0u);

    // The restart's body moves are still waiting for a step when the match is left.
    input().setLiveKey(sf::Keyboard::Escape, true);
    frame();
    input().setLiveKey(sf::Keyboard::Escape, false);
    frame();
    EXPECT_EQ(states().getCurrentState(), menu.get());
    EXPECT_EQ(PhysicsManager::getDeferredActionCount(), 0u);

    enterMatch();
    frames(5);
    EXPECT_TRUE(match->isRunning());
    EXPECT_NEAR(object("Player0")->getPosition().x, 300.f, 0.01f);
}

TEST_F(MainStateTest, AMapWithoutASecondPlayerRunsAndSaysSoOnce)
{
    writeArena("one-player.tmj");
    StreamCapture errors(sf::err());
    enterMatch();

    EXPECT_TRUE(match->isRunning());
    EXPECT_NE(object("Player0HealthIndicator"), nullptr);
    EXPECT_EQ(object("Player1HealthIndicator"), nullptr);
    const std::string report = errors.text();
    EXPECT_NE(report.find("Player1"), std::string::npos) << report;
    EXPECT_NE(report.find("Player0 lacks PlayerMoveComponent"), std::string::npos) << report;

    // Nobody can be named winner, so the match simply goes on.
    component<HealthComponent>("Player0")->setHealth(0);
    errors.clear();
    frames(5);
    EXPECT_TRUE(match->isRunning());
    EXPECT_EQ(errors.text(), "");
}
