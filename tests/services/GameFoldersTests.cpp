// Where the game reads its data and saves its record and settings: an installed game reads the
// record shipped with it until its first save, which makes the player's own folder (mode 0700), and
// a place it cannot save in is a failed save with its reason, never a write anywhere else.

#include "services/AssetsLocation.hpp"
#include "services/SafeFile.hpp"
#include "tests/services/ServicesTestSupport.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
class GameFolders : public ::testing::Test
{
protected:
    void TearDown() override
    {
        UseDataFolder("../assets/");
        UseStateFolder("../assets/");
    }
    static unsigned Mode(const fs::path& path)
    {
        struct stat info = {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777u;
    }
    testing_support::ScratchGame game;
};

// Sets an environment variable for one scope (nullptr: unset), then puts the old value back.
class Variable
{
public:
    Variable(const char* name, const char* value) : name(name)
    {
        if (const char* old = std::getenv(name))
            previous = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~Variable() { previous ? ::setenv(name, previous->c_str(), 1) : ::unsetenv(name); }

private:
    const char* name;
    std::optional<std::string> previous;
};
} // namespace

TEST_F(GameFolders, AnInstalledGameReadsTheShippedRecordUntilItsFirstSaveMakesThePlayersFolder)
{
    UseDataFolder(game.assets().string());
    const fs::path xdg = game.root() / "xdg";
    UseStateFolder((xdg / "varnhold").string());
    const std::string record = StatePath("highscore.json");
    EXPECT_EQ(record, (xdg / "varnhold" / "highscore.json").string());
    EXPECT_EQ(SeededPath(record), game.assets().string() + "/highscore.json") << "the shipped record first";
    EXPECT_FALSE(fs::exists(xdg)) << "nothing is made before the first save";

    ASSERT_TRUE(SaveFileSafely(record, "saved").saved);
    EXPECT_EQ(SeededPath(record), record);
    EXPECT_EQ(Mode(xdg), 0700u);
    EXPECT_EQ(Mode(xdg / "varnhold"), 0700u);
    std::ifstream shipped(game.assets() / "highscore.json");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(shipped), {}), "saved") << "the data is left alone";
}

TEST_F(GameFolders, NowhereToSaveIsAFailedSaveWithItsReason)
{
    UseDataFolder(game.assets().string());
    // A file where the player's data folder should be (XDG_DATA_HOME pointing at it).
    std::ofstream(game.root() / "xdg") << "a file";
    UseStateFolder((game.root() / "xdg" / "varnhold").string());
    const FileSave blocked = SaveFileSafely(StatePath("highscore.json"), "record");
    EXPECT_FALSE(blocked.saved);
    EXPECT_EQ(blocked.error, "cannot make the folder \"" + (game.root() / "xdg").string() + "\"");

    UseStateFolder("");
    EXPECT_EQ(StatePath("highscore.json"), "");
    const FileSave homeless = SaveFileSafely(StatePath("highscore.json"), "record");
    EXPECT_FALSE(homeless.saved);
    EXPECT_EQ(homeless.error, "there is no folder to save in (HOME is not set)");
}

TEST_F(GameFolders, ThePlayersFolderFollowsXdgDataHomeElseHome)
{
    {
        const Variable xdg("XDG_DATA_HOME", "/data/ann"), home("HOME", "/home/ann");
        EXPECT_EQ(PlayerStateFolder(), "/data/ann/varnhold/");
    }
    {
        const Variable xdg("XDG_DATA_HOME", "relative/data"), home("HOME", "/home/ann");
        EXPECT_EQ(PlayerStateFolder(), "/home/ann/.local/share/varnhold/") << "a relative XDG_DATA_HOME";
    }
    {
        const Variable xdg("XDG_DATA_HOME", nullptr), home("HOME", nullptr);
        EXPECT_EQ(PlayerStateFolder(), "");
    }
}
