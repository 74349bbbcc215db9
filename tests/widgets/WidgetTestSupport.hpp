#pragma once
// Helpers for the tests that press the widget layer's buttons the way the frame loop does. Links
// only the widget layer.

#include "widgets/Widgets.hpp"

#include <string>

namespace testing_support
{

// A widget's centre in root coordinates (parents' borders of a few pixels are ignored).
sf::Vector2f CentreOf(const vgui::Widget& widget);

// Sends a left press and release at the centre of the named button through root.handleEvent.
// Fails the test when there is no such button.
void PressButton(vgui::Gui& root, const std::string& name);

} // namespace testing_support
