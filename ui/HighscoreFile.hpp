#pragma once
// The one local highscore record: reading it (forgiving: any problem means "no record") and
// replacing it safely with the exact bytes the game has always written.

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
// Reads from text already in memory (what ReadHighscore does after opening the file).
StoredHighscore ParseHighscore(const std::string& text);

// The file's content: five lines, no line break at the end; the name as a JSON string body.
std::string HighscoreFileText(const std::string& name, std::int32_t score, std::int32_t wave);
// What became of a save: saved, or why not, in words that read on after "Could not save the
// highscore: ".
struct HighscoreSave
{
    bool saved = false;
    std::string error; // empty when saved
};

// Gives the random part of a temporary file's name, a new number per call. Left empty, a save
// draws from std::random_device; tests hand in a known sequence to know every name it tries.
using TemporaryNameSource = std::function<std::uint32_t()>;
// Names a save tries before it gives up; a name where a file or link already is is never opened.
constexpr int temporaryNameTries = 8;

// The temporary file that a save of the record at recordPath, made by process pid, tries with
// number: ".<file name>.<pid>.<number in 8 hex digits>.tmp" in the record's folder.
std::string HighscoreTemporaryName(const std::string& recordPath, pid_t pid, std::uint32_t number);

// Saves the record at path, following symbolic links to the file they name. The bytes go to a
// new temporary file beside it (created exclusively, never through a link), are flushed to disk
// and renamed over it with the old file's permission bits, so the old record stays whole if
// anything fails and two games saving at once leave one complete record. When the folder takes
// no new file but the record is writable, the record is rewritten in place instead. A record we
// may not write is left alone.
[[nodiscard]] HighscoreSave WriteHighscore(const std::string& path, const std::string& name,
                                           std::int32_t score, std::int32_t wave,
                                           const TemporaryNameSource& nameSource = {});

// Rewrites the existing file at path with text in place, holding an exclusive flock (readers
// take a shared one) and flushed to disk. Room is reserved before the first byte changes, so a
// full disk or a file size limit leaves the old content whole.
[[nodiscard]] HighscoreSave RewriteHighscoreInPlace(const std::string& path, const std::string& text);

// Removes the temporary files that saves of the record at recordPath left behind when their game
// was killed: only names of our pattern, whose game no longer runs or that are over an hour old.
// A file that cannot be removed is one line on standard error.
void RemoveStaleHighscoreTemporaries(const std::string& recordPath);
