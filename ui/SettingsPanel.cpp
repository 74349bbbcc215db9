#include "ui/SettingsPanel.hpp"

#include "services/AssetsLocation.hpp"
#include "services/Settings.hpp"
#include "ui/StandIns.hpp"
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <iostream>

namespace
{
constexpr int VolumeStep = 10;

const WidgetName Panel{"SettingsPanel", WidgetType::Any, Need::Optional};
const WidgetName VolumeDown{"VolumeDownButton", WidgetType::Button, Need::Optional};
const WidgetName VolumeUp{"VolumeUpButton", WidgetType::Button, Need::Optional};
const WidgetName Fullscreen{"FullscreenButton", WidgetType::Button, Need::Optional};
const WidgetName Fps{"FpsButton", WidgetType::Button, Need::Optional};
const WidgetName CloseButton{"SettingsCloseButton", WidgetType::Button, Need::Optional};
const WidgetName Volume{"VolumeText", WidgetType::TextArea, Need::Optional};
const WidgetName Hints{"HintsButton", WidgetType::Button, Need::Optional};

std::string OnOff(bool on)
{
    return on ? "on" : "off";
}
} // namespace

void SaveSettings(const std::string& path)
{
    // A game with nowhere to save (no path) said so once at its start.
    if (const FileSave save = Settings::instance().Save(path); !save.saved && !path.empty())
        std::cerr << "Could not save the settings \"" << path << "\": " << save.error << std::endl;
}

SettingsPanel::SettingsPanel(vgui::Gui& gui, const std::string& settingsPath,
                             const std::function<void()>& applyWindowMode)
    : gui(gui), settingsPath(settingsPath), applyWindowMode(applyWindowMode)
{
}

void SettingsPanel::Open()
{
    if (gui.get(Panel.name))
        return;
    // Over the current screen, which keeps its widgets (the HUD and the health bars). A form that
    // cannot be loaded gets a plain panel with the same buttons, which says why.
    const std::string form = AssetPath("settings.txt");
    if (const std::string error = LoadForm(gui, form, false); !error.empty())
        gui.add(StandInSettingsPanel("\"" + form + "\" could not be loaded: " + error), Panel.name);
    auto& settings = Settings::instance();
    const auto changeVolume = [this, &settings](int by)
    {
        settings.volume = std::clamp(settings.volume + by, 0, Settings::MaxVolume);
        settings.ApplyVolume();
        SaveSettings(settingsPath);
        Refresh();
    };
    if (const auto down = gui.get<vgui::Button>(VolumeDown.name))
        down->onPress([changeVolume] { changeVolume(-VolumeStep); });
    if (const auto up = gui.get<vgui::Button>(VolumeUp.name))
        up->onPress([changeVolume] { changeVolume(VolumeStep); });
    if (const auto fullscreen = gui.get<vgui::Button>(Fullscreen.name))
        fullscreen->onPress(
            [this, &settings]
            {
                settings.fullscreen = !settings.fullscreen;
                if (applyWindowMode)
                    applyWindowMode();
                SaveSettings(settingsPath);
                Refresh();
            });
    if (const auto fps = gui.get<vgui::Button>(Fps.name))
        fps->onPress(
            [this, &settings]
            {
                settings.showFps = !settings.showFps;
                SaveSettings(settingsPath);
                Refresh();
            });
    if (const auto hints = gui.get<vgui::Button>(Hints.name))
        hints->onPress(
            [this, &settings]
            {
                settings.hintsDone.clear();
                SaveSettings(settingsPath);
                Refresh();
            });
    if (const auto close = gui.get<vgui::Button>(CloseButton.name))
        close->onPress([this] { Close(); });
    Refresh();
}

void SettingsPanel::Close()
{
    if (const auto panel = gui.get(Panel.name))
        gui.remove(panel);
}

void SettingsPanel::MoveToFront()
{
    if (const auto panel = gui.get(Panel.name))
        panel->moveToFront();
}

void SettingsPanel::Refresh()
{
    const auto& settings = Settings::instance();
    if (const auto volume = gui.get<vgui::TextArea>(Volume.name))
        volume->setText("Effects volume: " + std::to_string(settings.volume));
    if (const auto fullscreen = gui.get<vgui::Button>(Fullscreen.name))
        fullscreen->setText("Fullscreen: " + OnOff(settings.fullscreen));
    if (const auto fps = gui.get<vgui::Button>(Fps.name))
        fps->setText("Frames per second: " + OnOff(settings.showFps));
    if (const auto hints = gui.get<vgui::Button>(Hints.name))
        hints->setText(settings.hintsDone.empty() ? "Hints: on" : "Show hints again");
}
