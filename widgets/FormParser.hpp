#pragma once
// Reading form files: the syntax tree of sections and entries, and the value kinds their entries
// hold (numbers, booleans, colours, outlines, strings, layout expressions).

#include "widgets/WidgetState.hpp"

#include <SFML/Graphics/Color.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vgui::form
{

struct Node;

// One entry of a section: either `key = value` or a nested section.
struct Item
{
    std::string key;
    std::string value; // whitespace folded, comments removed, quotes kept
    unsigned line = 0;
    std::shared_ptr<Node> section;
};

struct Node
{
    std::string header; // "Button.Play", "Renderer.1", "Renderer", ...
    unsigned line = 0;
    std::vector<Item> items;
};

// Parses a whole file. Throws vgui::Exception ("Error while parsing input at line N. ...").
Node parseForm(const std::string& text);

// Value readers; each returns false when the text is not of its kind.
bool parseNumber(const std::string& text, float& number);
bool parseBool(const std::string& text, bool& value);
bool parseColor(const std::string& text, sf::Color& color);
bool parseOutline(const std::string& text, Outline& outline);
// A quoted string with its escapes resolved, or an unquoted word as it stands.
std::string parseString(const std::string& text);
// Splits "(a, b)" into its two parts at the comma outside brackets.
bool splitPair(const std::string& text, std::string& first, std::string& second);
std::string toLower(std::string text);
// An error message as the one line the game prints: line breaks and other control characters
// (which a quoted value may hold) written as escapes, and at most about 300 bytes.
std::string oneLine(const std::string& text);

// A layout expression: numbers, percentages of the parent's inner size, references to the
// parent ("&"), the widget itself ("") or a sibling by name, and + - * / with brackets.
struct Expr
{
    enum class Op
    {
        Number,
        Percent,
        Reference,
        Add,
        Subtract,
        Multiply,
        Divide,
        Negate,
    };
    Op op = Op::Number;
    float number = 0.f;
    std::string object;    // Reference: "&" parent, "" the widget itself, else a sibling's name
    std::string attribute; // left, top, right, bottom, width, height
    std::unique_ptr<Expr> left;
    std::unique_ptr<Expr> right;
};

// Returns null and sets `error` when the text is not an expression.
std::unique_ptr<Expr> parseExpression(const std::string& text, std::string& error);

// Reads one image named by a form; returns whether it could be read. A reader may succeed and
// leave `texture` empty (a tool without a GL context), and the widget then shows no image. A
// reader takes the place of the file checks and image limits too, which the default applies.
using ImageReader =
    std::function<bool(const std::string& path, bool smooth, std::shared_ptr<const sf::Texture>& texture)>;

// What the root of a form holds already, for the budgets the form must keep to: the pixels of
// the images of its other forms (MaxFormImagePixels), and its font's glyph ledger (null: no
// font, no check). The images the form read are handed back in images.
struct FormRoom
{
    std::uint64_t heldImagePixels = 0;
    const GlyphLedger* glyphs = nullptr;
    std::vector<std::shared_ptr<const sf::Texture>> images;
};

// What loadWidgetsFromFile builds before it touches the Gui: the widgets of a form text laid out
// for a root of `rootSize`, relative image paths taken from `folder` ("" or ending in '/'),
// sibling references also looked up in `existing`. Throws vgui::Exception like the file loader.
// Without `readImage` every image becomes a texture, which needs a GL context. Without `room`
// the form is measured against an empty root.
std::vector<Widget::Ptr> buildForm(const std::string& text, const std::string& folder, sf::Vector2f rootSize,
                                   const std::vector<Widget::Ptr>& existing = {},
                                   const ImageReader& readImage = nullptr, FormRoom* room = nullptr);

} // namespace vgui::form
