// Loads a form file into a 1280 x 720 window, optionally fills in some texts, draws a few frames
// and saves a screenshot, so the screens can be looked at without running the game.
//
//   formview FORM OUT.png [--set Name=Text]... [--hide Name]... [--icons] [--level]
//            [--hover X,Y] [--focus Name]
//
// --icons gives every BitmapButton a 64 x 64 stand-in icon, --level draws a stand-in map
// behind the widgets (to judge what the HUD leaves see-through), --hover moves the mouse there.

#include "widgets/Widgets.hpp"

#include <SFML/Graphics.hpp>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace
{

std::shared_ptr<sf::Texture> StandInIcon(sf::Color color)
{
    sf::RenderTexture canvas;
    canvas.create(64, 64);
    canvas.clear(sf::Color::Transparent);
    sf::CircleShape tower(24.f, 6);
    tower.setPosition(8.f, 8.f);
    tower.setFillColor(color);
    tower.setOutlineColor(sf::Color(30, 30, 30));
    tower.setOutlineThickness(2.f);
    canvas.draw(tower);
    canvas.display();
    return std::make_shared<sf::Texture>(canvas.getTexture());
}

void DrawStandInLevel(sf::RenderWindow& window)
{
    for (int y = 0; y < 720; y += 40)
    {
        for (int x = 0; x < 1280; x += 40)
        {
            sf::RectangleShape tile({40.f, 40.f});
            tile.setPosition(static_cast<float>(x), static_cast<float>(y));
            const bool light = ((x + y) / 40) % 2 == 0;
            tile.setFillColor(light ? sf::Color(92, 128, 64) : sf::Color(84, 118, 58));
            window.draw(tile);
        }
    }
    sf::RectangleShape road({1280.f, 80.f});
    road.setPosition(0.f, 360.f);
    road.setFillColor(sf::Color(150, 126, 90));
    window.draw(road);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::cerr << "usage: formview FORM OUT.png [--set Name=Text] [--hide Name] [--icons] [--level]"
                     " [--hover X,Y] [--focus Name]\n";
        return 2;
    }
    const std::string formPath = argv[1];
    const std::string outPath = argv[2];

    sf::RenderWindow window(sf::VideoMode(1280, 720), "formview");
    vgui::Gui gui(window);

    // The game's font lives beside the forms.
    const std::size_t slash = formPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : formPath.substr(0, slash + 1);
    auto font = std::make_shared<sf::Font>();
    if (font->loadFromFile(folder + "arial.ttf"))
        gui.setFont(font);

    try
    {
        gui.loadWidgetsFromFile(formPath);
    }
    catch (const vgui::Exception& error)
    {
        std::cerr << "Failed to load widgets from file: " << error.what() << '\n';
        return 1;
    }

    bool level = false;
    std::vector<sf::Event> events;
    for (int i = 3; i < argc; ++i)
    {
        const std::string option = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--level")
            level = true;
        else if (option == "--icons")
        {
            const sf::Color colors[] = {sf::Color(220, 190, 90), sf::Color(200, 110, 70),
                                        sf::Color(170, 80, 60), sf::Color(90, 190, 110)};
            int n = 0;
            for (const auto& name :
                 {"BulletTowerButton", "RocketTowerSmallButton", "RocketTowerBigButton", "RepairButton"})
            {
                if (auto button = gui.get<vgui::BitmapButton>(name))
                    button->setImage(StandInIcon(colors[n]));
                ++n;
            }
        }
        else if (option == "--set" && !value.empty())
        {
            ++i;
            const std::size_t eq = value.find('=');
            const std::string name = value.substr(0, eq);
            const std::string raw = eq == std::string::npos ? "" : value.substr(eq + 1);
            std::string text; // "\\n" on the command line stands for a line break
            for (std::size_t p = 0; p < raw.size(); ++p)
            {
                if (raw[p] == '\\' && p + 1 < raw.size() && raw[p + 1] == 'n')
                {
                    text += '\n';
                    ++p;
                }
                else
                    text += raw[p];
            }
            if (auto area = gui.get<vgui::TextArea>(name))
                area->setText(text);
            else if (auto button = gui.get<vgui::Button>(name))
                button->setText(text);
            else if (auto label = gui.get<vgui::Label>(name))
                label->setText(text);
            else
                std::cerr << "formview: no text widget named " << name << '\n';
        }
        else if (option == "--hide" && !value.empty())
        {
            ++i;
            if (auto widget = gui.get(value))
                widget->setVisible(false);
        }
        else if (option == "--hover" && !value.empty())
        {
            ++i;
            int x = 0;
            int y = 0;
            if (std::sscanf(value.c_str(), "%d,%d", &x, &y) == 2)
            {
                sf::Event move{};
                move.type = sf::Event::MouseMoved;
                move.mouseMove = {x, y};
                events.push_back(move);
            }
        }
        else if (option == "--focus" && !value.empty())
        {
            ++i;
            if (auto widget = gui.get(value))
            {
                // A click in its middle focuses it, as a player would.
                sf::Vector2f centre = widget->getPosition() + widget->getSize() / 2.f;
                for (auto* parent = widget->getParent(); parent != nullptr; parent = parent->getParent())
                    centre += parent->getPosition();
                sf::Event press{};
                press.type = sf::Event::MouseButtonPressed;
                press.mouseButton = {sf::Mouse::Left, static_cast<int>(centre.x), static_cast<int>(centre.y)};
                events.push_back(press);
                press.type = sf::Event::MouseButtonReleased;
                events.push_back(press);
            }
        }
        else
        {
            std::cerr << "formview: unknown option " << option << '\n';
            return 2;
        }
    }
    for (const auto& event : events)
        gui.handleEvent(event);

    for (int frame = 0; frame < 5; ++frame)
    {
        sf::Event event;
        while (window.pollEvent(event))
        {
        }
        window.clear(sf::Color::Black);
        if (level)
            DrawStandInLevel(window);
        gui.draw();
        if (frame == 4)
        {
            sf::Texture shot;
            shot.create(window.getSize().x, window.getSize().y);
            shot.update(window);
            if (!shot.copyToImage().saveToFile(outPath))
                return 1;
        }
        window.display();
    }
    return 0;
}
