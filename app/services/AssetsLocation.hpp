#pragma once

#include <filesystem>
#include <string>

// Where every file of the game lives, relative to the working directory.
inline constexpr const char* AssetsFolder = "../assets/";

// The path of a file of the game's data: "../assets/" followed by name.
inline std::string AssetPath(const std::string& name)
{
    return AssetsFolder + name;
}

// The game reads "../assets/" relative to its working directory. When that does not resolve but
// does from the executable's own folder, this changes the working directory there and says so
// in one line; when neither works it says where it looked and returns false.
bool FindAssetsFolder(const std::filesystem::path& executable);
