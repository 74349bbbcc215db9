#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

using namespace vgui;
namespace fs = std::filesystem;

namespace
{

// Each test writes its forms into a folder of its own, removed afterwards.
class FormFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder =
            fs::temp_directory_path() / (std::string("vgui_") + info->test_suite_name() + "_" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        gui.setFont(nullptr);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const fs::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    // The message of the exception loading `text` throws, or "" when it loads.
    std::string LoadError(const std::string& text)
    {
        try
        {
            gui.loadWidgetsFromFile(Write("form.txt", text));
        }
        catch (const Exception& error)
        {
            return error.what();
        }
        return "";
    }

    fs::path folder;
    Gui gui;
};

sf::Event Click(sf::Event::EventType type, int x, int y)
{
    sf::Event event{};
    event.type = type;
    event.mouseButton = {sf::Mouse::Left, x, y};
    return event;
}

} // namespace

TEST_F(FormFiles, LoadsWidgetsWithSharedLooksAndLayouts)
{
    gui.loadWidgetsFromFile(Write("menu.txt", R"(
        // The shared look is declared after its first user.
        Button.Play { Position = ((&.width - width) / 2, 100); Size = (300, 50); Text = "Play"; Renderer = &1; }
        Button.Exit { Position = (Play.left, Play.bottom + 16); Size = (Play.width, 40); Text = Exit; Renderer = &1; }
        Label.Below { Position = (10, Later.bottom); Size = (50%, 10%); Text = a  /* c */  b; }
        Label.Later { Position = (0, 600); Size = (10, 20); }
        Panel.Card {
            Position = (100, 50); Size = (400, 300);
            Renderer { BackgroundColor = #102030; Borders = (2); Padding = (8); }
            TextArea."Player name" { Position = (0, 0); Size = (100%, &.height / 2); Text = "x\ny"; }
            Button.My.Name { Size = (80, 30); }
        }
        Renderer.1 { TextColor = rgba(1, 2, 3, 128); BackgroundColorHover = #abc; Borders = (1, 2); }
    )"));

    auto play = gui.get<Button>("Play");
    auto exit = gui.get<Button>("Exit");
    ASSERT_TRUE(play && exit);
    EXPECT_EQ(play->getPosition(), sf::Vector2f(490.f, 100.f)); // centred in the 1280-wide root
    EXPECT_EQ(exit->getPosition(), sf::Vector2f(490.f, 166.f));
    EXPECT_EQ(exit->getSize(), sf::Vector2f(300.f, 40.f));
    EXPECT_EQ(exit->getText(), "Exit");
    EXPECT_EQ(play->getRenderer()->data, exit->getRenderer()->data) << "one shared renderer";
    EXPECT_EQ(play->getRenderer()->getTextColor(), sf::Color(1, 2, 3, 128));
    EXPECT_EQ(play->getRenderer()->getBackgroundColor(), sf::Color::White) << "unlisted keys are plain";

    auto below = gui.get<Label>("Below");
    ASSERT_TRUE(below);
    EXPECT_EQ(below->getPosition(), sf::Vector2f(10.f, 620.f)) << "a sibling declared later";
    EXPECT_EQ(below->getSize(), sf::Vector2f(640.f, 72.f));
    EXPECT_EQ(below->getText(), "a b");

    auto card = gui.get<Panel>("Card");
    auto area = gui.get<TextArea>("Player name");
    ASSERT_TRUE(card && area);
    EXPECT_EQ(area->getParent(), card.get());
    EXPECT_EQ(area->getSize(), sf::Vector2f(380.f, 140.f)) << "percentages of the inner size";
    EXPECT_EQ(area->getText(), "x\ny");
    EXPECT_EQ(card->getRenderer()->getBackgroundColor(), sf::Color(0x10, 0x20, 0x30));
    EXPECT_TRUE(gui.get<Button>("My.Name"));
    EXPECT_EQ(gui.getWidgets().size(), 5u);
}

TEST_F(FormFiles, ValuesAppliedInTheirOwnOrder)
{
    gui.loadWidgetsFromFile(Write("bars.txt", R"(
        ProgressBar.Health { Value = 150; Maximum = 200; Minimum = 10; }
        ProgressBar.Plain { }
        TextArea.Name { Text = "ab"; Text = "last wins"; MaximumCharacters = 4; ReadOnly = Yes; Visible = off; }
    )"));
    auto health = gui.get<ProgressBar>("Health");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->getValue(), 150u);
    EXPECT_EQ(health->getMinimum(), 10u);
    EXPECT_EQ(gui.get<ProgressBar>("Plain")->getSize(), sf::Vector2f(232.f, 28.f));
    auto name = gui.get<TextArea>("Name");
    EXPECT_EQ(name->getText(), "last");
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_FALSE(name->isVisible());
}

TEST_F(FormFiles, LoadingErrorsNameTheWidgetAndLine)
{
    EXPECT_EQ(
        LoadError("Button.Ok { }\n\nButon.Play {\n}"),
        "Error while loading 'Buton.Play' at line 3: No construct function exists for widget type 'Buton'.");
    EXPECT_NE(LoadError("button.X { }").find("widget type 'button'"), std::string::npos);
    EXPECT_EQ(LoadError("Button.Play {\n  Renderer = 1;\n}")
                  .rfind("Error while loading 'Button.Play' at line 2:", 0),
              0u);
    EXPECT_EQ(LoadError("Renderer.1 { }\nButton.Play { Renderer = &9; }")
                  .rfind("Error while loading 'Button.Play' at line 2:", 0),
              0u);
    EXPECT_NE(LoadError("Label.L {\n Renderer {\n  TextColor = #12345;\n }\n}").find("at line 3:"),
              std::string::npos);
    EXPECT_NE(LoadError("Label.L { Renderer { TextColor = #GG0000; } }").find("'#GG0000'"),
              std::string::npos);
    EXPECT_NE(LoadError("Label.L { Visible = maybe; }").find("'maybe'"), std::string::npos);
    EXPECT_NE(LoadError("Label.L { Renderer { Colour = red; } }").find("Unknown renderer property 'Colour'"),
              std::string::npos);
    EXPECT_NE(LoadError("Label.L { Position = (Nobody.right, 0); }").find("Nobody"), std::string::npos);
    EXPECT_NE(
        LoadError("Label.A { Position = (B.left, 0); }\nLabel.B { Position = (A.left, 0); }").find("itself"),
        std::string::npos);
    EXPECT_NE(LoadError("Button.B { Label.Inner { } }").find("cannot hold child widgets"), std::string::npos);
    EXPECT_NE(
        LoadError("BitmapButton.B {\n Image = \"x.png\";\n}").find("at line 2: Failed to load the image"),
        std::string::npos);
}

TEST_F(FormFiles, MissingEmptyAndBrokenFilesChangeNothing)
{
    gui.loadWidgetsFromFile(Write("good.txt", "Button.Keep { Text = Keep; }"));
    const std::string missing = (folder / "none.txt").string();
    try
    {
        gui.loadWidgetsFromFile(missing);
        FAIL() << "no exception";
    }
    catch (const Exception& error)
    {
        EXPECT_EQ(std::string(error.what()), "Failed to open '" + missing + "' to load the widgets from it.");
    }
    const std::string empty = Write("empty.txt", "");
    EXPECT_THROW(gui.loadWidgetsFromFile(empty), Exception);
    EXPECT_NE(LoadError("Button.A { }\nButton.B { Text = \"x\" \n").find("Unexpected EOF"),
              std::string::npos);
    EXPECT_NE(LoadError("Button.A { }\nButton.B { Renderer = &7; }").find("&7"), std::string::npos);
    ASSERT_EQ(gui.getWidgets().size(), 1u);
    EXPECT_EQ(gui.get<Button>("Keep")->getText(), "Keep");
}

TEST_F(FormFiles, AddingWithoutReplacingKeepsTheOldWidgets)
{
    gui.loadWidgetsFromFile(Write("a.txt", "Button.First { Position = (10, 20); Size = (100, 30); }"));
    gui.loadWidgetsFromFile(Write("b.txt", "Button.Second { Position = (First.right, First.top); }"), false);
    ASSERT_EQ(gui.getWidgets().size(), 2u);
    EXPECT_EQ(gui.get("Second")->getPosition(), sf::Vector2f(110.f, 20.f));
    gui.loadWidgetsFromFile(Write("c.txt", "Label.Only { }"));
    ASSERT_EQ(gui.getWidgets().size(), 1u);
}

TEST_F(FormFiles, HandlerMayLoadAnotherFormOverItsOwnScreen)
{
    const std::string next = Write("next.txt", "Button.Back { Position = (0, 0); Size = (50, 50); }");
    gui.loadWidgetsFromFile(Write("first.txt", "Button.Go { Position = (0, 0); Size = (50, 50); }"));
    int loads = 0;
    gui.get<Button>("Go")->onPress(
        [&]
        {
            gui.removeAllWidgets();
            gui.loadWidgetsFromFile(next);
            ++loads;
        });
    gui.handleEvent(Click(sf::Event::MouseButtonPressed, 10, 10));
    gui.handleEvent(Click(sf::Event::MouseButtonReleased, 10, 10));
    EXPECT_EQ(loads, 1);
    ASSERT_EQ(gui.getWidgets().size(), 1u);
    EXPECT_TRUE(gui.get<Button>("Back"));
    // The new button starts unpressed: the old press must not carry over.
    gui.handleEvent(Click(sf::Event::MouseButtonReleased, 10, 10));
    EXPECT_EQ(loads, 1);
}

// The game finds its widgets by these names and types; every screen must provide them.
TEST_F(FormFiles, TheGameScreensHoldTheirNamedWidgets)
{
    const std::string assets = std::string(VARNHOLD_SOURCE_DIR) + "/assets/";
    struct Screen
    {
        const char* file;
        std::vector<const char*> buttons;
        std::vector<const char*> bitmapButtons;
        std::vector<const char*> textAreas;
    };
    const Screen screens[] = {
        {"mainMenu.txt",
         {"PlayGameButton", "HighscoreButton", "ControlsButton", "CreditsButton", "ExitGameButton"},
         {},
         {"Name"}},
        {"highscore.txt", {"ReturnButton"}, {}, {"NameText", "WaveText", "ScoreText"}},
        {"controls.txt", {"ReturnButton"}, {}, {}},
        {"credits.txt", {"ReturnButton"}, {}, {}},
        {"hud.txt",
         {},
         {"BulletTowerButton", "RocketTowerSmallButton", "RocketTowerBigButton", "RepairButton"},
         {"MoneyText", "ScoreText", "WaveText", "MoneyAddText", "ScoreAddText"}},
        {"loseScreen.txt",
         {"ReturnButton"},
         {},
         {"LoseText", "MoneyText", "ScoreText", "OldHighscoreText", "OldHighscoreNameText",
          "OldHighscoreWaveText", "OldHighscoreScoreText", "AreaBig", "AreaSmall"}},
    };
    for (const auto& screen : screens)
    {
        SCOPED_TRACE(screen.file);
        ASSERT_NO_THROW(gui.loadWidgetsFromFile(assets + screen.file));
        for (const char* name : screen.buttons)
            EXPECT_TRUE(gui.get<Button>(name)) << name;
        for (const char* name : screen.bitmapButtons)
            EXPECT_TRUE(gui.get<BitmapButton>(name)) << name;
        for (const char* name : screen.textAreas)
            EXPECT_TRUE(gui.get<TextArea>(name)) << name;

        // Names are unique within a screen.
        std::multiset<std::string> names;
        std::vector<const Container*> open{&gui};
        while (!open.empty())
        {
            const Container* container = open.back();
            open.pop_back();
            for (const auto& widget : container->getWidgets())
            {
                if (!widget->getName().empty())
                    names.insert(widget->getName());
                if (auto inner = std::dynamic_pointer_cast<Container>(widget))
                    open.push_back(inner.get());
            }
        }
        for (const auto& name : names)
            EXPECT_EQ(names.count(name), 1u) << name;
    }
}

TEST_F(FormFiles, NameFieldLimitsItsLength)
{
    gui.loadWidgetsFromFile(std::string(VARNHOLD_SOURCE_DIR) + "/assets/mainMenu.txt");
    auto name = gui.get<TextArea>("Name");
    ASSERT_TRUE(name);
    name->setText(std::string(40, 'x'));
    EXPECT_EQ(name->getText().size(), 24u);
    EXPECT_FALSE(name->isReadOnly());
}
