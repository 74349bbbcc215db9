#include "tools/artgen/Tiles.hpp"

#include "tools/artgen/Palette.hpp"
#include "tools/artgen/Random.hpp"

#include <cmath>

namespace artgen::tiles
{

namespace
{

namespace pal = palette;

constexpr float pi = 3.14159265358979f;
const Vec mapLight = Normalized({-0.7f, -0.7f});

// Value noise over one tile whose lattice points on the tile's border come from a seed shared by
// every tile, so any two tiles built on it meet without a seam; the inner points vary by tile.
float EdgeNoise(Vec p, int cells, std::uint32_t shared, std::uint32_t own)
{
    const float cell = static_cast<float>(size) / static_cast<float>(cells);
    auto lattice = [&](int i, int j)
    {
        const bool border = i == 0 || j == 0 || i == cells || j == cells;
        return border ? Hash01(i % cells, j % cells, shared) : Hash01(i, j, own);
    };
    const float fx = std::clamp(p.x / cell, 0.f, static_cast<float>(cells) - 0.0001f);
    const float fy = std::clamp(p.y / cell, 0.f, static_cast<float>(cells) - 0.0001f);
    const int i = static_cast<int>(fx);
    const int j = static_cast<int>(fy);
    const float tx = SmoothStep(0.f, 1.f, fx - static_cast<float>(i));
    const float ty = SmoothStep(0.f, 1.f, fy - static_cast<float>(j));
    const float top = lattice(i, j) + (lattice(i + 1, j) - lattice(i, j)) * tx;
    const float bottom = lattice(i, j + 1) + (lattice(i + 1, j + 1) - lattice(i, j + 1)) * tx;
    return top + (bottom - top) * ty;
}

float PixelGrain(Vec p, std::uint32_t seed)
{
    return Hash01(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)), seed) - 0.5f;
}

Rgba GrassAt(Vec p, std::uint32_t variant)
{
    const float n =
        0.65f * EdgeNoise(p, 5, 101, 1000 + variant) + 0.35f * EdgeNoise(p, 10, 102, 2000 + variant);
    Rgba c = Mix(Hex(pal::grassDark), Hex(pal::grassLight), SmoothStep(0.15f, 0.85f, n));
    return Lighten(c, PixelGrain(p, 103 + variant) * 0.1f);
}

Rgba DirtAt(Vec p, std::uint32_t variant)
{
    const float n = EdgeNoise(p, 8, 201, 3000 + variant);
    Rgba c = Mix(Hex(pal::dirtDark), Hex(pal::dirtLight), SmoothStep(0.1f, 0.9f, n) * 0.7f + 0.15f);
    return Lighten(c, PixelGrain(p, 203 + variant) * 0.14f);
}

// Short grass blades scattered inside the tile (not on its border, so tiles still join cleanly).
void Blades(Canvas& c, Rng& rng, int count, float darkShare)
{
    for (int i = 0; i < count; ++i)
    {
        const Vec a{rng.Range(3.f, 37.f), rng.Range(4.f, 37.f)};
        const Vec b = a + Vec{rng.Range(-1.2f, 1.2f), -rng.Range(1.8f, 3.5f)};
        Style s;
        s.fill = rng.Unit() < darkShare ? Hex(pal::grassDark) : Lighten(Hex(pal::grassLight), 0.1f);
        s.outlineWidth = 0.f;
        s.bevel = 0.f;
        c.Draw(shape::Capsule(a, b, 0.45f), s);
    }
}

Style Flat(Rgba colour)
{
    Style s;
    s.fill = colour;
    s.outlineWidth = 0.f;
    s.bevel = 0.f;
    return s;
}

Style Lit(unsigned hex, float bevel)
{
    Style s;
    s.fill = Hex(hex);
    s.bevel = bevel;
    s.light = mapLight;
    return s;
}

void Flower(Canvas& c, Vec at, float r, unsigned petals, unsigned heart)
{
    for (int i = 0; i < 5; ++i)
    {
        const Vec p = at + Rotate({r, 0.f}, 72.f * static_cast<float>(i) + 10.f);
        Style s = Lit(petals, 0.8f);
        s.outlineWidth = 0.6f;
        c.Draw(shape::Circle(p, r * 0.75f), s);
    }
    Style h = Lit(heart, 0.5f);
    h.outlineWidth = 0.f;
    c.Draw(shape::Circle(at, r * 0.6f), h);
}

Sdf Boulder(Rng& rng, Vec centre, float radius)
{
    std::vector<Vec> pts;
    const int n = 9;
    for (int i = 0; i < n; ++i)
    {
        const float r = radius * rng.Range(0.8f, 1.05f);
        pts.push_back(centre + Rotate({r, 0.f}, 360.f * static_cast<float>(i) / static_cast<float>(n)));
    }
    return shape::Polygon(pts);
}

void DrawBoulder(Canvas& c, Rng& rng, Vec centre, float radius)
{
    const Sdf rockShape = Boulder(rng, centre, radius);
    Style shadow = Flat(Hex(0x000000, 0.35f));
    shadow.feather = 2.f;
    // Shadow offset to the bottom right.
    c.Draw([&](Vec p) { return rockShape(p - Vec{2.5f, 2.5f}) - 0.5f; }, shadow);
    Style s = Lit(pal::rock, radius * 0.55f);
    s.bevelStrength = 0.45f;
    s.texture = [](Vec p, Rgba col)
    {
        return Lighten(col, PixelGrain(p, 401) * 0.16f);
    };
    c.Draw(rockShape, s);
    // A crack.
    const Vec a = centre + Vec{rng.Range(-radius, 0.f) * 0.4f, -radius * 0.3f};
    c.Draw(shape::Capsule(a, a + Vec{radius * 0.35f, radius * 0.45f}, 0.5f), Flat(Hex(pal::rockDark)));
}

Layer GrassTile(int variant)
{
    Canvas c(size, size);
    const auto v = static_cast<std::uint32_t>(variant);
    c.Paint([v](Vec p) { return GrassAt(p, v); });
    Rng rng(500 + v);
    Blades(c, rng, variant < 3 ? 10 : 18, 0.5f);
    if (variant == 3 || variant == 4) // tufts of darker grass
        for (int i = 0; i < 3; ++i)
        {
            const Vec at{rng.Range(9.f, 31.f), rng.Range(9.f, 31.f)};
            for (int k = 0; k < 5; ++k)
            {
                const Vec tip = at + Rotate({0.f, -rng.Range(3.f, 5.f)}, rng.Range(-50.f, 50.f));
                c.Draw(shape::Capsule(at, tip, 0.6f), Flat(Hex(pal::grassDark)));
            }
        }
    if (variant == 5) // a few tiny white clover flowers
        for (int i = 0; i < 4; ++i)
            c.Draw(shape::Circle({rng.Range(6.f, 34.f), rng.Range(6.f, 34.f)}, 0.9f), Flat(Hex(0xf4f1dc)));
    if (variant == 6) // light patch
        c.Draw(shape::Ellipse({20.f, 21.f}, {11.f, 7.f}),
               []
               {
                   Style s = Flat(Hex(pal::grassLight, 0.35f));
                   s.feather = 5.f;
                   return s;
               }());
    if (variant == 7) // a couple of pebbles
        for (int i = 0; i < 3; ++i)
        {
            Style s = Lit(pal::stoneLight, 0.8f);
            s.outlineWidth = 0.6f;
            c.Draw(shape::Ellipse({rng.Range(8.f, 32.f), rng.Range(8.f, 32.f)}, {1.4f, 1.0f}), s);
        }
    return c.Resolve();
}

// Region of a tile that continues into neighbours on the sides named by `mask`, inset by `inset`
// on the other sides. Extends well past continuing sides so the rounding stays outside the tile.
Sdf Region(int mask, float inset, float corner)
{
    const float l = (mask & west) ? -20.f : inset;
    const float r = (mask & east) ? 60.f : static_cast<float>(size) - inset;
    const float t = (mask & north) ? -20.f : inset;
    const float b = (mask & south) ? 60.f : static_cast<float>(size) - inset;
    return shape::Box({(l + r) * 0.5f, (t + b) * 0.5f}, {(r - l) * 0.5f, (b - t) * 0.5f}, corner);
}

// The road is one tile wide: a centre pad plus an arm to each connected side.
Sdf RoadShape(int mask)
{
    const float half = 17.5f;
    const float c = static_cast<float>(size) * 0.5f;
    Sdf s = shape::Box({c, c}, {half, half}, 7.f);
    if (mask & north)
        s = shape::Union(s, shape::Box({c, -10.f}, {half, 30.f}));
    if (mask & south)
        s = shape::Union(s, shape::Box({c, 50.f}, {half, 30.f}));
    if (mask & west)
        s = shape::Union(s, shape::Box({-10.f, c}, {30.f, half}));
    if (mask & east)
        s = shape::Union(s, shape::Box({50.f, c}, {30.f, half}));
    return s;
}

Layer RoadTile(int mask)
{
    Canvas c(size, size);
    c.Paint([](Vec p) { return GrassAt(p, 0); });
    const Sdf road = RoadShape(mask);
    const auto v = static_cast<std::uint32_t>(mask);
    c.Paint(
        [&](Vec p)
        {
            const float d = road(p);
            if (d > 1.6f)
                return Rgba{};
            if (d > 0.f) // trodden rim between grass and dirt
                return Hex(pal::dirtDark, 0.85f);
            Rgba col = DirtAt(p, v);
            // Worn ruts darker towards the edges, the middle packed lighter.
            col = Lighten(col, -0.22f * (1.f - SmoothStep(0.f, 4.f, -d)));
            return col;
        });
    // Pebbles in the dirt, kept off the tile border.
    Rng rng(700 + v);
    for (int i = 0; i < 7; ++i)
    {
        const Vec p{rng.Range(5.f, 35.f), rng.Range(5.f, 35.f)};
        if (road(p) > -3.f)
            continue;
        Style s = Lit(rng.Unit() < 0.5f ? pal::stone : pal::stoneLight, 0.7f);
        s.outline = Hex(pal::dirtDark);
        s.outlineWidth = 0.6f;
        c.Draw(shape::Ellipse(p, {rng.Range(0.9f, 1.7f), rng.Range(0.7f, 1.2f)}, rng.Range(0.f, 180.f)), s);
    }
    return c.Resolve();
}

Layer WaterTile(int mask)
{
    Canvas c(size, size);
    c.Paint([](Vec p) { return GrassAt(p, 1); });
    const Sdf pond = Region(mask, 5.f, 10.f);
    c.Paint(
        [&](Vec p)
        {
            const float d = pond(p);
            if (d > 3.f)
                return Rgba{};
            if (d > 0.f) // sandy bank
                return Lighten(Hex(pal::shore), PixelGrain(p, 601) * 0.12f - 0.1f * SmoothStep(0.f, 3.f, d));
            const float depth = -d;
            Rgba col = Mix(Hex(pal::waterLight), Hex(pal::water), SmoothStep(0.f, 5.f, depth));
            col = Mix(col, Hex(pal::waterDeep), SmoothStep(8.f, 22.f, depth));
            // Ripples: periodic over 40 px so neighbouring tiles continue them.
            const float w =
                std::sin(2.f * pi * (p.y * 2.f / 40.f + 0.3f * std::sin(2.f * pi * p.x / 40.f))) *
                std::sin(2.f * pi * (p.x * 3.f / 40.f + 0.2f * std::sin(2.f * pi * p.y * 2.f / 40.f)));
            if (w > 0.8f && depth > 4.f)
                col = Lighten(col, 0.18f * SmoothStep(0.8f, 0.95f, w));
            return col;
        });
    return c.Resolve();
}

Layer RockTile(int variant)
{
    Canvas c(size, size);
    c.Paint([variant](Vec p) { return GrassAt(p, static_cast<std::uint32_t>(2 + variant)); });
    Rng rng(900 + static_cast<std::uint64_t>(variant));
    switch (variant)
    {
    case 0:
        DrawBoulder(c, rng, {19.f, 19.f}, 15.f);
        break;
    case 1:
        DrawBoulder(c, rng, {15.f, 16.f}, 11.f);
        DrawBoulder(c, rng, {26.f, 26.f}, 8.f);
        break;
    case 2:
        DrawBoulder(c, rng, {24.f, 15.f}, 10.f);
        DrawBoulder(c, rng, {13.f, 25.f}, 9.f);
        DrawBoulder(c, rng, {27.f, 29.f}, 5.f);
        break;
    default:
        DrawBoulder(c, rng, {20.f, 20.f}, 16.5f);
        DrawBoulder(c, rng, {11.f, 30.f}, 5.f);
        break;
    }
    return c.Resolve();
}

Layer CobbleTile(bool worn)
{
    Canvas c(size, size);
    c.Paint([](Vec p) { return Lighten(Hex(pal::stoneDark), PixelGrain(p, 801) * 0.1f); });
    Rng rng(worn ? 811u : 810u);
    // Stones on a 4 x 4 grid of 10 px cells, so the mortar lines meet across tile borders.
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
        {
            const Vec centre{5.f + 10.f * static_cast<float>(i) + rng.Range(-0.6f, 0.6f),
                             5.f + 10.f * static_cast<float>(j) + rng.Range(-0.6f, 0.6f)};
            if (worn && rng.Unit() < 0.3f)
                continue;
            Style s = Lit(pal::cobble, 2.f);
            s.fill = Lighten(s.fill, rng.Range(-0.12f, 0.12f));
            s.outlineWidth = 0.f;
            s.texture = [](Vec p, Rgba col)
            {
                return Lighten(col, PixelGrain(p, 812) * 0.1f);
            };
            c.Draw(shape::Box(centre, {rng.Range(3.6f, 4.2f), rng.Range(3.6f, 4.2f)}, 1.6f), s);
        }
    return c.Resolve();
}

Layer PlainTile(unsigned colour, std::uint32_t seed)
{
    Canvas c(size, size);
    c.Paint(
        [=](Vec p)
        {
            const float n = EdgeNoise(p, 5, 1100 + seed, 1200 + seed);
            return Lighten(Hex(colour), (n - 0.5f) * 0.18f + PixelGrain(p, 1300 + seed) * 0.1f);
        });
    return c.Resolve();
}

// --- decorations on transparent ground --------------------------------------------------------------

Layer DecorTile(int which)
{
    Canvas c(size, size);
    Rng rng(1500 + static_cast<std::uint64_t>(which));
    switch (which)
    {
    case 0: // red and white flowers
    case 1: // yellow and blue flowers
        for (int i = 0; i < 5; ++i)
        {
            const Vec at{rng.Range(8.f, 32.f), rng.Range(8.f, 32.f)};
            c.Draw(shape::Ellipse(at + Vec{1.5f, 2.5f}, {2.5f, 1.2f}, 30.f), Lit(pal::grassDark, 0.5f));
            const bool first = rng.Unit() < 0.5f;
            if (which == 0)
                Flower(c, at, 1.8f, first ? 0xd94a4a : 0xf3efe6, pal::rocketYellow);
            else
                Flower(c, at, 1.8f, first ? 0xf2cf3a : 0x7a8ee8, first ? 0xb0641e : 0xf3efe6);
        }
        break;
    case 2: // round bush with berries
    case 3: // smaller bush
    {
        const float r = which == 2 ? 8.f : 6.f;
        const Vec at{20.f, 20.f};
        Style shadow = Flat(Hex(0x000000, 0.35f));
        shadow.feather = 3.f;
        c.Draw(shape::Ellipse(at + Vec{3.f, 4.f}, {r * 1.5f, r * 1.2f}), shadow);
        Sdf bush = shape::Circle(at, r);
        for (int i = 0; i < 5; ++i)
            bush = shape::Union(
                bush,
                shape::Circle(at + Rotate({r * 0.8f, 0.f}, 72.f * static_cast<float>(i) + 15.f), r * 0.65f));
        Style leaves = Lit(pal::grassDark, r * 0.7f);
        leaves.bevelStrength = 0.4f;
        leaves.texture = [](Vec p, Rgba col)
        {
            return Lighten(col, PixelGrain(p, 1601) * 0.2f);
        };
        c.Draw(bush, leaves);
        if (which == 2)
            for (int i = 0; i < 5; ++i)
                c.Draw(shape::Circle(at + Vec{rng.Range(-7.f, 7.f), rng.Range(-7.f, 7.f)}, 1.1f),
                       Lit(0xc23a4a, 0.5f));
        break;
    }
    case 4: // stones
        for (int i = 0; i < 4; ++i)
        {
            const Vec at{rng.Range(9.f, 31.f), rng.Range(9.f, 31.f)};
            const float r = rng.Range(1.8f, 3.6f);
            Style shadow = Flat(Hex(0x000000, 0.3f));
            shadow.feather = 1.f;
            c.Draw(shape::Ellipse(at + Vec{1.f, 1.f}, {r * 1.2f, r}), shadow);
            c.Draw(shape::Ellipse(at, {r * 1.2f, r}, rng.Range(0.f, 90.f)), Lit(pal::stoneLight, r * 0.6f));
        }
        break;
    case 5: // mushrooms
        for (int i = 0; i < 3; ++i)
        {
            const Vec at{rng.Range(12.f, 28.f), rng.Range(12.f, 28.f)};
            const float r = rng.Range(2.5f, 3.8f);
            c.Draw(shape::Circle(at + Vec{1.f, 1.5f}, r), Lit(0xe8dcc0, 0.5f));
            c.Draw(shape::Circle(at, r), Lit(0xc8372d, r * 0.6f));
            for (int k = 0; k < 3; ++k)
                c.Draw(
                    shape::Circle(at + Rotate({r * 0.5f, 0.f}, 120.f * static_cast<float>(k) + 20.f), 0.6f),
                    Flat(Hex(0xf6f0e0)));
        }
        break;
    case 6: // tall grass tuft
        for (int k = 0; k < 11; ++k)
        {
            const Vec root{20.f + rng.Range(-4.f, 4.f), 26.f + rng.Range(-2.f, 2.f)};
            const Vec tip = root + Rotate({0.f, -rng.Range(8.f, 14.f)}, rng.Range(-40.f, 40.f));
            Style s = Flat(rng.Unit() < 0.5f ? Hex(pal::grassLight) : Lighten(Hex(pal::grassLight), 0.15f));
            s.outline = Hex(pal::grassDark);
            s.outlineWidth = 0.5f;
            c.Draw(shape::Polygon({root + Vec{-0.9f, 0.f}, tip, root + Vec{0.9f, 0.f}}), s);
        }
        break;
    default: // tree stump
    {
        const Vec at{20.f, 21.f};
        Style shadow = Flat(Hex(0x000000, 0.35f));
        shadow.feather = 2.f;
        c.Draw(shape::Circle(at + Vec{2.5f, 2.5f}, 8.f), shadow);
        for (int k = 0; k < 4; ++k) // roots
            c.Draw(shape::Capsule(at, at + Rotate({10.5f, 0.f}, 90.f * static_cast<float>(k) + 25.f), 1.6f),
                   Lit(pal::woodDark, 1.f));
        c.Draw(shape::Circle(at, 7.5f), Lit(pal::wood, 2.f));
        c.Draw(shape::Circle(at, 5.5f), Lit(0xc79a62, 1.f));
        for (float r : {1.5f, 3.5f})
            c.Draw(shape::Subtract(shape::Circle(at, r + 0.35f), shape::Circle(at, r - 0.35f)),
                   Flat(Hex(pal::wood)));
        break;
    }
    }
    return c.Resolve();
}

} // namespace

Layer Sheet()
{
    Layer sheet(columns * size, rows * size);
    auto put = [&](int index, const Layer& tile)
    {
        const Vec centre{static_cast<float>((index % columns) * size + size / 2),
                         static_cast<float>((index / columns) * size + size / 2)};
        sheet.Blit(tile, centre, 1.f, 0.f, 1.f, true);
    };
    for (int i = 0; i < grassCount; ++i)
        put(grassFirst + i, GrassTile(i));
    for (int mask = 0; mask < 16; ++mask)
    {
        put(roadFirst + mask, RoadTile(mask));
        put(waterFirst + mask, WaterTile(mask));
    }
    for (int i = 0; i < rockCount; ++i)
        put(rockFirst + i, RockTile(i));
    put(cobble, CobbleTile(false));
    put(cobbleWorn, CobbleTile(true));
    put(sand, PlainTile(pal::shore, 0));
    put(meadow, PlainTile(pal::grassDark, 1));
    for (int i = 0; i < decorCount; ++i)
        put(decorFirst + i, DecorTile(i));
    return sheet;
}

} // namespace artgen::tiles
