#include "GameState.h"
#include "GameStateManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelk
{
namespace
{

using Log = std::vector<std::string>;

class RecordingState : public GameState
{
public:
    RecordingState(std::string name, Log& log)
        : GameState(nullptr, nullptr)
        , m_name(std::move(name))
        , m_log(log)
    {
    }

    void init() override { m_log.push_back(m_name + ".init"); }
    void exit() override { m_log.push_back(m_name + ".exit"); }
    void update(float) override { m_log.push_back(m_name + ".update"); }
    void draw() override { m_log.push_back(m_name + ".draw"); }

private:
    std::string m_name;
    Log& m_log;
};

class GameStateManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"MenuState", "MainState", "InstructionState"})
        {
            auto state = std::make_shared<RecordingState>(name, m_log);
            m_states.push_back(state.get());
            m_manager.addState(name, state);
        }
    }

    GameState* state(const std::string& name) const { return m_manager.getState(name).get(); }

    Log m_log;
    GameStateManager m_manager;
    std::vector<GameState*> m_states;
};

TEST_F(GameStateManagerTest, RequestAloneChangesNothingUntilApplied)
{
    m_manager.setState("MenuState");
    EXPECT_EQ(m_manager.getCurrentState(), nullptr);
    EXPECT_EQ(m_manager.getFutureState(), state("MenuState"));
    EXPECT_TRUE(m_log.empty());
}

TEST_F(GameStateManagerTest, FirstSwitchEntersWithoutExitingAnything)
{
    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), state("MenuState"));
    EXPECT_EQ(m_manager.getFutureState(), nullptr);
    EXPECT_EQ(m_log, (Log{"MenuState.init"}));
}

TEST_F(GameStateManagerTest, SwitchExitsTheOldStateBeforeEnteringTheNew)
{
    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    m_manager.setState("InstructionState");
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), state("InstructionState"));
    EXPECT_EQ(m_log, (Log{"MenuState.init", "MenuState.exit", "InstructionState.init"}));
}

TEST_F(GameStateManagerTest, OnlyTheLastOfTwoRequestsIsApplied)
{
    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    m_log.clear();

    m_manager.setState("MainState");
    m_manager.setState("InstructionState");
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), state("InstructionState"));
    EXPECT_EQ(m_log, (Log{"MenuState.exit", "InstructionState.init"}));
}

TEST_F(GameStateManagerTest, RequestingTheCurrentStateNeitherExitsNorReenters)
{
    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    m_log.clear();

    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), state("MenuState"));
    EXPECT_EQ(m_manager.getFutureState(), nullptr);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(GameStateManagerTest, UnknownNameCancelsAPendingRequest)
{
    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    m_log.clear();

    m_manager.setState("MainState");
    m_manager.setState("NoSuchState");
    EXPECT_EQ(m_manager.getFutureState(), nullptr);
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), state("MenuState"));
    EXPECT_TRUE(m_log.empty());
}

TEST_F(GameStateManagerTest, NamesAreCaseSensitive)
{
    m_manager.setState("menustate");
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), nullptr);
    EXPECT_EQ(m_manager.getState("menustate"), nullptr);
}

TEST_F(GameStateManagerTest, ApplyingWithoutARequestKeepsTheCurrentState)
{
    m_manager.setState("MainState");
    m_manager.applyPendingState();
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), state("MainState"));
    EXPECT_EQ(m_log, (Log{"MainState.init"}));
}

TEST_F(GameStateManagerTest, ReplacingARequestedStateRedirectsTheRequest)
{
    m_manager.setState("MenuState");
    auto replacement = std::make_shared<RecordingState>("NewMenu", m_log);
    m_manager.addState("MenuState", replacement);

    EXPECT_EQ(m_manager.getFutureState(), replacement.get());
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), replacement.get());
    EXPECT_EQ(m_log, (Log{"NewMenu.init"}));
}

TEST_F(GameStateManagerTest, ReplacingTheCurrentStateLeavesItAndEntersTheReplacementNextFrame)
{
    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    auto replacement = std::make_shared<RecordingState>("NewMenu", m_log);
    m_manager.addState("MenuState", replacement);

    EXPECT_EQ(m_manager.getCurrentState(), nullptr);
    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), replacement.get());
    EXPECT_EQ(m_log, (Log{"MenuState.init", "MenuState.exit", "NewMenu.init"}));
}

TEST_F(GameStateManagerTest, ReplacingTheCurrentStateKeepsAnotherPendingRequest)
{
    m_manager.setState("MenuState");
    m_manager.applyPendingState();
    m_manager.setState("MainState");
    m_manager.addState("MenuState", std::make_shared<RecordingState>("NewMenu", m_log));

    m_manager.applyPendingState();
    EXPECT_EQ(m_manager.getCurrentState(), state("MainState"));
    EXPECT_EQ(m_log, (Log{"MenuState.init", "MenuState.exit", "MainState.init"}));
}

} // namespace
} // namespace zelk
