#include "widgets/FormParser.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace vgui::form
{

namespace
{

bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsAlnum(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

std::string Trim(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

class Parser
{
public:
    explicit Parser(const std::string& input) : text(input) {}

    Node ParseAll()
    {
        Node root;
        ParseBody(root, true);
        return root;
    }

private:
    const std::string& text;
    std::size_t pos = 0;
    unsigned line = 1;
    // Each nested section is one level of recursion here and later when it is built, laid out,
    // drawn and destroyed: a hand-made file nested without end must fail, not overflow the stack.
    static constexpr int deepestSection = MaxFormDepth;
    int depth = 0;

    [[noreturn]] static void Fail(unsigned atLine, const std::string& what)
    {
        throw Exception(oneLine("Error while parsing input at line " + std::to_string(atLine) + ". " + what));
    }

    bool AtEnd() const { return pos >= text.size(); }
    char Peek(std::size_t ahead = 0) const { return pos + ahead < text.size() ? text[pos + ahead] : '\0'; }

    void Advance()
    {
        if (text[pos] == '\n')
            ++line;
        ++pos;
    }

    bool AtComment() const { return Peek() == '/' && (Peek(1) == '/' || Peek(1) == '*'); }

    void SkipComment()
    {
        const unsigned start = line;
        if (Peek(1) == '/')
        {
            while (!AtEnd() && Peek() != '\n')
                Advance();
            return;
        }
        Advance();
        Advance();
        while (!(Peek() == '*' && Peek(1) == '/'))
        {
            if (AtEnd())
                Fail(start, "Unexpected EOF while parsing (the comment is not closed).");
            Advance();
        }
        Advance();
        Advance();
    }

    void SkipSpace()
    {
        while (!AtEnd())
        {
            if (IsSpace(Peek()))
                Advance();
            else if (AtComment())
                SkipComment();
            else
                break;
        }
    }

    // Copies a quoted string as written, escapes and quotes included.
    std::string ReadQuoted()
    {
        const unsigned start = line;
        std::string out(1, '"');
        Advance();
        while (true)
        {
            if (AtEnd())
                Fail(start, "Unexpected EOF while parsing (the string is not closed).");
            const char c = Peek();
            out += c;
            Advance();
            if (c == '\\' && !AtEnd())
            {
                out += Peek();
                Advance();
            }
            else if (c == '"')
                return out;
        }
    }

    // A section header or a key: everything up to white space or punctuation; quoted parts
    // may hold anything.
    std::string ReadWord()
    {
        std::string out;
        while (!AtEnd())
        {
            const char c = Peek();
            if (IsSpace(c) || c == '=' || c == '{' || c == '}' || c == ';' || AtComment())
                break;
            if (c == '"')
                out += ReadQuoted();
            else
            {
                out += c;
                Advance();
            }
        }
        return out;
    }

    std::string Describe()
    {
        if (AtEnd())
            return "EOF";
        const std::string word = ReadWord();
        return word.empty() ? std::string(1, Peek()) : word;
    }

    std::string ReadValue(const Node& owner, bool topLevel)
    {
        std::string out;
        bool pendingSpace = false;
        while (true)
        {
            if (AtEnd())
                Fail(topLevel ? line : owner.line, "Unexpected EOF while parsing.");
            const char c = Peek();
            if (c == ';' || c == '}')
            {
                if (out.empty())
                    Fail(line, std::string("Expected a value, found '") + c + "' instead.");
                if (c == ';')
                    Advance();
                return out;
            }
            if (c == '=' || c == '{')
                Fail(line, std::string("Found '") + c + "' while trying to read a value.");
            if (IsSpace(c))
            {
                Advance();
                pendingSpace = true;
                continue;
            }
            if (AtComment())
            {
                SkipComment();
                pendingSpace = true;
                continue;
            }
            if (pendingSpace && !out.empty())
                out += ' ';
            pendingSpace = false;
            if (c == '"')
                out += ReadQuoted();
            else
            {
                out += c;
                Advance();
            }
        }
    }

    void ParseBody(Node& node, bool topLevel)
    {
        while (true)
        {
            SkipSpace();
            if (AtEnd())
            {
                if (topLevel)
                    return;
                Fail(node.line, "Unexpected EOF while parsing.");
            }
            const char c = Peek();
            if (c == '}')
            {
                if (topLevel)
                    Fail(line, "Found '}' without a matching '{'.");
                Advance();
                return;
            }
            if (c == ';')
            {
                Advance();
                continue;
            }
            const unsigned wordLine = line;
            const std::string word = ReadWord();
            if (word.empty())
                Fail(line, std::string("Expected a key or a section, found '") + c + "' instead.");
            SkipSpace();
            if (AtEnd())
                Fail(topLevel ? wordLine : node.line, "Unexpected EOF while parsing.");
            if (Peek() == '{')
            {
                Advance();
                auto child = std::make_shared<Node>();
                child->header = word;
                child->line = wordLine;
                if (++depth > deepestSection)
                    Fail(wordLine,
                         "Sections are nested more than " + std::to_string(deepestSection) + " deep.");
                ParseBody(*child, false);
                --depth;
                node.items.push_back({"", "", wordLine, child});
            }
            else if (Peek() == '=')
            {
                Advance();
                SkipSpace();
                const unsigned valueLine = line;
                std::string value = ReadValue(node, topLevel);
                node.items.push_back({word, std::move(value), valueLine, nullptr});
            }
            else
            {
                const unsigned at = line;
                Fail(at, "Expected '{' or '=', found '" + Describe() + "' instead.");
            }
        }
    }
};

// Recursive descent over one layout expression.
class ExpressionParser
{
public:
    ExpressionParser(const std::string& input, std::string& errorOut) : text(input), error(errorOut) {}

    std::unique_ptr<Expr> Parse()
    {
        auto result = Sum();
        SkipSpace();
        if (result && pos < text.size())
            return Error("Unexpected '" + text.substr(pos) + "' in '" + text + "'.");
        return result;
    }

private:
    const std::string& text;
    std::string& error;
    std::size_t pos = 0;

    std::unique_ptr<Expr> Error(const std::string& what)
    {
        if (error.empty())
            error = what;
        return nullptr;
    }

    void SkipSpace()
    {
        while (pos < text.size() && IsSpace(text[pos]))
            ++pos;
    }

    static std::unique_ptr<Expr> Binary(Expr::Op op, std::unique_ptr<Expr> a, std::unique_ptr<Expr> b)
    {
        auto node = std::make_unique<Expr>();
        node->op = op;
        node->left = std::move(a);
        node->right = std::move(b);
        return node;
    }

    std::unique_ptr<Expr> Sum()
    {
        auto left = Product();
        while (left)
        {
            SkipSpace();
            if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-'))
                break;
            const Expr::Op op = text[pos] == '+' ? Expr::Op::Add : Expr::Op::Subtract;
            ++pos;
            auto right = Product();
            if (!right)
                return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Expr> Product()
    {
        auto left = Unary();
        while (left)
        {
            SkipSpace();
            if (pos >= text.size() || (text[pos] != '*' && text[pos] != '/'))
                break;
            const Expr::Op op = text[pos] == '*' ? Expr::Op::Multiply : Expr::Op::Divide;
            ++pos;
            auto right = Unary();
            if (!right)
                return nullptr;
            left = Binary(op, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<Expr> Unary()
    {
        SkipSpace();
        if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        {
            const bool negate = text[pos] == '-';
            ++pos;
            auto inner = Unary();
            if (!inner || !negate)
                return inner;
            auto node = std::make_unique<Expr>();
            node->op = Expr::Op::Negate;
            node->left = std::move(inner);
            return node;
        }
        return Primary();
    }

    std::string Identifier()
    {
        const std::size_t start = pos;
        while (pos < text.size() && (IsAlnum(text[pos]) || text[pos] == '_' || text[pos] == '&'))
            ++pos;
        return text.substr(start, pos - start);
    }

    std::unique_ptr<Expr> Primary()
    {
        SkipSpace();
        if (pos >= text.size())
            return Error("Unexpected end of the expression '" + text + "'.");
        const char c = text[pos];
        if (c == '(')
        {
            ++pos;
            auto inner = Sum();
            SkipSpace();
            if (!inner)
                return nullptr;
            if (pos >= text.size() || text[pos] != ')')
                return Error("Missing ')' in '" + text + "'.");
            ++pos;
            return inner;
        }
        if (IsDigit(c) || c == '.')
        {
            const std::size_t start = pos;
            while (pos < text.size() && (IsDigit(text[pos]) || text[pos] == '.'))
                ++pos;
            auto node = std::make_unique<Expr>();
            if (!parseNumber(text.substr(start, pos - start), node->number))
                return Error("Invalid number in '" + text + "'.");
            SkipSpace();
            if (pos < text.size() && text[pos] == '%')
            {
                ++pos;
                node->op = Expr::Op::Percent;
            }
            return node;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '&')
        {
            auto node = std::make_unique<Expr>();
            node->op = Expr::Op::Reference;
            const std::string first = Identifier();
            if (pos < text.size() && text[pos] == '.')
            {
                ++pos;
                node->object = (first == "parent") ? "&" : first;
                node->attribute = Identifier();
            }
            else
            {
                node->attribute = first;
            }
            static const char* const attributes[] = {"left",  "top",    "right", "bottom",
                                                     "width", "height", "x",     "y"};
            const bool known = std::any_of(std::begin(attributes), std::end(attributes),
                                           [&](const char* a) { return node->attribute == a; });
            if (!known || (node->object.empty() && node->attribute != "width" && node->attribute != "height"))
                return Error("Unknown name '" + (node->object.empty() ? "" : node->object + ".") +
                             node->attribute + "' in '" + text + "'.");
            if (node->attribute == "x")
                node->attribute = "left";
            else if (node->attribute == "y")
                node->attribute = "top";
            return node;
        }
        return Error("Unexpected '" + std::string(1, c) + "' in '" + text + "'.");
    }
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Splits the text inside brackets at top-level commas.
std::vector<std::string> SplitList(const std::string& inner)
{
    std::vector<std::string> parts;
    int depth = 0;
    std::string current;
    for (char c : inner)
    {
        if (c == '(')
            ++depth;
        else if (c == ')')
            --depth;
        if (c == ',' && depth == 0)
        {
            parts.push_back(Trim(current));
            current.clear();
        }
        else
            current += c;
    }
    parts.push_back(Trim(current));
    return parts;
}

// "(...)" without its outer brackets, if the brackets enclose the whole text.
bool Unwrap(const std::string& text, std::string& inner)
{
    const std::string trimmed = Trim(text);
    if (trimmed.size() < 2 || trimmed.front() != '(' || trimmed.back() != ')')
        return false;
    int depth = 0;
    for (std::size_t i = 0; i < trimmed.size(); ++i)
    {
        if (trimmed[i] == '(')
            ++depth;
        else if (trimmed[i] == ')')
            --depth;
        if (depth == 0 && i + 1 < trimmed.size())
            return false; // "(a) + (b)"
    }
    inner = trimmed.substr(1, trimmed.size() - 2);
    return true;
}

bool ParseByte(const std::string& text, sf::Uint8& out)
{
    float number = 0.f;
    if (!parseNumber(text, number) || number < 0.f || number > 255.f)
        return false;
    out = static_cast<sf::Uint8>(number);
    return true;
}

} // namespace

Node parseForm(const std::string& text)
{
    Parser parser(text);
    return parser.ParseAll();
}

std::string toLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

std::string oneLine(const std::string& text)
{
    constexpr std::size_t longest = 300;
    std::string out;
    for (const char c : text)
    {
        // Stop at a character boundary: never inside a UTF-8 sequence.
        if (out.size() >= longest && (static_cast<unsigned char>(c) & 0xC0u) != 0x80u)
        {
            out += "...";
            break;
        }
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            out += '?';
        else
            out += c;
    }
    return out;
}

bool parseNumber(const std::string& text, float& number)
{
    // Plain decimal only: an optional sign, digits, and at most one point.
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i)
    {
        if (IsDigit(text[i]))
            ++digits;
        else if (text[i] == '.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0)
        return false;
    // Forty digits are still "a number" to strtof, but infinity is no size or count.
    const float read = std::strtof(text.c_str(), nullptr);
    if (!std::isfinite(read))
        return false;
    number = read;
    return true;
}

bool parseBool(const std::string& text, bool& value)
{
    const std::string lower = toLower(Trim(text));
    if (lower == "true" || lower == "yes" || lower == "on" || lower == "1")
        value = true;
    else if (lower == "false" || lower == "no" || lower == "off" || lower == "0")
        value = false;
    else
        return false;
    return true;
}

bool parseColor(const std::string& raw, sf::Color& color)
{
    std::string text = Trim(raw);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    const std::string lower = toLower(text);
    static const std::pair<const char*, sf::Color> names[] = {
        {"black", sf::Color::Black},
        {"white", sf::Color::White},
        {"red", sf::Color::Red},
        {"yellow", sf::Color::Yellow},
        {"green", sf::Color::Green},
        {"cyan", sf::Color::Cyan},
        {"blue", sf::Color::Blue},
        {"magenta", sf::Color::Magenta},
        {"transparent", sf::Color::Transparent},
        {"none", sf::Color::Transparent},
    };
    for (const auto& [name, value] : names)
    {
        if (lower == name)
        {
            color = value;
            return true;
        }
    }
    if (!text.empty() && text[0] == '#')
    {
        const std::string hex = text.substr(1);
        if (std::any_of(hex.begin(), hex.end(), [](char c) { return HexDigit(c) < 0; }))
            return false;
        auto pair = [&](std::size_t i)
        {
            return static_cast<sf::Uint8>(HexDigit(hex[i]) * 16 + HexDigit(hex[i + 1]));
        };
        auto single = [&](std::size_t i)
        {
            return static_cast<sf::Uint8>(HexDigit(hex[i]) * 17);
        };
        if (hex.size() == 3 || hex.size() == 4)
        {
            color = sf::Color(single(0), single(1), single(2), hex.size() == 4 ? single(3) : sf::Uint8(255));
            return true;
        }
        if (hex.size() == 6 || hex.size() == 8)
        {
            color = sf::Color(pair(0), pair(2), pair(4), hex.size() == 8 ? pair(6) : sf::Uint8(255));
            return true;
        }
        return false;
    }
    const bool withAlpha = lower.rfind("rgba", 0) == 0;
    if (lower.rfind("rgb", 0) == 0)
    {
        std::string inner;
        if (!Unwrap(text.substr(withAlpha ? 4 : 3), inner))
            return false;
        const auto parts = SplitList(inner);
        if (parts.size() != (withAlpha ? 4u : 3u))
            return false;
        sf::Uint8 channels[4] = {0, 0, 0, 255};
        for (std::size_t i = 0; i < parts.size(); ++i)
        {
            if (!ParseByte(parts[i], channels[i]))
                return false;
        }
        color = sf::Color(channels[0], channels[1], channels[2], channels[3]);
        return true;
    }
    return false;
}

bool parseOutline(const std::string& text, Outline& outline)
{
    std::string inner;
    if (!Unwrap(text, inner))
        inner = Trim(text);
    const auto parts = SplitList(inner);
    float v[4] = {0.f, 0.f, 0.f, 0.f};
    for (std::size_t i = 0; i < parts.size() && i < 4; ++i)
    {
        if (!parseNumber(parts[i], v[i]))
            return false;
    }
    if (parts.size() == 1)
        outline = {v[0], v[0], v[0], v[0]};
    else if (parts.size() == 2)
        outline = {v[0], v[1], v[0], v[1]};
    else if (parts.size() == 4)
        outline = {v[0], v[1], v[2], v[3]};
    else
        return false;
    return true;
}

std::string parseString(const std::string& text)
{
    if (text.empty() || text.front() != '"')
        return text;
    std::string out;
    std::size_t i = 1;
    for (; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '"')
            break;
        if (c == '\\' && i + 1 < text.size())
        {
            const char e = text[++i];
            out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
        }
        else
            out += c;
    }
    // Only a single quoted string counts; anything after it means the value is a plain word.
    return i + 1 == text.size() ? out : text;
}

bool splitPair(const std::string& text, std::string& first, std::string& second)
{
    std::string inner;
    if (!Unwrap(text, inner))
        return false;
    const auto parts = SplitList(inner);
    if (parts.size() != 2 || parts[0].empty() || parts[1].empty())
        return false;
    first = parts[0];
    second = parts[1];
    return true;
}

std::unique_ptr<Expr> parseExpression(const std::string& text, std::string& error)
{
    // An expression's tree is as deep as its text is long and is evaluated and destroyed
    // recursively; no layout needs more than a line.
    constexpr std::size_t longest = 1000;
    if (text.size() > longest)
    {
        error = "An expression longer than " + std::to_string(longest) + " characters.";
        return nullptr;
    }
    ExpressionParser parser(text, error);
    return parser.Parse();
}

} // namespace vgui::form
