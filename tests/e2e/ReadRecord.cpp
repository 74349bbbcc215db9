// Prints the highscore record at argv[1] through the game's own reader: "valid", then the name
// as JSON, the score and the wave, one per line. Exits 1 when the file holds no record.
// With --table RECORDS LEVEL DIFFICULTY: the games of that record table, best first, one per line
// ("name score wave date seconds", the name as JSON); exits 1 when the file cannot be used.

#include "ui/HighscoreFile.hpp"
#include "ui/RecordsFile.hpp"

#include <iostream>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc == 5 && std::string_view(argv[1]) == "--table")
    {
        const RecordsFile records = RecordsFile::Read(argv[2]);
        const auto difficulty = DifficultyNamed(argv[4]);
        if (records.broken || !difficulty)
            return 1;
        for (const RecordEntry& game : records.Table(argv[3], *difficulty))
            std::cout << nlohmann::json(game.name).dump() << " " << game.score << " " << game.wave << " "
                      << game.date << " " << game.seconds << "\n";
        return 0;
    }
    if (argc != 2)
        return 2;
    const StoredHighscore record = ReadHighscore(argv[1]);
    if (!record.valid)
    {
        std::cout << "invalid: " << record.problem << "\n";
        return 1;
    }
    std::cout << "valid\n"
              << nlohmann::json(record.name).dump() << "\n"
              << record.score << "\n"
              << record.WaveText() << "\n";
    return 0;
}
