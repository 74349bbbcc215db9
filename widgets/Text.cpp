// Text in the widget layer: laying text out in lines (shared by drawing and the caret) and the
// TextArea's editing (typing, the caret and the selection, the clipboard).

#include "widgets/WidgetState.hpp"

#include <SFML/Window/Clipboard.hpp>

#include <algorithm>
#include <cmath>

namespace vgui
{

namespace
{
using State = WidgetAccess::State;

State& st(Widget& widget)
{
    return WidgetAccess::of(widget);
}
} // namespace

unsigned effectiveTextSize(const WidgetAccess::State& state)
{
    if (state.textSize > 0)
        return std::min(state.textSize, MaxTextSize);
    const float height = innerRect(state).height;
    switch (state.kind)
    {
    case Kind::Button:
    case Kind::BitmapButton:
        return static_cast<unsigned>(std::clamp(std::round(height * 0.42f), 10.f, 40.f));
    case Kind::ProgressBar:
        return static_cast<unsigned>(std::clamp(std::round(height * 0.6f), 8.f, 32.f));
    default:
        return 18;
    }
}

unsigned shownTextSize(const WidgetAccess::State& state, const sf::Font* font)
{
    const unsigned asked = effectiveTextSize(state);
    if (!state.shrinkToFit || font == nullptr || state.text.isEmpty())
        return asked;
    const sf::FloatRect inner = innerRect(state);
    auto& cache = state.shrunk;
    if (cache.from == asked && cache.box == sf::Vector2f(inner.width, inner.height) &&
        cache.text == state.text)
        return cache.size;
    // Each line as wide as it is, unwrapped; their widths grow about with the size, so the first
    // guess scales the asked size and the walk down from there is short.
    const auto fits = [&state, font, &inner](unsigned size, float& widest)
    {
        const auto lines = layoutText(state.text, font, size, 0.f);
        widest = 0.f;
        for (const auto& line : lines)
            widest = std::max(widest, textWidth(state.text, line.begin, line.end, font, size));
        return widest <= inner.width && static_cast<float>(lines.size()) * lineHeight(font, size) <=
                                            std::max(inner.height, lineHeight(font, size)) + 0.5f;
    };
    unsigned size = asked;
    float widest = 0.f;
    if (!fits(size, widest) && widest > inner.width && widest > 0.f)
        size =
            std::max(MinShrunkTextSize,
                     std::min(size, static_cast<unsigned>(static_cast<float>(size) * inner.width / widest)));
    while (size > MinShrunkTextSize && !fits(size, widest))
        --size;
    cache = {state.text, {inner.width, inner.height}, asked, size};
    return size;
}

sf::FloatRect innerRect(const WidgetAccess::State& state)
{
    const auto& data = *state.renderer.data;
    const Outline borders = lookOutline(data, "Borders");
    const Outline padding = lookOutline(data, "Padding");
    const float left = borders.left + padding.left;
    const float top = borders.top + padding.top;
    const float width = state.size.x - left - borders.right - padding.right;
    const float height = state.size.y - top - borders.bottom - padding.bottom;
    return {left, top, std::max(0.f, width), std::max(0.f, height)};
}

namespace
{

float Advance(const sf::Font* font, unsigned size, sf::Uint32 previous, sf::Uint32 current)
{
    if (font == nullptr)
        return 1.f;
    // Measured as drawn: a character past the font's glyph budget is a space.
    current = drawableGlyph(font, current, size, false);
    previous = previous != 0 ? drawableGlyph(font, previous, size, false) : 0;
    if (current == '\t')
        return 4.f * font->getGlyph(' ', size, false).advance;
    float kerning = previous != 0 ? font->getKerning(previous, current, size) : 0.f;
    return kerning + font->getGlyph(current, size, false).advance;
}

} // namespace

float textWidth(const sf::String& text, std::size_t begin, std::size_t end, const sf::Font* font,
                unsigned textSize)
{
    float width = 0.f;
    sf::Uint32 previous = 0;
    for (std::size_t i = begin; i < end && i < text.getSize(); ++i)
    {
        width += Advance(font, textSize, previous, text[i]);
        previous = text[i];
    }
    return width;
}

std::vector<TextLine> layoutText(const sf::String& text, const sf::Font* font, unsigned textSize, float width)
{
    std::vector<TextLine> lines;
    const std::size_t length = text.getSize();
    std::size_t paragraphBegin = 0;
    while (true)
    {
        std::size_t paragraphEnd = paragraphBegin;
        while (paragraphEnd < length && text[paragraphEnd] != '\n')
            ++paragraphEnd;

        std::size_t lineBegin = paragraphBegin;
        if (font != nullptr && width > 0.f)
        {
            float x = 0.f;
            std::size_t lastSpace = std::string::npos;
            sf::Uint32 previous = 0;
            for (std::size_t i = paragraphBegin; i < paragraphEnd; ++i)
            {
                const sf::Uint32 c = text[i];
                const float advance = Advance(font, textSize, previous, c);
                if (c != ' ' && x + advance > width && i > lineBegin)
                {
                    if (lastSpace != std::string::npos && lastSpace >= lineBegin)
                    {
                        // Wrap at the last space: it ends the line and belongs to neither.
                        lines.push_back({lineBegin, lastSpace});
                        lineBegin = lastSpace + 1;
                    }
                    else
                    {
                        lines.push_back({lineBegin, i}); // one word wider than the area
                        lineBegin = i;
                    }
                    lastSpace = std::string::npos;
                    x = textWidth(text, lineBegin, i, font, textSize);
                    previous = i > lineBegin ? text[i - 1] : 0;
                }
                if (c == ' ')
                    lastSpace = i;
                x += Advance(font, textSize, previous, c);
                previous = c;
            }
        }
        lines.push_back({lineBegin, paragraphEnd});
        if (paragraphEnd >= length)
            break;
        paragraphBegin = paragraphEnd + 1;
    }
    return lines;
}

std::size_t indexAtX(const sf::String& text, const TextLine& line, float x, const sf::Font* font,
                     unsigned textSize)
{
    float position = 0.f;
    sf::Uint32 previous = 0;
    for (std::size_t i = line.begin; i < line.end; ++i)
    {
        const float advance = Advance(font, textSize, previous, text[i]);
        if (x < position + advance / 2.f)
            return i;
        position += advance;
        previous = text[i];
    }
    return line.end;
}

std::size_t lineOfIndex(const std::vector<TextLine>& lines, std::size_t index)
{
    std::size_t result = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        if (lines[i].begin <= index)
            result = i;
    }
    return result;
}

float lineHeight(const sf::Font* font, unsigned textSize)
{
    return font != nullptr ? font->getLineSpacing(textSize) : 1.2f * static_cast<float>(textSize);
}

// ---- TextArea editing

namespace
{

bool HasSelection(const State& s)
{
    return s.caret != s.anchor;
}

void EraseSelection(State& s)
{
    const std::size_t from = std::min(s.caret, s.anchor);
    const std::size_t to = std::max(s.caret, s.anchor);
    s.text.erase(from, to - from);
    s.caret = s.anchor = from;
}

// Inserts at the caret, replacing the selection; refused as a whole when it would pass the limit.
bool Insert(State& s, const sf::String& piece)
{
    if (s.readOnly || piece.isEmpty())
        return false;
    const std::size_t selected = std::max(s.caret, s.anchor) - std::min(s.caret, s.anchor);
    if (s.maximumCharacters > 0 && s.text.getSize() - selected + piece.getSize() > s.maximumCharacters)
        return false;
    EraseSelection(s);
    s.text.insert(s.caret, piece);
    s.caret += piece.getSize();
    s.anchor = s.caret;
    return true;
}

void MoveCaret(State& s, std::size_t to, bool select)
{
    s.caret = std::min(to, s.text.getSize());
    if (!select)
        s.anchor = s.caret;
}

std::vector<TextLine> LinesOf(const Widget& area)
{
    const auto& s = WidgetAccess::of(area);
    const sf::Font* font = WidgetAccess::fontOf(area);
    return layoutText(s.text, font, shownTextSize(s, font), innerRect(s).width);
}

} // namespace

bool textAreaText(Widget& area, sf::Uint32 codePoint)
{
    auto& s = st(area);
    if (codePoint < 32 || codePoint == 127)
        return false;
    s.caretClock.restart();
    return Insert(s, sf::String(codePoint));
}

bool textAreaKey(Widget& area, const sf::Event::KeyEvent& key)
{
    auto& s = st(area);
    s.caretClock.restart();
    const bool select = key.shift;
    switch (key.code)
    {
    case sf::Keyboard::BackSpace:
        if (s.readOnly)
            return false;
        if (HasSelection(s))
            EraseSelection(s);
        else if (s.caret > 0)
        {
            s.text.erase(s.caret - 1, 1);
            MoveCaret(s, s.caret - 1, false);
        }
        return true;
    case sf::Keyboard::Delete:
        if (s.readOnly)
            return false;
        if (HasSelection(s))
            EraseSelection(s);
        else if (s.caret < s.text.getSize())
            s.text.erase(s.caret, 1);
        return true;
    case sf::Keyboard::Enter:
    {
        auto& textArea = static_cast<TextArea&>(area);
        if (textArea.onReturnKeyPress.empty())
            return Insert(s, sf::String(sf::Uint32('\n')));
        // The handler may replace the whole screen: the area is held until it returns.
        const auto held = textArea.shared_from_this();
        textArea.onReturnKeyPress.emit();
        return true;
    }
    case sf::Keyboard::Left:
        if (HasSelection(s) && !select)
            MoveCaret(s, std::min(s.caret, s.anchor), false);
        else
            MoveCaret(s, s.caret > 0 ? s.caret - 1 : 0, select);
        return true;
    case sf::Keyboard::Right:
        if (HasSelection(s) && !select)
            MoveCaret(s, std::max(s.caret, s.anchor), false);
        else
            MoveCaret(s, s.caret + 1, select);
        return true;
    case sf::Keyboard::Up:
    case sf::Keyboard::Down:
    {
        const auto lines = LinesOf(area);
        const std::size_t line = lineOfIndex(lines, s.caret);
        const sf::Font* font = WidgetAccess::fontOf(area);
        const unsigned size = shownTextSize(s, font);
        if (key.code == sf::Keyboard::Up && line == 0)
            MoveCaret(s, 0, select);
        else if (key.code == sf::Keyboard::Down && line + 1 >= lines.size())
            MoveCaret(s, s.text.getSize(), select);
        else
        {
            const float x = textWidth(s.text, lines[line].begin, s.caret, font, size);
            const std::size_t target = key.code == sf::Keyboard::Up ? line - 1 : line + 1;
            MoveCaret(s, indexAtX(s.text, lines[target], x, font, size), select);
        }
        return true;
    }
    case sf::Keyboard::Home:
    case sf::Keyboard::End:
    {
        const auto lines = LinesOf(area);
        const TextLine& line = lines[lineOfIndex(lines, s.caret)];
        MoveCaret(s, key.code == sf::Keyboard::Home ? line.begin : line.end, select);
        return true;
    }
    case sf::Keyboard::A:
        if (!key.control)
            return false;
        s.anchor = 0;
        s.caret = s.text.getSize();
        return true;
    case sf::Keyboard::C:
    case sf::Keyboard::X:
        if (!key.control || !HasSelection(s))
            return false;
        {
            const std::size_t from = std::min(s.caret, s.anchor);
            sf::Clipboard::setString(s.text.substring(from, std::max(s.caret, s.anchor) - from));
        }
        if (key.code == sf::Keyboard::X && !s.readOnly)
            EraseSelection(s);
        return true;
    case sf::Keyboard::V:
        if (!key.control)
            return false;
        return Insert(s, sf::Clipboard::getString());
    default:
        return false;
    }
}

void textAreaClick(Widget& area, sf::Vector2f local, bool extendSelection)
{
    auto& s = st(area);
    const auto lines = LinesOf(area);
    const sf::FloatRect inner = innerRect(s);
    const sf::Font* font = WidgetAccess::fontOf(area);
    const unsigned size = shownTextSize(s, font);
    const float row = std::floor((local.y - inner.top) / lineHeight(font, size));
    const std::size_t line =
        std::min(lines.size() - 1, s.topLine + static_cast<std::size_t>(std::max(0.f, row)));
    MoveCaret(s, indexAtX(s.text, lines[line], local.x - inner.left, font, size), extendSelection);
    s.caretClock.restart();
}

} // namespace vgui
