#include "services/AssetsLocation.hpp"

#include <iostream>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// What makes a folder the game's: its level and its screens.
constexpr const char* GameFiles[] = {"game.tmj",      "mainMenu.txt", "hud.txt",    "loseScreen.txt",
                                     "highscore.txt", "controls.txt", "credits.txt"};

bool IsRegularFile(const fs::path& path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace

int GameFilesIn(const fs::path& folder)
{
    int found = 0;
    for (const char* name : GameFiles)
        found += IsRegularFile(folder / name) ? 1 : 0;
    return found;
}

bool FindAssetsFolder(const fs::path& executable)
{
    std::error_code error;
    const fs::path here = fs::current_path(error);
    fs::path exeDir = fs::canonical("/proc/self/exe", error).parent_path();
    if (error || exeDir.empty())
    {
        error.clear();
        exeDir = fs::absolute(executable, error).parent_path();
    }
    const int hereHolds = fs::is_directory(AssetsFolder, error) ? GameFilesIn(AssetsFolder) : -1;
    const int exeHolds = !exeDir.empty() && fs::is_directory(exeDir / ".." / "assets", error)
                             ? GameFilesIn(exeDir / ".." / "assets")
                             : -1;
    // The working directory's ../assets/ wins unless the executable's holds more of the game.
    if (hereHolds >= 0 && hereHolds >= exeHolds)
        return true;
    if (exeHolds >= 0)
    {
        fs::current_path(exeDir, error);
        if (!error)
        {
            std::cout << "Varnhold: " << (hereHolds < 0 ? "no ../assets/" : "../assets/ is not the game's")
                      << " beside " << here.string() << "; running from " << exeDir.string() << " instead"
                      << std::endl;
            return true;
        }
    }
    std::cerr << "Varnhold: cannot find the game's assets: looked for ../assets/ from " << here.string()
              << " and from " << exeDir.string() << std::endl;
    return false;
}
