#include "services/Settings.hpp"

#include <SFML/Audio/Listener.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <limits>

namespace
{
bool FitsInt(const nlohmann::json& value)
{
    if (value.is_number_unsigned())
        return value.get<std::uint64_t>() <= static_cast<std::uint64_t>(std::numeric_limits<int>::max());
    return value.is_number_integer() && value.get<std::int64_t>() >= std::numeric_limits<int>::min() &&
           value.get<std::int64_t>() <= std::numeric_limits<int>::max();
}

// A value as the line about it shows it: the file's own text, cut short.
std::string Shown(const nlohmann::json& value)
{
    std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    constexpr std::size_t longest = 40;
    return text.size() > longest ? text.substr(0, longest) + "..." : text;
}
} // namespace

Settings& Settings::instance()
{
    static Settings settings;
    return settings;
}

void Settings::Load(const std::string& path)
{
    *this = Settings();
    std::string text;
    // A settings file is a few dozen bytes.
    if (std::string problem = ReadSmallFile(path, 64 * 1024, text); !problem.empty())
    {
        std::cerr << "Settings \"" << path << "\": " << problem << "; the defaults apply" << std::endl;
        return;
    }
    const nlohmann::json read = nlohmann::json::parse(text, nullptr, false);
    if (!read.is_object())
    {
        std::cerr << "Settings \"" << path << "\" are not a JSON object; the defaults apply" << std::endl;
        return;
    }
    std::string wrong;
    const auto take = [&read, &wrong](const char* key, auto& field, auto valid)
    {
        const auto found = read.find(key);
        if (found == read.end())
            return;
        using Field = std::decay_t<decltype(field)>;
        // A whole number is checked before it is narrowed: a volume of 4294967296 would wrap to 0.
        const bool fits = std::is_same_v<Field, bool>          ? found->is_boolean()
                          : std::is_same_v<Field, std::string> ? found->is_string()
                                                               : FitsInt(*found);
        if (fits && valid(found->template get<Field>()))
            field = found->template get<Field>();
        else
            wrong += (wrong.empty() ? "" : ", ") + std::string(key) + " " + Shown(*found);
    };
    take("volume", volume, [](int value) { return value >= 0 && value <= MaxVolume; });
    take("fullscreen", fullscreen, [](bool) { return true; });
    take("showFps", showFps, [](bool) { return true; });
    take("name", playerName, [](const std::string& value) { return value.size() <= 256; });
    take("level", level, [](const std::string& value) { return value.size() <= 256; });
    take("difficulty", difficulty,
         [](const std::string& value) { return value == "easy" || value == "normal" || value == "hard"; });
    if (const auto hints = read.find("hintsDone"); hints != read.end())
    {
        // A short list of short names; anything else is not ours.
        bool fits = hints->is_array() && hints->size() <= 64;
        for (const auto& hint : fits ? *hints : nlohmann::json::array())
            fits = fits && hint.is_string() && hint.get<std::string>().size() <= 64;
        if (fits)
            hintsDone = hints->get<std::vector<std::string>>();
        else
            wrong += (wrong.empty() ? "" : ", ") + std::string("hintsDone ") + Shown(*hints);
    }
    if (!wrong.empty())
        std::cerr << "Settings \"" << path << "\": unusable " << wrong << "; the defaults apply for them"
                  << std::endl;
}

std::string Settings::Text() const
{
    const nlohmann::json written = {
        {"volume", volume}, {"fullscreen", fullscreen}, {"showFps", showFps},    {"name", playerName},
        {"level", level},   {"difficulty", difficulty}, {"hintsDone", hintsDone}};
    return written.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

FileSave Settings::Save(const std::string& path) const
{
    return SaveFileSafely(path, Text());
}

bool Settings::HintDone(const std::string& hint) const
{
    return std::find(hintsDone.begin(), hintsDone.end(), hint) != hintsDone.end();
}

void Settings::MarkHintDone(const std::string& hint)
{
    if (!HintDone(hint))
        hintsDone.push_back(hint);
}

void Settings::ApplyVolume() const
{
    sf::Listener::setGlobalVolume(static_cast<float>(volume));
}
