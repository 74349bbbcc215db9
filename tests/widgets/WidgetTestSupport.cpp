#include "tests/widgets/WidgetTestSupport.hpp"

#include <gtest/gtest.h>

namespace testing_support
{

sf::Vector2f CentreOf(const vgui::Widget& widget)
{
    sf::Vector2f corner = widget.getPosition();
    for (const vgui::Container* parent = widget.getParent(); parent != nullptr; parent = parent->getParent())
        corner += parent->getPosition();
    return corner + widget.getSize() / 2.f;
}

void PressButton(vgui::Gui& root, const std::string& name)
{
    const auto button = root.get<vgui::Button>(name);
    ASSERT_TRUE(button) << "no button " << name << " on this screen";
    const sf::Vector2f centre = CentreOf(*button);
    sf::Event event{};
    event.mouseButton.button = sf::Mouse::Left;
    event.mouseButton.x = static_cast<int>(centre.x);
    event.mouseButton.y = static_cast<int>(centre.y);
    event.type = sf::Event::MouseButtonPressed;
    root.handleEvent(event);
    event.type = sf::Event::MouseButtonReleased;
    root.handleEvent(event);
}

} // namespace testing_support
