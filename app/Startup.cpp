#include "app/Startup.hpp"

#include "gameplay/MapChecker.hpp"
#include "services/AssetsLocation.hpp"
#include "services/SoundManager.hpp"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string_view>

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
    if (argc >= 2 && std::string_view(argv[1]) == "--check-map")
    {
        if (argc != 3)
        {
            std::cerr << "usage: " << argv[0] << " --check-map FILE" << std::endl;
            return 1;
        }
        return CheckMapCommand(argv[2]);
    }
    if (!DisplayAvailable())
    {
        const char* name = std::getenv("DISPLAY");
        std::cerr << "Varnhold: cannot open the X display \"" << (name ? name : "")
                  << "\" (DISPLAY); the game needs a graphical desktop" << std::endl;
        return 1;
    }
    if (!FindAssetsFolder(argv[0]))
        return 1;
    if (!SoundManager::AudioDeviceOpens())
    {
        std::cerr << "Varnhold: no audio device; playing without sound" << std::endl;
        SoundManager::instance().silent = true;
    }
    return std::nullopt;
}
