// Drawing of every widget kind. Widgets draw in their own local pixels; the caller's transform
// places them (position, scale, and the parent's inner offset).

#include "widgets/WidgetState.hpp"

#include <algorithm>
#include <cmath>

namespace vgui
{

namespace
{

using State = WidgetAccess::State;

// Plain rectangles are gathered into one triangle list while a widget tree is drawn, and drawn
// when anything else (a texture, a text) is about to be drawn over them, or when the tree is done.
// They keep their order and nothing comes between them, so the picture is the same; a screen full
// of health bars is one draw call instead of six per bar.
class RectBatch
{
public:
    void Add(const sf::RenderStates& states, sf::FloatRect rect, sf::Color color)
    {
        if (!vertices.empty() && !SameStates(states))
            Flush();
        blendMode = states.blendMode;
        shader = states.shader;
        // The corners a rectangle shape gives, split as its triangle fan is.
        const sf::Transform& t = states.transform;
        const sf::Vector2f a = t.transformPoint(rect.left, rect.top);
        const sf::Vector2f b = t.transformPoint(rect.left + rect.width, rect.top);
        const sf::Vector2f c = t.transformPoint(rect.left + rect.width, rect.top + rect.height);
        const sf::Vector2f d = t.transformPoint(rect.left, rect.top + rect.height);
        for (const sf::Vector2f& corner : {a, b, c, a, c, d})
            vertices.emplace_back(corner, color);
    }

    void Flush()
    {
        if (vertices.empty())
            return;
        sf::RenderStates states(blendMode);
        states.shader = shader;
        target->draw(vertices.data(), vertices.size(), sf::Triangles, states);
        vertices.clear();
    }

    sf::RenderTarget* target = nullptr;

private:
    bool SameStates(const sf::RenderStates& states) const
    {
        return states.blendMode == blendMode && states.shader == shader;
    }

    std::vector<sf::Vertex> vertices;
    sf::BlendMode blendMode;
    const sf::Shader* shader = nullptr;
};

// The batch of the widget tree being drawn (none outside drawWidget).
RectBatch* activeBatch = nullptr;

// Draws what is not a plain rectangle, after the rectangles gathered so far.
void DrawOver(sf::RenderTarget& target, const sf::Drawable& drawable, const sf::RenderStates& states)
{
    if (activeBatch != nullptr)
        activeBatch->Flush();
    target.draw(drawable, states);
}

void FillRect(sf::RenderTarget& target, const sf::RenderStates& states, sf::FloatRect rect, sf::Color color)
{
    if (color.a == 0 || rect.width <= 0.f || rect.height <= 0.f)
        return;
    if (activeBatch != nullptr && activeBatch->target == &target && states.texture == nullptr)
    {
        activeBatch->Add(states, rect, color);
        return;
    }
    sf::RectangleShape shape({rect.width, rect.height});
    shape.setPosition(rect.left, rect.top);
    shape.setFillColor(color);
    DrawOver(target, shape, states);
}

void DrawTexture(sf::RenderTarget& target, const sf::RenderStates& states, const sf::Texture& texture,
                 sf::FloatRect rect)
{
    const sf::Vector2f textureSize(texture.getSize());
    if (textureSize.x <= 0.f || textureSize.y <= 0.f)
        return;
    sf::Sprite sprite(texture);
    sprite.setPosition(rect.left, rect.top);
    sprite.setScale(rect.width / textureSize.x, rect.height / textureSize.y);
    DrawOver(target, sprite, states);
}

void DrawBorders(sf::RenderTarget& target, const sf::RenderStates& states, sf::Vector2f size, Outline b,
                 sf::Color color)
{
    FillRect(target, states, {0.f, 0.f, size.x, b.top}, color);
    FillRect(target, states, {0.f, size.y - b.bottom, size.x, b.bottom}, color);
    FillRect(target, states, {0.f, b.top, b.left, size.y - b.top - b.bottom}, color);
    FillRect(target, states, {size.x - b.right, b.top, b.right, size.y - b.top - b.bottom}, color);
}

// Background (texture or colour) inside the borders, then the borders.
void DrawFrame(sf::RenderTarget& target, const sf::RenderStates& states, const State& s,
               const std::string& suffix, sf::Color plainBackground, sf::Color plainBorder)
{
    const auto& data = *s.renderer.data;
    const Outline borders = lookOutline(data, "Borders");
    const sf::FloatRect inside{borders.left, borders.top, s.size.x - borders.left - borders.right,
                               s.size.y - borders.top - borders.bottom};
    if (auto texture = lookTexture(data, "Texture", suffix))
        DrawTexture(target, states, *texture, {0.f, 0.f, s.size.x, s.size.y});
    else
        FillRect(target, states, inside, lookColor(data, "BackgroundColor", suffix, plainBackground));
    DrawBorders(target, states, s.size, borders, lookColor(data, "BorderColor", suffix, plainBorder));
}

sf::Uint32 TextStyleOf(const State& s)
{
    return s.renderer.data->hasTextStyle ? s.renderer.data->textStyle
                                         : static_cast<sf::Uint32>(sf::Text::Regular);
}

// Offset from a text's y to the top of its capital letters, and the capital height: centring
// by these keeps "150" and "Wave" on the same line whatever their letters.
struct CapMetrics
{
    float top = 0.f;
    float height = 0.f;
};

CapMetrics CapsOf(const sf::Font& font, unsigned size, bool bold)
{
    // Past the font's glyph budget a capital's usual share of the size stands in.
    if (drawableGlyph(&font, 'H', size, bold) != 'H')
        return {static_cast<float>(size) * 0.28f, static_cast<float>(size) * 0.72f};
    const sf::Glyph& glyph = font.getGlyph('H', size, bold);
    return {static_cast<float>(size) + glyph.bounds.top, -glyph.bounds.top};
}

sf::Text MakeText(const sf::Font& font, const sf::String& text, unsigned size, sf::Color color,
                  sf::Uint32 style)
{
    sf::Text drawn(drawableText(&font, text, size, (style & sf::Text::Bold) != 0), font, size);
    drawn.setFillColor(color);
    drawn.setStyle(style);
    return drawn;
}

float Round(float value)
{
    return std::round(value);
}

// One line of text placed in `box` by the two alignments, vertically by its capitals.
void DrawAlignedLine(sf::RenderTarget& target, const sf::RenderStates& states, const sf::Font& font,
                     const sf::String& text, unsigned size, sf::Color color, sf::Uint32 style,
                     sf::FloatRect box, Align horizontal, Align vertical)
{
    sf::Text drawn = MakeText(font, text, size, color, style);
    const float width = drawn.getLocalBounds().left + drawn.getLocalBounds().width;
    const CapMetrics caps = CapsOf(font, size, (style & sf::Text::Bold) != 0);
    float x = box.left;
    if (horizontal == Align::Center)
        x = box.left + (box.width - width) / 2.f;
    else if (horizontal == Align::End)
        x = box.left + box.width - width;
    float y = box.top;
    if (vertical == Align::Center)
        y = box.top + (box.height - caps.height) / 2.f - caps.top;
    else if (vertical == Align::End)
        y = box.top + box.height - caps.height - caps.top - static_cast<float>(size) * 0.25f;
    drawn.setPosition(Round(x), Round(y));
    DrawOver(target, drawn, states);
}

std::string ButtonSuffix(const Widget& widget)
{
    const State& s = WidgetAccess::of(widget);
    if (!WidgetAccess::isEffectivelyEnabled(widget))
        return "Disabled";
    if (s.down && s.hover)
        return "Down";
    if (s.hover)
        return "Hover";
    return "";
}

void DrawButton(const Widget& widget, sf::RenderTarget& target, const sf::RenderStates& states)
{
    const State& s = WidgetAccess::of(widget);
    const std::string suffix = ButtonSuffix(widget);
    DrawFrame(target, states, s, suffix, sf::Color::White, sf::Color::Black);

    const auto& data = *s.renderer.data;
    const Outline borders = lookOutline(data, "Borders");
    const sf::FloatRect inner{borders.left, borders.top, s.size.x - borders.left - borders.right,
                              s.size.y - borders.top - borders.bottom};
    const sf::Font* font = WidgetAccess::fontOf(widget);
    const unsigned size = effectiveTextSize(s);
    const float textW =
        (font != nullptr && !s.text.isEmpty()) ? textWidth(s.text, 0, s.text.getSize(), font, size) : 0.f;

    // A bitmap button centres its image and text together, the image on the left.
    sf::Vector2f imageSize;
    if (s.kind == Kind::BitmapButton && s.image)
    {
        imageSize = sf::Vector2f(s.image->getSize());
        if (s.imageScaling > 0.f && imageSize.y > 0.f)
        {
            const float height = inner.height * s.imageScaling;
            imageSize = {imageSize.x * height / imageSize.y, height};
        }
    }
    const float gap = (imageSize.x > 0.f && textW > 0.f) ? 6.f : 0.f;
    const float total = imageSize.x + gap + textW;
    const float startX = inner.left + (inner.width - total) / 2.f;
    if (imageSize.x > 0.f)
    {
        const float y = inner.top + (inner.height - imageSize.y) / 2.f;
        DrawTexture(target, states, *s.image, {Round(startX), Round(y), imageSize.x, imageSize.y});
    }
    if (font != nullptr && !s.text.isEmpty())
    {
        const sf::Color color = lookColor(data, "TextColor", suffix, sf::Color::Black);
        DrawAlignedLine(target, states, *font, s.text, size, color, TextStyleOf(s),
                        {startX + imageSize.x + gap, inner.top, textW, inner.height}, Align::Start,
                        Align::Center);
    }
}

void DrawLabel(const Widget& widget, sf::RenderTarget& target, const sf::RenderStates& states)
{
    State& s = const_cast<State&>(WidgetAccess::of(widget));
    const sf::Font* font = WidgetAccess::fontOf(widget);
    const unsigned size = shownTextSize(s, font);
    const auto& data = *s.renderer.data;
    if (s.autoSize && font != nullptr)
    {
        // A label without an explicit size is as large as its text.
        const Outline b = lookOutline(data, "Borders");
        const Outline p = lookOutline(data, "Padding");
        const auto lines = layoutText(s.text, font, size, 0.f);
        float width = 0.f;
        for (const auto& line : lines)
            width = std::max(width, textWidth(s.text, line.begin, line.end, font, size));
        s.size = {width + b.left + b.right + p.left + p.right,
                  static_cast<float>(lines.size()) * lineHeight(font, size) + b.top + b.bottom + p.top +
                      p.bottom};
    }
    DrawFrame(target, states, s, "", sf::Color::Transparent, sf::Color::Black);
    if (font == nullptr || s.text.isEmpty())
        return;

    const sf::FloatRect inner = innerRect(s);
    const auto lines = layoutText(s.text, font, size, s.autoSize ? 0.f : inner.width);
    const float spacing = lineHeight(font, size);
    const float blockHeight = static_cast<float>(lines.size()) * spacing;
    float top = inner.top;
    if (lines.size() > 1 || s.verticalAlign != Align::Start)
    {
        if (s.verticalAlign == Align::Center)
            top = inner.top + (inner.height - blockHeight) / 2.f;
        else if (s.verticalAlign == Align::End)
            top = inner.top + inner.height - blockHeight;
    }
    const sf::Color color = lookColor(data, "TextColor", "", sf::Color::Black);
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        const sf::FloatRect box{inner.left, top + static_cast<float>(i) * spacing, inner.width, spacing};
        const sf::String piece = s.text.substring(lines[i].begin, lines[i].end - lines[i].begin);
        if (lines.size() == 1 && s.verticalAlign == Align::Center)
            DrawAlignedLine(target, states, *font, piece, size, color, TextStyleOf(s), inner,
                            s.horizontalAlign, Align::Center);
        else
            DrawAlignedLine(target, states, *font, piece, size, color, TextStyleOf(s), box, s.horizontalAlign,
                            Align::Start);
    }
}

void DrawTextArea(const Widget& widget, sf::RenderTarget& target, const sf::RenderStates& states)
{
    State& s = const_cast<State&>(WidgetAccess::of(widget));
    const auto& data = *s.renderer.data;
    const std::string suffix = s.focused ? "Focused" : (s.hover ? "Hover" : "");
    DrawFrame(target, states, s, suffix, sf::Color::White, sf::Color::Black);

    const sf::Font* font = WidgetAccess::fontOf(widget);
    if (font == nullptr)
        return;
    const unsigned size = shownTextSize(s, font);
    const sf::FloatRect inner = innerRect(s);
    const float spacing = lineHeight(font, size);
    const bool editing = s.focused && !s.readOnly;

    if (s.text.isEmpty())
    {
        if (!s.defaultText.isEmpty())
        {
            const auto lines = layoutText(s.defaultText, font, size, inner.width);
            const sf::Color color = lookColor(data, "DefaultTextColor", "", sf::Color(160, 160, 160));
            for (std::size_t i = 0;
                 i < lines.size() && static_cast<float>(i + 1) * spacing <= inner.height + 1.f; ++i)
            {
                sf::Text drawn =
                    MakeText(*font, s.defaultText.substring(lines[i].begin, lines[i].end - lines[i].begin),
                             size, color, 0);
                drawn.setPosition(Round(inner.left), Round(inner.top + static_cast<float>(i) * spacing));
                DrawOver(target, drawn, states);
            }
        }
    }

    const auto lines = layoutText(s.text, font, size, inner.width);
    // Borders and padding larger than the area leave a negative inner height.
    const std::size_t visible =
        std::max<std::size_t>(1, static_cast<std::size_t>(std::max(0.f, inner.height / spacing)));
    const std::size_t caretLine = lineOfIndex(lines, s.caret);
    if (s.focused)
    {
        if (caretLine < s.topLine)
            s.topLine = caretLine;
        else if (caretLine >= s.topLine + visible)
            s.topLine = caretLine + 1 - visible;
    }
    s.topLine = std::min(s.topLine, lines.size() - 1);

    const std::size_t selFrom = std::min(s.caret, s.anchor);
    const std::size_t selTo = std::max(s.caret, s.anchor);
    const sf::Color textColor = lookColor(data, "TextColor", "", sf::Color::Black);
    const sf::Color selectedBack = lookColor(data, "SelectedTextBackgroundColor", "", sf::Color(0, 110, 255));
    for (std::size_t i = s.topLine; i < lines.size() && i < s.topLine + visible; ++i)
    {
        const TextLine& line = lines[i];
        const float y = inner.top + static_cast<float>(i - s.topLine) * spacing;
        if (selFrom < selTo && selFrom <= line.end && selTo >= line.begin)
        {
            const std::size_t a = std::max(selFrom, line.begin);
            const std::size_t b = std::min(selTo, line.end);
            const float x0 = textWidth(s.text, line.begin, a, font, size);
            float x1 = textWidth(s.text, line.begin, b, font, size);
            if (selTo > line.end)
                x1 += static_cast<float>(size) * 0.3f; // the selected line break
            FillRect(target, states, {inner.left + x0, y, x1 - x0, spacing}, selectedBack);
        }
        sf::Text drawn =
            MakeText(*font, s.text.substring(line.begin, line.end - line.begin), size, textColor, 0);
        drawn.setPosition(Round(inner.left), Round(y));
        DrawOver(target, drawn, states);
    }

    // The caret blinks: half a second on, half a second off, restarted by every edit.
    if (editing && caretLine >= s.topLine && caretLine < s.topLine + visible &&
        s.caretClock.getElapsedTime().asMilliseconds() % 1000 < 500)
    {
        const float x = inner.left + textWidth(s.text, lines[caretLine].begin, s.caret, font, size);
        const float y = inner.top + static_cast<float>(caretLine - s.topLine) * spacing;
        FillRect(target, states, {Round(x), Round(y + spacing * 0.1f), 2.f, Round(spacing * 0.85f)},
                 lookColor(data, "CaretColor", "", sf::Color::Black));
    }
}

void DrawProgressBar(const Widget& widget, sf::RenderTarget& target, const sf::RenderStates& states)
{
    const State& s = WidgetAccess::of(widget);
    const auto& data = *s.renderer.data;
    DrawFrame(target, states, s, "", sf::Color::White, sf::Color::Black);
    const sf::FloatRect inner = innerRect(s);
    float share = 1.f;
    if (s.maximum > s.minimum)
        share = static_cast<float>(s.value - s.minimum) / static_cast<float>(s.maximum - s.minimum);
    const sf::FloatRect fill{inner.left, inner.top, inner.width * share, inner.height};
    if (auto texture = lookTexture(data, "TextureFill", ""))
        DrawTexture(target, states, *texture, fill);
    else
        FillRect(target, states, fill, lookColor(data, "FillColor", "", sf::Color(0, 110, 255)));
    const sf::Font* font = s.text.isEmpty() ? nullptr : WidgetAccess::fontOf(widget);
    if (font != nullptr)
        DrawAlignedLine(target, states, *font, s.text, effectiveTextSize(s),
                        lookColor(data, "TextColor", "", sf::Color::Black), TextStyleOf(s), inner,
                        Align::Center, Align::Center);
}

void DrawChildren(const Widget& widget, sf::RenderTarget& target, sf::RenderStates states)
{
    const State& s = WidgetAccess::of(widget);
    const sf::FloatRect inner = innerRect(s);
    states.transform.translate(inner.left, inner.top);
    // A copy: a widget's drawing never changes the list, but it costs little to be sure.
    const auto children = s.children;
    for (const auto& child : children)
        drawWidget(*child, target, states);
}

} // namespace

void drawWidget(const Widget& widget, sf::RenderTarget& target, sf::RenderStates states)
{
    const State& s = WidgetAccess::of(widget);
    if (!s.visible)
        return;
    if (activeBatch == nullptr || activeBatch->target != &target)
    {
        // The top of a tree: its rectangles are gathered until it is drawn.
        RectBatch batch;
        batch.target = &target;
        struct Scope
        {
            RectBatch* outer;
            ~Scope() { activeBatch = outer; }
        } scope{activeBatch};
        activeBatch = &batch;
        drawWidget(widget, target, states);
        batch.Flush();
        return;
    }
    if (s.kind != Kind::Gui)
    {
        states.transform.translate(s.position);
        states.transform.scale(s.scale);
    }
    switch (s.kind)
    {
    case Kind::Gui:
        DrawChildren(widget, target, states);
        break;
    case Kind::Panel:
        DrawFrame(target, states, s, "", sf::Color::White, sf::Color::Black);
        DrawChildren(widget, target, states);
        break;
    case Kind::Group:
        DrawFrame(target, states, s, "", sf::Color::Transparent, sf::Color::Black);
        DrawChildren(widget, target, states);
        break;
    case Kind::Label:
        DrawLabel(widget, target, states);
        break;
    case Kind::Picture:
        if (s.image)
            DrawTexture(target, states, *s.image, {0.f, 0.f, s.size.x, s.size.y});
        else if (auto texture = lookTexture(*s.renderer.data, "Texture", ""))
            DrawTexture(target, states, *texture, {0.f, 0.f, s.size.x, s.size.y});
        break;
    case Kind::Button:
    case Kind::BitmapButton:
        DrawButton(widget, target, states);
        break;
    case Kind::TextArea:
        DrawTextArea(widget, target, states);
        break;
    case Kind::ProgressBar:
        DrawProgressBar(widget, target, states);
        break;
    }
}

} // namespace vgui
