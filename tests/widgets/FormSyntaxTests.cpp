#include "widgets/FormParser.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace vgui;

namespace
{

// The message of the exception parsing `text` throws, or "" when it parses.
std::string ParseError(const std::string& text)
{
    try
    {
        form::parseForm(text);
    }
    catch (const Exception& error)
    {
        return error.what();
    }
    return "";
}

const form::Item& OnlyEntry(const form::Node& root)
{
    return root.items.at(0).section->items.at(0);
}

} // namespace

TEST(FormSyntax, SectionsEntriesAndNestedChildrenKeepTheirOrder)
{
    const auto root =
        form::parseForm("Renderer.1 { TextColor = red; }\n"
                        "Panel.Card {\n  Size = (10, 20);\n  Button.\"Play game\" { Text = Go }\n}\n");
    ASSERT_EQ(root.items.size(), 2u);
    EXPECT_EQ(root.items[0].section->header, "Renderer.1");
    const auto& card = *root.items[1].section;
    EXPECT_EQ(card.header, "Panel.Card");
    EXPECT_EQ(card.line, 2u);
    ASSERT_EQ(card.items.size(), 2u);
    EXPECT_EQ(card.items[0].key, "Size");
    EXPECT_EQ(card.items[0].value, "(10, 20)");
    EXPECT_EQ(card.items[0].line, 3u);
    ASSERT_TRUE(card.items[1].section);
    EXPECT_EQ(card.items[1].section->header, "Button.\"Play game\"");
    EXPECT_EQ(card.items[1].section->items[0].value, "Go"); // no ';' before '}'
}

TEST(FormSyntax, QuotedValuesKeepPunctuationAndCommentsFoldToOneSpace)
{
    auto root = form::parseForm("Label { Text = \"a; { } // \\\" b\"; }");
    EXPECT_EQ(form::parseString(OnlyEntry(root).value), "a; { } // \" b");
    root = form::parseForm("Label { Text = a  /*c*/  b; }");
    EXPECT_EQ(OnlyEntry(root).value, "a b");
    root = form::parseForm("// heading\nLabel { /* before */ Text = x; // after\n }");
    EXPECT_EQ(OnlyEntry(root).value, "x");
    EXPECT_EQ(form::parseString("\"line\\nnext\\ttab\\\\\""), "line\nnext\ttab\\");
}

TEST(FormSyntax, ErrorsNameTheLineAndWhatWasFound)
{
    // A missing ';' shows up on the line of the next key.
    EXPECT_EQ(ParseError("Button.A {\n  Text = a\n  TextSize = 20;\n}"),
              "Error while parsing input at line 3. Found '=' while trying to read a value.");
    EXPECT_EQ(ParseError("Button.A {\n  Text x;\n}"),
              "Error while parsing input at line 2. Expected '{' or '=', found 'x' instead.");
    // An unclosed section names the line where it was opened.
    EXPECT_EQ(ParseError("\nPanel.P {\n  Button.B { Text = a; }\n"),
              "Error while parsing input at line 2. Unexpected EOF while parsing.");
    EXPECT_NE(ParseError("Label { Text = \"open; }").find("line 1. Unexpected EOF"), std::string::npos);
    EXPECT_NE(ParseError("Label { }\n/* never closed").find("line 2. Unexpected EOF"), std::string::npos);
    EXPECT_EQ(ParseError("Label { }\n}"),
              "Error while parsing input at line 2. Found '}' without a matching '{'.");
    EXPECT_EQ(ParseError("Label { Text = ; }"),
              "Error while parsing input at line 1. Expected a value, found ';' instead.");
}

TEST(FormValues, NumbersAndBooleans)
{
    float number = 0.f;
    EXPECT_TRUE(form::parseNumber("13", number));
    EXPECT_FLOAT_EQ(number, 13.f);
    EXPECT_TRUE(form::parseNumber("161.4", number));
    EXPECT_FLOAT_EQ(number, 161.4f);
    EXPECT_TRUE(form::parseNumber("-5", number));
    EXPECT_FLOAT_EQ(number, -5.f);
    for (const char* bad : {"", "1e3", "12px", "1.2.3", "-", "0x10"})
        EXPECT_FALSE(form::parseNumber(bad, number)) << bad;

    bool value = false;
    for (const char* yes : {"true", "TRUE", "yes", "On", "1"})
    {
        value = false;
        EXPECT_TRUE(form::parseBool(yes, value) && value) << yes;
    }
    for (const char* no : {"false", "No", "Off", "0"})
    {
        value = true;
        EXPECT_TRUE(form::parseBool(no, value) && !value) << no;
    }
    EXPECT_FALSE(form::parseBool("maybe", value));
}

TEST(FormValues, ColoursInEveryNotation)
{
    sf::Color c;
    ASSERT_TRUE(form::parseColor("#abc", c));
    EXPECT_EQ(c, sf::Color(0xAA, 0xBB, 0xCC));
    ASSERT_TRUE(form::parseColor("#ABCDEF80", c));
    EXPECT_EQ(c, sf::Color(0xAB, 0xCD, 0xEF, 0x80));
    ASSERT_TRUE(form::parseColor("#1234", c));
    EXPECT_EQ(c, sf::Color(0x11, 0x22, 0x33, 0x44));
    ASSERT_TRUE(form::parseColor("rgba(1, 2, 3, 128)", c));
    EXPECT_EQ(c, sf::Color(1, 2, 3, 128));
    ASSERT_TRUE(form::parseColor("rgb(10,20,30)", c));
    EXPECT_EQ(c, sf::Color(10, 20, 30));
    ASSERT_TRUE(form::parseColor("RED", c));
    EXPECT_EQ(c, sf::Color::Red);
    ASSERT_TRUE(form::parseColor("None", c));
    EXPECT_EQ(c.a, 0);
    for (const char* bad : {"#12345", "#GG0000", "rgb(1, 2)", "rgba(1, 2, 3, 300)", "purple", "#"})
        EXPECT_FALSE(form::parseColor(bad, c)) << bad;
}

TEST(FormValues, OutlinesAndPairs)
{
    Outline o;
    ASSERT_TRUE(form::parseOutline("(2)", o));
    EXPECT_FLOAT_EQ(o.left + o.top + o.right + o.bottom, 8.f);
    ASSERT_TRUE(form::parseOutline("(1, 3)", o));
    EXPECT_FLOAT_EQ(o.left, 1.f);
    EXPECT_FLOAT_EQ(o.bottom, 3.f);
    ASSERT_TRUE(form::parseOutline("(1, 2, 3, 4)", o));
    EXPECT_FLOAT_EQ(o.right, 3.f);
    EXPECT_FALSE(form::parseOutline("(1, 2, 3)", o));

    std::string a;
    std::string b;
    ASSERT_TRUE(form::splitPair("((&.width - width) / 2, Other.bottom + 16)", a, b));
    EXPECT_EQ(a, "(&.width - width) / 2");
    EXPECT_EQ(b, "Other.bottom + 16");
    EXPECT_FALSE(form::splitPair("(1, 2, 3)", a, b));
    EXPECT_FALSE(form::splitPair("10, 20", a, b));
}

TEST(FormValues, ExpressionsParseWithPrecedenceAndRejectUnknownNames)
{
    std::string error;
    auto e = form::parseExpression("1 + 2 * (3 - 4) / -2", error);
    ASSERT_TRUE(e) << error;
    EXPECT_EQ(e->op, form::Expr::Op::Add);
    EXPECT_EQ(e->right->op, form::Expr::Op::Divide);

    e = form::parseExpression("50%", error);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->op, form::Expr::Op::Percent);

    e = form::parseExpression("Play.bottom", error);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->object, "Play");
    EXPECT_EQ(e->attribute, "bottom");

    for (const char* bad : {"foo", "Play.middle", "(1 + 2", "1 +", "2 $ 3"})
    {
        error.clear();
        EXPECT_FALSE(form::parseExpression(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}
