#pragma once
// Internals of the widget layer shared by its implementation files; the game never includes this.

#include "widgets/Widgets.hpp"

#include <SFML/Graphics.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace vgui
{

enum class Kind
{
    Gui,
    Panel,
    Group,
    Label,
    Picture,
    Button,
    BitmapButton,
    TextArea,
    ProgressBar,
};

enum class Align
{
    Start,
    Center,
    End,
};

// Borders and padding in pixels.
struct Outline
{
    float left = 0.f;
    float top = 0.f;
    float right = 0.f;
    float bottom = 0.f;
};

// A renderer's look by key. Keys that are absent fall back to the plain defaults of the widget
// kind that asks (see the look helpers below).
struct Renderer::Data
{
    std::map<std::string, sf::Color> colors;
    std::map<std::string, Outline> outlines;
    // A null texture stands for an explicit "None".
    std::map<std::string, std::shared_ptr<const sf::Texture>> textures;
    std::map<std::string, float> numbers;
    bool hasTextStyle = false;
    sf::Uint32 textStyle = sf::Text::Regular;
};

struct Widget::State
{
    Kind kind = Kind::Label;
    std::string name;
    sf::Vector2f position;
    sf::Vector2f size;
    sf::Vector2f scale{1.f, 1.f};
    bool visible = true;
    bool enabled = true;
    Renderer renderer;
    Container* parent = nullptr;

    // Interaction flags; the Gui keeps them in step with its own weak handles.
    bool hover = false;
    bool down = false;
    bool focused = false;
    bool ignoreMouse = false;

    // Containers.
    std::vector<Widget::Ptr> children;

    // Text widgets; text is kept as code points so the caret counts characters.
    sf::String text;
    sf::String defaultText;
    unsigned textSize = 0; // 0: chosen from the widget's height
    Align horizontalAlign = Align::Start;
    Align verticalAlign = Align::Start;
    bool autoSize = true; // a Label without an explicit size grows with its text
    // Text areas and labels: the text is drawn smaller, when it must, so that each of its lines
    // fits the inner width and all of them the inner height (never below MinShrunkTextSize).
    bool shrinkToFit = false;
    struct ShrunkCache
    {
        sf::String text;
        sf::Vector2f box;
        unsigned from = 0, size = 0;
    };
    mutable ShrunkCache shrunk;

    // TextArea editing; caret and anchor are code point indices, the selection lies between them.
    std::size_t caret = 0;
    std::size_t anchor = 0;
    std::size_t maximumCharacters = 0;
    bool readOnly = false;
    std::size_t topLine = 0; // first line shown, kept so the caret stays visible
    sf::Clock caretClock;

    // BitmapButton image or Picture texture.
    std::shared_ptr<const sf::Texture> image;
    float imageScaling = 0.f;

    // ProgressBar.
    unsigned minimum = 0;
    unsigned maximum = 100;
    unsigned value = 0;

    // Gui only: the borrowed window, the font and the widgets the mouse and keyboard work with.
    sf::RenderWindow* target = nullptr;
    std::shared_ptr<const sf::Font> font;
    std::weak_ptr<Widget> focusWidget;
    std::weak_ptr<Widget> hoverWidget;
    std::weak_ptr<Widget> pressedWidget;
    bool hasView = false;
    sf::View view;
    sf::Clock clickGuardClock;
    sf::Time clickGuard;
    // The images that forms loaded into this root, while some widget shows them.
    std::vector<std::weak_ptr<const sf::Texture>> formImages;
};

// One line of laid-out text: code points [begin, end) of the whole text; the break after it
// (a line feed or the space where the line wrapped) belongs to no line.
struct TextLine
{
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct WidgetAccess
{
    using State = Widget::State;
    static State& of(Widget& widget) { return *widget.state; }
    static const State& of(const Widget& widget) { return *widget.state; }
    static std::unique_ptr<State>& slot(Widget& widget) { return widget.state; }

    // The root Gui of a widget, or null while it is not in one.
    static const Gui* rootOf(const Widget& widget);
    // The font of the widget's Gui (loaded on first need), or null.
    static const sf::Font* fontOf(const Widget& widget);
    // Shown when it and every ancestor are visible, and it hangs in some root.
    static bool isShown(const Widget& widget);
    static bool isEffectivelyEnabled(const Widget& widget);
    // Clears focus, hover and pressed flags of the widget and everything inside it.
    static void dropInteraction(Widget& widget);
};

// Look lookups: `suffix` is a state variant ("Hover", "Down", "Disabled", "Focused" or "").
sf::Color lookColor(const Renderer::Data& data, const std::string& key, const std::string& suffix,
                    sf::Color plain);
Outline lookOutline(const Renderer::Data& data, const std::string& key);
std::shared_ptr<const sf::Texture> lookTexture(const Renderer::Data& data, const std::string& key,
                                               const std::string& suffix);
// The built-in look of a widget kind, used until a form or the game gives it another renderer.
std::shared_ptr<Renderer::Data> builtinLook(Kind kind);

// Text layout shared by drawing and caret movement. Without a font, lines break only at line
// feeds and every character counts one unit wide.
std::vector<TextLine> layoutText(const sf::String& text, const sf::Font* font, unsigned textSize,
                                 float width);
float textWidth(const sf::String& text, std::size_t begin, std::size_t end, const sf::Font* font,
                unsigned textSize);
// The code point index in [line.begin, line.end] closest to x pixels from the line's start.
std::size_t indexAtX(const sf::String& text, const TextLine& line, float x, const sf::Font* font,
                     unsigned textSize);
std::size_t lineOfIndex(const std::vector<TextLine>& lines, std::size_t index);
float lineHeight(const sf::Font* font, unsigned textSize);

// What the pages of one font hold, as the glyph budget counts it (MaxFontGlyphBytes): each
// character at each text size and weight once, as the square of the size in 4-byte pixels.
struct GlyphLedger
{
    // Whether the glyph may be made (it is counted already, or it fits and is counted now). The
    // first glyph past the budget says so in one line on sf::err().
    bool Admit(sf::Uint32 codePoint, unsigned size, bool bold);
    // The bytes that text at size would add to the ledger, beside the keys already in counted
    // (which it extends).
    std::uint64_t Needs(const sf::String& text, unsigned size, bool bold,
                        std::unordered_set<std::uint64_t>& counted) const;
    static std::uint64_t CostOf(sf::Uint32 codePoint, unsigned size);

    std::uint64_t bytes = 0;
    std::unordered_set<std::uint64_t> charged;
    bool told = false;
};
// Gives a font its ledger (Gui::setFont does); a font that was never given one has no budget.
void registerFont(const std::shared_ptr<const sf::Font>& font);
GlyphLedger* glyphLedgerOf(const sf::Font* font);
// The character as it may be drawn or measured: itself, or a space once the budget is spent.
sf::Uint32 drawableGlyph(const sf::Font* font, sf::Uint32 codePoint, unsigned size, bool bold);
sf::String drawableText(const sf::Font* font, const sf::String& text, unsigned size, bool bold);

unsigned effectiveTextSize(const WidgetAccess::State& state);
// The size the text is drawn and laid out at: effectiveTextSize, made smaller for a widget that
// shrinks its text to fit.
unsigned shownTextSize(const WidgetAccess::State& state, const sf::Font* font);
constexpr unsigned MinShrunkTextSize = 8;
sf::FloatRect innerRect(const WidgetAccess::State& state); // local rectangle inside borders and padding

// TextArea editing, used by the Gui's event routing. Return whether the event was used.
bool textAreaKey(Widget& area, const sf::Event::KeyEvent& key);
bool textAreaText(Widget& area, sf::Uint32 codePoint);
void textAreaClick(Widget& area, sf::Vector2f local, bool extendSelection);

void drawWidget(const Widget& widget, sf::RenderTarget& target, sf::RenderStates states);

} // namespace vgui
