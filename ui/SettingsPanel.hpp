#pragma once
// The settings panel over whatever screen is shown: the effects volume, fullscreen, the frame
// counter and the first games' hints shown again, each change saved at once. Every widget it
// names is optional in its form.

#include "ui/Screen.hpp"

#include <functional>
#include <string>

// Saves the settings at path; a save that fails is one line on standard error.
void SaveSettings(const std::string& path);

class SettingsPanel
{
public:
    // Borrows the root, the settings path and the window-mode hook of the UI manager, which
    // outlive the panel.
    SettingsPanel(vgui::Gui& gui, const std::string& settingsPath,
                  const std::function<void()>& applyWindowMode);
    // Loads the panel's form over the screen (which keeps its widgets); nothing when it is open.
    void Open();
    void Close();
    // Over everything else in the root, when it is open.
    void MoveToFront();

private:
    void Refresh();
    vgui::Gui& gui;
    const std::string& settingsPath;
    const std::function<void()>& applyWindowMode;
};
