#include "tools/artgen/Backdrop.hpp"

#include "tools/artgen/Palette.hpp"
#include "tools/artgen/Random.hpp"

#include <cmath>

namespace artgen
{

namespace
{

namespace pal = palette;

constexpr int width = 1280;
constexpr int height = 720;

Style Flat(Rgba colour, float feather = 0.f)
{
    Style s;
    s.fill = colour;
    s.outlineWidth = 0.f;
    s.bevel = 0.f;
    s.feather = feather;
    return s;
}

// The area below a ridge line y = f(x), as a distance corrected for the ridge's slope.
Sdf BelowRidge(std::function<float(float)> ridge)
{
    return [=](Vec p)
    {
        const float y = ridge(p.x);
        const float slope = (ridge(p.x + 1.f) - ridge(p.x - 1.f)) * 0.5f;
        return (y - p.y) / std::sqrt(1.f + slope * slope);
    };
}

Rgba Sky(Vec p)
{
    const float t = p.y / 560.f;
    Rgba c = Mix(Hex(pal::skyTop), Hex(pal::skyMid), SmoothStep(0.15f, 0.8f, t));
    // Afterglow low over the horizon, strongest behind the fortress.
    const float dx = (p.x - 900.f) / 700.f;
    const float glow = SmoothStep(0.55f, 1.05f, t) * std::exp(-dx * dx);
    c = Mix(c, Hex(pal::skyGlow), glow * 0.85f);
    return c;
}

Sdf Fortress(Vec foot)
{
    using namespace shape;
    const float x = foot.x;
    const float y = foot.y;
    Sdf s = Box({x, y - 40.f}, {150.f, 40.f});               // curtain wall
    s = Union(s, Box({x - 10.f, y - 110.f}, {45.f, 110.f})); // keep
    s = Union(s, Box({x + 40.f, y - 160.f}, {14.f, 160.f})); // watch tower
    s = Union(s, Polygon({{x + 22.f, y - 318.f}, {x + 40.f, y - 360.f}, {x + 58.f, y - 318.f}}));
    s = Union(s, Polygon({{x - 62.f, y - 218.f}, {x - 10.f, y - 262.f}, {x + 42.f, y - 218.f}}));
    for (float side : {-1.f, 1.f}) // corner towers with conical roofs
    {
        const float tx = x + side * 150.f;
        s = Union(s, Box({tx, y - 70.f}, {20.f, 70.f}));
        s = Union(s, Polygon({{tx - 26.f, y - 138.f}, {tx, y - 185.f}, {tx + 26.f, y - 138.f}}));
    }
    // Merlons along the wall top.
    for (int i = 0; i < 13; ++i)
        s = Union(s, Box({x - 120.f + 20.f * static_cast<float>(i), y - 84.f}, {5.f, 6.f}));
    // Flag on the watch tower.
    s = Union(s, Box({x + 40.f, y - 375.f}, {1.2f, 18.f}));
    s = Union(s, Polygon({{x + 41.f, y - 392.f}, {x + 66.f, y - 385.f}, {x + 41.f, y - 377.f}}));
    return s;
}

} // namespace

Layer MenuBackdrop()
{
    Canvas c(width, height, 2);
    c.Paint(Sky);
    Rng rng(4242);

    // Stars, fewer and dimmer towards the horizon.
    for (int i = 0; i < 260; ++i)
    {
        const Vec p{rng.Range(0.f, static_cast<float>(width)), rng.Range(0.f, 430.f)};
        const float fade = 1.f - p.y / 470.f;
        const float r = rng.Range(0.5f, 1.3f);
        c.Draw(shape::Circle(p, r), Flat(Hex(0xe8e6ff, rng.Range(0.25f, 0.9f) * fade), r));
    }
    // A pale crescent moon with a faint halo.
    const Vec moon{250.f, 140.f};
    c.Draw(shape::Circle(moon, 70.f), Flat(Hex(0xb9b3e0, 0.08f), 60.f));
    c.Draw(shape::Subtract(shape::Circle(moon, 26.f), shape::Circle(moon + Vec{11.f, -7.f}, 23.f)),
           Flat(Hex(0xe9e2c8, 0.9f), 1.f));
    // Long thin clouds across the glow.
    for (int i = 0; i < 7; ++i)
    {
        const Vec p{rng.Range(80.f, 1200.f), rng.Range(300.f, 470.f)};
        c.Draw(shape::Ellipse(p, {rng.Range(120.f, 260.f), rng.Range(5.f, 11.f)}),
               Flat(Hex(0x3a2a4a, rng.Range(0.35f, 0.6f)), 6.f));
    }

    // Far hills, a haze band, the near hill with the fortress.
    c.Draw(BelowRidge(
               [](float x)
               { return 520.f + 28.f * std::sin(x * 0.0061f + 1.3f) + 16.f * std::sin(x * 0.017f + 0.4f); }),
           Flat(Hex(pal::hillFar)));
    c.Draw(shape::Box({640.f, 575.f}, {700.f, 14.f}), Flat(Hex(0x4a3050, 0.18f), 14.f));
    const Vec foot{900.f, 548.f};
    const Rgba near = Hex(pal::hillNear);
    c.Draw(BelowRidge(
               [](float x)
               {
                   const float dx = (x - 900.f) / 380.f;
                   return 640.f - 100.f * std::exp(-dx * dx) + 10.f * std::sin(x * 0.013f);
               }),
           Flat(near));
    c.Draw(Fortress(foot), Flat(near));

    // Lit windows with a warm glow.
    const Vec windows[] = {{-22.f, -150.f}, {2.f, -150.f},  {-10.f, -95.f}, {40.f, -230.f}, {40.f, -290.f},
                           {-150.f, -95.f}, {150.f, -95.f}, {-80.f, -45.f}, {90.f, -45.f}};
    for (Vec w : windows)
    {
        const Vec p = foot + w;
        c.Draw(shape::Circle(p, 16.f), Flat(Hex(pal::windowLight, 0.12f), 16.f));
        c.Draw(shape::Box(p, {2.5f, 4.5f}, 1.5f), Flat(Hex(pal::windowLight, 0.95f)));
    }
    // Dark foreground with grass blades.
    c.Draw(BelowRidge([](float x) { return 690.f + 8.f * std::sin(x * 0.02f); }), Flat(Hex(0x07060c)));
    for (int i = 0; i < 220; ++i)
    {
        const Vec root{rng.Range(0.f, static_cast<float>(width)), 700.f};
        const Vec tip = root + Vec{rng.Range(-8.f, 8.f), -rng.Range(10.f, 30.f)};
        c.Draw(shape::Polygon({root + Vec{-2.f, 0.f}, tip, root + Vec{2.f, 0.f}}), Flat(Hex(0x07060c)));
    }

    Layer out = c.Resolve();
    // Vignette and a touch of dither against banding.
    out.Map(
        [](int x, int y, Rgba col)
        {
            const float nx = (static_cast<float>(x) - 640.f) / 640.f;
            const float ny = (static_cast<float>(y) - 360.f) / 360.f;
            const float r = std::sqrt(nx * nx + ny * ny);
            col = Lighten(col, -0.65f * SmoothStep(0.55f, 1.45f, r));
            col = Lighten(col, (Hash01(x, y, 77) - 0.5f) * 0.025f);
            col.a = 1.f;
            return col;
        });
    return out;
}

} // namespace artgen
