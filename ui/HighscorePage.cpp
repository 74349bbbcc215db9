#include "ui/HighscorePage.hpp"

#include "services/InputManager.hpp"
#include "services/Settings.hpp"
#include "ui/HighscoreFile.hpp"
#include "ui/Numbers.hpp"
#include "widgets/Widgets.hpp"

namespace
{
const WidgetName Return{"ReturnButton", WidgetType::Button, Need::WayOn};
const WidgetName Name{"NameText", WidgetType::TextArea};
const WidgetName Wave{"WaveText", WidgetType::TextArea};
const WidgetName Score{"ScoreText", WidgetType::TextArea};
// The record tables beside the stored record.
const WidgetName TableTitle{"RecordsLevelText", WidgetType::TextArea, Need::Optional};
const WidgetName PreviousLevel{"PreviousLevelButton", WidgetType::Button, Need::Optional};
const WidgetName NextLevel{"NextLevelButton", WidgetType::Button, Need::Optional};
const WidgetName Easy{"RecordsEasyButton", WidgetType::Button, Need::Optional};
const WidgetName Normal{"RecordsNormalButton", WidgetType::Button, Need::Optional};
const WidgetName Hard{"RecordsHardButton", WidgetType::Button, Need::Optional};
const WidgetName ChosenLook{"ChosenDifficultyLook", WidgetType::Button, Need::Optional};
const WidgetName Ranks{"RecordRanks", WidgetType::TextArea, Need::Optional};
const WidgetName Names{"RecordNames", WidgetType::TextArea, Need::Optional};
const WidgetName Scores{"RecordScores", WidgetType::TextArea, Need::Optional};
const WidgetName Waves{"RecordWaves", WidgetType::TextArea, Need::Optional};
const WidgetName Dates{"RecordDates", WidgetType::TextArea, Need::Optional};
const WidgetName Times{"RecordTimes", WidgetType::TextArea, Need::Optional};

const WidgetName* const DifficultyButtons[] = {&Easy, &Normal, &Hard};

// A name as one line of its column: line breaks as spaces, and cut (at a character) so that it
// never wraps onto the next game's line.
std::string OneLine(std::string name)
{
    constexpr std::size_t mostCharacters = 22;
    for (char& c : name)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i)
    {
        if ((static_cast<unsigned char>(name[i]) & 0xC0u) == 0x80u)
            continue;
        if (++characters > mostCharacters)
            return name.substr(0, i) + "...";
    }
    return name;
}
} // namespace

HighscorePage::HighscorePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath,
                             const std::string& recordsPath)
    : Screen(gui), host(host), highscorePath(highscorePath), recordsPath(recordsPath)
{
}

const std::vector<WidgetName>& HighscorePage::Names() const
{
    static const std::vector<WidgetName> names = {Return,    Name,   Wave,   Score, TableTitle, PreviousLevel,
                                                  NextLevel, Easy,   Normal, Hard,  ChosenLook, Ranks,
                                                  ::Names,   Scores, Waves,  Dates, Times};
    return names;
}

void HighscorePage::Connect()
{
    const StoredHighscore stored = ReadShownHighscore(highscorePath);
    SetText(gui, Name.name, "Player: " + (stored.valid ? stored.name : std::string("-")));
    SetText(gui, Wave.name, "Wave: " + (stored.valid ? stored.WaveText() : std::string("-")));
    SetText(gui, Score.name, stored.valid ? stored.ScoreText() : std::string("-"));
    if (const auto back = gui.get<vgui::Button>(Return.name))
        back->onPress([this] { BackToMenu(host, gui); });

    // The tables, from the level and difficulty last chosen; a form without them reads nothing more.
    if (!gui.get(Ranks.name) && !gui.get(::Names.name) && !gui.get(TableTitle.name))
        return;
    levels = ListLevels(false);
    records = RecordsFile::Read(recordsPath);
    std::size_t first = 0;
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (levels[i].id.key == Settings::instance().level)
            first = i;
    if (const auto previous = gui.get<vgui::Button>(PreviousLevel.name))
        previous->onPress([this] { StepLevel(-1); });
    if (const auto next = gui.get<vgui::Button>(NextLevel.name))
        next->onPress([this] { StepLevel(1); });
    for (const Difficulty each : Difficulties)
    {
        const auto button = gui.get<vgui::Button>(DifficultyButtons[static_cast<int>(each)]->name);
        buttonLooks[static_cast<std::size_t>(each)] = button ? button->getRenderer()->data : nullptr;
        if (button)
            button->onPress([this, each] { ShowTable(shown, each); });
    }
    ShowTable(first, DifficultyNamed(Settings::instance().difficulty).value_or(Difficulty::Normal));
}

void HighscorePage::ShowTable(std::size_t index, Difficulty chosen)
{
    if (levels.empty())
        return;
    shown = std::min(index, levels.size() - 1);
    difficulty = chosen;
    const LevelEntry& level = levels[shown];
    SetText(gui, TableTitle.name, level.id.name + " - " + DifficultyOf(difficulty).name);
    std::string ranks, names, scores, waves, dates, times;
    const RecordTable table = records.Table(level.id.key, difficulty);
    for (std::size_t i = 0; i < table.size(); ++i)
    {
        const RecordEntry& row = table[i];
        ranks += std::to_string(i + 1) + ".\n";
        names += OneLine(row.name) + "\n";
        scores += WholeNumber(row.score) + "\n";
        waves += std::to_string(row.wave) + "\n";
        dates += row.date + "\n";
        times += DurationText(row.seconds) + "\n";
    }
    if (table.empty())
        names = "No game yet";
    SetText(gui, Ranks.name, ranks);
    SetText(gui, ::Names.name, names);
    SetText(gui, Scores.name, scores);
    SetText(gui, Waves.name, waves);
    SetText(gui, Dates.name, dates);
    SetText(gui, Times.name, times);

    MarkChosenDifficulty(gui, {Easy.name, Normal.name, Hard.name}, ChosenLook.name, buttonLooks, difficulty);
}

void HighscorePage::StepLevel(int by)
{
    if (levels.empty())
        return;
    // Round the list, both ways.
    const auto count = static_cast<long>(levels.size());
    ShowTable(static_cast<std::size_t>(((static_cast<long>(shown) + by) % count + count) % count),
              difficulty);
}

void HighscorePage::Update()
{
    const auto& input = InputManager::instance();
    if (input.IsKeyPressed(sf::Keyboard::Right))
        StepLevel(1);
    else if (input.IsKeyPressed(sf::Keyboard::Left))
        StepLevel(-1);
}

std::vector<ScreenAction> HighscorePage::WaysOn()
{
    return BackOrExit(host, gui);
}
