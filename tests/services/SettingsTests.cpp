// The player's settings file: what is written comes back, and a file that is missing, broken or
// holds values of the wrong kind leaves the defaults with one line on standard error.

#include "services/Settings.hpp"
#include "tests/services/ServicesTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace
{
class SettingsFile : public ::testing::Test
{
protected:
    void SetUp() override { settings.Reset(); }
    void TearDown() override { settings.Reset(); }
    void Write(const std::string& text) const { std::ofstream(path, std::ios::binary) << text; }
    // Loads the file and returns what the game said on standard error.
    std::string Load()
    {
        testing::internal::CaptureStderr();
        settings.Load(path);
        return testing::internal::GetCapturedStderr();
    }
    static int Lines(const std::string& text)
    {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    testing_support::ScratchGame game;
    Settings& settings = Settings::instance();
    std::string path = (game.assets() / "settings.json").string();
};
} // namespace

TEST_F(SettingsFile, WhatIsSavedComesBackInTheNextRun)
{
    settings.volume = 30;
    settings.fullscreen = true;
    settings.showFps = true;
    settings.playerName = "Anna \"Q\" \\ Lee";
    settings.level = "2-serpentine.tmj";
    settings.difficulty = "hard";
    ASSERT_TRUE(settings.Save(path).saved);
    settings.Reset();
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(settings.volume, 30);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_TRUE(settings.showFps);
    EXPECT_EQ(settings.playerName, "Anna \"Q\" \\ Lee");
    EXPECT_EQ(settings.level, "2-serpentine.tmj");
    EXPECT_EQ(settings.difficulty, "hard");
}

TEST_F(SettingsFile, AnUnusableFileMeansTheDefaultsAndOneLine)
{
    const std::string cases[] = {
        "", "{ \"volume\": 40", "[1, 2, 3]", "\"volume\"", std::string(100 * 1024, '{'),
    };
    for (const std::string& text : cases)
    {
        Write(text);
        settings.volume = 5;
        const std::string said = Load();
        EXPECT_EQ(Lines(said), 1) << text.substr(0, 40) << ": " << said;
        EXPECT_EQ(settings.volume, Settings::MaxVolume) << text.substr(0, 40);
        EXPECT_FALSE(settings.fullscreen);
    }
    std::filesystem::remove(path);
    EXPECT_EQ(Lines(Load()), 1) << "a missing file";
    std::filesystem::create_directory(path);
    EXPECT_EQ(Lines(Load()), 1) << "a folder in the file's place";
    EXPECT_EQ(settings.volume, Settings::MaxVolume);
}

TEST_F(SettingsFile, AValueOfTheWrongKindOrRangeFallsBackAloneAndIsNamed)
{
    Write(R"({"volume": 101, "fullscreen": "yes", "showFps": true, "name": 7})");
    const std::string said = Load();
    EXPECT_EQ(Lines(said), 1) << said;
    EXPECT_NE(said.find("volume"), std::string::npos);
    EXPECT_NE(said.find("fullscreen"), std::string::npos);
    EXPECT_NE(said.find("name"), std::string::npos);
    EXPECT_EQ(settings.volume, Settings::MaxVolume);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_TRUE(settings.showFps) << "the good value is kept";
    EXPECT_EQ(settings.playerName, "");

    Write(R"({"volume": -1, "showFps": 1, "name": ")" + std::string(300, 'x') + R"("})");
    EXPECT_EQ(Lines(Load()), 1);
    EXPECT_EQ(settings.volume, Settings::MaxVolume);
    EXPECT_FALSE(settings.showFps);
    EXPECT_EQ(settings.playerName, "");

    // A difficulty the game does not have is Normal again; the level chosen stays.
    Write(R"({"level": "a.tmj", "difficulty": "nightmare"})");
    EXPECT_NE(Load().find("difficulty"), std::string::npos);
    EXPECT_EQ(settings.difficulty, "normal");
    EXPECT_EQ(settings.level, "a.tmj");

    // A number too large for the field is named, not wrapped into range (4294967296 became 0).
    for (const char* volume : {"4294967296", "-4294967296", "18446744073709551615"})
    {
        Write(std::string(R"({"volume": )") + volume + "}");
        const std::string line = Load();
        EXPECT_EQ(Lines(line), 1) << volume;
        EXPECT_NE(line.find(std::string("volume ") + volume), std::string::npos) << line;
        EXPECT_EQ(settings.volume, Settings::MaxVolume) << volume;
    }
}
