#include "services/AssetsLocation.hpp"

#include <cstdlib>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

#ifndef VARNHOLD_INSTALL_DATADIR
#define VARNHOLD_INSTALL_DATADIR "/usr/local/share/games/varnhold"
#endif
#ifndef VARNHOLD_DATADIR_FROM_BINDIR
#define VARNHOLD_DATADIR_FROM_BINDIR "../share/games/varnhold"
#endif

namespace
{
// What makes a folder the game's: its level and its screens.
constexpr const char* GameFiles[] = {"game.tmj",      "mainMenu.txt", "hud.txt",    "loseScreen.txt",
                                     "highscore.txt", "controls.txt", "credits.txt"};

std::string dataFolder = "../assets/";
std::string stateFolder = dataFolder;

bool IsRegularFile(const fs::path& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool Absolute(const char* path)
{
    return path && path[0] == '/';
}
} // namespace

const std::string& DataFolder()
{
    return dataFolder;
}

void UseDataFolder(std::string folder)
{
    dataFolder = WithSlash(std::move(folder));
}

const std::string& StateFolder()
{
    return stateFolder;
}

void UseStateFolder(std::string folder)
{
    stateFolder = WithSlash(std::move(folder));
}

std::string StatePath(const std::string& name)
{
    return stateFolder.empty() ? std::string() : stateFolder + name;
}

std::string SeededPath(const std::string& path)
{
    struct stat info
    {
    };
    if (path.empty() || ::lstat(path.c_str(), &info) == 0 || stateFolder == dataFolder ||
        fs::path(path).parent_path() != fs::path(stateFolder).parent_path())
        return path;
    return dataFolder + fs::path(path).filename().string();
}

std::string PrepareFolderOf(const std::string& path)
{
    if (stateFolder.empty() || stateFolder == dataFolder ||
        fs::path(path).parent_path() != fs::path(stateFolder).parent_path())
        return {};
    std::error_code error;
    if (fs::is_directory(stateFolder, error))
        return {};
    // The player's own folder: only they may look into it, and so are the parents made here.
    const fs::path folder = fs::path(stateFolder).parent_path();
    fs::path made;
    for (const auto& part : folder)
    {
        made /= part;
        if (fs::is_directory(made, error))
            continue;
        if (::mkdir(made.c_str(), 0700) != 0 && !fs::is_directory(made, error))
            return "cannot make the folder \"" + made.string() + "\"";
    }
    return {};
}

int GameFilesIn(const fs::path& folder)
{
    int found = 0;
    for (const char* name : GameFiles)
        found += IsRegularFile(folder / name) ? 1 : 0;
    return found;
}

std::string GameFilesMissingIn(const fs::path& folder)
{
    std::string missing;
    for (const char* name : GameFiles)
    {
        if (!IsRegularFile(folder / name))
            missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    return missing;
}

DataChoice ChooseDataFolder(const std::string& option, const fs::path& executable)
{
    DataChoice choice;
    const auto given = [&](DataChoice::From from, const std::string& folder, const char* why)
    {
        choice.from = from;
        choice.folder = WithSlash(folder);
        choice.why = why;
        std::error_code error;
        choice.problem = fs::is_directory(folder, error) ? GameFilesMissingIn(folder) : "the folder itself";
        return choice;
    };
    if (!option.empty())
        return given(DataChoice::From::Option, option, "given with --data");
    if (const char* variable = std::getenv("VARNHOLD_DATA"); variable && *variable)
        return given(DataChoice::From::Environment, variable, "given in VARNHOLD_DATA");

    std::error_code error;
    fs::path exeDir = fs::canonical("/proc/self/exe", error).parent_path();
    if (error || exeDir.empty())
    {
        error.clear();
        exeDir = fs::absolute(executable, error).parent_path();
    }
    // The working directory's ../assets/ wins unless the executable's holds more of the game.
    const int hereHolds = fs::is_directory("../assets", error) ? GameFilesIn("../assets") : 0;
    const int exeHolds = !exeDir.empty() && fs::is_directory(exeDir / ".." / "assets", error)
                             ? GameFilesIn(exeDir / ".." / "assets")
                             : 0;
    if (hereHolds > 0 && hereHolds >= exeHolds)
    {
        choice.from = DataChoice::From::BesideWorkingFolder;
        choice.folder = "../assets/";
        choice.why = "the game's data beside the working folder";
        return choice;
    }
    if (exeHolds > 0)
    {
        choice.from = DataChoice::From::BesideExecutable;
        choice.folder = "../assets/";
        choice.workingFolder = exeDir.string();
        choice.why = "the game's data beside the game's own folder";
        return choice;
    }
    // As installed: beside the executable (an unpacked or relocated installation), else where the
    // install prefix put it.
    for (const fs::path& installed :
         {exeDir / VARNHOLD_DATADIR_FROM_BINDIR, fs::path(VARNHOLD_INSTALL_DATADIR)})
    {
        if (!exeDir.empty() && GameFilesIn(installed) > 0)
        {
            choice.from = DataChoice::From::Installed;
            choice.folder = WithSlash(installed.lexically_normal().string());
            choice.why = "the installed data";
            return choice;
        }
    }
    choice.why = "no data: none in ../assets/ beside " + fs::current_path(error).string() + " or beside " +
                 exeDir.string() + ", and none installed in " + VARNHOLD_INSTALL_DATADIR;
    return choice;
}

std::string PlayerStateFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (Absolute(xdg))
        return WithSlash(xdg) + "varnhold/";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return WithSlash(home) + ".local/share/varnhold/";
    return {};
}
