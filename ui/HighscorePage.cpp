#include "ui/HighscorePage.hpp"

#include "ui/HighscoreFile.hpp"
#include "widgets/Widgets.hpp"

namespace
{
const WidgetName Return{"ReturnButton", WidgetType::Button, Need::WayOn};
const WidgetName Name{"NameText", WidgetType::TextArea};
const WidgetName Wave{"WaveText", WidgetType::TextArea};
const WidgetName Score{"ScoreText", WidgetType::TextArea};
} // namespace

HighscorePage::HighscorePage(vgui::Gui& gui, ScreenHost& host, const std::string& highscorePath)
    : Screen(gui), host(host), highscorePath(highscorePath)
{
}

const std::vector<WidgetName>& HighscorePage::Names() const
{
    static const std::vector<WidgetName> names = {Return, Name, Wave, Score};
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
}

std::vector<ScreenAction> HighscorePage::WaysOn()
{
    return BackOrExit(host, gui);
}
