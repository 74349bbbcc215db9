// libFuzzer target for the widget layer's form files: the input is a whole form text. It goes
// through the same parse-and-build step as Gui::loadWidgetsFromFile, with an image reader that
// needs no GL context (names ending in ".png" read as an empty image, anything else fails). A
// form that loads is put into a window-less, font-less Gui and poked with clicks and typing.
// Besides crashes, sanitizer reports and exceptions of other types, it traps when a failure
// message is empty or longer than one line (the game prints it as one line), or when a loaded
// widget cannot be found again by its name.

#include "widgets/FormParser.hpp"
#include "widgets/Widgets.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace
{

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool ReadImage(const std::string& path, bool, std::shared_ptr<const sf::Texture>& texture)
{
    texture.reset();
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".png") == 0;
}

sf::Event Mouse(sf::Event::EventType type, sf::Vector2f at)
{
    sf::Event event{};
    event.type = type;
    if (type == sf::Event::MouseMoved)
    {
        event.mouseMove.x = static_cast<int>(at.x);
        event.mouseMove.y = static_cast<int>(at.y);
    }
    else
    {
        event.mouseButton.button = sf::Mouse::Left;
        event.mouseButton.x = static_cast<int>(at.x);
        event.mouseButton.y = static_cast<int>(at.y);
    }
    return event;
}

void Poke(vgui::Gui& gui, const vgui::Widget::Ptr& widget)
{
    const sf::Vector2f size = widget->getSize();
    const sf::Vector2f at = widget->getPosition() + sf::Vector2f(size.x / 2.f, size.y / 2.f);
    // Positions come from the form and may be anything; the event carries whole pixels.
    if (!(at.x > -1e6f && at.x < 1e6f && at.y > -1e6f && at.y < 1e6f))
        return;
    gui.handleEvent(Mouse(sf::Event::MouseMoved, at));
    gui.handleEvent(Mouse(sf::Event::MouseButtonPressed, at));
    gui.handleEvent(Mouse(sf::Event::MouseButtonReleased, at));
    for (const sf::Uint32 c : {sf::Uint32('a'), sf::Uint32(0x00E9), sf::Uint32(0x1F600), sf::Uint32('\r')})
    {
        sf::Event text{};
        text.type = sf::Event::TextEntered;
        text.text.unicode = c;
        gui.handleEvent(text);
    }
    for (const sf::Keyboard::Key key : {sf::Keyboard::Left, sf::Keyboard::Up, sf::Keyboard::BackSpace,
                                        sf::Keyboard::Home, sf::Keyboard::Delete, sf::Keyboard::End})
    {
        sf::Event press{};
        press.type = sf::Event::KeyPressed;
        press.key.code = key;
        press.key.shift = key == sf::Keyboard::Home;
        gui.handleEvent(press);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<vgui::Widget::Ptr> widgets;
    try
    {
        widgets = vgui::form::buildForm(text, "/nonexistent-form-folder/", {1280.f, 720.f}, {}, ReadImage);
    }
    catch (const vgui::Exception& error)
    {
        const std::string message = error.what();
        Check(!message.empty() && message.find('\n') == std::string::npos &&
              message.find('\r') == std::string::npos);
        return 0;
    }

    vgui::Gui gui;
    gui.setFont(nullptr); // no font: text is laid out one unit per character, no glyph textures
    for (const auto& widget : widgets)
        gui.add(widget);
    for (const auto& widget : widgets)
    {
        if (!widget->getName().empty())
            Check(gui.get(widget->getName()) != nullptr);
    }
    std::size_t poked = 0;
    for (const auto& widget : std::vector<vgui::Widget::Ptr>(gui.getWidgets()))
    {
        if (++poked > 16)
            break;
        Poke(gui, widget);
    }
    gui.removeAllWidgets();
    return 0;
}
