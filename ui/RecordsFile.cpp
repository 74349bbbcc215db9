#include "ui/RecordsFile.hpp"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <limits>

namespace fs = std::filesystem;

namespace
{
constexpr int MostBrokenCopies = 100;

bool IsWhole(const nlohmann::json& value)
{
    if (value.is_number_integer())
        return value.get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
               value.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max();
    return false;
}

// One entry as the file holds it, or why it cannot be one.
std::optional<RecordEntry> EntryOf(const nlohmann::json& value, std::string& problem)
{
    if (!value.is_object())
    {
        problem = "an entry is not a JSON object";
        return std::nullopt;
    }
    const auto name = value.find("name");
    const auto score = value.find("score");
    const auto wave = value.find("wave");
    const auto date = value.find("date");
    const auto seconds = value.find("seconds");
    if (name == value.end() || !name->is_string() ||
        name->get_ref<const std::string&>().size() > RecordLimits::MaxNameBytes || score == value.end() ||
        !IsWhole(*score) || wave == value.end() || !IsWhole(*wave) || date == value.end() ||
        !date->is_string() || date->get_ref<const std::string&>().size() > 32 || seconds == value.end() ||
        !seconds->is_number() || !std::isfinite(seconds->get<double>()) || seconds->get<double>() < 0.)
    {
        problem = "an entry lacks a usable \"name\", \"score\", \"wave\", \"date\" or \"seconds\"";
        return std::nullopt;
    }
    RecordEntry entry;
    entry.name = name->get<std::string>();
    entry.score = score->get<std::int32_t>();
    entry.wave = wave->get<std::int32_t>();
    entry.date = date->get<std::string>();
    entry.seconds = static_cast<float>(std::min(seconds->get<double>(), 1e9));
    return entry;
}

nlohmann::json JsonOf(const RecordEntry& entry)
{
    return {{"name", entry.name},
            {"score", entry.score},
            {"wave", entry.wave},
            {"date", entry.date},
            {"seconds", std::round(entry.seconds * 10.f) / 10.f}};
}

bool Ranks(const RecordEntry& a, const RecordEntry& b)
{
    return a.score != b.score ? a.score > b.score : a.wave > b.wave;
}

// Why the root of a file cannot be used as record tables; empty when it can.
std::string CheckRoot(const nlohmann::json& root)
{
    if (!root.is_object())
        return "it is not a JSON object";
    const auto version = root.find("version");
    if (version == root.end() || !version->is_number_integer() || version->get<std::int64_t>() < 1)
        return "it has no \"version\"";
    if (version->get<std::int64_t>() > RecordLimits::Version)
        return "it is from a newer version of the game (" + std::to_string(version->get<std::int64_t>()) +
               ")";
    const auto levels = root.find("levels");
    if (levels == root.end())
        return {};
    if (!levels->is_object())
        return "its \"levels\" is not a JSON object";
    for (const auto& [level, tables] : levels->items())
    {
        if (!tables.is_object())
            return "the tables of level \"" + level + "\" are not a JSON object";
        for (const auto& [difficulty, table] : tables.items())
        {
            if (!table.is_array())
                return "the table of \"" + level + "\", " + difficulty + " is not a list";
            std::string problem;
            for (const auto& entry : table)
                if (!EntryOf(entry, problem))
                    return "in the table of \"" + level + "\", " + difficulty + ": " + problem;
        }
    }
    return {};
}

// A free name beside path for a broken file: ".broken", then ".broken.2" and on.
std::string BrokenName(const std::string& path)
{
    for (int copy = 1; copy <= MostBrokenCopies; ++copy)
    {
        const std::string name = path + ".broken" + (copy == 1 ? "" : "." + std::to_string(copy));
        std::error_code error;
        if (!fs::exists(fs::symlink_status(name, error)))
            return name;
    }
    return {};
}
} // namespace

RecordsFile RecordsFile::Read(const std::string& path)
{
    RecordsFile records;
    std::error_code error;
    records.exists = fs::exists(fs::symlink_status(path, error));
    if (!records.exists)
    {
        records.problem = "there is no records file yet";
        return records;
    }
    std::string text;
    if (std::string problem = ReadSmallFile(path, RecordLimits::MaxFileBytes, text); !problem.empty())
    {
        records.broken = true;
        records.problem = std::move(problem);
        return records;
    }
    // Writing a value out recurses once per level of nesting, and members this game does not know
    // are kept and written again: a file nested far deeper than tables are is refused.
    constexpr int deepestNesting = 64;
    int deepest = 0;
    nlohmann::json root = nlohmann::json::parse(
        text,
        [&deepest](int depth, nlohmann::json::parse_event_t, nlohmann::json&)
        {
            deepest = std::max(deepest, depth);
            return true;
        },
        false, false);
    if (root.is_discarded() || deepest > deepestNesting)
    {
        records.broken = true;
        records.problem = root.is_discarded() ? "it is not valid JSON" : "it nests too deeply";
        return records;
    }
    if (std::string problem = CheckRoot(root); !problem.empty())
    {
        records.broken = true;
        records.problem = std::move(problem);
        return records;
    }
    records.root = std::move(root);
    return records;
}

RecordsFile RecordsFile::ReadAtStart(const std::string& path)
{
    RecordsFile records = Read(path);
    if (!records.problem.empty())
        std::cerr << "Records \"" << path << "\": " << records.problem << "; the tables are empty"
                  << std::endl;
    return records;
}

RecordTable RecordsFile::Table(const std::string& level, Difficulty difficulty) const
{
    RecordTable table;
    const auto levels = root.find("levels");
    if (levels == root.end() || !levels->contains(level))
        return table;
    const auto& tables = levels->at(level);
    const auto found = tables.find(DifficultyOf(difficulty).key);
    if (found == tables.end())
        return table;
    std::string problem;
    for (const auto& value : *found)
        if (const auto entry = EntryOf(value, problem))
            table.push_back(*entry);
    // A hand-edited file may list them in any order, or more than ten.
    std::stable_sort(table.begin(), table.end(), Ranks);
    if (table.size() > RecordLimits::TableSize)
        table.resize(RecordLimits::TableSize);
    return table;
}

std::optional<std::size_t> RecordsFile::Add(const std::string& level, Difficulty difficulty,
                                            const RecordEntry& entry)
{
    RecordTable table = Table(level, difficulty);
    // Above every game it ties (a tie is a new highscore), below every better one.
    const auto at = std::find_if(table.begin(), table.end(),
                                 [&entry](const RecordEntry& other) { return !Ranks(other, entry); });
    const auto place = static_cast<std::size_t>(at - table.begin());
    if (place >= RecordLimits::TableSize)
        return std::nullopt;
    RecordEntry kept = entry;
    if (kept.name.size() > RecordLimits::MaxNameBytes)
        kept.name.resize(RecordLimits::MaxNameBytes);
    table.insert(at, kept);
    if (table.size() > RecordLimits::TableSize)
        table.resize(RecordLimits::TableSize);
    nlohmann::json list = nlohmann::json::array();
    for (const auto& row : table)
        list.push_back(JsonOf(row));
    root["version"] = RecordLimits::Version;
    root["levels"][level][DifficultyOf(difficulty).key] = std::move(list);
    return place;
}

std::string RecordsFile::Text() const
{
    // A name cut inside a character is written with the replacement character, so the file stays
    // valid JSON.
    return root.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

RecordSave SaveGameRecord(const std::string& path, const std::string& level, Difficulty difficulty,
                          const RecordEntry& entry)
{
    RecordSave result;
    RecordsFile records = RecordsFile::Read(path);
    if (records.broken)
    {
        // Never overwritten unasked: the broken file is kept beside the new one.
        result.keptAs = BrokenName(path);
        std::error_code error;
        if (!result.keptAs.empty())
            fs::rename(path, result.keptAs, error);
        if (result.keptAs.empty() || error)
        {
            result.save = {false, "the broken records file could not be kept aside" +
                                      (error ? ": " + error.message() : std::string())};
            result.keptAs.clear();
            return result;
        }
        std::cerr << "Records \"" << path << "\": " << records.problem << "; kept as \"" << result.keptAs
                  << "\" and started anew" << std::endl;
        records = RecordsFile();
    }
    result.before = records.Table(level, difficulty);
    result.place = records.Add(level, difficulty, entry);
    if (!result.place)
    {
        // Not among the ten: the file stays as it is.
        result.save.saved = true;
        return result;
    }
    result.save = SaveFileSafely(path, records.Text());
    return result;
}

std::string TodayText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

std::string DurationText(float seconds)
{
    const auto whole = static_cast<long>(std::max(seconds, 0.f));
    const long minutes = whole / 60, rest = whole % 60;
    return std::to_string(minutes) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}
