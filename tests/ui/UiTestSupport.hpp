#pragma once
// Helpers for the screen tests: pressing a widget-layer button the way the frame loop does (a
// left press and release at its centre handed to the root), and reading what a test printed.

#include "widgets/Widgets.hpp"

#include <string>
#include <vector>

namespace ui_testing
{

// Sends a left press and release at the centre of the named button through root.handleEvent.
// Fails the test when there is no such button.
void PressButton(vgui::Gui& root, const std::string& name);

// Splits captured stream text into its lines (without the line ends).
std::vector<std::string> Lines(const std::string& text);

// Whole file content, or "<missing>" when it cannot be opened.
std::string ReadFile(const std::string& path);

} // namespace ui_testing
