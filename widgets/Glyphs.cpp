// The glyph budget of a font: every character drawn or measured at a text size makes a glyph
// that the font keeps in its pages for the rest of the run, so what the pages may hold is
// counted here, per character, size and weight, before the font makes it.

#include "widgets/WidgetState.hpp"

#include <SFML/System/Err.hpp>

#include <map>

namespace vgui
{

namespace
{
struct Entry
{
    std::weak_ptr<const sf::Font> font;
    GlyphLedger ledger;
};

std::map<const sf::Font*, Entry>& Registry()
{
    static std::map<const sf::Font*, Entry> fonts;
    return fonts;
}

std::uint64_t Key(sf::Uint32 codePoint, unsigned size, bool bold)
{
    return std::uint64_t{codePoint} << 32 | std::uint64_t{size} << 1 | (bold ? 1u : 0u);
}

std::string MiBText(std::uint64_t bytes)
{
    return std::to_string((bytes + (1u << 19)) >> 20) + " MiB";
}
} // namespace

std::uint64_t GlyphLedger::CostOf(sf::Uint32 codePoint, unsigned size)
{
    // Blanks have no pixels.
    if (codePoint == ' ' || codePoint == '\t' || codePoint == '\n' || codePoint == 0xA0)
        return 0;
    return std::uint64_t{4} * size * size;
}

bool GlyphLedger::Admit(sf::Uint32 codePoint, unsigned size, bool bold)
{
    const std::uint64_t cost = CostOf(codePoint, size);
    if (cost == 0)
        return true;
    const std::uint64_t key = Key(codePoint, size, bold);
    if (charged.count(key) != 0)
        return true;
    if (bytes + cost > MaxFontGlyphBytes)
    {
        if (!told)
            sf::err() << "The font's glyphs reached their budget of " << MiBText(MaxFontGlyphBytes)
                      << ": character " << codePoint << " at text size " << size
                      << " and every later one past the budget are drawn as spaces" << std::endl;
        told = true;
        return false;
    }
    charged.insert(key);
    bytes += cost;
    return true;
}

std::uint64_t GlyphLedger::Needs(const sf::String& text, unsigned size, bool bold,
                                 std::unordered_set<std::uint64_t>& counted) const
{
    std::uint64_t needed = 0;
    const auto add = [&](sf::Uint32 codePoint, bool weight)
    {
        const std::uint64_t key = Key(codePoint, size, weight);
        if (charged.count(key) == 0 && counted.insert(key).second)
            needed += CostOf(codePoint, size);
    };
    // Capitals place a line; text is measured in the regular weight and drawn in its own.
    add('H', bold);
    for (const sf::Uint32 codePoint : text)
    {
        add(codePoint, false);
        if (bold)
            add(codePoint, true);
    }
    return needed;
}

void registerFont(const std::shared_ptr<const sf::Font>& font)
{
    if (!font)
        return;
    Entry& entry = Registry()[font.get()];
    // A font made where one that has gone lived starts with empty pages.
    if (entry.font.lock() != font)
        entry = Entry{font, GlyphLedger()};
}

GlyphLedger* glyphLedgerOf(const sf::Font* font)
{
    if (font == nullptr)
        return nullptr;
    const auto found = Registry().find(font);
    if (found == Registry().end() || found->second.font.expired())
        return nullptr;
    return &found->second.ledger;
}

sf::Uint32 drawableGlyph(const sf::Font* font, sf::Uint32 codePoint, unsigned size, bool bold)
{
    GlyphLedger* ledger = glyphLedgerOf(font);
    return !ledger || ledger->Admit(codePoint, size, bold) ? codePoint : sf::Uint32{' '};
}

sf::String drawableText(const sf::Font* font, const sf::String& text, unsigned size, bool bold)
{
    GlyphLedger* ledger = glyphLedgerOf(font);
    if (!ledger)
        return text;
    sf::String fitted = text;
    for (std::size_t i = 0; i < fitted.getSize(); ++i)
    {
        if (!ledger->Admit(fitted[i], size, bold))
            fitted[i] = ' ';
    }
    return fitted;
}

std::uint64_t glyphBytes(const sf::Font* font)
{
    const GlyphLedger* ledger = glyphLedgerOf(font);
    return ledger ? ledger->bytes : 0;
}

} // namespace vgui
