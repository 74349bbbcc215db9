// The player's controls beside the screens: the settings panel (volume, fullscreen, the frame
// counter), the name field that remembers the last name and starts the game on Enter, and in the
// HUD the pause and speed buttons with the pause overlay. Every widget named here is optional.

#include "gameplay/GameplayManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/Settings.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <iostream>

namespace
{
constexpr int VolumeStep = 10;
constexpr const char* SettingsPanel = "SettingsPanel";

void SaveSettings(const std::string& path)
{
    if (const FileSave save = Settings::instance().Save(path); !save.saved)
        std::cerr << "Could not save the settings \"" << path << "\": " << save.error << std::endl;
}

std::string OnOff(bool on)
{
    return on ? "on" : "off";
}
} // namespace

void UIManager::ConnectMenuControls()
{
    if (const auto settings = gui->get<vgui::Button>("SettingsButton"))
        settings->onPress([this] { OpenSettings(); });
    if (const auto name = gui->get<vgui::TextArea>("Name"))
    {
        // The last name is offered selected: Enter plays it, typing replaces it.
        if (!Settings::instance().playerName.empty())
        {
            name->setText(Settings::instance().playerName);
            name->selectAll();
        }
        // Typing goes to the name at once, and Enter plays as the Play button does.
        gui->focus(name);
        name->onReturnKeyPress(
            [this]
            {
                ReadPlayerName();
                GameStateManager::instance().ChangeState("GamePlay");
            });
    }
}

void UIManager::ConnectHudControls()
{
    auto& gameplay = GameplayManager::instance();
    if (const auto pause = gui->get<vgui::Button>("PauseButton"))
        pause->onPress([&gameplay] { gameplay.paused = !gameplay.paused; });
    if (const auto resume = gui->get<vgui::Button>("ResumeButton"))
        resume->onPress([&gameplay] { gameplay.paused = false; });
    if (const auto speed = gui->get<vgui::Button>("SpeedButton"))
        speed->onPress([&gameplay] { gameplay.speed = gameplay.speed % GameplayManager::FastestSpeed + 1; });
    if (const auto settings = gui->get<vgui::Button>("SettingsButton"))
        settings->onPress([this] { OpenSettings(); });
    if (const auto leave = gui->get<vgui::Button>("LeaveGameButton"))
        leave->onPress([this] { LeaveGame(); });
}

void UIManager::RefreshHudControls()
{
    const auto& gameplay = GameplayManager::instance();
    if (const auto overlay = gui->get<vgui::Widget>("PauseOverlay"))
    {
        const bool show = gameplay.paused && gameplay.running;
        // Over the health bars that came with the level and its enemies; the settings stay on top.
        if (show && !overlay->isVisible())
        {
            overlay->moveToFront();
            if (const auto settings = gui->get(SettingsPanel))
                settings->moveToFront();
        }
        overlay->setVisible(show);
    }
    if (const auto speed = gui->get<vgui::Button>("SpeedButton"))
        speed->setText(std::to_string(gameplay.speed) + "x");
    if (const auto pause = gui->get<vgui::Button>("PauseButton"))
        pause->setText(gameplay.paused ? "Go" : "II");
}

void UIManager::LeaveGame()
{
    // As the lose screen's button leaves a lost game, but the record stays as it is.
    gui->removeAllWidgets();
    GameStateManager::instance().ChangeState("MainMenu");
}

void UIManager::OpenSettings()
{
    if (gui->get(SettingsPanel))
        return;
    try
    {
        // Over the current screen, which keeps its widgets (the HUD and the health bars).
        gui->loadWidgetsFromFile(AssetPath("settings.txt"), false);
    }
    catch (const vgui::Exception& error)
    {
        std::cerr << "Failed to load widgets from file: " << error.what() << std::endl;
        return;
    }
    auto& settings = Settings::instance();
    const auto changeVolume = [this, &settings](int by)
    {
        settings.volume = std::clamp(settings.volume + by, 0, Settings::MaxVolume);
        settings.ApplyVolume();
        SaveSettings(settingsPath);
        RefreshSettings();
    };
    if (const auto down = gui->get<vgui::Button>("VolumeDownButton"))
        down->onPress([changeVolume] { changeVolume(-VolumeStep); });
    if (const auto up = gui->get<vgui::Button>("VolumeUpButton"))
        up->onPress([changeVolume] { changeVolume(VolumeStep); });
    if (const auto fullscreen = gui->get<vgui::Button>("FullscreenButton"))
        fullscreen->onPress(
            [this, &settings]
            {
                settings.fullscreen = !settings.fullscreen;
                if (applyWindowMode)
                    applyWindowMode();
                SaveSettings(settingsPath);
                RefreshSettings();
            });
    if (const auto fps = gui->get<vgui::Button>("FpsButton"))
        fps->onPress(
            [this, &settings]
            {
                settings.showFps = !settings.showFps;
                SaveSettings(settingsPath);
                RefreshSettings();
            });
    if (const auto close = gui->get<vgui::Button>("SettingsCloseButton"))
        close->onPress([this] { CloseSettings(); });
    RefreshSettings();
}

void UIManager::CloseSettings()
{
    if (const auto panel = gui->get(SettingsPanel))
        gui->remove(panel);
}

void UIManager::RefreshSettings()
{
    const auto& settings = Settings::instance();
    if (const auto volume = gui->get<vgui::TextArea>("VolumeText"))
        volume->setText("Effects volume: " + std::to_string(settings.volume));
    if (const auto fullscreen = gui->get<vgui::Button>("FullscreenButton"))
        fullscreen->setText("Fullscreen: " + OnOff(settings.fullscreen));
    if (const auto fps = gui->get<vgui::Button>("FpsButton"))
        fps->setText("Frames per second: " + OnOff(settings.showFps));
}
