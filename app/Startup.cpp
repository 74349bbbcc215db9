#include "app/Startup.hpp"

#include "gameplay/MapChecker.hpp"
#include "services/AssetsLocation.hpp"
#include "services/SoundManager.hpp"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace
{
// Prints the map's findings, one line each on standard output.
int CheckMapCommand(const char* file)
{
    const LevelPlan plan = CheckMapFile(file);
    for (const auto& line : plan.findings)
        std::cout << line << '\n';
    std::cout.flush();
    return plan.findings.empty() ? 0 : 1;
}
// Where the record and the settings are saved: beside the data while the game may write there (the
// build folder), otherwise in the player's own data folder; an installed game never writes into its
// installed data.
std::string StateFolderFor(const DataChoice& data)
{
    if (data.from != DataChoice::From::Installed && ::access(data.folder.c_str(), W_OK) == 0)
        return data.folder;
    return PlayerStateFolder();
}

void PrintHelp(const DataChoice& data)
{
    if (data.from == DataChoice::From::Nowhere)
        std::cout << "Varnhold " << VARNHOLD_VERSION << ": " << data.why << "\n";
    else
    {
        // The folder in full: "../assets/" means the one beside the folder the game works in.
        namespace fs = std::filesystem;
        const fs::path working =
            data.workingFolder.empty() ? fs::current_path() : fs::path(data.workingFolder);
        const fs::path folder =
            fs::path(data.folder).is_absolute() ? fs::path(data.folder) : working / data.folder;
        std::cout << "Varnhold " << VARNHOLD_VERSION << ": data from " << folder.lexically_normal().string()
                  << " (" << data.why << ")\n";
    }
    std::cout
        << "usage: varnhold [--data DIR]    play the game\n"
           "       varnhold --check-map FILE  check a level's map and print one line per finding\n"
           "       varnhold --help | --version\n"
           "The data folder is, in this order: --data DIR, the VARNHOLD_DATA variable, ../assets/ when it\n"
           "holds the game's files, the installed data. Records and settings are kept beside the data\n"
           "when the game may write there, otherwise in $XDG_DATA_HOME/varnhold/\n"
           "(~/.local/share/varnhold/ when XDG_DATA_HOME is unset or not absolute).\n";
    std::cout.flush();
}

// Makes the chosen folders the game's: the working folder (for data beside the game's own folder),
// the data and the state folder. False when the working folder cannot be entered.
bool UseData(const DataChoice& data)
{
    if (!data.workingFolder.empty())
    {
        std::error_code error;
        const std::string here = std::filesystem::current_path(error).string();
        std::filesystem::current_path(data.workingFolder, error);
        if (error)
        {
            std::cerr << "Varnhold: cannot work in " << data.workingFolder << ": " << error.message()
                      << std::endl;
            return false;
        }
        std::cout << "Varnhold: "
                  << (std::filesystem::exists(std::filesystem::path(here) / ".." / "assets")
                          ? "../assets/ is not the game's"
                          : "no ../assets/")
                  << " beside " << here << "; running from " << data.workingFolder << " instead" << std::endl;
    }
    UseDataFolder(data.folder);
    UseStateFolder(StateFolderFor(data));
    if (StateFolder().empty())
        std::cerr
            << "Varnhold: neither HOME nor XDG_DATA_HOME is set, so the record and the settings are not "
               "saved (they would go to $XDG_DATA_HOME/varnhold/)"
            << std::endl;
    return true;
}
} // namespace

bool DisplayAvailable()
{
    // Kept open for the process's life: when the only client of an X server started without
    // -noreset (as xvfb-run starts it) leaves, the server resets, and SFML's own connection made
    // during the reset would fail and abort.
    static Display* const display = XOpenDisplay(nullptr);
    return display != nullptr;
}

std::optional<int> StartUp(int argc, char** argv)
{
    // Under a file size limit (ulimit -f) a write past it would end the game by SIGXFSZ, at start
    // (the graphics driver's shader cache) or when the lose screen saves the record. Ignored, the
    // write fails instead, and a save that cannot complete is a failed save with its message.
    std::signal(SIGXFSZ, SIG_IGN);
    std::string dataOption;
    bool help = false, version = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string_view argument = argv[i];
        if (argument == "--check-map" && argc == 3 && i == 1)
            return CheckMapCommand(argv[2]);
        if (argument == "--data" && i + 1 < argc && *argv[i + 1])
            dataOption = argv[++i];
        else if (argument == "--help")
            help = true;
        else if (argument == "--version")
            version = true;
        else
        {
            std::cerr << "usage: " << argv[0] << " [--data DIR] | --check-map FILE | --help | --version"
                      << std::endl;
            return 2;
        }
    }
    if (version)
    {
        std::cout << "Varnhold " << VARNHOLD_VERSION << std::endl;
        return 0;
    }
    const DataChoice data = ChooseDataFolder(dataOption, argv[0]);
    if (help)
    {
        PrintHelp(data);
        return 0;
    }
    if (!data.problem.empty())
    {
        std::cerr << "Varnhold: the data folder \"" << data.folder << "\" (" << data.why << ") lacks "
                  << data.problem << "; it is not the game's data" << std::endl;
        return 2;
    }
    if (data.from == DataChoice::From::Nowhere)
    {
        std::cerr << "Varnhold: cannot find the game's data: " << data.why << std::endl;
        return 1;
    }
    if (!DisplayAvailable())
    {
        const char* name = std::getenv("DISPLAY");
        std::cerr << "Varnhold: cannot open the X display \"" << (name ? name : "")
                  << "\" (DISPLAY); the game needs a graphical desktop" << std::endl;
        return 1;
    }
    if (!UseData(data))
        return 1;
    if (!SoundManager::AudioDeviceOpens())
    {
        std::cerr << "Varnhold: no audio device; playing without sound" << std::endl;
        SoundManager::instance().silent = true;
    }
    return std::nullopt;
}
