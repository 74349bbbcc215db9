#pragma once
// The player's settings, kept between runs in a small JSON file beside the highscore record and
// written the same safe way: the effects volume, fullscreen, the frame counter, the last name
// entered in the main menu, the first games' hints the player has done, and the level and
// difficulty of the last game chosen.

#include "services/SafeFile.hpp"

#include <string>
#include <vector>

class Settings
{
public:
    static Settings& instance();

    // Reads the file at path. A missing or broken file (or a value of the wrong kind or out of
    // range) leaves the defaults for what it lacks and says so in one line on standard error.
    void Load(const std::string& path);
    [[nodiscard]] FileSave Save(const std::string& path) const;
    // The file's content.
    std::string Text() const;
    // Applies the volume to every sound, playing or to come.
    void ApplyVolume() const;
    void Reset() { *this = Settings(); }

    static constexpr int MaxVolume = 100;
    int volume = MaxVolume; // effects, 0 (silent) to 100
    bool fullscreen = false;
    bool showFps = false;
    std::string playerName; // the last name entered; empty until one is
    // The hints whose lesson the player has done once, by name; they show no more until the
    // settings' "Show hints again".
    std::vector<std::string> hintsDone;
    bool HintDone(const std::string& hint) const;
    void MarkHintDone(const std::string& hint);
    // The main menu's Play starts this level (the records' key of its map; empty: the first
    // level) on this difficulty ("easy", "normal" or "hard"), as the level select last chose.
    std::string level;
    std::string difficulty = "normal";

private:
    Settings() = default;
};
