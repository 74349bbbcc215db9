#pragma once
// Where the game's data is read from, and where what it writes (the record, the settings) goes.
// In the build folder both are "../assets/", as the game has always had it. An installed game reads
// its data from the installed folder, which it may not write, and keeps what it writes in the
// player's own data folder ($XDG_DATA_HOME/varnhold/).

#include <filesystem>
#include <string>

// The folder every file of the game's data is read from, ending in '/': "../assets/" unless the
// start chose another (UseDataFolder).
const std::string& DataFolder();
void UseDataFolder(std::string folder);

// The path of a file of the game's data: the data folder followed by name.
inline std::string AssetPath(const std::string& name)
{
    return DataFolder() + name;
}

// The folder the game saves its record and settings in, ending in '/': the data folder unless the
// start chose another (UseStateFolder); empty when there is nowhere to save.
const std::string& StateFolder();
void UseStateFolder(std::string folder);
// Where the file of that name is saved: the state folder followed by name (empty: not saved).
std::string StatePath(const std::string& name);
// What to read for the saved file at path: the file itself once it exists; before the first save
// into a state folder of its own, the data folder's file of the same name (a record or settings
// shipped with the game are the starting values).
std::string SeededPath(const std::string& path);
// Makes the state folder (mode 0700, and its missing parents) when path lies in it and it is not
// there yet: the first save creates it. Returns what went wrong, or an empty string.
std::string PrepareFolderOf(const std::string& path);

// How many of the game's own files (its level and its six screens) the folder holds as regular
// files: 7 for the game's assets folder.
int GameFilesIn(const std::filesystem::path& folder);
// The game's own files the folder lacks, named, comma-separated (empty when it holds them all).
std::string GameFilesMissingIn(const std::filesystem::path& folder);

// The data folder and why it was chosen, in the order the game asks:
//   a --data DIR option, then the VARNHOLD_DATA variable, then "../assets/" beside the working
//   directory when it is the game's (or the one beside the executable's folder, which then becomes
//   the working directory), then the installed data folder (beside the executable as installed,
//   else the one compiled in from the install prefix).
struct DataChoice
{
    enum class From
    {
        Option,
        Environment,
        BesideWorkingFolder,
        BesideExecutable,
        Installed,
        Nowhere,
    };
    From from = From::Nowhere;
    std::string folder;        // ends in '/'
    std::string why;           // a few words: "given with --data", ...
    std::string problem;       // for Option and Environment: what the folder lacks (empty: none)
    std::string workingFolder; // BesideExecutable: the folder to work in, so "../assets/" is the data
};
DataChoice ChooseDataFolder(const std::string& option, const std::filesystem::path& executable);

// The folder an installed game saves in: $XDG_DATA_HOME/varnhold/, or ~/.local/share/varnhold/ when
// that variable is unset or not absolute; empty when neither it nor HOME is set.
std::string PlayerStateFolder();
