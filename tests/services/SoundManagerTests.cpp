// Sound effects as a player hears them: OpenAL Soft's wave writer mixes everything the game
// plays into a file, and the tests read that file back. ALSOFT_CONF must name the writer's
// config before the first sound object exists, so a global environment sets it up before any
// test runs (each test runs in its own process, so each gets its own file).

#include "entities/GameObjectManager.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/Waves.hpp"
#include "services/AssetManager.hpp"
#include "services/SoundManager.hpp"
#include "tests/support/TestSupport.hpp"
#include "tests/ui/UiTestSupport.hpp"

#include <SFML/System/Sleep.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace
{

fs::path& WaveFile()
{
    static fs::path path;
    return path;
}

class WaveWriterEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("varnhold-sound-" + std::to_string(seed()));
        fs::create_directories(folder);
        WaveFile() = folder / "out.wav";
        const fs::path config = folder / "alsoft.conf";
        std::ofstream(config) << "[general]\ndrivers=wave\n[wave]\nfile=" << WaveFile().string() << "\n";
        ::setenv("ALSOFT_CONF", config.c_str(), 1);
        ::unsetenv("ALSOFT_DRIVERS");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

private:
    fs::path folder;
};

[[maybe_unused]] testing::Environment* const waveWriter =
    testing::AddGlobalTestEnvironment(new WaveWriterEnvironment);

// The loudest sample written so far, as a share of full scale (0 is silence). Reads the file
// while the writer still has it open, so the sizes in the header are not trusted: the samples
// are everything after the "data" chunk's header.
double Loudness()
{
    const std::string bytes = ui_testing::ReadFile(WaveFile().string());
    const auto fmt = bytes.find("fmt ");
    const auto data = bytes.find("data");
    if (fmt == std::string::npos || data == std::string::npos || fmt + 24 > bytes.size())
    {
        ADD_FAILURE() << "no wave file written at " << WaveFile();
        return 0.0;
    }
    const auto u16 = [&](std::size_t at)
    {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) |
               static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    const unsigned format = u16(fmt + 8);
    const unsigned bits = u16(fmt + 22);
    double loudest = 0.0;
    for (std::size_t at = data + 8; at + bits / 8 <= bytes.size(); at += bits / 8)
    {
        double sample = 0.0;
        if (bits == 16)
        {
            std::int16_t value;
            std::memcpy(&value, bytes.data() + at, 2);
            sample = value / 32768.0;
        }
        else if (bits == 32 && format == 3)
        {
            float value;
            std::memcpy(&value, bytes.data() + at, 4);
            sample = value;
        }
        else if (bits == 32 && format != 3)
        {
            // WAVE_FORMAT_EXTENSIBLE hides the float/int choice in its sub-format; treat as float.
            float value;
            std::memcpy(&value, bytes.data() + at, 4);
            sample = std::isfinite(value) ? value : 0.0;
        }
        else if (bits == 8)
        {
            sample = (static_cast<unsigned char>(bytes[at]) - 128) / 128.0;
        }
        loudest = std::max(loudest, std::abs(sample));
    }
    return loudest;
}

class SoundTest : public testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::ResetWorld();
        testing_support::LoadAssets();
    }

    // Waits (in real time: the writer mixes at the speed of a sound card) until every sound held
    // has finished, at most a few seconds.
    void WaitUntilQuiet()
    {
        for (int step = 0; step < 100; ++step)
        {
            bool anyPlaying = false;
            for (const auto& sound : sounds.playing)
                anyPlaying = anyPlaying || sound->getStatus() == sf::SoundSource::Playing;
            if (!anyPlaying)
                break;
            sf::sleep(sf::milliseconds(50));
        }
        sf::sleep(sf::milliseconds(100)); // let the mixer write its last periods
    }

    testing_support::ScratchGame game;
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
    WaitUntilQuiet();
    EXPECT_GT(Loudness(), 0.01);
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
    WaitUntilQuiet();
    EXPECT_GT(Loudness(), 0.01);
}

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
    sf::sleep(sf::milliseconds(200));
    EXPECT_GT(Loudness(), 0.0);
}

} // namespace
