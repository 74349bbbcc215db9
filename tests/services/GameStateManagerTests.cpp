// Switching between the game states.

#include "services/GameStateManager.hpp"
#include "tests/services/ServicesTestSupport.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class RecordingState : public GameState
{
public:
    RecordingState(std::string name, std::vector<std::string>* log) : name(std::move(name)), log(log) {}
    void Init() override { log->push_back(name + ".Init"); }
    void Exit() override { log->push_back(name + ".Exit"); }
    void Update(float) override { log->push_back(name + ".Update"); }
    void Draw(std::shared_ptr<sf::RenderWindow>) override { log->push_back(name + ".Draw"); }
    std::string name;
    std::vector<std::string>* log;
};
} // namespace

TEST(StateSwitching, ChangesAreImmediateExitBeforeInitAndNeverToTheCurrentState)
{
    testing_support::ResetServices();
    auto& states = GameStateManager::instance();
    std::vector<std::string> log;
    RecordingState menu("Menu", &log), play("Play", &log), replacement("Other", &log);
    states.AddState("MainMenu", &menu);
    states.AddState("GamePlay", &play);

    states.ChangeState("MainMenu");
    EXPECT_EQ(states.currentState, &menu);
    EXPECT_EQ(log, std::vector<std::string>{"Menu.Init"});

    states.ChangeState("MainMenu");
    EXPECT_EQ(log.size(), 1u);

    states.ChangeState("GamePlay");
    EXPECT_EQ(states.currentState, &play);
    EXPECT_EQ(log, (std::vector<std::string>{"Menu.Init", "Menu.Exit", "Play.Init"}));

    // A name added again takes the new state.
    states.AddState("MainMenu", &replacement);
    states.ChangeState("MainMenu");
    EXPECT_EQ(states.currentState, &replacement);
    EXPECT_EQ(log.back(), "Other.Init");
    EXPECT_EQ(log[log.size() - 2], "Play.Exit");
    testing_support::ResetServices();
}
