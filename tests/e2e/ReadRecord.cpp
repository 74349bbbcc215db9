// Prints the highscore record at argv[1] through the game's own reader: "valid", then the name
// as JSON, the score and the wave, one per line. Exits 1 when the file holds no record.

#include "ui/HighscoreFile.hpp"

#include <iostream>

int main(int argc, char** argv)
{
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
