#pragma once
// The one local highscore record: reading it (forgiving: any problem means "no record") and
// replacing it safely with the exact bytes the game has always written.

#include "services/SafeFile.hpp"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

struct StoredHighscore
{
    bool valid = false;     // an object with a numeric "score"
    std::string problem;    // what was wrong, when not valid
    nlohmann::json value;   // the whole parsed record
    std::int32_t score = 0; // "score" cut towards zero
    std::string name;       // empty when "name" is missing or no string

    // "wave" and "score" as the JSON library writes them ("null" when missing).
    std::string WaveText() const;
    std::string ScoreText() const;
};

StoredHighscore ReadHighscore(const std::string& path);
// ReadHighscore for a screen that shows the record: a file that holds none says why in one line on
// standard error.
StoredHighscore ReadShownHighscore(const std::string& path);
// Reads from text already in memory (what ReadHighscore does after opening the file).
StoredHighscore ParseHighscore(const std::string& text);

// The file's content: five lines, no line break at the end; the name as a JSON string body.
std::string HighscoreFileText(const std::string& name, std::int32_t score, std::int32_t wave);
// What became of a save of the record: saved, or why not, in words that read on after "Could not
// save the highscore: ".
using HighscoreSave = FileSave;

// Saves the record at path the safe way (SaveFileSafely): the old record stays whole if anything
// fails, and two games saving at once leave one complete record.
[[nodiscard]] HighscoreSave WriteHighscore(const std::string& path, const std::string& name,
                                           std::int32_t score, std::int32_t wave,
                                           const TemporaryNameSource& nameSource = {});
