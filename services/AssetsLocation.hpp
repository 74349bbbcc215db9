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

// How many of the game's own files (its level and its six screens) the folder holds as regular
// files: 7 for the game's assets folder.
int GameFilesIn(const std::filesystem::path& folder);

// The game reads "../assets/" relative to its working directory. That folder is used when it
// holds at least as many of the game's own files as the one beside the executable's folder (so
// an unrelated ../assets/ does not win over the game's); otherwise the working directory
// becomes the executable's folder, with one line saying so. When neither exists it says where
// it looked and returns false.
bool FindAssetsFolder(const std::filesystem::path& executable);
