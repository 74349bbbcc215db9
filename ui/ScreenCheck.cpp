#include "ui/ScreenCheck.hpp"

#include "widgets/Widgets.hpp"

#include <iostream>

namespace
{
const char* TypeName(WidgetType type)
{
    switch (type)
    {
    case WidgetType::Button:
        return "Button";
    case WidgetType::BitmapButton:
        return "BitmapButton";
    case WidgetType::TextArea:
        return "TextArea";
    case WidgetType::ProgressBar:
        return "ProgressBar";
    case WidgetType::Any:
        break;
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

bool HasType(const vgui::Widget& widget, WidgetType type)
{
    switch (type)
    {
    case WidgetType::Button:
        return dynamic_cast<const vgui::Button*>(&widget) != nullptr;
    case WidgetType::BitmapButton:
        return dynamic_cast<const vgui::BitmapButton*>(&widget) != nullptr;
    case WidgetType::TextArea:
        return dynamic_cast<const vgui::TextArea*>(&widget) != nullptr;
    case WidgetType::ProgressBar:
        return dynamic_cast<const vgui::ProgressBar*>(&widget) != nullptr;
    case WidgetType::Any:
        break;
    }
    return true;
}

} // namespace

bool CheckScreen(vgui::Gui& gui, const std::string& formFile, const std::vector<WidgetName>& names,
                 const std::string& loadError, const std::vector<ScreenAction>& waysOn,
                 const std::string& account)
{
    std::string missing;
    if (loadError.empty())
    {
        for (const WidgetName& expected : names)
        {
            if (expected.need == Need::Optional)
                continue;
            const bool leadsOn = expected.need == Need::WayOn;
            const auto widget = gui.get(expected.name);
            if (widget && HasType(*widget, expected.type))
                continue;
            if (widget)
                std::cerr << formFile << ": \"" << expected.name << "\" is a " << TypeOf(*widget)
                          << ", not a " << TypeName(expected.type) << "; the game cannot use it" << std::endl;
            else if (leadsOn)
                std::cerr << formFile << ": there is no " << TypeName(expected.type) << " named \""
                          << expected.name << "\"" << std::endl;
            if (leadsOn && missing.empty())
                missing = std::string("this screen has no usable ") + TypeName(expected.type) + " named \"" +
                          expected.name + "\". These buttons lead on instead.";
        }
        if (missing.empty())
            return true;
    }
    if (waysOn.empty())
        return false;
    if (!loadError.empty())
        ShowFallbackScreen(
            gui, "This screen cannot be shown",
            "The screen's file \"" + formFile + "\" could not be loaded:\n" + loadError + account, waysOn);
    else
        AddWayOnBar(gui, "\"" + formFile + "\": " + missing, waysOn);
    return false;
}

void ShowFallbackScreen(vgui::Gui& gui, const std::string& title, const std::string& message,
                        const std::vector<ScreenAction>& actions)
{
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

void AddWayOnBar(vgui::Gui& gui, const std::string& message, const std::vector<ScreenAction>& actions)
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
    gui.add(bar, "FallbackBar");
}
