#include "tests/ui/UiTestSupport.hpp"

#include "tests/support/TestSupport.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace ui_testing
{

void PressButton(vgui::Gui& root, const std::string& name)
{
    const auto button = root.get<vgui::Button>(name);
    ASSERT_TRUE(button) << "no button " << name << " on this screen";
    const sf::Vector2f centre = testing_support::CentreOf(*button);
    sf::Event event{};
    event.mouseButton.button = sf::Mouse::Left;
    event.mouseButton.x = static_cast<int>(centre.x);
    event.mouseButton.y = static_cast<int>(centre.y);
    event.type = sf::Event::MouseButtonPressed;
    root.handleEvent(event);
    event.type = sf::Event::MouseButtonReleased;
    root.handleEvent(event);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "<missing>";
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

} // namespace ui_testing
