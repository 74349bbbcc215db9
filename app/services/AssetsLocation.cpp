#include "app/services/AssetsLocation.hpp"

#include <iostream>
#include <system_error>

namespace fs = std::filesystem;

bool FindAssetsFolder(const fs::path& executable)
{
    std::error_code error;
    if (fs::is_directory(AssetsFolder, error))
        return true;

    const fs::path here = fs::current_path(error);
    fs::path exeDir = fs::canonical("/proc/self/exe", error).parent_path();
    if (error || exeDir.empty())
    {
        error.clear();
        exeDir = fs::absolute(executable, error).parent_path();
    }
    if (!exeDir.empty() && fs::is_directory(exeDir / ".." / "assets", error))
    {
        fs::current_path(exeDir, error);
        if (!error)
        {
            std::cout << "Varnhold: no ../assets/ beside " << here.string() << "; running from "
                      << exeDir.string() << " instead" << std::endl;
            return true;
        }
    }
    std::cerr << "Varnhold: cannot find the game's assets: looked for ../assets/ from " << here.string()
              << " and from " << exeDir.string() << std::endl;
    return false;
}
