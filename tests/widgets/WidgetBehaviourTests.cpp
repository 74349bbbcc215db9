#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace vgui;

namespace
{

sf::Event Mouse(sf::Event::EventType type, int x, int y, sf::Mouse::Button button = sf::Mouse::Left)
{
    sf::Event event{};
    event.type = type;
    if (type == sf::Event::MouseMoved)
        event.mouseMove = {x, y};
    else
        event.mouseButton = {button, x, y};
    return event;
}

sf::Event Press(int x, int y, sf::Mouse::Button b = sf::Mouse::Left)
{
    return Mouse(sf::Event::MouseButtonPressed, x, y, b);
}
sf::Event Release(int x, int y, sf::Mouse::Button b = sf::Mouse::Left)
{
    return Mouse(sf::Event::MouseButtonReleased, x, y, b);
}
sf::Event Move(int x, int y)
{
    return Mouse(sf::Event::MouseMoved, x, y);
}

sf::Event Key(sf::Keyboard::Key code, bool shift = false, bool control = false)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    event.key.shift = shift;
    event.key.control = control;
    return event;
}

sf::Event Text(sf::Uint32 codePoint)
{
    sf::Event event{};
    event.type = sf::Event::TextEntered;
    event.text.unicode = codePoint;
    return event;
}

// A Gui without a window or font: layout and editing count characters, nothing is drawn.
class GuiTest : public ::testing::Test
{
protected:
    void SetUp() override { gui.setFont(nullptr); }

    TextArea::Ptr AddArea(const std::string& name = "Area")
    {
        auto area = TextArea::create();
        area->setPosition(10.f, 10.f);
        area->setSize(300.f, 100.f);
        gui.add(area, name);
        return area;
    }

    void Click(int x, int y)
    {
        gui.handleEvent(Press(x, y));
        gui.handleEvent(Release(x, y));
    }

    void Type(const std::string& ascii)
    {
        for (char c : ascii)
            gui.handleEvent(Text(static_cast<sf::Uint32>(c)));
    }

    Gui gui;
};

} // namespace

// ---- Buttons

class ButtonTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        button = Button::create("Play");
        button->setPosition(100.f, 100.f);
        button->setSize(200.f, 50.f);
        gui.add(button, "Play");
        button->onPress([this] { ++presses; });
    }
    Button::Ptr button;
    int presses = 0;
};

TEST_F(ButtonTest, PressAndReleaseOverItFiresOnce)
{
    EXPECT_TRUE(gui.handleEvent(Press(150, 120)));
    EXPECT_EQ(presses, 0);
    EXPECT_TRUE(gui.handleEvent(Release(150, 120)));
    EXPECT_EQ(presses, 1);
    gui.handleEvent(Release(150, 120)); // a second release without a press
    EXPECT_EQ(presses, 1);
}

TEST_F(ButtonTest, LeavingBeforeTheReleaseCancelsButComingBackCounts)
{
    gui.handleEvent(Press(150, 120));
    gui.handleEvent(Move(10, 10));
    gui.handleEvent(Release(10, 10));
    EXPECT_EQ(presses, 0);

    gui.handleEvent(Press(150, 120));
    gui.handleEvent(Move(10, 10));
    gui.handleEvent(Move(160, 130));
    gui.handleEvent(Release(160, 130));
    EXPECT_EQ(presses, 1);
}

TEST_F(ButtonTest, PressElsewhereRightButtonDisabledOrHiddenNeverFire)
{
    gui.handleEvent(Press(10, 10));
    gui.handleEvent(Release(150, 120));
    gui.handleEvent(Press(150, 120, sf::Mouse::Right));
    gui.handleEvent(Release(150, 120, sf::Mouse::Right));
    EXPECT_EQ(presses, 0);

    button->setEnabled(false);
    Click(150, 120);
    EXPECT_EQ(presses, 0);
    button->setEnabled(true);

    gui.handleEvent(Press(150, 120));
    button->setVisible(false); // hidden between press and release
    button->setVisible(true);
    gui.handleEvent(Release(150, 120));
    EXPECT_EQ(presses, 0);

    button->setVisible(false);
    EXPECT_FALSE(gui.handleEvent(Press(150, 120)));
    gui.handleEvent(Release(150, 120));
    EXPECT_EQ(presses, 0);
}

TEST_F(ButtonTest, LaterWidgetsAreOnTopAndGroupsLetClicksThrough)
{
    auto group = Group::create({1280.f, 720.f});
    gui.add(group);
    Click(150, 120);
    EXPECT_EQ(presses, 1) << "an empty part of a group must not swallow the click";

    auto panel = Panel::create({400.f, 400.f});
    gui.add(panel);
    EXPECT_TRUE(gui.handleEvent(Press(150, 120)));
    gui.handleEvent(Release(150, 120));
    EXPECT_EQ(presses, 1) << "a panel on top catches every click inside it";
}

TEST_F(ButtonTest, DisconnectedHandlersStopAndEveryHandlerRunsOnce)
{
    int second = 0;
    const unsigned id = button->onPress.connect([&] { ++second; });
    Click(150, 120);
    EXPECT_TRUE(button->onPress.disconnect(id));
    EXPECT_FALSE(button->onPress.disconnect(id));
    Click(150, 120);
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(second, 1);
}

// ---- Handlers that tear down their own screen (run these under AddressSanitizer)

TEST_F(ButtonTest, HandlerMayRemoveItsOwnButton)
{
    Button* raw = button.get();
    button->onPress(
        [this, raw]
        {
            for (const auto& w : gui.getWidgets())
            {
                if (w.get() == raw)
                {
                    gui.remove(w);
                    break;
                }
            }
        });
    int after = 0;
    button->onPress([&] { ++after; }); // the copied list still runs the later handler
    button.reset();                    // the Gui holds the only reference now
    Click(150, 120);
    EXPECT_EQ(presses, 1);
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(gui.getWidgets().empty());
    Click(150, 120);
    EXPECT_EQ(presses, 1);
}

TEST_F(ButtonTest, HandlerMayRemoveAllWidgetsAndAddNewOnes)
{
    button->onPress(
        [this]
        {
            gui.removeAllWidgets();
            auto next = Button::create("Next");
            next->setPosition(100.f, 100.f);
            next->setSize(200.f, 50.f);
            gui.add(next, "Next");
        });
    button.reset();
    Click(150, 120);
    EXPECT_EQ(presses, 1);
    ASSERT_EQ(gui.getWidgets().size(), 1u);
    EXPECT_EQ(gui.getWidgets()[0]->getName(), "Next");
    EXPECT_FALSE(gui.get("Play"));
}

// ---- Focus and keys

TEST_F(GuiTest, KeysGoOnlyToTheFocusedTextArea)
{
    auto first = AddArea("First");
    auto second = TextArea::create();
    second->setPosition(10.f, 200.f);
    second->setSize(300.f, 100.f);
    gui.add(second, "Second");

    EXPECT_FALSE(gui.handleEvent(Text('x'))) << "nothing is focused yet";
    Click(50, 50);
    Type("ab");
    Click(50, 250);
    Type("c");
    EXPECT_EQ(first->getText(), "ab");
    EXPECT_EQ(second->getText(), "c");

    Click(900, 600); // empty space clears focus
    EXPECT_FALSE(gui.handleEvent(Text('d')));
    EXPECT_EQ(second->getText(), "c");

    Click(50, 250);
    second->setVisible(false);
    second->setVisible(true);
    Type("e");
    EXPECT_EQ(second->getText(), "c") << "hiding drops focus";
}

TEST_F(GuiTest, ControlCharactersAreDroppedAndEnterInsertsOneLineBreak)
{
    auto area = AddArea();
    Click(50, 50);
    Type("a");
    gui.handleEvent(Text(13)); // SFML sends both a text event and a key event for Enter
    gui.handleEvent(Key(sf::Keyboard::Enter));
    gui.handleEvent(Text(8));
    gui.handleEvent(Text(127));
    gui.handleEvent(Text(9));
    Type("b");
    EXPECT_EQ(area->getText(), "a\nb");
}

TEST_F(GuiTest, TextAreaEditingWithCaretAndSelection)
{
    auto area = AddArea();
    Click(50, 50);
    area->setText("hello world");
    EXPECT_EQ(area->getCaretPosition(), 11u);
    gui.handleEvent(Key(sf::Keyboard::Home));
    EXPECT_EQ(area->getCaretPosition(), 0u);
    gui.handleEvent(Key(sf::Keyboard::Delete));
    EXPECT_EQ(area->getText(), "ello world");
    gui.handleEvent(Key(sf::Keyboard::End));
    gui.handleEvent(Key(sf::Keyboard::BackSpace));
    EXPECT_EQ(area->getText(), "ello worl");

    // Shift+Left twice selects "rl"; typing replaces the selection.
    gui.handleEvent(Key(sf::Keyboard::Left, true));
    gui.handleEvent(Key(sf::Keyboard::Left, true));
    Type("X");
    EXPECT_EQ(area->getText(), "ello woX");

    gui.handleEvent(Key(sf::Keyboard::A, false, true));
    gui.handleEvent(Key(sf::Keyboard::BackSpace));
    EXPECT_EQ(area->getText(), "");
    gui.handleEvent(Key(sf::Keyboard::BackSpace)); // nothing left to remove
    EXPECT_EQ(area->getCaretPosition(), 0u);
}

TEST_F(GuiTest, UpAndDownKeepTheColumn)
{
    auto area = AddArea();
    Click(50, 50);
    area->setText("abcdef\nxy\n12345");
    gui.handleEvent(Key(sf::Keyboard::Up)); // line 3 col 5 -> line 2 end
    EXPECT_EQ(area->getCaretPosition(), 9u);
    gui.handleEvent(Key(sf::Keyboard::Up)); // line 1 col 2
    EXPECT_EQ(area->getCaretPosition(), 2u);
    gui.handleEvent(Key(sf::Keyboard::Up)); // first line: to the very start
    EXPECT_EQ(area->getCaretPosition(), 0u);
    gui.handleEvent(Key(sf::Keyboard::Down, true));
    gui.handleEvent(Key(sf::Keyboard::Down, true));
    Type("Z"); // replaces "abcdef\nxy\n"
    EXPECT_EQ(area->getText(), "Z12345");
}

TEST_F(GuiTest, MaximumCharactersAndReadOnly)
{
    auto area = AddArea();
    area->setMaximumCharacters(3);
    Click(50, 50);
    Type("abcd");
    gui.handleEvent(Key(sf::Keyboard::Enter));
    EXPECT_EQ(area->getText(), "abc");
    area->setText("wxyz");
    EXPECT_EQ(area->getText(), "wxy") << "a limit also holds for setText";
    area->setMaximumCharacters(0);

    area->setReadOnly(true);
    area->setText("fixed");
    Type("!");
    gui.handleEvent(Key(sf::Keyboard::BackSpace));
    gui.handleEvent(Key(sf::Keyboard::Delete));
    gui.handleEvent(Key(sf::Keyboard::Enter));
    EXPECT_EQ(area->getText(), "fixed");
    gui.handleEvent(Key(sf::Keyboard::Left));
    EXPECT_EQ(area->getCaretPosition(), 4u) << "the caret still moves in a read-only area";
}

TEST_F(GuiTest, TextAreaSpeaksUtf8)
{
    auto area = AddArea();
    const std::string name = "Åsa \xE2\x9C\x93 \xF0\x9F\x8F\xB0"; // Å, check mark, castle emoji
    Click(50, 50);
    area->setText(name);
    EXPECT_EQ(area->getText(), name);
    EXPECT_EQ(area->getCaretPosition(), 7u) << "the caret counts characters, not bytes";
    gui.handleEvent(Key(sf::Keyboard::BackSpace));
    gui.handleEvent(Text(0x00E9)); // é
    EXPECT_EQ(area->getText(), "Åsa \xE2\x9C\x93 \xC3\xA9");
}

// ---- ProgressBar, lookup, renderers

TEST(ProgressBar, DefaultsAndClamping)
{
    auto bar = ProgressBar::create();
    EXPECT_EQ(bar->getSize(), sf::Vector2f(232.f, 28.f));
    EXPECT_EQ(bar->getMinimum(), 0u);
    EXPECT_EQ(bar->getMaximum(), 100u);
    bar->setValue(150);
    EXPECT_EQ(bar->getValue(), 100u);
    bar->setMinimum(20);
    bar->setValue(5);
    EXPECT_EQ(bar->getValue(), 20u);
    bar->setMaximum(10); // below the minimum: both meet
    EXPECT_EQ(bar->getMinimum(), 10u);
    EXPECT_EQ(bar->getValue(), 10u);
}

TEST_F(GuiTest, LookupByNameAndType)
{
    auto panel = Panel::create();
    gui.add(panel, "Card");
    auto nested = BitmapButton::create("50");
    panel->add(nested, "Tower");
    auto area = AddArea("Tower"); // a direct child with the same name wins
    EXPECT_EQ(gui.get("Tower"), area);
    EXPECT_EQ(panel->get<BitmapButton>("Tower"), nested);
    EXPECT_TRUE(panel->get<Button>("Tower")) << "a BitmapButton is also a Button";
    EXPECT_FALSE(gui.get<Button>("Tower")) << "wrong type gives an empty handle";
    EXPECT_FALSE(gui.get("tower"));
    EXPECT_FALSE(gui.get("Missing"));
    EXPECT_EQ(nested->getParent(), panel.get());
}

TEST(Renderer, SharedDataChangesTogetherAndOwnDataDoesNot)
{
    auto a = TextArea::create();
    auto b = TextArea::create();
    auto c = TextArea::create();
    b->setRenderer(a->getRenderer()->data);
    a->getRenderer()->setTextColor(sf::Color::Red);
    EXPECT_EQ(b->getRenderer()->getTextColor(), sf::Color::Red);
    EXPECT_NE(c->getRenderer()->getTextColor(), sf::Color::Red);
}
