#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

using namespace vgui;
namespace fs = std::filesystem;

namespace
{

std::shared_ptr<sf::Font> GameFont()
{
    auto font = std::make_shared<sf::Font>();
    if (!font->loadFromFile(std::string(VARNHOLD_SOURCE_DIR) + "/assets/arial.ttf"))
        return nullptr;
    return font;
}

sf::Event Key(sf::Keyboard::Key code)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    return event;
}

sf::Event MouseButton(sf::Event::EventType type, int x, int y)
{
    sf::Event event{};
    event.type = type;
    event.mouseButton = {sf::Mouse::Left, x, y};
    return event;
}

class TempFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder =
            fs::temp_directory_path() /
            (std::string("vgui_display_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "forms" / "art");
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

} // namespace

TEST_F(TempFolder, ImagesLoadRelativeToTheFormFile)
{
    sf::Image image;
    image.create(16, 8, sf::Color::Red);
    ASSERT_TRUE(image.saveToFile((folder / "forms" / "art" / "icon.png").string()));
    const std::string form = (folder / "forms" / "screen.txt").string();
    std::ofstream(form) << "BitmapButton.Tower { Image = \"art/icon.png\" Smooth; ImageScaling = 0.5; }\n"
                           "Picture.Backdrop { Renderer { Texture = \"art/icon.png\"; } }\n";
    Gui gui;
    gui.loadWidgetsFromFile(form);
    auto tower = gui.get<BitmapButton>("Tower");
    ASSERT_TRUE(tower && tower->getImage());
    EXPECT_EQ(tower->getImage()->getSize(), sf::Vector2u(16, 8));
    EXPECT_TRUE(tower->getImage()->isSmooth());
    EXPECT_EQ(gui.get<Picture>("Backdrop")->getSize(), sf::Vector2f(16.f, 8.f))
        << "a Picture takes its image's size";

    std::ofstream(form) << "BitmapButton.Tower { Image = \"art/missing.png\"; }\n";
    EXPECT_THROW(gui.loadWidgetsFromFile(form), Exception);
    EXPECT_TRUE(gui.get<Picture>("Backdrop")) << "the failed form left the old screen";
}

TEST(TextLayout, LongTextWrapsAtWordsAndTheCaretFollowsTheLines)
{
    auto font = GameFont();
    ASSERT_TRUE(font);
    Gui gui;
    gui.setFont(font);
    auto area = TextArea::create();
    area->setPosition(0.f, 0.f);
    area->setSize(200.f, 300.f);
    area->setTextSize(20);
    gui.add(area, "Area");
    gui.handleEvent(MouseButton(sf::Event::MouseButtonPressed, 100, 280));
    gui.handleEvent(MouseButton(sf::Event::MouseButtonReleased, 100, 280));
    const std::string text = "alpha beta gamma delta epsilon zeta eta theta";
    area->setText(text);

    gui.handleEvent(Key(sf::Keyboard::Home)); // start of the last wrapped line, not of the text
    const std::size_t lastLineStart = area->getCaretPosition();
    EXPECT_GT(lastLineStart, 0u);
    EXPECT_EQ(text[lastLineStart - 1], ' ') << "lines break after a space";
    gui.handleEvent(Key(sf::Keyboard::Up));
    EXPECT_LT(area->getCaretPosition(), lastLineStart);

    // A click near the top left puts the caret at the very start.
    gui.handleEvent(MouseButton(sf::Event::MouseButtonPressed, 12, 12));
    gui.handleEvent(MouseButton(sf::Event::MouseButtonReleased, 12, 12));
    EXPECT_EQ(area->getCaretPosition(), 0u);
}

// A number too wide for its box: drawn smaller, whole, on its one line, when the form asks for
// it; wrapped (its last digits out of sight) when it does not. Text that fits keeps its size.
TEST(TextLayout, ShrinkTextToFitKeepsANumberWholeOnItsLine)
{
    auto font = GameFont();
    ASSERT_TRUE(font);
    const fs::path form = fs::temp_directory_path() / "vgui_shrink_form.txt";
    std::ofstream(form) << "TextArea.Fits { Size = (120, 40); TextSize = 28; ShrinkTextToFit = true; "
                           "Renderer { Borders = (0); Padding = (0); } }\n"
                           "TextArea.Cut { Position = (0, 50); Size = (120, 40); TextSize = 28; "
                           "Renderer { Borders = (0); Padding = (0); } }\n";
    Gui gui;
    gui.setFont(font);
    gui.loadWidgetsFromFile(form.string());
    fs::remove(form);
    const auto fits = gui.get<TextArea>("Fits");
    const auto cut = gui.get<TextArea>("Cut");
    ASSERT_TRUE(fits && cut);
    for (const auto& area : {fits, cut})
        area->setText("1,234,567");
    EXPECT_EQ(fits->getLinesCount(), 1u);
    EXPECT_GT(cut->getLinesCount(), cut->getVisibleLinesCount()) << "without the option a digit wraps away";

    fits->setText("12");
    cut->setText("12");
    EXPECT_EQ(fits->getVisibleLinesCount(), cut->getVisibleLinesCount()) << "text that fits keeps its size";
    fits->setText("1,234,567");
    fits->setSize(1.f, 40.f);
    EXPECT_EQ(fits->getLinesCount(), 9u) << "below the smallest size it wraps as any text does";
}

TEST(Drawing, WidgetsDrawInWindowPixelsAndTheViewIsRestored)
{
    sf::RenderWindow window(sf::VideoMode(320, 240), "vgui test");
    Gui gui(window);
    gui.setFont(GameFont());
    auto panel = Panel::create({100.f, 100.f});
    panel->setPosition(20.f, 20.f);
    panel->getRenderer()->setBackgroundColor(sf::Color(10, 200, 30));
    gui.add(panel);
    auto hidden = Panel::create({50.f, 50.f});
    hidden->setPosition(200.f, 100.f);
    hidden->getRenderer()->setBackgroundColor(sf::Color::Red);
    hidden->setVisible(false);
    gui.add(hidden);
    auto bar = ProgressBar::create();
    bar->setPosition(0.f, 200.f);
    bar->setSize(200.f, 20.f);
    bar->setValue(50);
    bar->getRenderer()->setFillColor(sf::Color::Blue);
    gui.add(bar);

    sf::View zoomed(sf::FloatRect(0.f, 0.f, 1000.f, 1000.f));
    window.setView(zoomed);
    window.clear(sf::Color::Black);
    gui.draw();
    EXPECT_EQ(window.getView().getSize(), zoomed.getSize());

    sf::Texture shot;
    ASSERT_TRUE(shot.create(320, 240));
    shot.update(window);
    const sf::Image image = shot.copyToImage();
    EXPECT_EQ(image.getPixel(70, 70), sf::Color(10, 200, 30));
    EXPECT_EQ(image.getPixel(220, 120), sf::Color::Black) << "hidden widgets are not drawn";
    EXPECT_EQ(image.getPixel(50, 210), sf::Color::Blue) << "half of the bar is filled";
    EXPECT_NE(image.getPixel(150, 210), sf::Color::Blue);
}

// Each image may be as large as a side allows, but the images of the forms on screen together have
// a budget: a form loaded over another counts the other's images too.
TEST_F(TempFolder, AFormsImagesTogetherStayWithinTheirPixelBudget)
{
    sf::Image quarter; // of the budget: 2048 x 512
    quarter.create(2048, 512, sf::Color::Blue);
    ASSERT_EQ(std::uint64_t{4} * 2048 * 512, MaxFormImagePixels);
    ASSERT_TRUE(quarter.saveToFile((folder / "forms" / "art" / "q.bmp").string()));
    std::string form;
    for (int i = 0; i < 5; ++i)
    {
        const std::string name = "q" + std::to_string(i) + ".bmp";
        fs::copy_file(folder / "forms" / "art" / "q.bmp", folder / "forms" / "art" / name);
        form += "Picture.P" + std::to_string(i) + " { Renderer { Texture = \"art/" + name + "\"; } }\n";
    }
    const std::string path = (folder / "forms" / "screen.txt").string();
    const std::string over = (folder / "forms" / "over.txt").string();
    const auto failure = [](const std::function<void()>& load)
    {
        try
        {
            load();
        }
        catch (const Exception& e)
        {
            return std::string(e.what());
        }
        return std::string("loaded");
    };
    Gui gui;
    std::ofstream(path) << form.substr(0, form.rfind("Picture.P3"));
    ASSERT_NO_THROW(gui.loadWidgetsFromFile(path)) << "three quarters";
    // One more quarter over the screen fills the budget exactly; a fifth passes it.
    std::ofstream(over) << form.substr(form.rfind("Picture.P3"),
                                       form.rfind("Picture.P4") - form.rfind("Picture.P3"));
    ASSERT_NO_THROW(gui.loadWidgetsFromFile(over, false)) << "four quarters fill the budget exactly";
    std::ofstream(over) << form.substr(form.rfind("Picture.P4"));
    EXPECT_EQ(failure([&] { gui.loadWidgetsFromFile(over, false); }),
              "Error while loading 'Picture.P4' at line 1: With the image '" +
                  (folder / "forms" / "art" / "q4.bmp").string() +
                  "' (2048 x 512) the images of the forms on screen pass 4194304 pixels in all.");
    // A form that replaces the screen counts only its own.
    EXPECT_EQ(failure([&] { gui.loadWidgetsFromFile(over); }), "loaded");
    std::ofstream(path) << form;
    EXPECT_EQ(failure([&] { gui.loadWidgetsFromFile(path); }),
              "Error while loading 'Picture.P4' at line 5: With the image '" +
                  (folder / "forms" / "art" / "q4.bmp").string() +
                  "' (2048 x 512) the images of the forms on screen pass 4194304 pixels in all.");
}
