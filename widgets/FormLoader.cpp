// Turning a parsed form into widgets. Everything is built off to the side first; the Gui only
// changes once the whole file has loaded, so a failing file leaves the screen as it was.

#include "files/ImageSize.hpp"
#include "files/RegularFile.hpp"
#include "widgets/FormParser.hpp"
#include "widgets/WidgetState.hpp"

#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <sstream>
#include <unordered_set>

namespace vgui
{

namespace
{

using form::Expr;
using form::Node;

// The position and size expressions of one widget, resolved once the whole form exists so that
// a widget may refer to a sibling declared after it.
struct PendingLayout
{
    std::array<std::unique_ptr<Expr>, 2> position;
    std::array<std::unique_ptr<Expr>, 2> size;
    unsigned positionLine = 0;
    unsigned sizeLine = 0;
    std::string id;
    int status = 0; // 0 waiting, 1 being resolved (a second visit is a cycle), 2 done
};

struct Scope
{
    sf::Vector2f parentSize;
    const std::vector<Widget::Ptr>* siblings = nullptr;
    const std::vector<Widget::Ptr>* existing = nullptr;
};

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The key without a state variant suffix ("BackgroundColorHover" -> "BackgroundColor").
std::string BaseKey(const std::string& key)
{
    static const char* const suffixes[] = {"DownHover", "DownDisabled", "DownFocused", "Hover",
                                           "Down",      "Disabled",     "Focused"};
    for (const char* suffix : suffixes)
    {
        if (EndsWith(key, suffix) && key.size() > std::string(suffix).size())
            return key.substr(0, key.size() - std::string(suffix).size());
    }
    return key;
}

class Loader
{
public:
    Loader(std::string formFolder, const form::ImageReader& imageReader, form::FormRoom& room)
        : folder(std::move(formFolder)), readImage(imageReader), room(room), imagePixels(room.heldImagePixels)
    {
    }

    std::vector<Widget::Ptr> Load(const Node& root, sf::Vector2f rootSize,
                                  const std::vector<Widget::Ptr>& existing)
    {
        // Shared looks first, so a widget may use one declared further down.
        for (const auto& item : root.items)
        {
            if (item.section && item.section->header.rfind("Renderer.", 0) == 0)
            {
                const std::string name = form::parseString(item.section->header.substr(9));
                shared[name] = BuildRenderer(*item.section, item.section->header);
            }
        }
        std::vector<Widget::Ptr> widgets;
        for (const auto& item : root.items)
        {
            if (item.section && item.section->header.rfind("Renderer", 0) != 0)
                widgets.push_back(BuildWidget(*item.section));
        }
        ResolveList(widgets, rootSize, &existing);
        if (room.glyphs)
            CheckGlyphs(*room.glyphs);
        for (const auto& [key, texture] : textures)
            if (texture)
                room.images.push_back(texture);
        return widgets;
    }

private:
    std::string folder;
    const form::ImageReader& readImage; // empty: images become textures
    std::map<std::string, std::shared_ptr<Renderer::Data>> shared;
    std::map<std::string, std::shared_ptr<const sf::Texture>> textures;
    std::map<const Widget*, PendingLayout> layouts;
    // Widgets being resolved right now: a layout that refers to a sibling resolves it first, so a
    // long chain of references is as deep a recursion.
    static constexpr int longestChain = 256;
    int resolving = 0;
    form::FormRoom& room;
    std::size_t widgetCount = 0;
    std::uint64_t imagePixels = 0; // of the root's other forms and the distinct images read so far
    // Every widget built, in the file's order, with how the messages name it.
    struct Built
    {
        const Widget* widget;
        std::string id;
        unsigned line;
    };
    std::vector<Built> built;

    // The glyphs the form's text would add to the font's pages, widget by widget once laid out
    // (a button's text size may follow its height).
    void CheckGlyphs(const GlyphLedger& ledger) const
    {
        std::unordered_set<std::uint64_t> counted;
        std::uint64_t total = ledger.bytes;
        for (const Built& entry : built)
        {
            const auto& s = WidgetAccess::of(*entry.widget);
            if (s.kind == Kind::Panel || s.kind == Kind::Group || s.kind == Kind::Picture ||
                (s.text.isEmpty() && s.defaultText.isEmpty()))
                continue;
            const unsigned size = effectiveTextSize(s);
            const bool bold =
                s.renderer.data->hasTextStyle && (s.renderer.data->textStyle & sf::Text::Bold) != 0;
            total +=
                ledger.Needs(s.text, size, bold, counted) + ledger.Needs(s.defaultText, size, bold, counted);
            if (total > MaxFormGlyphBytes)
                Fail(entry.id, entry.line,
                     "Its text at size " + std::to_string(size) + " would take the font's glyphs to " +
                         std::to_string((total + (1u << 19)) >> 20) + " MiB, past the " +
                         std::to_string(MaxFormGlyphBytes >> 20) + " MiB that forms may use.");
        }
    }

    [[noreturn]] static void Fail(const std::string& id, unsigned line, const std::string& what)
    {
        throw Exception(
            form::oneLine("Error while loading '" + id + "' at line " + std::to_string(line) + ": " + what));
    }

    std::shared_ptr<const sf::Texture> LoadTexture(const std::string& value, const std::string& id,
                                                   unsigned line)
    {
        if (form::toLower(value) == "none")
            return nullptr;
        std::string file;
        std::string options;
        if (!value.empty() && value.front() == '"')
        {
            std::size_t end = 1;
            while (end < value.size() && value[end] != '"')
                end += value[end] == '\\' ? 2u : 1u;
            file = form::parseString(value.substr(0, end + 1));
            options = end + 1 < value.size() ? value.substr(end + 1) : "";
        }
        else
        {
            const std::size_t space = value.find(' ');
            file = value.substr(0, space);
            options = space == std::string::npos ? "" : value.substr(space);
        }
        bool smooth = false;
        std::istringstream words(options);
        for (std::string word; words >> word;)
        {
            if (form::toLower(word) == "smooth")
                smooth = true;
            else
                Fail(id, line, "Unknown texture option '" + word + "'.");
        }
        const std::string path = (!file.empty() && file.front() == '/') ? file : folder + file;
        const std::string cacheKey = path + (smooth ? "|smooth" : "");
        if (auto it = textures.find(cacheKey); it != textures.end())
            return it->second;
        if (readImage)
        {
            std::shared_ptr<const sf::Texture> read;
            if (!readImage(path, smooth, read))
                Fail(id, line, "Failed to load the image '" + path + "'.");
            textures[cacheKey] = read;
            return read;
        }
        // Everything about the file is checked before a texture exists: a texture object needs a
        // GL context, and decoding is where a small file turns into a lot of memory. The bytes
        // checked are the bytes decoded, so the file cannot change in between.
        std::string bytes;
        const files::FileRead read = files::ReadRegularFile(path, MaxImageFileBytes, bytes);
        if (read == files::FileRead::Missing)
            Fail(id, line, "Failed to load the image '" + path + "'.");
        if (read != files::FileRead::Ok)
            Fail(id, line,
                 "Failed to load the image '" + path + "': " + files::Describe(read, MaxImageFileBytes) +
                     ".");
        const std::optional<files::Sides> size = files::ImageSize(bytes.data(), bytes.size());
        if (!size)
            Fail(id, line, "Failed to load the image '" + path + "': it is not a PNG, JPEG or BMP image.");
        const std::string sides = std::to_string(size->width) + " x " + std::to_string(size->height);
        if (size->width > MaxImageSide || size->height > MaxImageSide)
            Fail(id, line,
                 "The image '" + path + "' is " + sides + " pixels; an image may be at most " +
                     std::to_string(MaxImageSide) + " x " + std::to_string(MaxImageSide) + ".");
        imagePixels += std::uint64_t{size->width} * size->height;
        if (imagePixels > MaxFormImagePixels)
            Fail(id, line,
                 "With the image '" + path + "' (" + sides + ") the images of the forms on screen pass " +
                     std::to_string(MaxFormImagePixels) + " pixels in all.");
        const unsigned largest = sf::Texture::getMaximumSize();
        if (size->width > largest || size->height > largest)
            Fail(id, line,
                 "The image '" + path + "' is " + sides + " pixels; this graphics driver takes at most " +
                     std::to_string(largest) + " x " + std::to_string(largest) + ".");
        auto texture = std::make_shared<sf::Texture>();
        if (!texture->loadFromMemory(bytes.data(), bytes.size()))
            Fail(id, line, "Failed to load the image '" + path + "'.");
        texture->setSmooth(smooth);
        textures[cacheKey] = texture;
        return texture;
    }

    std::shared_ptr<Renderer::Data> BuildRenderer(const Node& node, const std::string& id)
    {
        static const char* const colorKeys[] = {
            "TextColor",       "BackgroundColor",  "BorderColor",       "FillColor",
            "CaretColor",      "DefaultTextColor", "SelectedTextColor", "SelectedTextBackgroundColor",
            "TextColorFilled", "TextOutlineColor"};
        static const char* const numberKeys[] = {"Opacity", "OpacityDisabled", "ScrollbarWidth",
                                                 "RoundedBorderRadius", "TextOutlineThickness"};
        auto data = std::make_shared<Renderer::Data>();
        for (const auto& item : node.items)
        {
            if (item.section)
            {
                if (item.section->header == "Scrollbar")
                    continue; // we draw no scrollbars; forms from the builder may still describe one
                Fail(id, item.line, "Unexpected section '" + item.section->header + "' in a renderer.");
            }
            const std::string& key = item.key;
            const std::string base = BaseKey(key);
            if (std::find(std::begin(colorKeys), std::end(colorKeys), base) != std::end(colorKeys))
            {
                sf::Color color;
                if (!form::parseColor(item.value, color))
                    Fail(id, item.line, "Failed to parse the colour '" + item.value + "' of '" + key + "'.");
                data->colors[key] = color;
            }
            else if (key == "Borders" || key == "Padding")
            {
                Outline outline;
                if (!form::parseOutline(item.value, outline))
                    Fail(id, item.line, "Failed to parse the outline '" + item.value + "' of '" + key + "'.");
                data->outlines[key] = outline;
            }
            else if (base == "Texture" || key == "TextureBackground" || key == "TextureFill")
            {
                data->textures[key] = LoadTexture(item.value, id, item.line);
            }
            else if (key == "TextStyle")
            {
                data->hasTextStyle = true;
                data->textStyle = ParseStyle(item.value, id, item.line);
            }
            else if (std::find(std::begin(numberKeys), std::end(numberKeys), key) != std::end(numberKeys))
            {
                float number = 0.f;
                if (!form::parseNumber(item.value, number))
                    Fail(id, item.line, "Failed to parse the number '" + item.value + "' of '" + key + "'.");
                data->numbers[key] = number;
            }
            else if (key != "Font")
            {
                Fail(id, item.line, "Unknown renderer property '" + key + "'.");
            }
        }
        return data;
    }

    static sf::Uint32 ParseStyle(const std::string& value, const std::string& id, unsigned line)
    {
        sf::Uint32 style = sf::Text::Regular;
        std::string text = form::parseString(value);
        for (char& c : text)
        {
            if (c == '|')
                c = ' ';
        }
        std::istringstream words(text);
        for (std::string word; words >> word;)
        {
            const std::string lower = form::toLower(word);
            if (lower == "bold")
                style |= sf::Text::Bold;
            else if (lower == "italic")
                style |= sf::Text::Italic;
            else if (lower == "underlined")
                style |= sf::Text::Underlined;
            else if (lower == "strikethrough")
                style |= sf::Text::StrikeThrough;
            else if (lower != "regular")
                Fail(id, line, "Unknown text style '" + word + "'.");
        }
        return style;
    }

    static Widget::Ptr Create(const std::string& type)
    {
        if (type == "Button")
            return Button::create();
        if (type == "BitmapButton")
            return BitmapButton::create();
        if (type == "TextArea")
            return TextArea::create();
        if (type == "ProgressBar")
            return ProgressBar::create();
        if (type == "Label")
            return Label::create();
        if (type == "Picture")
            return Picture::create();
        if (type == "Panel")
            return Panel::create();
        if (type == "Group")
            return Group::create();
        return nullptr;
    }

    Widget::Ptr BuildWidget(const Node& node)
    {
        // The type ends at the first dot; the rest, quoted or not, is the name.
        std::size_t dot = node.header.find('.');
        const std::string type = node.header.substr(0, dot);
        const std::string name =
            dot == std::string::npos ? "" : form::parseString(node.header.substr(dot + 1));
        const std::string id = name.empty() ? type : type + "." + name;

        if (++widgetCount > MaxFormWidgets)
            Fail(id, node.line, "The form holds more than " + std::to_string(MaxFormWidgets) + " widgets.");
        Widget::Ptr widget = Create(type);
        if (!widget)
            Fail(id, node.line, "No construct function exists for widget type '" + type + "'.");
        widget->setName(name);
        built.push_back({widget.get(), id, node.line});
        auto& s = WidgetAccess::of(*widget);
        const Kind kind = s.kind;

        auto readBool = [&](const form::Item& item)
        {
            bool value = false;
            if (!form::parseBool(item.value, value))
                Fail(id, item.line,
                     "Failed to parse the boolean '" + item.value + "' of '" + item.key + "'.");
            return value;
        };
        auto readNumber = [&](const form::Item& item, bool allowNegative)
        {
            float value = 0.f;
            if (!form::parseNumber(item.value, value) || (!allowNegative && value < 0.f))
                Fail(id, item.line, "Failed to parse the number '" + item.value + "' of '" + item.key + "'.");
            return value;
        };
        // A whole count up to `largest`: a bigger one has no meaning and would not fit the field.
        auto readCount = [&](const form::Item& item, float largest, const std::string& why = "")
        {
            const float number = readNumber(item, false);
            if (!(number <= largest))
                Fail(id, item.line,
                     "The number '" + item.value + "' of '" + item.key + "' is too large" + why + ".");
            return static_cast<unsigned>(number);
        };
        constexpr float largestCount = 4294967040.f; // the largest float below 2^32
        auto readLayout = [&](const form::Item& item, std::array<std::unique_ptr<Expr>, 2>& target)
        {
            std::string first;
            std::string second;
            if (!form::splitPair(item.value, first, second))
                Fail(id, item.line, "Expected '(x, y)' for '" + item.key + "', found '" + item.value + "'.");
            std::string error;
            auto x = form::parseExpression(first, error);
            auto y = x ? form::parseExpression(second, error) : nullptr;
            if (!x || !y)
                Fail(id, item.line, error);
            target[0] = std::move(x);
            target[1] = std::move(y);
        };

        std::optional<unsigned> minimum;
        std::optional<unsigned> maximum;
        std::optional<unsigned> value;
        for (const auto& item : node.items)
        {
            if (item.section)
            {
                if (item.section->header == "Renderer")
                {
                    widget->setRenderer(BuildRenderer(*item.section, id));
                    continue;
                }
                auto container = std::dynamic_pointer_cast<Container>(widget);
                if (!container)
                    Fail(id, item.section->line, "A " + type + " cannot hold child widgets.");
                container->add(BuildWidget(*item.section));
                continue;
            }
            const std::string& key = item.key;
            if (key == "Position" || key == "Size")
            {
                auto& layout = layouts[widget.get()];
                layout.id = id;
                if (key == "Position")
                {
                    readLayout(item, layout.position);
                    layout.positionLine = item.line;
                }
                else
                {
                    readLayout(item, layout.size);
                    layout.sizeLine = item.line;
                }
            }
            else if (key == "Visible")
                widget->setVisible(readBool(item));
            else if (key == "Enabled")
                widget->setEnabled(readBool(item));
            else if (key == "IgnoreMouseEvents")
                s.ignoreMouse = readBool(item);
            else if (key == "Renderer")
            {
                if (item.value.empty() || item.value.front() != '&')
                    Fail(id, item.line,
                         "Expected a shared renderer such as '&1' or a Renderer section, found '" +
                             item.value + "'.");
                const auto it = shared.find(item.value.substr(1));
                if (it == shared.end())
                    Fail(id, item.line, "No renderer '" + item.value + "' is declared in this form.");
                widget->setRenderer(it->second);
            }
            else if (key == "Text" && kind != Kind::Panel && kind != Kind::Group && kind != Kind::Picture)
            {
                const std::string text = form::parseString(item.value);
                s.text = sf::String::fromUtf8(text.begin(), text.end());
            }
            else if (key == "TextSize")
                s.textSize = readCount(item, static_cast<float>(MaxTextSize),
                                       " (at most " + std::to_string(MaxTextSize) + ")");
            else if (key == "DefaultText" && kind == Kind::TextArea)
            {
                const std::string text = form::parseString(item.value);
                s.defaultText = sf::String::fromUtf8(text.begin(), text.end());
            }
            else if (key == "MaximumCharacters" && kind == Kind::TextArea)
                std::static_pointer_cast<TextArea>(widget)->setMaximumCharacters(
                    static_cast<std::size_t>(readCount(item, largestCount)));
            else if (key == "ReadOnly" && kind == Kind::TextArea)
                s.readOnly = readBool(item);
            else if (key == "ShrinkTextToFit" && (kind == Kind::TextArea || kind == Kind::Label))
                s.shrinkToFit = readBool(item);
            else if ((key == "HorizontalAlignment" || key == "VerticalAlignment") && kind == Kind::Label)
            {
                const std::string lower = form::toLower(form::parseString(item.value));
                Align align = Align::Start;
                if (lower == "center")
                    align = Align::Center;
                else if (lower == "right" || lower == "bottom")
                    align = Align::End;
                else if (lower != "left" && lower != "top")
                    Fail(id, item.line, "Unknown alignment '" + item.value + "'.");
                (key == "HorizontalAlignment" ? s.horizontalAlign : s.verticalAlign) = align;
            }
            else if (key == "Image" && kind == Kind::BitmapButton)
                s.image = LoadTexture(item.value, id, item.line);
            else if (key == "ImageScaling" && kind == Kind::BitmapButton)
                s.imageScaling = readNumber(item, false);
            else if (key == "Minimum" && kind == Kind::ProgressBar)
                minimum = readCount(item, largestCount);
            else if (key == "Maximum" && kind == Kind::ProgressBar)
                maximum = readCount(item, largestCount);
            else if (key == "Value" && kind == Kind::ProgressBar)
                value = readCount(item, largestCount);
            // Other keys (tool tips, widths of scrollbars, ...) are not ours to draw.
        }

        if (kind == Kind::ProgressBar)
        {
            // Minimum, maximum, value: in this order whatever the file's order.
            auto bar = std::static_pointer_cast<ProgressBar>(widget);
            if (minimum)
                bar->setMinimum(*minimum);
            if (maximum)
                bar->setMaximum(*maximum);
            if (value)
                bar->setValue(*value);
        }
        if (kind == Kind::TextArea)
            s.caret = s.anchor = s.text.getSize();
        if (kind == Kind::Picture)
        {
            if (auto texture = lookTexture(*s.renderer.data, "Texture", ""))
                s.size = sf::Vector2f(texture->getSize()); // until a Size says otherwise
        }
        return widget;
    }

    float Attribute(const Widget& widget, const std::string& attribute) const
    {
        const sf::Vector2f pos = widget.getPosition();
        const sf::Vector2f size = widget.getSize();
        if (attribute == "left")
            return pos.x;
        if (attribute == "top")
            return pos.y;
        if (attribute == "right")
            return pos.x + size.x;
        if (attribute == "bottom")
            return pos.y + size.y;
        if (attribute == "width")
            return size.x;
        return size.y;
    }

    Widget::Ptr FindSibling(const std::string& name, const Scope& scope) const
    {
        for (const auto* list : {scope.siblings, scope.existing})
        {
            if (list == nullptr)
                continue;
            for (const auto& widget : *list)
            {
                if (widget->getName() == name)
                    return widget;
            }
        }
        return nullptr;
    }

    float Evaluate(const Expr& expr, Widget& widget, int axis, bool forSize, const Scope& scope,
                   const PendingLayout& layout, unsigned line)
    {
        const float parentExtent = axis == 0 ? scope.parentSize.x : scope.parentSize.y;
        switch (expr.op)
        {
        case Expr::Op::Number:
            return expr.number;
        case Expr::Op::Percent:
            return expr.number / 100.f * parentExtent;
        case Expr::Op::Negate:
            return -Evaluate(*expr.left, widget, axis, forSize, scope, layout, line);
        case Expr::Op::Add:
        case Expr::Op::Subtract:
        case Expr::Op::Multiply:
        case Expr::Op::Divide:
        {
            const float a = Evaluate(*expr.left, widget, axis, forSize, scope, layout, line);
            const float b = Evaluate(*expr.right, widget, axis, forSize, scope, layout, line);
            if (expr.op == Expr::Op::Add)
                return a + b;
            if (expr.op == Expr::Op::Subtract)
                return a - b;
            if (expr.op == Expr::Op::Multiply)
                return a * b;
            return b != 0.f ? a / b : 0.f;
        }
        case Expr::Op::Reference:
            break;
        }
        if (expr.object == "&")
        {
            if (expr.attribute == "width" || expr.attribute == "right")
                return scope.parentSize.x;
            if (expr.attribute == "height" || expr.attribute == "bottom")
                return scope.parentSize.y;
            return 0.f;
        }
        if (expr.object.empty())
        {
            if (forSize)
                Fail(layout.id, line, "A size cannot depend on the widget's own size.");
            return Attribute(widget, expr.attribute);
        }
        const Widget::Ptr sibling = FindSibling(expr.object, scope);
        if (!sibling)
            Fail(layout.id, line, "No widget named '" + expr.object + "' to lay this widget out by.");
        Resolve(*sibling, scope);
        return Attribute(*sibling, expr.attribute);
    }

    void Resolve(Widget& widget, const Scope& scope)
    {
        const auto it = layouts.find(&widget);
        if (it == layouts.end())
            return;
        PendingLayout& layout = it->second;
        if (layout.status == 2)
            return;
        if (layout.status == 1)
            Fail(layout.id, layout.positionLine ? layout.positionLine : layout.sizeLine,
                 "The layout depends on itself.");
        layout.status = 1;
        if (++resolving > longestChain)
            Fail(layout.id, layout.positionLine ? layout.positionLine : layout.sizeLine,
                 "The layout refers through more than " + std::to_string(longestChain) + " widgets.");
        // Drawing and hit tests turn sizes into counts of lines and pixels: a layout must be a
        // number of pixels that a screen could have, not an overflow of its arithmetic.
        auto checked = [&](sf::Vector2f v, unsigned line)
        {
            constexpr float largest = 1e6f;
            if (!(std::abs(v.x) <= largest && std::abs(v.y) <= largest))
                Fail(layout.id, line, "The layout gives a position or size beyond a million pixels.");
            return v;
        };
        if (layout.size[0])
        {
            widget.setSize(
                checked({Evaluate(*layout.size[0], widget, 0, true, scope, layout, layout.sizeLine),
                         Evaluate(*layout.size[1], widget, 1, true, scope, layout, layout.sizeLine)},
                        layout.sizeLine));
        }
        if (layout.position[0])
        {
            widget.setPosition(
                checked({Evaluate(*layout.position[0], widget, 0, false, scope, layout, layout.positionLine),
                         Evaluate(*layout.position[1], widget, 1, false, scope, layout, layout.positionLine)},
                        layout.positionLine));
        }
        --resolving;
        layout.status = 2;
    }

    void ResolveList(const std::vector<Widget::Ptr>& widgets, sf::Vector2f parentSize,
                     const std::vector<Widget::Ptr>* existing)
    {
        const Scope scope{parentSize, &widgets, existing};
        for (const auto& widget : widgets)
            Resolve(*widget, scope);
        for (const auto& widget : widgets)
        {
            if (auto container = std::dynamic_pointer_cast<Container>(widget))
            {
                const sf::FloatRect inner = innerRect(WidgetAccess::of(*container));
                ResolveList(container->getWidgets(), {inner.width, inner.height}, nullptr);
            }
        }
    }
};

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

} // namespace

std::vector<Widget::Ptr> form::buildForm(const std::string& text, const std::string& folder,
                                         sf::Vector2f rootSize, const std::vector<Widget::Ptr>& existing,
                                         const ImageReader& readImage, FormRoom* room)
{
    const Node root = parseForm(text);
    FormRoom empty;
    Loader loader(folder, readImage, room ? *room : empty);
    return loader.Load(root, rootSize, existing);
}

void Gui::loadWidgetsFromFile(const std::string& path, bool replaceExisting)
{
    const std::string failedToOpen = "Failed to open '" + path + "' to load the widgets from it";
    std::string text;
    const files::FileRead read = files::ReadRegularFile(path, MaxFormFileBytes, text);
    if (read == files::FileRead::Missing || read == files::FileRead::Unreadable)
        throw Exception(form::oneLine(failedToOpen + "."));
    if (read != files::FileRead::Ok)
        throw Exception(form::oneLine(failedToOpen + ": " + files::Describe(read, MaxFormFileBytes) + "."));
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3); // a byte order mark from some editors
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        throw Exception(form::oneLine(failedToOpen + "."));

    static const std::vector<Widget::Ptr> none;
    // The images still shown count against the budget unless the new form replaces them.
    auto& shown = state->formImages;
    std::erase_if(shown, [](const auto& image) { return image.expired(); });
    form::FormRoom room;
    room.glyphs = glyphLedgerOf(state->font.get());
    if (!replaceExisting)
        for (const auto& image : shown)
            if (const auto texture = image.lock())
                room.heldImagePixels += std::uint64_t{texture->getSize().x} * texture->getSize().y;
    std::vector<Widget::Ptr> widgets = form::buildForm(
        text, FolderOf(path), state->size, replaceExisting ? none : state->children, nullptr, &room);

    // Nothing above touched the Gui; from here on nothing can fail.
    if (replaceExisting)
        removeAllWidgets();
    for (auto& widget : widgets)
        add(widget);
    shown.insert(shown.end(), room.images.begin(), room.images.end());
}

} // namespace vgui
