#pragma once
// The record tables: for each level and difficulty, the ten best games (name, score, wave, date,
// time survived), kept in one JSON file beside the settings and written the same safe way as the
// highscore. The highscore record of the first level on Normal stays in its own file as it always
// has; every game, that one's too, also enters the table of its level and difficulty.
//
// A records file that is missing, broken, from a newer version or too large reads as empty
// tables, with one line on standard error, and is left as it is until a game is written into it:
// then a file that exists but cannot be read is first kept beside it under a ".broken" name.

#include "gameplay/Tables.hpp"
#include "services/SafeFile.hpp"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RecordEntry
{
    std::string name;
    std::int32_t score = 0;
    std::int32_t wave = 0;
    std::string date;    // the day of the game, "YYYY-MM-DD" (local time)
    float seconds = 0.f; // time survived, in the game's seconds
};

// Best first: the higher score, then the later wave; a game that ties an older one ranks above it,
// as a tie makes a new highscore.
using RecordTable = std::vector<RecordEntry>;

namespace RecordLimits
{
constexpr std::size_t TableSize = 10;
// Ten games of every level and difficulty take a few kilobytes per level.
constexpr std::size_t MaxFileBytes = std::size_t{1} << 20;
// The version this game writes; a file of a later one is not read (nor overwritten unasked).
constexpr int Version = 1;
constexpr std::size_t MaxNameBytes = 256;
} // namespace RecordLimits

class RecordsFile
{
public:
    // Reads the file at path. A missing or unusable file gives empty tables and says why in
    // problem (and broken, when a file is there but cannot be used); nothing is printed.
    static RecordsFile Read(const std::string& path);
    // Read as the game starts: a file that holds no tables says why in one line on standard
    // error (the screens that show them then read it quietly).
    static RecordsFile ReadAtStart(const std::string& path);

    // The table of a level (its key) and difficulty; empty when it has none.
    RecordTable Table(const std::string& level, Difficulty difficulty) const;
    // Enters a game into its table, which keeps the best ten; returns its place (0 is the best),
    // or nothing when it is not among them.
    std::optional<std::size_t> Add(const std::string& level, Difficulty difficulty, const RecordEntry& entry);
    // The file's content.
    std::string Text() const;

    bool exists = false; // there is something at the path
    bool broken = false; // it is there but cannot be used: missing tables are no reason
    std::string problem; // why the tables are empty, when they are for a reason

private:
    nlohmann::json root = nlohmann::json::object(); // members this game does not know are kept
};

// What became of a game entered into the file.
struct RecordSave
{
    FileSave save;
    std::optional<std::size_t> place; // its place in its table, when it is among the ten
    RecordTable before;               // the table as it was before this game
    std::string keptAs;               // where a broken file was kept, when one was
};

// Reads the file again (another game may have written it), enters the game and saves the file
// safely. A broken file is first renamed to path + ".broken" (or ".broken.2" and on, when that
// name is taken); when it cannot be renamed nothing is written.
RecordSave SaveGameRecord(const std::string& path, const std::string& level, Difficulty difficulty,
                          const RecordEntry& entry);

// Today's date as the tables show it, "YYYY-MM-DD" in local time.
std::string TodayText();
// Seconds as minutes and seconds, "12:05".
std::string DurationText(float seconds);
