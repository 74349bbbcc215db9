#include "ui/HighscoreFile.hpp"

#include "services/AssetsLocation.hpp"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <limits>
#include <random>
#include <signal.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
std::string MemberText(const nlohmann::json& record, const char* key)
{
    std::ostringstream text;
    if (record.is_object() && record.contains(key))
        text << record.at(key);
    else
        text << nlohmann::json();
    return text.str();
}

// Length of the well-formed UTF-8 sequence at text[i] (lead byte 0x80 or above), or 0 when the
// bytes there are not one: JSON readers reject overlong forms, surrogates and code points past
// U+10FFFF, so a name holding such bytes would make the whole record unreadable.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1Fu;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07u;
    else
        return 0;
    if (text.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k)
    {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
        return 0;
    return length;
}

void AppendJsonStringBody(std::string& out, const std::string& text)
{
    static const char hex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
        {
            // Bytes that are no character become U+FFFD, so the record stays readable.
            const std::size_t length = Utf8SequenceLength(text, i);
            if (length == 0)
            {
                out += "\xEF\xBF\xBD";
                continue;
            }
            out.append(text, i, length);
            i += length - 1;
            continue;
        }
        switch (c)
        {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20)
            {
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 0xF];
            }
            else
            {
                out += c;
            }
        }
    }
}
} // namespace

std::string StoredHighscore::WaveText() const
{
    return MemberText(value, "wave");
}

std::string StoredHighscore::ScoreText() const
{
    return MemberText(value, "score");
}

StoredHighscore ParseHighscore(const std::string& text)
{
    StoredHighscore stored;
    // Writing a value out recurses once per level of nesting, so a hand-made file nested deep
    // enough would overflow the stack when a screen shows its "wave"; no record nests at all.
    constexpr int deepestNesting = 64;
    int deepest = 0;
    stored.value = nlohmann::json::parse(
        text,
        [&deepest](int depth, nlohmann::json::parse_event_t, nlohmann::json&)
        {
            deepest = std::max(deepest, depth);
            return true;
        },
        false, false);
    if (stored.value.is_discarded())
    {
        stored.value = nlohmann::json();
        stored.problem = "it is not valid JSON";
        return stored;
    }
    if (deepest > deepestNesting)
    {
        stored.value = nlohmann::json();
        stored.problem = "it nests too deeply";
        return stored;
    }
    if (!stored.value.is_object())
    {
        stored.problem = "it is not a JSON object";
        return stored;
    }
    const auto score = stored.value.find("score");
    if (score == stored.value.end() || !score->is_number())
    {
        stored.problem = "it has no numeric \"score\"";
        return stored;
    }
    // A fraction is cut towards zero; a score that no game could reach is no record.
    const double whole = std::trunc(score->get<double>());
    if (!(whole >= std::numeric_limits<std::int32_t>::min() &&
          whole <= std::numeric_limits<std::int32_t>::max()))
    {
        stored.problem = "its \"score\" is out of range";
        return stored;
    }
    stored.score = static_cast<std::int32_t>(whole);
    // Only the score is compared, so a record whose "name" is missing or no string still
    // stands, shown with an empty name.
    const auto name = stored.value.find("name");
    if (name != stored.value.end() && name->is_string())
        stored.name = name->get<std::string>();
    stored.valid = true;
    return stored;
}

StoredHighscore ReadHighscore(const std::string& path)
{
    // A record is a few dozen bytes; anything past a megabyte is not one.
    constexpr std::size_t limit = 1 << 20;
    std::string text;
    if (std::string problem = ReadSmallFile(path, limit, text); !problem.empty())
    {
        StoredHighscore unread;
        unread.problem = std::move(problem);
        return unread;
    }
    return ParseHighscore(text);
}

StoredHighscore ReadShownHighscore(const std::string& path)
{
    // Before an installed game's first save, the record shipped with the game.
    const std::string source = SeededPath(path);
    StoredHighscore stored = ReadHighscore(source);
    if (!stored.valid)
        std::cerr << "Highscore file \"" << source << "\" holds no record: " << stored.problem << std::endl;
    return stored;
}

std::string HighscoreFileText(const std::string& name, std::int32_t score, std::int32_t wave)
{
    std::string text = "{ \n\"name\" : \"";
    AppendJsonStringBody(text, name);
    text += "\", \n\"score\" : ";
    text += std::to_string(score);
    text += ", \n\"wave\" : ";
    text += std::to_string(wave);
    text += "\n }";
    return text;
}

HighscoreSave WriteHighscore(const std::string& path, const std::string& name, std::int32_t score,
                             std::int32_t wave, const TemporaryNameSource& nameSource)
{
    return SaveFileSafely(path, HighscoreFileText(name, score, wave), nameSource);
}
