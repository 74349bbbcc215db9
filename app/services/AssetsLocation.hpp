#pragma once

#include <filesystem>
#include <string>

// The game reads "../assets/" relative to its working directory. When that does not resolve but
// does from the executable's own folder, this changes the working directory there and says so
// in one line; when neither works it says where it looked and returns false.
bool FindAssetsFolder(const std::filesystem::path& executable);
