// Form files that a fuzzer or a careless hand edit can produce: every one must end in the
// layer's exception with a one-line message, never in a crash or undefined behaviour.

#include "widgets/FormParser.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace vgui;

namespace
{

// Builds a form without a GL context: every image reads as an empty one.
std::string BuildError(const std::string& text)
{
    try
    {
        form::buildForm(text, "", {1280.f, 720.f}, {},
                        [](const std::string&, bool, std::shared_ptr<const sf::Texture>& texture)
                        {
                            texture.reset();
                            return true;
                        });
    }
    catch (const Exception& error)
    {
        return error.what();
    }
    return "";
}

std::string Repeat(const std::string& piece, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += piece;
    return out;
}

} // namespace

TEST(FormHardening, MessagesStayOnOneLineWhateverTheQuotedTextHolds)
{
    // A quoted word with line breaks where a '{' or '=' belongs (the fuzzer's first find).
    const std::string error = BuildError("Label.A {\n  Text \"first\nsecond\tthird\r\" = x; }");
    ASSERT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(error.find('\r'), std::string::npos) << error;
    EXPECT_NE(error.find("first\\nsecond\\tthird\\r"), std::string::npos) << error;
    EXPECT_EQ(error.rfind("Error while parsing input at line 2. Expected '{' or '=', found ", 0), 0u)
        << error;

    // A huge quoted text is cut, at a character boundary, instead of filling the console.
    const std::string huge = BuildError("Label.A { Text \"" + Repeat("\xC3\xA9", 5000) + "\" = x; }");
    EXPECT_LE(huge.size(), 310u);
    EXPECT_EQ(huge.substr(huge.size() - 3), "...");
    EXPECT_NE(static_cast<unsigned char>(huge[huge.size() - 4]), 0xC3u) << "cut inside a character";

    const std::string loading = BuildError("Button.\"two\nlines\" { Visible = maybe; }");
    EXPECT_EQ(loading,
              "Error while loading 'Button.two\\nlines' at line 2: Failed to parse the boolean 'maybe' "
              "of 'Visible'.");
}

TEST(FormHardening, NestingWithoutEndIsAnErrorNotAStackOverflow)
{
    const std::size_t deep = 100000;
    EXPECT_EQ(BuildError(Repeat("Panel.P {", deep) + Repeat("}", deep)),
              "Error while parsing input at line 1. Sections are nested more than 64 deep.");
    // 64 levels still load.
    EXPECT_EQ(BuildError(Repeat("Panel {", 64) + Repeat("}", 64)), "");

    const std::string brackets =
        BuildError("Label.A { Position = (" + Repeat("(", deep) + "1" + Repeat(")", deep) + ", 0); }");
    EXPECT_NE(brackets.find("An expression longer than 1000 characters."), std::string::npos) << brackets;
    const std::string signs = BuildError("Label.A { Size = (" + Repeat("-", deep) + "1, 0); }");
    EXPECT_NE(signs.find("An expression longer than 1000 characters."), std::string::npos) << signs;
    const std::string sum = BuildError("Label.A { Size = (" + Repeat("1+", deep) + "1, 0); }");
    EXPECT_NE(sum.find("An expression longer than 1000 characters."), std::string::npos) << sum;

    // Each widget laid out by the next one: the resolution recursed once per widget. (A chain
    // longer than the widget limit stops at that limit first.)
    const std::size_t links = 1000;
    std::string chain;
    for (std::size_t i = 0; i < links; ++i)
        chain +=
            "Label.a" + std::to_string(i) + " { Position = (a" + std::to_string(i + 1) + ".left, 0); }\n";
    chain += "Label.a" + std::to_string(links) + " { }\n";
    const std::string chained = BuildError(chain);
    EXPECT_NE(chained.find("The layout refers through more than 256 widgets."), std::string::npos) << chained;
    std::string shortChain;
    for (int i = 0; i < 200; ++i)
        shortChain += "Label.a" + std::to_string(i) + " { Position = (a" + std::to_string(i + 1) +
                      ".right, 0); Size = (1, 1); }\n";
    EXPECT_EQ(BuildError(shortChain + "Label.a200 { Size = (1, 1); }"), "");
}

TEST(FormHardening, NumbersThatDoNotFitTheirFieldAreErrors)
{
    const std::string forty(40, '9'); // strtof makes this infinity
    EXPECT_NE(BuildError("Label.A { TextSize = " + forty + "; }").find("Failed to parse the number"),
              std::string::npos);
    EXPECT_EQ(BuildError("Label.A {\n TextSize = 201; }"),
              "Error while loading 'Label.A' at line 2: The number '201' of 'TextSize' is too large (at most "
              "200).");
    EXPECT_EQ(BuildError("Label.A { TextSize = 200; }"), "");
    auto label = Label::create();
    label->setTextSize(5000);
    EXPECT_EQ(label->getTextSize(), MaxTextSize) << "sizes set from code are drawn no larger";
    EXPECT_NE(BuildError("ProgressBar.B { Maximum = 99999999999; }").find("is too large"), std::string::npos);
    EXPECT_NE(BuildError("TextArea.C { MaximumCharacters = 5000000000; }").find("is too large"),
              std::string::npos);
    EXPECT_EQ(BuildError("ProgressBar.B { Maximum = 4000000000; Value = 3999999999; }"), "");

    // Arithmetic that overflows a float, and layouts no screen could have.
    const std::string big = "3" + std::string(38, '0');
    EXPECT_NE(BuildError("Label.A { Size = (" + big + " * 10, 1); }").find("beyond a million pixels"),
              std::string::npos);
    EXPECT_NE(BuildError("Label.A { Position = (" + big + " * 10 - " + big + " * 10, 1); }")
                  .find("beyond a million pixels"),
              std::string::npos);
    EXPECT_NE(BuildError("Label.A { Position = (0, -2000000); }").find("beyond a million pixels"),
              std::string::npos);
    EXPECT_EQ(BuildError("Label.A { Position = (-1000000, 1000000); Size = (100%, 1000000); }"), "");
}

TEST(FormHardening, WidgetsPerFormAreCountedNestedOnesIncluded)
{
    // A panel and 1999 labels inside it: 2000 widgets load; one more anywhere does not.
    const std::string full = "Panel.P {\n" + Repeat("Label { }\n", 1999) + "}\n";
    EXPECT_EQ(BuildError(full), "");
    EXPECT_EQ(BuildError(full + "Button.Extra { }"),
              "Error while loading 'Button.Extra' at line 2002: The form holds more than 2000 widgets.");
    // Shared renderers are looks, not widgets.
    EXPECT_EQ(BuildError("Renderer.1 { }\nRenderer.2 { }\n" + full), "");
}
