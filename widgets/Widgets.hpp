#pragma once
// The public surface of our widget layer: a small retained-mode GUI on SFML 2.5 whose form files
// are a subset of a common text form format. The game includes only this header.
//
// Ownership: widgets are held by shared handles (Widget::Ptr). A container (Gui, Panel, Group)
// owns its children; a widget keeps a plain back-pointer to its parent.

#include <SFML/Graphics.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vgui
{

// What one form may ask for. The game's forms are under 7 KB with at most 45 widgets, text sizes
// up to 80 and images up to 1280 x 720; each limit is far above that and stops a small file, or a
// link to a device, from freezing the game or taking gigabytes. A form past a limit fails to load
// with an Exception whose message names the limit (and, past a widget's limit, the widget and its
// line).
constexpr std::uintmax_t MaxFormFileBytes = std::uintmax_t{1} << 20; // 1 MiB, checked before reading
constexpr std::size_t MaxFormWidgets = 2000;                         // in one form, nested ones included
constexpr int MaxFormDepth =
    64; // sections inside sections; each level is a recursion when loading and drawing
// Pixels. Each text size gets glyph pages of its own in the font, and a glyph's area grows with
// the square of the size: three labels at 1000 once took 3.5 GB. Sizes set from code are drawn
// at most this large too.
constexpr unsigned MaxTextSize = 200;
// Images named by a form (Image, Texture...): the file in bytes, checked before reading; each side
// in pixels, read from the file's header before decoding (a 1 MB PNG can claim 16384 x 16384,
// 1 GB once decoded), and never more than sf::Texture::getMaximumSize() either. Only PNG, JPEG and
// BMP files are read, the formats whose header we check.
constexpr std::uintmax_t MaxImageFileBytes = std::uintmax_t{16} << 20; // 16 MiB
constexpr unsigned MaxImageSide = 4096;
// A budget beside those caps: the pixels of all distinct images of the forms in one root at once
// (a screen and a form loaded over it), 4 Mi pixels, 16 MiB as textures. The game's menu backdrop
// is 1280 x 720, 0.9 Mi pixels. A form whose images would pass it fails to load.
constexpr std::uint64_t MaxFormImagePixels = std::uint64_t{4} << 20;
// The glyphs a font makes for the text drawn and measured with it stay in its pages for the run,
// and a glyph's area grows with the square of its text size: 200 labels of sizes 1 to 200 once
// took 1.3 GB. The budget counts each character at each size and weight once, as size x size
// pixels of 4 bytes (a page is a texture that grows in powers of two around its glyphs, so it
// holds up to a few times that). A form whose text would take its root's font past
// MaxFormGlyphBytes fails to load; text set from code may use the rest up to MaxFontGlyphBytes,
// and a character past that is drawn as a space (one line on sf::err() says so). Every screen
// of the game drawn counts 1.5 MiB.
constexpr std::uint64_t MaxFontGlyphBytes = std::uint64_t{8} << 20;
constexpr std::uint64_t MaxFormGlyphBytes = std::uint64_t{7} << 20;

// The bytes the glyph budget counts for a font (see MaxFontGlyphBytes); 0 for a font that no Gui
// was given.
std::uint64_t glyphBytes(const sf::Font* font);

// Thrown by loadWidgetsFromFile (and only there); the message is one line saying what and where.
class Exception : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A list of handlers without arguments. Delivery copies the list first, so a handler may
// disconnect, remove its own widget or replace the whole screen.
class Signal
{
public:
    using Handler = std::function<void()>;
    unsigned connect(Handler handler);
    bool disconnect(unsigned id);
    void disconnectAll();
    void emit() const;
    bool empty() const { return handlers.empty(); }
    unsigned operator()(Handler handler) { return connect(std::move(handler)); }

private:
    std::vector<std::pair<unsigned, Handler>> handlers;
    unsigned nextId = 1;
};

// The look of one widget: colours, outlines, textures and text style, by renderer key
// (TextColor, BackgroundColorHover, Borders...). Widgets that share a form's "Renderer.N"
// share one Renderer object.
class Renderer
{
public:
    virtual ~Renderer() = default;
    void setTextColor(sf::Color color);
    sf::Color getTextColor() const;
    void setFillColor(sf::Color color);
    sf::Color getFillColor() const;
    void setBackgroundColor(sf::Color color);
    sf::Color getBackgroundColor() const;
    void setBorderColor(sf::Color color);
    sf::Color getBorderColor() const;
    // The same border width on every side.
    void setBorders(float width);
    // The implementation keeps further keys (state variants, Borders, Padding, Texture...)
    // behind this surface.
    struct Data;
    std::shared_ptr<Data> data;
    Renderer();
};

class Container;
struct WidgetAccess; // the layer's own implementation files reach widget internals through it

class Widget : public std::enable_shared_from_this<Widget>
{
public:
    using Ptr = std::shared_ptr<Widget>;
    virtual ~Widget();

    const std::string& getName() const;
    void setName(const std::string& name);

    void setPosition(sf::Vector2f position);
    void setPosition(float x, float y) { setPosition({x, y}); }
    sf::Vector2f getPosition() const;
    void setSize(sf::Vector2f size);
    void setSize(float width, float height) { setSize({width, height}); }
    sf::Vector2f getSize() const;
    // Scales the drawn widget around its position (health bars use it).
    void setScale(sf::Vector2f scale);
    void setScale(float scale) { setScale({scale, scale}); }
    sf::Vector2f getScale() const;

    // A hidden widget is neither drawn nor hit; hiding drops its focus, hover and pressed state.
    void setVisible(bool visible);
    bool isVisible() const;
    void setEnabled(bool enabled);
    bool isEnabled() const;
    // A widget that ignores the mouse is never hit: clicks reach what lies under it.
    void setIgnoreMouseEvents(bool ignore);

    // The renderer is never null; setRenderer shares another widget's look.
    Renderer* getRenderer();
    const Renderer* getRenderer() const;
    void setRenderer(std::shared_ptr<Renderer::Data> data);

    Container* getParent() const;
    // Where the widget lies in its root's coordinates: its position inside every container above it.
    sf::Vector2f getAbsolutePosition() const;
    // Drawn last among its siblings, and first to get the mouse.
    void moveToFront();

protected:
    Widget();
    struct State;
    std::unique_ptr<State> state;
    friend class Container;
    friend class Gui;
    friend struct WidgetAccess;
};

// A widget that holds children. Later children are drawn on top and get the mouse first.
class Container : public Widget
{
public:
    using Ptr = std::shared_ptr<Container>;
    void add(const Widget::Ptr& widget, const std::string& name = "");
    bool remove(const Widget::Ptr& widget);
    void removeAllWidgets();
    const std::vector<Widget::Ptr>& getWidgets() const;
    // Direct children first, then nested ones; exact name match.
    Widget::Ptr get(const std::string& name) const;
    template <class T>
    std::shared_ptr<T> get(const std::string& name) const
    {
        return std::dynamic_pointer_cast<T>(get(name));
    }

protected:
    Container();
};

class Panel : public Container
{
public:
    using Ptr = std::shared_ptr<Panel>;
    static Ptr create(sf::Vector2f size = {100.f, 100.f});
};

class Group : public Container
{
public:
    using Ptr = std::shared_ptr<Group>;
    static Ptr create(sf::Vector2f size = {100.f, 100.f});
};

class Label : public Widget
{
public:
    using Ptr = std::shared_ptr<Label>;
    static Ptr create(const std::string& text = "");
    void setText(const std::string& utf8);
    std::string getText() const;
    void setTextSize(unsigned size);
    unsigned getTextSize() const;
    // Draws the text smaller when it must, so that every line fits the label's box unwrapped
    // (form key ShrinkTextToFit). Off by default.
    void setShrinkTextToFit(bool shrink);
};

class Picture : public Widget
{
public:
    using Ptr = std::shared_ptr<Picture>;
    static Ptr create(std::shared_ptr<const sf::Texture> texture = nullptr);
    void setTexture(std::shared_ptr<const sf::Texture> texture);
};

class Button : public Widget
{
public:
    using Ptr = std::shared_ptr<Button>;
    static Ptr create(const std::string& text = "");
    void setText(const std::string& utf8);
    std::string getText() const;
    void setTextSize(unsigned size);
    unsigned getTextSize() const;
    // Fires when the left button is released over the button after being pressed on it.
    Signal onPress;

protected:
    Button();
};

// A button with an image left of its text.
class BitmapButton : public Button
{
public:
    using Ptr = std::shared_ptr<BitmapButton>;
    static Ptr create(const std::string& text = "");
    // Shares the texture; the button keeps it alive while it shows it.
    void setImage(std::shared_ptr<const sf::Texture> texture);
    std::shared_ptr<const sf::Texture> getImage() const;
    // 0: the image's own size; otherwise a share of the button's inner height.
    void setImageScaling(float relativeHeight);
};

// Editable multi-line text. getText and setText speak UTF-8.
class TextArea : public Widget
{
public:
    using Ptr = std::shared_ptr<TextArea>;
    static Ptr create();
    void setText(const std::string& utf8);
    std::string getText() const;
    // Selects the whole text, so that typing replaces it (an offered value).
    void selectAll();
    void setDefaultText(const std::string& utf8);
    void setTextSize(unsigned size);
    unsigned getTextSize() const;
    void setMaximumCharacters(std::size_t maximum); // 0: no limit
    // Draws the text smaller when it must, so that every line fits the area unwrapped and all of
    // them its height (form key ShrinkTextToFit): a number is shown whole rather than cut. Off by
    // default.
    void setShrinkTextToFit(bool shrink);
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;
    // Caret position in characters (code points) from the start.
    std::size_t getCaretPosition() const;
    // The lines the text is laid out in as drawn (wrapped at the area's width), and how many of
    // them the area's height shows at once. Without a font (no root yet) lines break only at line
    // feeds.
    std::size_t getLinesCount() const;
    std::size_t getVisibleLinesCount() const;
    // Fires when Enter is pressed in the focused area. While it has a handler, Enter no longer
    // inserts a line break (a one-line field that submits).
    Signal onReturnKeyPress;
};

class ProgressBar : public Widget
{
public:
    using Ptr = std::shared_ptr<ProgressBar>;
    // Default size 232 x 28, range 0..100, value 0.
    static Ptr create();
    void setMinimum(unsigned minimum);
    void setMaximum(unsigned maximum);
    void setValue(unsigned value); // clamped to minimum..maximum
    unsigned getMinimum() const;
    unsigned getMaximum() const;
    unsigned getValue() const;
    void setText(const std::string& utf8);
};

// The root: draws into a window and receives its events.
class Gui : public Container
{
public:
    using Ptr = std::shared_ptr<Gui>;
    Gui();
    explicit Gui(sf::RenderWindow& window);
    // Borrows the window; it must outlive the Gui's use of it.
    void setTarget(sf::RenderWindow& window);
    // The widgets' coordinate space and where it lies in the window (as sf::View does). Without
    // a view, widget coordinates are window pixels.
    void setView(const sf::View& view);
    // Returns whether a widget used the event. Mouse positions are mapped through the view.
    bool handleEvent(const sf::Event& event);
    void draw();
    // For the given time from now, mouse presses are taken and ignored: a click meant for the
    // screen that was just replaced (the second half of a double click) never presses a button
    // of the new one.
    void ignoreClicksFor(sf::Time time);
    // The widget a click at this window pixel would reach (null: none, the click is the caller's).
    Widget::Ptr widgetAt(sf::Vector2i pixel);
    // Gives the keyboard to a widget of this root (a text area then takes typing at once).
    void focus(const Widget::Ptr& widget);
    // The font every widget draws its text with, shared with the caller (who loads it). Without
    // one, text is laid out one unit per character and not drawn.
    void setFont(std::shared_ptr<const sf::Font> font);
    // Throws vgui::Exception on failure; a failed file changes nothing (no half-built screen).
    // With replaceExisting, the file's widgets replace every widget of the root. Only a regular
    // file of at most MaxFormFileBytes is read (see the limits at the top of this header).
    void loadWidgetsFromFile(const std::string& path, bool replaceExisting = true);
};

} // namespace vgui
