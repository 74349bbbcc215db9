// The game's sounds as a player hears them, through OpenAL Soft's wave writer
// (testing_support::ListeningTest): building a tower, and a tower's shot in the running game.

#include "entities/RenderManager.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetManager.hpp"
#include "services/SoundManager.hpp"
#include "tests/app/AppTestSupport.hpp"

#include <SFML/System/Sleep.hpp>
#include <gtest/gtest.h>

namespace
{
using testing_support::Loudness;

class SoundTest : public testing_support::ListeningTest
{
protected:
    void Reset() override { testing_support::ResetWorld(); }
    SoundManager& sounds = SoundManager::instance();
};

TEST_F(SoundTest, ABuiltTowerIsHeard)
{
    sf::sleep(sf::milliseconds(200));
    EXPECT_EQ(Loudness(), 0.0) << "nothing has played yet";
    GameConfig::instance().BuildTower(1, 400.f, 300.f);
    ASSERT_EQ(sounds.playing.size(), 1u);
    EXPECT_EQ(sounds.playing[0]->getBuffer(),
              AssetManager::instance().GetSoundBuffer("towerConstruct").get());
    EXPECT_FLOAT_EQ(sounds.playing[0]->getVolume(), 30.f);
    EXPECT_GT(testing_support::Heard(), 0.01);
}

TEST_F(SoundTest, AShotIsHeard)
{
    auto window = std::make_shared<sf::RenderWindow>(sf::VideoMode(320, 240), "Varnhold sound test");
    GameplayManager::instance().running = true;
    CreateTower(1, 400.f, 300.f);
    CreateEnemy(1, WeakEnemy, 1, 440.f, 300.f); // inside the range, standing still
    const auto* shot = AssetManager::instance().GetSoundBuffer("projectileSound").get();
    bool fired = false;
    for (int frame = 0; frame < 300 && !fired; ++frame)
    {
        testing_support::StepWorld(1.f / 60.f);
        // The turret follows its tower when drawn, as in the game's frame.
        RenderManager::instance().Draw(window);
        for (const auto& sound : sounds.playing)
            fired = fired || sound->getBuffer() == shot;
    }
    ASSERT_TRUE(fired) << "the tower never fired at the enemy in its range";
    EXPECT_GT(testing_support::Heard(), 0.01);
}

} // namespace
