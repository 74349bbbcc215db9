#pragma once
// Built in code, for forms that cannot be loaded and that have no screen of their own to fall
// back on: the heads-up display and the settings panel. Each stand-in holds the widgets the game
// looks up by the form's names, so that the same wiring runs on it, and a line that names the
// file and what was wrong with it. Neither needs a file.

#include <memory>
#include <string>

namespace vgui
{
class Gui;
class Panel;
} // namespace vgui

// A plain top bar (the counters, the wave, the keep, pause and speed, the tower and repair
// buttons) and, along the bottom, the message with the settings and leave buttons, added to gui
// over whatever is there.
void ShowStandInHud(vgui::Gui& gui, const std::string& message);

// A plain settings panel ("SettingsPanel": the volume, fullscreen and frame counter buttons and
// its close button) with the message under its title.
std::shared_ptr<vgui::Panel> StandInSettingsPanel(const std::string& message);
