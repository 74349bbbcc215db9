// libFuzzer target for the highscore file. The first input byte picks the mode:
//  even: the rest is a file's content for ParseHighscore; whatever it holds, the reader must give
//        a record or a reason, and the texts the screens show must be producible;
//  odd:  the rest is a player's name (after eight bytes of score and wave) for HighscoreFileText;
//        what the game writes must read back as a record with the same score, and with the same
//        name whenever the name is valid UTF-8 (the only names a text field can produce).
// Besides crashes, sanitizer reports and escaping exceptions, it traps when a promise breaks.

#include "ui/HighscoreFile.hpp"

#include <cstdint>
#include <cstring>
#include <string>

namespace
{

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Plain UTF-8 as JSON accepts it: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size())
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80)
            length = 1, code = lead;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2, code = lead & 0x1Fu;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3, code = lead & 0x0Fu;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4, code = lead & 0x07u;
        else
            return false;
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
        {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    ++data;
    --size;
    if (mode % 2 == 0)
    {
        const StoredHighscore stored = ParseHighscore(std::string(reinterpret_cast<const char*>(data), size));
        Check(stored.valid == stored.problem.empty());
        if (stored.valid)
        {
            Check(stored.value.is_object());
            const auto name = stored.value.find("name");
            if (name != stored.value.end() && name->is_string())
                Check(name->get<std::string>() == stored.name);
            else
                Check(stored.name.empty());
            Check(stored.value.at("score").is_number());
        }
        // The screens show these for a valid record; they must come out for any record.
        Check(!stored.WaveText().empty());
        Check(!stored.ScoreText().empty());
        return 0;
    }

    if (size < 8)
        return 0;
    std::int32_t score = 0;
    std::int32_t wave = 0;
    std::memcpy(&score, data, 4);
    std::memcpy(&wave, data + 4, 4);
    const std::string name(reinterpret_cast<const char*>(data + 8), size - 8);
    const std::string file = HighscoreFileText(name, score, wave);
    const StoredHighscore read = ParseHighscore(file);
    Check(read.valid);
    Check(read.score == score);
    Check(read.WaveText() == std::to_string(wave));
    Check(read.ScoreText() == std::to_string(score));
    if (IsUtf8(name))
        Check(read.name == name);
    else
        Check(IsUtf8(read.name));
    return 0;
}
