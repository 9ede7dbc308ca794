#include "InstructionState.h"
#include "MainState.h"
#include "MenuState.h"
#include "TraceProfiler.h"

#include "GameProcessSupport.h"
#include "ScreenTestSupport.h"

#include <SFML/System/Err.hpp>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace zelk
{
namespace
{

class MenuStateTest : public test::SandboxedGame
{
protected:
    void SetUp() override { test::writeScreenAssets(m_sandbox); }

    // Opens the game and runs its first frame, which enters the menu.
    void startGame()
    {
        ASSERT_TRUE(m_game.init());
        m_game.runFrame();
        ASSERT_EQ(current(), menu().get());
    }

    std::shared_ptr<MenuState> menu()
    {
        return std::dynamic_pointer_cast<MenuState>(m_game.getGameStateManager().getState("MenuState"));
    }
    std::string selected() { return menu()->getSelectedEntry(); }

    void stickFrame(float position)
    {
        m_input->feedAxisPosition(0, sf::Joystick::Y, position);
        m_game.runFrame();
    }
};

TEST_F(MenuStateTest, BuildsTheLayoutAroundTheCentreOfTheView)
{
    startGame();
    const sf::Vector2f centre = m_game.getWindow().getView().getCenter();
    auto screen = menu();
    ASSERT_TRUE(screen->isInitialized());

    EXPECT_EQ(screen->getLogo().getPosition(), sf::Vector2f(centre.x, centre.y + 350.0f));
    EXPECT_EQ(screen->getLogo().getScale(), sf::Vector2f(0.5f, 0.5f));
    EXPECT_EQ(screen->getLogo().getOrigin(), sf::Vector2f(200.0f, 100.0f));

    EXPECT_EQ(screen->getTitle().getString(), "Bramblot");
    EXPECT_EQ(screen->getTitle().getCharacterSize(), 120u);
    EXPECT_EQ(screen->getTitle().getPosition(), sf::Vector2f(centre.x, centre.y - 150.0f));
    EXPECT_EQ(screen->getCredit().getCharacterSize(), 30u);
    EXPECT_EQ(screen->getCredit().getPosition(), sf::Vector2f(centre.x, centre.y - 50.0f));
    EXPECT_FALSE(screen->getCredit().getString().isEmpty());

    const auto& entries = screen->getMenuEntries();
    ASSERT_EQ(entries.size(), 3u);
    const std::vector<std::string> words{"Start", "Controls", "Exit"};
    for (std::size_t index = 0; index < entries.size(); ++index)
    {
        EXPECT_EQ(entries[index].getString(), words[index]);
        EXPECT_EQ(entries[index].getCharacterSize(), 40u);
        EXPECT_EQ(entries[index].getFillColor(), sf::Color::White);
        EXPECT_EQ(entries[index].getPosition(), sf::Vector2f(centre.x, centre.y + 50.0f * (index + 1)));
    }
    EXPECT_EQ(selected(), "Start");
}

TEST_F(MenuStateTest, MarkedEntryIsFramedAndStaysCentredOnItsPoint)
{
    startGame();
    const sf::Text marked = menu()->makeDrawnEntry(0);
    EXPECT_EQ(marked.getString(), "> Start <");
    const sf::FloatRect bounds = marked.getGlobalBounds();
    EXPECT_NEAR(bounds.left + bounds.width / 2.0f, marked.getPosition().x, 0.5f);
    EXPECT_NEAR(bounds.top + bounds.height / 2.0f, marked.getPosition().y, 0.5f);
    EXPECT_EQ(menu()->makeDrawnEntry(1).getString(), "Controls");
    EXPECT_EQ(menu()->makeDrawnEntry(2).getString(), "Exit");
}

TEST_F(MenuStateTest, ArrowKeysAndWSMoveTheMarkAndWrapAround)
{
    startGame();
    test::tapKey(m_game, sf::Keyboard::Down);
    EXPECT_EQ(selected(), "Controls");
    test::tapKey(m_game, sf::Keyboard::S);
    EXPECT_EQ(selected(), "Exit");
    test::tapKey(m_game, sf::Keyboard::Down);
    EXPECT_EQ(selected(), "Start") << "from the last entry down to the first";
    test::tapKey(m_game, sf::Keyboard::Up);
    EXPECT_EQ(selected(), "Exit") << "from the first entry up to the last";
    test::tapKey(m_game, sf::Keyboard::W);
    EXPECT_EQ(selected(), "Controls");

    test::pressKey(m_game, sf::Keyboard::Down);
    for (int frame = 0; frame < 5; ++frame)
        m_game.runFrame();
    EXPECT_EQ(selected(), "Exit") << "a held key moves the mark once";
}

TEST_F(MenuStateTest, DownAndUpOrKeyAndStickInTheSameFrameMoveByOneEntryDownOnly)
{
    startGame();
    stickFrame(0.0f);
    m_game.injectEvent(test::keyEvent(sf::Event::KeyPressed, sf::Keyboard::Up));
    test::pressKey(m_game, sf::Keyboard::Down);
    EXPECT_EQ(selected(), "Controls");

    test::releaseKey(m_game, sf::Keyboard::Down);
    m_input->feedAxisPosition(0, sf::Joystick::Y, 50.0f);
    test::pressKey(m_game, sf::Keyboard::Down);
    EXPECT_EQ(selected(), "Exit");
}

TEST_F(MenuStateTest, HeldStickMovesOnceAndAgainOnlyAfterReturningNearTheCentre)
{
    startGame();
    stickFrame(0.0f);
    stickFrame(60.0f);
    EXPECT_EQ(selected(), "Controls");
    stickFrame(60.0f);
    stickFrame(100.0f);
    EXPECT_EQ(selected(), "Controls") << "held down, the stick moves the mark once";

    stickFrame(10.0f);
    stickFrame(60.0f);
    EXPECT_EQ(selected(), "Controls") << "10 is not near enough to the centre";

    stickFrame(1.5f);
    stickFrame(21.0f);
    EXPECT_EQ(selected(), "Exit");

    stickFrame(-1.0f);
    stickFrame(-20.0f);
    EXPECT_EQ(selected(), "Exit") << "the move needs more than 20";
    stickFrame(-25.0f);
    EXPECT_EQ(selected(), "Controls");
}

TEST_F(MenuStateTest, StickPushedBeforeTheMenuSawItCentredDoesNotMove)
{
    m_input->feedAxisPosition(0, sf::Joystick::Y, 80.0f);
    startGame();
    stickFrame(80.0f);
    EXPECT_EQ(selected(), "Start");
}

TEST_F(MenuStateTest, MovingAndConfirmingInOneFrameOpensTheNewlyMarkedControlsAtTheNextFrameAndTheMarkStays)
{
    startGame();
    m_game.injectEvent(test::keyEvent(sf::Event::KeyPressed, sf::Keyboard::Down));
    test::pressKey(m_game, sf::Keyboard::Enter);
    EXPECT_EQ(current(), menu().get()) << "the switch waits for the next frame";
    m_game.runFrame();
    EXPECT_EQ(current(), state("InstructionState"));
    test::tapKey(m_game, sf::Keyboard::Escape);
    ASSERT_EQ(current(), menu().get());
    EXPECT_EQ(selected(), "Controls") << "the mark survives leaving and coming back";
}

TEST_F(MenuStateTest, OnlyTheFirstControllersSelectButtonConfirmsStartNotSpace)
{
    startGame();
    test::tapKey(m_game, sf::Keyboard::Space);
    m_game.runFrame();
    EXPECT_EQ(current(), menu().get());
    test::tapButton(m_game, 1, ControllerButton::CONFIRM);
    EXPECT_EQ(current(), menu().get()) << "only the first controller drives the menu";
    test::tapButton(m_game, 0, ControllerButton::CONFIRM);
    EXPECT_EQ(current(), state("MainState"));
}

TEST_F(MenuStateTest, ExitClosesTheWindowAfterDrawingThatFrameAndLeavesTheMenuOnce)
{
    int frame = 0;
    m_game.setFrameStartHook([this, &frame] {
        ++frame;
        if (frame == 3)
            m_game.injectEvent(test::keyEvent(sf::Event::KeyPressed, sf::Keyboard::Up));
        if (frame == 4)
            m_game.injectEvent(test::keyEvent(sf::Event::KeyReleased, sf::Keyboard::Up));
        if (frame == 6)
            m_game.injectEvent(test::keyEvent(sf::Event::KeyPressed, sf::Keyboard::Enter));
        if (frame == 50)
            m_game.injectEvent(sf::Event{sf::Event::Closed, {}});
    });
    m_game.run();
    TraceProfiler::getInstance().endTrace();
    EXPECT_FALSE(m_game.getWindow().isOpen());
    EXPECT_EQ(frame, 6) << "no frame follows the one that closed the window";

    // The order within that last frame is the game loop's own rule: update, draw, then the exit.
    const auto trace = nlohmann::json::parse(test::readFile(m_sandbox.bin() / "runtime.json"));
    EXPECT_EQ(test::countEvents(trace, "zelk::MenuState::exit"), 1);
}

TEST_F(MenuStateTest, MissingLogoLeavesAnEmptyRunningMenuAndIsRetriedOnTheNextEntry)
{
    m_sandbox.removeAsset("Logo/kelo_logo.png");
    test::StreamCapture errors(sf::err());
    startGame();
    EXPECT_NE(errors.text().find("Could not load logo\n"), std::string::npos);
    EXPECT_EQ(errors.text().find("Could not load font"), std::string::npos) << "loading stops at the logo";
    EXPECT_FALSE(menu()->isInitialized());
    EXPECT_EQ(menu()->getLogo().getTexture(), nullptr);
    EXPECT_TRUE(menu()->getMenuEntries().empty());

    test::tapKey(m_game, sf::Keyboard::Down);
    test::tapKey(m_game, sf::Keyboard::Enter);
    EXPECT_EQ(current(), menu().get()) << "with no entries, confirming does nothing";
    EXPECT_EQ(selected(), "");

    test::writeScreenAssets(m_sandbox);
    m_game.getGameStateManager().setState("InstructionState");
    m_game.runFrame();
    m_game.getGameStateManager().setState("MenuState");
    m_game.runFrame();
    EXPECT_TRUE(menu()->isInitialized());
    EXPECT_EQ(selected(), "Start");
}

TEST_F(MenuStateTest, MissingFontPlacesTheLogoButBuildsNoTextsAndLeavesTheWindowsViewAlone)
{
    m_sandbox.removeAsset("fibberish.ttf");
    test::StreamCapture errors(sf::err());
    ASSERT_TRUE(m_game.init());
    const sf::View before = m_game.getWindow().getView();
    m_game.runFrame();
    m_game.runFrame();
    EXPECT_EQ(m_game.getWindow().getView().getCenter(), before.getCenter());
    EXPECT_EQ(m_game.getWindow().getView().getSize(), before.getSize());
    EXPECT_NE(errors.text().find("Could not load font\n"), std::string::npos);
    EXPECT_FALSE(menu()->isInitialized());
    EXPECT_NE(menu()->getLogo().getTexture(), nullptr);
    EXPECT_TRUE(menu()->getMenuEntries().empty());
    EXPECT_TRUE(menu()->getTitle().getString().isEmpty());
    test::tapKey(m_game, sf::Keyboard::Enter);
    EXPECT_EQ(current(), menu().get());
}

} // namespace
} // namespace zelk
