// Sound effects as a player hears them: OpenAL Soft's wave writer mixes everything the game
// plays into a file, and the tests read that file back (testing_support::ListeningTest).

#include "services/AssetManager.hpp"
#include "services/SoundManager.hpp"
#include "tests/services/ServicesTestSupport.hpp"

#include <SFML/System/Sleep.hpp>
#include <gtest/gtest.h>

namespace
{
using testing_support::Loudness;
using testing_support::WaitUntilQuiet;

class SoundTest : public testing_support::ListeningTest
{
protected:
    SoundManager& sounds = SoundManager::instance();
};

TEST_F(SoundTest, AnUnknownKeyPlaysNothingAndChangesNothing)
{
    sounds.PlaySound("towerConstruct", 0.f); // one held sound, silent
    ASSERT_EQ(sounds.playing.size(), 1u);
    const auto held = sounds.playing[0];
    testing::internal::CaptureStderr();
    sounds.PlaySound("noSuchSound", 100.f);
    sounds.PlaySound("", 100.f);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(sounds.playing.size(), 1u);
    EXPECT_EQ(sounds.playing[0], held);
    EXPECT_EQ(AssetManager::instance().soundBuffers.count("noSuchSound"), 0u);
    EXPECT_EQ(printed.find("OpenAL error"), std::string::npos) << printed;
    WaitUntilQuiet();
    EXPECT_EQ(Loudness(), 0.0);
}

TEST_F(SoundTest, FinishedSoundsAreDroppedAndPlayingOnesKeptInOrder)
{
    sounds.PlaySound("towerUpgrade", 10.f); // the longest effect
    sounds.PlaySound("baseDamage", 10.f);
    sounds.PlaySound("towerUpgrade", 10.f);
    ASSERT_EQ(sounds.playing.size(), 3u);
    const auto first = sounds.playing[0];
    const auto third = sounds.playing[2];
    sounds.playing[1]->stop();
    sounds.RemoveStoppedSounds();
    ASSERT_EQ(sounds.playing.size(), 2u);
    EXPECT_EQ(sounds.playing[0], first);
    EXPECT_EQ(sounds.playing[1], third);

    // A paused sound is not playing either.
    third->pause();
    sounds.RemoveStoppedSounds();
    ASSERT_EQ(sounds.playing.size(), 1u);
    EXPECT_EQ(sounds.playing[0], first);

    // A sound that ends by itself stays until the next sweep.
    WaitUntilQuiet();
    EXPECT_EQ(sounds.playing.size(), 1u);
    sounds.RemoveStoppedSounds();
    EXPECT_TRUE(sounds.playing.empty());
}

TEST_F(SoundTest, TwoHundredSoundsStayAtTheCapWithoutOpenAlErrors)
{
    testing::internal::CaptureStderr();
    for (int call = 0; call < 200; ++call)
        sounds.PlaySound(call % 2 ? "towerUpgrade" : "rocketSound", 1.f);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(sounds.playing.size(), SoundManager::MaxPlaying);
    EXPECT_EQ(SoundManager::MaxPlaying, 128u);
    EXPECT_TRUE(printed.empty()) << printed;
    std::size_t playing = 0;
    for (const auto& sound : sounds.playing)
        playing += sound->getStatus() == sf::SoundSource::Playing ? 1u : 0u;
    EXPECT_EQ(playing, 128u);
    EXPECT_GT(testing_support::Heard(), 0.0);
}

} // namespace
