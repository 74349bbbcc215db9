// Highscore files that a fuzzer or a hand edit can produce: bytes in a name that are no UTF-8,
// and JSON nested deeper than any record.

#include "ui/HighscoreFile.hpp"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(HighscoreFileHardening, ANameWithBytesThatAreNoUtf8StillWritesAReadableRecord)
{
    struct Case
    {
        std::string name;
        std::string readBack;
    };
    const std::string replacement = "\xEF\xBF\xBD";
    const Case cases[] = {
        {"a\x80z", "a" + replacement + "z"},                              // a lone continuation byte
        {"\xC0\xAF", replacement + replacement},                          // an overlong '/'
        {"x\xED\xA0\x80", "x" + replacement + replacement + replacement}, // a UTF-16 surrogate
        {"\xF5\x80\x80\x80", replacement + replacement + replacement + replacement},  // past U+10FFFF
        {"end\xE2\x82", "end" + replacement + replacement},                           // cut off at the end
        {"\xC3\xA9t\xC3\xA9 \xF0\x9F\x8F\xB0", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8F\xB0"}, // well-formed stays
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.name));
        const StoredHighscore read = ParseHighscore(HighscoreFileText(c.name, 77, 4));
        ASSERT_TRUE(read.valid) << read.problem;
        EXPECT_EQ(read.name, c.readBack);
        EXPECT_EQ(read.score, 77);
        EXPECT_EQ(read.WaveText(), "4");
    }
}

TEST(HighscoreFileHardening, DeeplyNestedJsonIsNoRecordInsteadOfOverflowingTheStack)
{
    // Showing such a "wave" on the highscore screen used to recurse once per level.
    const std::size_t depth = 200000;
    const std::string wave = std::string(depth, '[') + std::string(depth, ']');
    const StoredHighscore deep = ParseHighscore("{\"name\": \"A\", \"score\": 1, \"wave\": " + wave + "}");
    EXPECT_FALSE(deep.valid);
    EXPECT_EQ(deep.problem, "it nests too deeply");
    EXPECT_EQ(deep.WaveText(), "null");

    // Modest nesting in members the game does not read is still a record.
    const StoredHighscore extra =
        ParseHighscore("{\"name\": \"B\", \"score\": 9, \"wave\": 2, \"notes\": [[[{\"a\": [1]}]]]}");
    EXPECT_TRUE(extra.valid) << extra.problem;
    EXPECT_EQ(extra.WaveText(), "2");
}

} // namespace
