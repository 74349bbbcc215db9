#include "widgets/Widgets.hpp"

#include "widgets/WidgetState.hpp"

#include <algorithm>

namespace vgui
{

namespace
{

using State = WidgetAccess::State;

State& st(Widget& widget)
{
    return WidgetAccess::of(widget);
}

// Gives a freshly made widget its kind and its built-in look.
template <class T>
std::shared_ptr<T> Make(T* raw, Kind kind)
{
    std::shared_ptr<T> widget(raw);
    auto& state = st(*widget);
    state.kind = kind;
    widget->setRenderer(builtinLook(kind));
    return widget;
}

sf::String FromUtf8(const std::string& utf8)
{
    return sf::String::fromUtf8(utf8.begin(), utf8.end());
}

std::string ToUtf8(const sf::String& text)
{
    const auto bytes = text.toUtf8();
    return std::string(bytes.begin(), bytes.end());
}

const sf::Color kGold(200, 162, 74);
const sf::Color kGoldLight(232, 200, 120);
const sf::Color kLightText(242, 232, 213);
const sf::Color kSlate(46, 59, 78);
const sf::Color kSlateHover(63, 82, 112);
const sf::Color kSlateDown(31, 41, 56);
const sf::Color kSteel(74, 90, 116);

} // namespace

// ---- Signal

unsigned Signal::connect(Handler handler)
{
    const unsigned id = nextId++;
    handlers.emplace_back(id, std::move(handler));
    return id;
}

bool Signal::disconnect(unsigned id)
{
    const auto it =
        std::find_if(handlers.begin(), handlers.end(), [id](const auto& entry) { return entry.first == id; });
    if (it == handlers.end())
        return false;
    handlers.erase(it);
    return true;
}

void Signal::disconnectAll()
{
    handlers.clear();
}

void Signal::emit() const
{
    // The copy keeps every handler alive even if one of them destroys this signal's widget.
    const auto copy = handlers;
    for (const auto& entry : copy)
    {
        if (entry.second)
            entry.second();
    }
}

// ---- Renderer

Renderer::Renderer() : data(std::make_shared<Data>())
{
}

void Renderer::setTextColor(sf::Color color)
{
    data->colors["TextColor"] = color;
}
sf::Color Renderer::getTextColor() const
{
    return lookColor(*data, "TextColor", "", sf::Color::Black);
}
void Renderer::setFillColor(sf::Color color)
{
    data->colors["FillColor"] = color;
}
sf::Color Renderer::getFillColor() const
{
    return lookColor(*data, "FillColor", "", sf::Color(0, 110, 255));
}
void Renderer::setBackgroundColor(sf::Color color)
{
    data->colors["BackgroundColor"] = color;
}
sf::Color Renderer::getBackgroundColor() const
{
    return lookColor(*data, "BackgroundColor", "", sf::Color::White);
}
void Renderer::setBorderColor(sf::Color color)
{
    data->colors["BorderColor"] = color;
}
sf::Color Renderer::getBorderColor() const
{
    return lookColor(*data, "BorderColor", "", sf::Color::Black);
}
void Renderer::setBorders(float width)
{
    data->outlines["Borders"] = {width, width, width, width};
}

sf::Color lookColor(const Renderer::Data& data, const std::string& key, const std::string& suffix,
                    sf::Color plain)
{
    if (!suffix.empty())
    {
        const auto it = data.colors.find(key + suffix);
        if (it != data.colors.end())
            return it->second;
    }
    const auto it = data.colors.find(key);
    return it != data.colors.end() ? it->second : plain;
}

Outline lookOutline(const Renderer::Data& data, const std::string& key)
{
    const auto it = data.outlines.find(key);
    return it != data.outlines.end() ? it->second : Outline{};
}

std::shared_ptr<const sf::Texture> lookTexture(const Renderer::Data& data, const std::string& key,
                                               const std::string& suffix)
{
    if (!suffix.empty())
    {
        const auto it = data.textures.find(key + suffix);
        if (it != data.textures.end() && it->second)
            return it->second;
    }
    const auto it = data.textures.find(key);
    return it != data.textures.end() ? it->second : nullptr;
}

std::shared_ptr<Renderer::Data> builtinLook(Kind kind)
{
    auto data = std::make_shared<Renderer::Data>();
    auto& c = data->colors;
    switch (kind)
    {
    case Kind::Button:
    case Kind::BitmapButton:
        c["BackgroundColor"] = kSlate;
        c["BackgroundColorHover"] = kSlateHover;
        c["BackgroundColorDown"] = kSlateDown;
        c["BackgroundColorDisabled"] = sf::Color(52, 56, 64);
        c["TextColor"] = kLightText;
        c["TextColorHover"] = sf::Color::White;
        c["TextColorDisabled"] = sf::Color(140, 140, 140);
        c["BorderColor"] = kGold;
        c["BorderColorHover"] = kGoldLight;
        c["BorderColorDisabled"] = sf::Color(90, 90, 90);
        data->outlines["Borders"] = {2.f, 2.f, 2.f, 2.f};
        break;
    case Kind::TextArea:
        c["BackgroundColor"] = sf::Color(18, 25, 36);
        c["TextColor"] = kLightText;
        c["DefaultTextColor"] = sf::Color(130, 140, 155);
        c["BorderColor"] = kSteel;
        c["BorderColorFocused"] = kGold;
        c["CaretColor"] = kGold;
        c["SelectedTextBackgroundColor"] = kSlateHover;
        c["SelectedTextColor"] = sf::Color::White;
        data->outlines["Borders"] = {2.f, 2.f, 2.f, 2.f};
        data->outlines["Padding"] = {8.f, 6.f, 8.f, 6.f};
        break;
    case Kind::Label:
        c["TextColor"] = kLightText;
        break;
    case Kind::Panel:
        c["BackgroundColor"] = sf::Color(27, 36, 51, 235);
        c["BorderColor"] = kSteel;
        data->outlines["Borders"] = {1.f, 1.f, 1.f, 1.f};
        break;
    case Kind::ProgressBar:
        c["BackgroundColor"] = sf::Color(24, 30, 40);
        c["FillColor"] = sf::Color(88, 176, 92);
        c["BorderColor"] = sf::Color(12, 15, 20);
        c["TextColor"] = sf::Color::White;
        data->outlines["Borders"] = {1.f, 1.f, 1.f, 1.f};
        break;
    case Kind::Gui:
    case Kind::Group:
    case Kind::Picture:
        break;
    }
    return data;
}

// ---- WidgetAccess

const Gui* WidgetAccess::rootOf(const Widget& widget)
{
    const Widget* current = &widget;
    while (of(*current).parent != nullptr)
        current = of(*current).parent;
    return of(*current).kind == Kind::Gui ? static_cast<const Gui*>(current) : nullptr;
}

const sf::Font* WidgetAccess::fontOf(const Widget& widget)
{
    const Gui* gui = rootOf(widget);
    if (gui == nullptr)
        return nullptr;
    return of(*gui).font.get();
}

bool WidgetAccess::isShown(const Widget& widget)
{
    const Widget* current = &widget;
    while (true)
    {
        if (!of(*current).visible)
            return false;
        if (of(*current).parent == nullptr)
            return of(*current).kind == Kind::Gui;
        current = of(*current).parent;
    }
}

bool WidgetAccess::isEffectivelyEnabled(const Widget& widget)
{
    for (const Widget* current = &widget; current != nullptr; current = of(*current).parent)
    {
        if (!of(*current).enabled)
            return false;
    }
    return true;
}

void WidgetAccess::dropInteraction(Widget& widget)
{
    auto& state = of(widget);
    state.hover = false;
    state.down = false;
    state.focused = false;
    for (auto& child : state.children)
        dropInteraction(*child);
}

// ---- Widget

Widget::Widget() : state(std::make_unique<State>())
{
}

Widget::~Widget()
{
    // Children held elsewhere must not keep pointing at a destroyed parent.
    for (auto& child : state->children)
        child->state->parent = nullptr;
}

const std::string& Widget::getName() const
{
    return state->name;
}
void Widget::setName(const std::string& name)
{
    state->name = name;
}

void Widget::setPosition(sf::Vector2f position)
{
    state->position = position;
}
sf::Vector2f Widget::getPosition() const
{
    return state->position;
}

void Widget::setSize(sf::Vector2f size)
{
    state->size = {std::max(0.f, size.x), std::max(0.f, size.y)};
    state->autoSize = false;
}
sf::Vector2f Widget::getSize() const
{
    return state->size;
}

void Widget::setScale(sf::Vector2f scale)
{
    state->scale = scale;
}
sf::Vector2f Widget::getScale() const
{
    return state->scale;
}

void Widget::setVisible(bool visible)
{
    state->visible = visible;
    if (!visible)
        WidgetAccess::dropInteraction(*this);
}
bool Widget::isVisible() const
{
    return state->visible;
}

void Widget::setEnabled(bool enabled)
{
    state->enabled = enabled;
    if (!enabled)
    {
        state->down = false;
        state->focused = false;
    }
}
bool Widget::isEnabled() const
{
    return state->enabled;
}

void Widget::setIgnoreMouseEvents(bool ignore)
{
    state->ignoreMouse = ignore;
}

Renderer* Widget::getRenderer()
{
    return &state->renderer;
}
const Renderer* Widget::getRenderer() const
{
    return &state->renderer;
}

void Widget::setRenderer(std::shared_ptr<Renderer::Data> data)
{
    state->renderer.data = data ? std::move(data) : std::make_shared<Renderer::Data>();
}

Container* Widget::getParent() const
{
    return state->parent;
}

sf::Vector2f Widget::getAbsolutePosition() const
{
    sf::Vector2f at = state->position;
    for (const Container* parent = state->parent; parent != nullptr && parent->state->kind != Kind::Gui;
         parent = parent->state->parent)
    {
        const State& ps = *parent->state;
        const sf::FloatRect inner = innerRect(ps);
        at = ps.position + sf::Vector2f((inner.left + at.x) * ps.scale.x, (inner.top + at.y) * ps.scale.y);
    }
    return at;
}

// ---- Containers

Container::Container()
{
    state->kind = Kind::Group;
}

void Container::add(const Widget::Ptr& widget, const std::string& name)
{
    if (!widget || widget.get() == this)
        return;
    if (Container* old = widget->getParent())
        old->remove(widget);
    if (!name.empty())
        widget->setName(name);
    widget->state->parent = this;
    state->children.push_back(widget);
}

bool Container::remove(const Widget::Ptr& widget)
{
    auto& children = state->children;
    const auto it = std::find(children.begin(), children.end(), widget);
    if (it == children.end())
        return false;
    const Widget::Ptr keep = *it; // destroyed only after the list is consistent again
    children.erase(it);
    WidgetAccess::dropInteraction(*keep);
    keep->state->parent = nullptr;
    return true;
}

void Widget::moveToFront()
{
    Container* parent = state->parent;
    if (parent == nullptr)
        return;
    auto& children = parent->state->children;
    if (!children.empty() && children.back().get() == this)
        return; // already in front: cheap enough to ask every frame
    const auto it = std::find_if(children.begin(), children.end(),
                                 [this](const Widget::Ptr& child) { return child.get() == this; });
    if (it != children.end())
        std::rotate(it, it + 1, children.end());
}

void Container::removeAllWidgets()
{
    std::vector<Widget::Ptr> old;
    old.swap(state->children);
    for (auto& widget : old)
    {
        WidgetAccess::dropInteraction(*widget);
        widget->state->parent = nullptr;
    }
}

const std::vector<Widget::Ptr>& Container::getWidgets() const
{
    return state->children;
}

Widget::Ptr Container::get(const std::string& name) const
{
    for (const auto& child : state->children)
    {
        if (child->getName() == name)
            return child;
    }
    for (const auto& child : state->children)
    {
        if (auto container = std::dynamic_pointer_cast<Container>(child))
        {
            if (auto found = container->get(name))
                return found;
        }
    }
    return nullptr;
}

Panel::Ptr Panel::create(sf::Vector2f size)
{
    auto panel = Make(new Panel(), Kind::Panel);
    panel->setSize(size);
    return panel;
}

Group::Ptr Group::create(sf::Vector2f size)
{
    auto group = Make(new Group(), Kind::Group);
    group->setSize(size);
    return group;
}

// ---- Label

Label::Ptr Label::create(const std::string& text)
{
    auto label = Make(new Label(), Kind::Label);
    label->setText(text);
    return label;
}

void Label::setText(const std::string& utf8)
{
    state->text = FromUtf8(utf8);
}
std::string Label::getText() const
{
    return ToUtf8(state->text);
}
void Label::setTextSize(unsigned size)
{
    state->textSize = size;
}
void Label::setShrinkTextToFit(bool shrink)
{
    state->shrinkToFit = shrink;
}
unsigned Label::getTextSize() const
{
    return effectiveTextSize(*state);
}

// ---- Picture

Picture::Ptr Picture::create(std::shared_ptr<const sf::Texture> texture)
{
    auto picture = Make(new Picture(), Kind::Picture);
    picture->setTexture(std::move(texture));
    return picture;
}

void Picture::setTexture(std::shared_ptr<const sf::Texture> texture)
{
    state->image = std::move(texture);
    if (state->autoSize && state->image)
        state->size = sf::Vector2f(state->image->getSize());
}

// ---- Buttons

Button::Button()
{
    state->kind = Kind::Button;
    state->size = {160.f, 40.f};
    state->autoSize = false;
}

Button::Ptr Button::create(const std::string& text)
{
    auto button = Make(new Button(), Kind::Button);
    button->setText(text);
    return button;
}

void Button::setText(const std::string& utf8)
{
    state->text = FromUtf8(utf8);
}
std::string Button::getText() const
{
    return ToUtf8(state->text);
}
void Button::setTextSize(unsigned size)
{
    state->textSize = size;
}
unsigned Button::getTextSize() const
{
    return effectiveTextSize(*state);
}

BitmapButton::Ptr BitmapButton::create(const std::string& text)
{
    auto button = Make(new BitmapButton(), Kind::BitmapButton);
    button->setText(text);
    return button;
}

void BitmapButton::setImage(std::shared_ptr<const sf::Texture> texture)
{
    state->image = std::move(texture);
}
std::shared_ptr<const sf::Texture> BitmapButton::getImage() const
{
    return state->image;
}
void BitmapButton::setImageScaling(float relativeHeight)
{
    state->imageScaling = std::max(0.f, relativeHeight);
}

// ---- TextArea

TextArea::Ptr TextArea::create()
{
    auto area = Make(new TextArea(), Kind::TextArea);
    area->setSize({360.f, 160.f});
    return area;
}

void TextArea::setText(const std::string& utf8)
{
    state->text = FromUtf8(utf8);
    if (state->maximumCharacters > 0 && state->text.getSize() > state->maximumCharacters)
        state->text.erase(state->maximumCharacters, state->text.getSize() - state->maximumCharacters);
    state->caret = state->anchor = state->text.getSize();
    state->topLine = 0;
}

std::string TextArea::getText() const
{
    return ToUtf8(state->text);
}

void TextArea::selectAll()
{
    state->anchor = 0;
    state->caret = state->text.getSize();
}
void TextArea::setDefaultText(const std::string& utf8)
{
    state->defaultText = FromUtf8(utf8);
}
void TextArea::setTextSize(unsigned size)
{
    state->textSize = size;
}
unsigned TextArea::getTextSize() const
{
    return effectiveTextSize(*state);
}

void TextArea::setShrinkTextToFit(bool shrink)
{
    state->shrinkToFit = shrink;
}

void TextArea::setMaximumCharacters(std::size_t maximum)
{
    state->maximumCharacters = maximum;
    if (maximum > 0 && state->text.getSize() > maximum)
    {
        state->text.erase(maximum, state->text.getSize() - maximum);
        state->caret = std::min(state->caret, maximum);
        state->anchor = std::min(state->anchor, maximum);
    }
}

void TextArea::setReadOnly(bool readOnly)
{
    state->readOnly = readOnly;
}
bool TextArea::isReadOnly() const
{
    return state->readOnly;
}
std::size_t TextArea::getCaretPosition() const
{
    return state->caret;
}

std::size_t TextArea::getLinesCount() const
{
    const sf::Font* font = WidgetAccess::fontOf(*this);
    return layoutText(state->text, font, shownTextSize(*state, font), innerRect(*state).width).size();
}

std::size_t TextArea::getVisibleLinesCount() const
{
    const sf::Font* font = WidgetAccess::fontOf(*this);
    const float spacing = lineHeight(font, shownTextSize(*state, font));
    return std::max<std::size_t>(1,
                                 static_cast<std::size_t>(std::max(0.f, innerRect(*state).height / spacing)));
}

// ---- ProgressBar

ProgressBar::Ptr ProgressBar::create()
{
    auto bar = Make(new ProgressBar(), Kind::ProgressBar);
    bar->setSize({232.f, 28.f});
    return bar;
}

void ProgressBar::setMinimum(unsigned minimum)
{
    state->minimum = minimum;
    state->maximum = std::max(state->maximum, minimum);
    state->value = std::clamp(state->value, state->minimum, state->maximum);
}

void ProgressBar::setMaximum(unsigned maximum)
{
    state->maximum = maximum;
    state->minimum = std::min(state->minimum, maximum);
    state->value = std::clamp(state->value, state->minimum, state->maximum);
}

void ProgressBar::setValue(unsigned value)
{
    state->value = std::clamp(value, state->minimum, state->maximum);
}
unsigned ProgressBar::getMinimum() const
{
    return state->minimum;
}
unsigned ProgressBar::getMaximum() const
{
    return state->maximum;
}
unsigned ProgressBar::getValue() const
{
    return state->value;
}
void ProgressBar::setText(const std::string& utf8)
{
    state->text = FromUtf8(utf8);
}

} // namespace vgui
