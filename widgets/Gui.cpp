#include "widgets/WidgetState.hpp"
#include "widgets/Widgets.hpp"

namespace vgui
{

namespace
{

using State = WidgetAccess::State;

bool IsButton(const State& s)
{
    return s.kind == Kind::Button || s.kind == Kind::BitmapButton;
}
bool IsContainer(const State& s)
{
    return s.kind == Kind::Panel || s.kind == Kind::Group || s.kind == Kind::Gui;
}

// The topmost widget under `point` (in the container's child coordinates) and the point in its
// own local pixels. Later children are on top; a Group lets clicks through where it has no child.
Widget::Ptr WidgetAt(const State& container, sf::Vector2f point, sf::Vector2f& local)
{
    for (auto it = container.children.rbegin(); it != container.children.rend(); ++it)
    {
        const Widget::Ptr& child = *it;
        const State& cs = WidgetAccess::of(*child);
        if (!cs.visible || cs.scale.x == 0.f || cs.scale.y == 0.f)
            continue;
        const sf::Vector2f own((point.x - cs.position.x) / cs.scale.x,
                               (point.y - cs.position.y) / cs.scale.y);
        if (own.x < 0.f || own.y < 0.f || own.x >= cs.size.x || own.y >= cs.size.y)
            continue;
        if (IsContainer(cs))
        {
            const sf::FloatRect inner = innerRect(cs);
            if (auto hit = WidgetAt(cs, {own.x - inner.left, own.y - inner.top}, local))
                return hit;
            if (cs.kind == Kind::Panel && !cs.ignoreMouse)
            {
                local = own;
                return child;
            }
            continue;
        }
        if (cs.ignoreMouse)
            continue;
        local = own;
        return child;
    }
    return nullptr;
}

void SetHover(State& gui, const Widget::Ptr& widget)
{
    auto old = gui.hoverWidget.lock();
    if (old == widget)
        return;
    if (old)
        WidgetAccess::of(*old).hover = false;
    if (widget)
        WidgetAccess::of(*widget).hover = true;
    gui.hoverWidget = widget;
}

void SetFocus(State& gui, const Widget::Ptr& widget)
{
    auto old = gui.focusWidget.lock();
    if (old && old != widget)
        WidgetAccess::of(*old).focused = false;
    if (widget)
        WidgetAccess::of(*widget).focused = true;
    gui.focusWidget = widget;
}

} // namespace

Gui::Gui()
{
    state->kind = Kind::Gui;
    // Forms are laid out for the game's window until a target says otherwise.
    state->size = {1280.f, 720.f};
    state->autoSize = false;
}

Gui::Gui(sf::RenderWindow& window) : Gui()
{
    setTarget(window);
}

void Gui::setTarget(sf::RenderWindow& window)
{
    state->target = &window;
    if (!state->hasView)
        state->size = sf::Vector2f(window.getSize());
}

void Gui::setView(const sf::View& view)
{
    state->view = view;
    state->hasView = true;
    state->size = view.getSize();
}

void Gui::ignoreClicksFor(sf::Time time)
{
    state->clickGuard = time;
    state->clickGuardClock.restart();
}

Widget::Ptr Gui::widgetAt(sf::Vector2i pixel)
{
    State& gui = *state;
    const sf::Vector2f point = gui.hasView && gui.target != nullptr
                                   ? gui.target->mapPixelToCoords(pixel, gui.view)
                                   : sf::Vector2f(static_cast<float>(pixel.x), static_cast<float>(pixel.y));
    sf::Vector2f local;
    return WidgetAt(gui, point, local);
}

void Gui::focus(const Widget::Ptr& widget)
{
    SetFocus(*state, widget);
}

void Gui::setFont(std::shared_ptr<const sf::Font> font)
{
    registerFont(font);
    state->font = std::move(font);
}

bool Gui::handleEvent(const sf::Event& event)
{
    State& gui = *state;
    sf::Vector2f local;
    // Window pixels to widget coordinates.
    const auto toWidgets = [&gui](int x, int y)
    {
        if (gui.hasView && gui.target != nullptr)
            return gui.target->mapPixelToCoords({x, y}, gui.view);
        return sf::Vector2f(static_cast<float>(x), static_cast<float>(y));
    };
    switch (event.type)
    {
    case sf::Event::MouseMoved:
    {
        const sf::Vector2f point = toWidgets(event.mouseMove.x, event.mouseMove.y);
        const auto hit = WidgetAt(gui, point, local);
        SetHover(gui, hit);
        return hit != nullptr;
    }
    case sf::Event::MouseButtonPressed:
    {
        if (gui.clickGuardClock.getElapsedTime() < gui.clickGuard)
            return true;
        const sf::Vector2f point = toWidgets(event.mouseButton.x, event.mouseButton.y);
        const auto hit = WidgetAt(gui, point, local);
        SetHover(gui, hit);
        if (hit && !WidgetAccess::isEffectivelyEnabled(*hit))
        {
            SetFocus(gui, nullptr);
            return true;
        }
        SetFocus(gui, hit);
        if (hit && event.mouseButton.button == sf::Mouse::Left)
        {
            State& hs = WidgetAccess::of(*hit);
            if (IsButton(hs))
            {
                hs.down = true;
                gui.pressedWidget = hit;
            }
            else if (hs.kind == Kind::TextArea)
                textAreaClick(*hit, local, false);
        }
        return hit != nullptr;
    }
    case sf::Event::MouseButtonReleased:
    {
        const sf::Vector2f point = toWidgets(event.mouseButton.x, event.mouseButton.y);
        const auto hit = WidgetAt(gui, point, local);
        SetHover(gui, hit);
        if (event.mouseButton.button != sf::Mouse::Left)
            return hit != nullptr;
        const Widget::Ptr pressed = gui.pressedWidget.lock();
        gui.pressedWidget.reset();
        if (!pressed)
            return hit != nullptr;
        State& ps = WidgetAccess::of(*pressed);
        const bool wasDown = ps.down;
        ps.down = false;
        if (pressed != hit || !wasDown || !WidgetAccess::isShown(*pressed) ||
            !WidgetAccess::isEffectivelyEnabled(*pressed))
            return hit != nullptr;
        // The handler may remove this button or replace the whole screen: `button` keeps the
        // widget (and so its signal) alive until we return, and nothing is touched after it.
        const auto button = std::static_pointer_cast<Button>(pressed);
        button->onPress.emit();
        return true;
    }
    case sf::Event::MouseLeft:
        SetHover(gui, nullptr);
        return false;
    case sf::Event::KeyPressed:
    case sf::Event::TextEntered:
    {
        const auto focus = gui.focusWidget.lock();
        if (!focus || !WidgetAccess::of(*focus).focused || !WidgetAccess::isShown(*focus) ||
            !WidgetAccess::isEffectivelyEnabled(*focus) || WidgetAccess::rootOf(*focus) != this)
            return false;
        if (WidgetAccess::of(*focus).kind != Kind::TextArea)
            return false;
        if (event.type == sf::Event::KeyPressed)
            return textAreaKey(*focus, event.key);
        return textAreaText(*focus, event.text.unicode);
    }
    default:
        return false;
    }
}

void Gui::draw()
{
    if (state->target == nullptr)
        return;
    sf::RenderWindow& window = *state->target;
    const sf::View previous = window.getView();
    if (state->hasView)
    {
        state->size = state->view.getSize();
        window.setView(state->view);
    }
    else
    {
        state->size = sf::Vector2f(window.getSize());
        window.setView(sf::View(sf::FloatRect(0.f, 0.f, state->size.x, state->size.y)));
    }
    drawWidget(*this, window, sf::RenderStates::Default);
    window.setView(previous);
}

} // namespace vgui
