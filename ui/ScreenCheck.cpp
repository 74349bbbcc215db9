#include "ui/ScreenCheck.hpp"

#include "gameplay/GameplayManager.hpp"
#include "gameplay/MapChecker.hpp"
#include "services/AssetsLocation.hpp"
#include "services/GameStateManager.hpp"
#include "widgets/Widgets.hpp"

#include <iostream>

namespace
{
enum class Type
{
    Button,
    BitmapButton,
    TextArea,
};

struct Expected
{
    const char* name;
    Type type;
    bool leadsOn; // without it the player could not leave the screen
};

const std::vector<Expected>& ExpectedOn(ScreenKind kind)
{
    static const std::vector<Expected> mainMenu = {
        {"PlayGameButton", Type::Button, true},   {"ExitGameButton", Type::Button, false},
        {"HighscoreButton", Type::Button, false}, {"ControlsButton", Type::Button, false},
        {"CreditsButton", Type::Button, false},   {"Name", Type::TextArea, false},
    };
    static const std::vector<Expected> highscore = {
        {"ReturnButton", Type::Button, true},
        {"NameText", Type::TextArea, false},
        {"WaveText", Type::TextArea, false},
        {"ScoreText", Type::TextArea, false},
    };
    static const std::vector<Expected> returnOnly = {{"ReturnButton", Type::Button, true}};
    static const std::vector<Expected> hud = {
        {"BulletTowerButton", Type::BitmapButton, false},
        {"RocketTowerSmallButton", Type::BitmapButton, false},
        {"RocketTowerBigButton", Type::BitmapButton, false},
        {"RepairButton", Type::BitmapButton, false},
        {"MoneyText", Type::TextArea, false},
        {"ScoreText", Type::TextArea, false},
        {"WaveText", Type::TextArea, false},
        {"MoneyAddText", Type::TextArea, false},
        {"ScoreAddText", Type::TextArea, false},
    };
    static const std::vector<Expected> lose = {
        {"ReturnButton", Type::Button, true},
        {"LoseText", Type::TextArea, false},
        {"MoneyText", Type::TextArea, false},
        {"ScoreText", Type::TextArea, false},
        {"OldHighscoreText", Type::TextArea, false},
        {"OldHighscoreNameText", Type::TextArea, false},
        {"OldHighscoreWaveText", Type::TextArea, false},
        {"OldHighscoreScoreText", Type::TextArea, false},
        {"AreaBig", Type::TextArea, false},
        {"AreaSmall", Type::TextArea, false},
    };
    static const std::vector<Expected> none;
    switch (kind)
    {
    case MainMenuScreen:
        return mainMenu;
    case HighscoreScreen:
        return highscore;
    case CreditsScreen:
    case ControlsScreen:
        return returnOnly;
    case HudScreen:
        return hud;
    case LoseScreen:
        return lose;
    }
    return none;
}

const char* TypeName(Type type)
{
    switch (type)
    {
    case Type::Button:
        return "Button";
    case Type::BitmapButton:
        return "BitmapButton";
    case Type::TextArea:
        return "TextArea";
    }
    return "widget";
}

std::string TypeOf(const vgui::Widget& widget)
{
    if (dynamic_cast<const vgui::BitmapButton*>(&widget))
        return "BitmapButton";
    if (dynamic_cast<const vgui::Button*>(&widget))
        return "Button";
    if (dynamic_cast<const vgui::TextArea*>(&widget))
        return "TextArea";
    if (dynamic_cast<const vgui::Label*>(&widget))
        return "Label";
    if (dynamic_cast<const vgui::Picture*>(&widget))
        return "Picture";
    if (dynamic_cast<const vgui::ProgressBar*>(&widget))
        return "ProgressBar";
    if (dynamic_cast<const vgui::Panel*>(&widget))
        return "Panel";
    if (dynamic_cast<const vgui::Group*>(&widget))
        return "Group";
    return "widget";
}

bool HasType(const vgui::Widget& widget, Type type)
{
    switch (type)
    {
    case Type::Button:
        return dynamic_cast<const vgui::Button*>(&widget) != nullptr;
    case Type::BitmapButton:
        return dynamic_cast<const vgui::BitmapButton*>(&widget) != nullptr;
    case Type::TextArea:
        return dynamic_cast<const vgui::TextArea*>(&widget) != nullptr;
    }
    return false;
}

std::vector<ScreenAction> WaysOn(UIManager& ui, ScreenKind kind)
{
    UIManager* const manager = &ui;
    const ScreenAction backToMenu = {"Back to the menu", [manager]
                                     {
                                         manager->gui->removeAllWidgets();
                                         manager->LoadScreen(AssetPath("mainMenu.txt"), MainMenuScreen);
                                     }};
    const ScreenAction exitGame = {"Exit the game", [manager]
                                   {
                                       if (const auto window = manager->window)
                                           window->close();
                                   }};
    switch (kind)
    {
    case MainMenuScreen:
        return {{"Play",
                 [manager]
                 {
                     // A form that loaded may still hold the name field.
                     manager->ReadPlayerName();
                     GameStateManager::instance().ChangeState("GamePlay");
                 }},
                exitGame};
    case LoseScreen:
        return {{"Back to the menu",
                 [manager]
                 {
                     manager->gui->removeAllWidgets();
                     GameStateManager::instance().ChangeState("MainMenu");
                 }},
                exitGame};
    case HudScreen:
        return {};
    default:
        return {backToMenu, exitGame};
    }
}
} // namespace

bool CheckScreen(UIManager& ui, const std::string& formFile, ScreenKind kind, const std::string& loadError)
{
    std::string missing;
    if (loadError.empty())
    {
        for (const Expected& expected : ExpectedOn(kind))
        {
            const auto widget = ui.gui->get(expected.name);
            if (widget && HasType(*widget, expected.type))
                continue;
            if (widget)
                std::cerr << formFile << ": \"" << expected.name << "\" is a " << TypeOf(*widget)
                          << ", not a " << TypeName(expected.type) << "; the game cannot use it" << std::endl;
            else if (expected.leadsOn)
                std::cerr << formFile << ": there is no " << TypeName(expected.type) << " named \""
                          << expected.name << "\"" << std::endl;
            if (expected.leadsOn && missing.empty())
                missing = std::string("this screen has no usable ") + TypeName(expected.type) + " named \"" +
                          expected.name + "\". These buttons lead on instead.";
        }
        if (missing.empty())
            return true;
    }
    const std::vector<ScreenAction> actions = WaysOn(ui, kind);
    if (actions.empty())
        return false;
    std::string result;
    if (kind == LoseScreen)
        result = "\n\nYour base fell in wave " + std::to_string(ui.wave) + " with a score of " +
                 std::to_string(ui.score) + ".";
    if (!loadError.empty())
        ShowFallbackScreen(
            ui, "This screen cannot be shown",
            "The screen's file \"" + formFile + "\" could not be loaded:\n" + loadError + result, actions);
    else
        AddWayOnBar(ui, "\"" + formFile + "\": " + missing, actions);
    return false;
}

void ShowFallbackScreen(UIManager& ui, const std::string& title, const std::string& message,
                        const std::vector<ScreenAction>& actions)
{
    vgui::Gui& gui = *ui.gui;
    gui.removeAllWidgets();
    const sf::Color ink(242, 232, 213), gold(200, 162, 74);

    auto backdrop = vgui::Panel::create({1280.f, 720.f});
    backdrop->getRenderer()->setBackgroundColor(sf::Color(21, 27, 37));
    backdrop->getRenderer()->setBorderColor(sf::Color(21, 27, 37));
    gui.add(backdrop, "FallbackBackdrop");

    auto heading = vgui::Label::create(title);
    heading->setPosition(140.f, 90.f);
    heading->setSize(1000.f, 60.f);
    heading->setTextSize(36);
    heading->getRenderer()->setTextColor(gold);
    heading->getRenderer()->setBackgroundColor(sf::Color::Transparent);
    heading->getRenderer()->setBorderColor(sf::Color::Transparent);
    gui.add(heading, "FallbackTitle");

    auto text = vgui::TextArea::create();
    text->setPosition(140.f, 180.f);
    text->setSize(1000.f, 320.f);
    text->setTextSize(20);
    text->setText(message);
    text->setReadOnly(true);
    text->getRenderer()->setTextColor(ink);
    text->getRenderer()->setBackgroundColor(sf::Color(30, 40, 56));
    text->getRenderer()->setBorderColor(gold);
    gui.add(text, "FallbackMessage");

    const float width = 300.f, gap = 40.f;
    const float total =
        static_cast<float>(actions.size()) * width + static_cast<float>(actions.size() - 1) * gap;
    float x = (1280.f - total) / 2.f;
    for (const auto& [label, action] : actions)
    {
        auto button = vgui::Button::create(label);
        button->setPosition(x, 560.f);
        button->setSize(width, 56.f);
        button->setTextSize(24);
        button->onPress(action);
        gui.add(button, "Fallback" + label);
        x += width + gap;
    }
}

void AddWayOnBar(UIManager& ui, const std::string& message, const std::vector<ScreenAction>& actions)
{
    const sf::Color ink(242, 232, 213), gold(200, 162, 74);
    auto bar = vgui::Panel::create({1280.f, 112.f});
    bar->setPosition(0.f, 608.f);
    bar->getRenderer()->setBackgroundColor(sf::Color(21, 27, 37));
    bar->getRenderer()->setBorderColor(gold);

    auto text = vgui::TextArea::create();
    text->setPosition(16.f, 12.f);
    text->setSize(1280.f - 32.f - static_cast<float>(actions.size()) * 236.f, 88.f);
    text->setTextSize(18);
    text->setText(message);
    text->setReadOnly(true);
    text->getRenderer()->setTextColor(ink);
    text->getRenderer()->setBackgroundColor(sf::Color(30, 40, 56));
    text->getRenderer()->setBorderColor(sf::Color(30, 40, 56));
    bar->add(text, "FallbackMessage");

    float x = 1280.f - 16.f - static_cast<float>(actions.size()) * 236.f + 16.f;
    for (const auto& [label, action] : actions)
    {
        auto button = vgui::Button::create(label);
        button->setPosition(x, 28.f);
        button->setSize(220.f, 56.f);
        button->setTextSize(22);
        button->onPress(action);
        bar->add(button, "Fallback" + label);
        x += 236.f;
    }
    // Last, so that it is drawn over the form and gets the mouse first.
    ui.gui->add(bar, "FallbackBar");
}

void ShowUnplayableLevel(UIManager& ui, const LevelPlan& plan)
{
    GameplayManager::instance().running = false;
    std::string message = plan.parsed ? "This level could not make a game that ends:\n"
                                      : "The level's map could not be read:\n";
    for (const auto& line : plan.refusals)
        message += line + "\n";
    if (plan.findings.size() > plan.refusals.size())
        message += "(and " + std::to_string(plan.findings.size() - plan.refusals.size()) +
                   " more findings on the console)\n";
    UIManager* const manager = &ui;
    ShowFallbackScreen(ui, "This level cannot be played", message,
                       {{"Back to the menu",
                         []
                         {
                             GameStateManager::instance().ChangeState("MainMenu");
                         }},
                        {"Exit the game", [manager]
                         {
                             if (const auto window = manager->window)
                                 window->close();
                         }}});
}
