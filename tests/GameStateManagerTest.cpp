#include "GameState.h"
#include "GameStateManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
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

    const std::string& name() const { return m_name; }

private:
    std::string m_name;
    Log& m_log;
};

// A run of requests, applications and replacements, and what it must leave behind: the calls the
// states saw, in order, and the state current at the end (empty for none).
struct SwitchCase
{
    const char* name;
    // "apply", "replace <name>" (a state called "NewMenu" added under that name), or a name to request.
    std::vector<std::string> steps;
    Log calls;
    std::string current;
};

std::ostream& operator<<(std::ostream& stream, const SwitchCase& switchCase)
{
    return stream << switchCase.name;
}

class GameStateManagerTest : public ::testing::TestWithParam<SwitchCase>
{
protected:
    GameStateManagerTest()
    {
        for (const char* name : {"MenuState", "MainState", "InstructionState"})
            m_manager.addState(name, std::make_shared<RecordingState>(name, m_log));
    }

    void perform(const std::string& step)
    {
        const std::string replace = "replace ";
        if (step == "apply")
            m_manager.applyPendingState();
        else if (step.rfind(replace, 0) == 0)
            m_manager.addState(step.substr(replace.size()), std::make_shared<RecordingState>("NewMenu", m_log));
        else
            m_manager.setState(step);
    }

    std::string currentName() const
    {
        const auto* current = dynamic_cast<const RecordingState*>(m_manager.getCurrentState());
        return current ? current->name() : std::string();
    }

    Log m_log;
    GameStateManager m_manager;
};

TEST_P(GameStateManagerTest, EntersAndLeavesStatesOnlyWhenASwitchIsApplied)
{
    for (const std::string& step : GetParam().steps)
        perform(step);
    EXPECT_EQ(m_log, GetParam().calls);
    EXPECT_EQ(currentName(), GetParam().current);
}

const Log MENU_TO_CONTROLS{"MenuState.init", "MenuState.exit", "InstructionState.init"};

INSTANTIATE_TEST_SUITE_P(
    Switches, GameStateManagerTest,
    ::testing::Values(
        SwitchCase{"RequestAloneChangesNothing", {"MenuState"}, {}, ""},
        SwitchCase{"FirstSwitchExitsNothing", {"MenuState", "apply"}, {"MenuState.init"}, "MenuState"},
        SwitchCase{"SwitchExitsTheOldBeforeEnteringTheNew", {"MenuState", "apply", "InstructionState", "apply"},
                   MENU_TO_CONTROLS, "InstructionState"},
        SwitchCase{"OnlyTheLastOfTwoRequestsIsApplied",
                   {"MenuState", "apply", "MainState", "InstructionState", "apply"}, MENU_TO_CONTROLS,
                   "InstructionState"},
        SwitchCase{"TheCurrentStateIsNotReentered", {"MenuState", "apply", "MenuState", "apply"}, {"MenuState.init"},
                   "MenuState"},
        SwitchCase{"AnUnknownNameCancelsTheRequest", {"MenuState", "apply", "MainState", "NoSuchState", "apply"},
                   {"MenuState.init"}, "MenuState"},
        SwitchCase{"NamesAreCaseSensitive", {"menustate", "apply"}, {}, ""},
        SwitchCase{"ApplyingConsumesTheRequest", {"MainState", "apply", "apply"}, {"MainState.init"}, "MainState"},
        SwitchCase{"ReplacingARequestedStateRedirectsTheRequest", {"MenuState", "replace MenuState", "apply"},
                   {"NewMenu.init"}, "NewMenu"},
        SwitchCase{"ReplacingTheCurrentStateLeavesItAtOnce", {"MenuState", "apply", "replace MenuState"},
                   {"MenuState.init", "MenuState.exit"}, ""},
        SwitchCase{"AndEntersTheReplacementAtTheNextApply", {"MenuState", "apply", "replace MenuState", "apply"},
                   {"MenuState.init", "MenuState.exit", "NewMenu.init"}, "NewMenu"},
        SwitchCase{"ReplacingTheCurrentStateKeepsAnotherRequest",
                   {"MenuState", "apply", "MainState", "replace MenuState", "apply"},
                   {"MenuState.init", "MenuState.exit", "MainState.init"}, "MainState"}),
    [](const ::testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelk
