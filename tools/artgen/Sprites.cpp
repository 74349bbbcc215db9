#include "tools/artgen/Sprites.hpp"

#include "tools/artgen/Palette.hpp"
#include "tools/artgen/Random.hpp"

#include <cmath>
#include <vector>

namespace artgen
{

namespace
{

namespace pal = palette;

// Rotating sprites are lit from their front-left: top left on screen while they point up.
const Vec spriteLight = Normalized({0.7f, -0.7f});
const Vec mapLight = Normalized({-0.7f, -0.7f});

Style Mat(unsigned hex, float bevel = 2.5f, Vec light = spriteLight)
{
    Style s;
    s.fill = Hex(hex);
    s.bevel = bevel;
    s.light = light;
    return s;
}

// Like Mat but without an outline of its own (details painted inside an outlined part).
Style Detail(unsigned hex, float bevel = 1.5f, Vec light = spriteLight)
{
    Style s = Mat(hex, bevel, light);
    s.outlineWidth = 0.f;
    return s;
}

Style Soft(Rgba colour, float feather)
{
    Style s;
    s.fill = colour;
    s.outlineWidth = 0.f;
    s.bevel = 0.f;
    s.feather = feather;
    return s;
}

// Fine per-pixel grain on stone and metal.
std::function<Rgba(Vec, Rgba)> Grain(float amount, std::uint32_t seed)
{
    return [=](Vec p, Rgba c)
    {
        const float h = Hash01(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)), seed);
        return Lighten(c, (h - 0.5f) * amount);
    };
}

Style Stone(unsigned hex, float bevel, std::uint32_t seed)
{
    Style s = Mat(hex, bevel, mapLight);
    s.texture = Grain(0.12f, seed);
    return s;
}

// --- turret parts -------------------------------------------------------------------------------

void Barrel(Canvas& c, float y, float from, float to, float half, unsigned body, unsigned muzzle)
{
    c.Draw(shape::Box({(from + to) * 0.5f, y}, {(to - from) * 0.5f, half}, 1.f), Mat(body, 1.5f));
    c.Draw(shape::Box({to - 1.5f, y}, {1.5f, half + 1.f}, 0.6f), Mat(muzzle, 1.f));
}

void Rocket(Canvas& c, Vec tail, float length, float radius, unsigned nose)
{
    const float bodyEnd = tail.x + length - radius * 1.6f;
    // Fins first, so the body covers their roots.
    c.Draw(shape::Polygon({{tail.x - 0.5f, tail.y - radius * 1.9f},
                           {tail.x + radius * 1.6f, tail.y},
                           {tail.x - 0.5f, tail.y + radius * 1.9f}}),
           Mat(nose, 1.f));
    c.Draw(shape::Capsule({tail.x + radius, tail.y}, {bodyEnd, tail.y}, radius),
           Mat(pal::rocketBody, radius * 0.8f));
    c.Draw(shape::Polygon({{bodyEnd - 0.5f, tail.y - radius},
                           {tail.x + length, tail.y},
                           {bodyEnd - 0.5f, tail.y + radius}}),
           Mat(nose, 1.2f));
    c.Draw(shape::Box({bodyEnd - radius * 0.9f, tail.y}, {radius * 0.35f, radius * 0.9f}),
           Detail(nose, 0.6f));
}

void Flame(Canvas& c, Vec tip, float length, float radius, unsigned outer, unsigned inner)
{
    c.Draw(shape::Ellipse({tip.x - length * 0.5f, tip.y}, {length * 0.5f, radius}),
           Soft(Hex(outer, 0.85f), radius));
    c.Draw(shape::Ellipse({tip.x - length * 0.3f, tip.y}, {length * 0.3f, radius * 0.55f}),
           Soft(Hex(inner, 1.f), radius * 0.5f));
}

void Bolts(Canvas& c, Vec centre, float radius, int count, float phase, unsigned colour)
{
    for (int i = 0; i < count; ++i)
    {
        const Vec p =
            centre + Rotate({radius, 0.f}, phase + 360.f * static_cast<float>(i) / static_cast<float>(count));
        c.Draw(shape::Circle(p, 1.1f), Detail(colour, 0.8f));
    }
}

Layer Greyed(Layer layer)
{
    layer.Map(
        [](int, int, Rgba c)
        {
            const float grey = 0.3f * c.r + 0.59f * c.g + 0.11f * c.b;
            const Rgba g = Mix(c, {grey, grey, grey, c.a}, 0.85f);
            return Lighten(g, -0.3f);
        });
    return layer;
}

Layer IconFrame(bool active)
{
    Canvas c(64, 64);
    Style panel = Mat(pal::panel, 4.f, mapLight);
    panel.outline = Hex(active ? pal::gold : pal::outline);
    panel.outlineWidth = active ? 2.f : 1.5f;
    c.Draw(shape::Box({32.f, 32.f}, {29.5f, 29.5f}, 8.f), panel);
    c.Draw(shape::Box({32.f, 32.f}, {25.f, 25.f}, 6.f),
           Detail(active ? pal::panelLight : pal::panel, 3.f, mapLight));
    return c.Resolve();
}

Layer TowerIcon(const Layer& turret, bool active)
{
    Layer icon = IconFrame(active);
    const Layer platform = TowerPlatform(false);
    icon.Blit(platform, {32.f, 33.f}, 0.72f);
    icon.Blit(turret, {32.f, 33.f}, 0.9f, -90.f);
    return active ? icon : Greyed(icon);
}

} // namespace

// --- tower platform ---------------------------------------------------------------------------------

Layer TowerPlatform(bool withShadow)
{
    Canvas c(64, 64);
    const Vec mid{31.f, 31.f};
    auto octagon = [](Vec centre, float r)
    {
        std::vector<Vec> pts;
        for (int i = 0; i < 8; ++i)
            pts.push_back(centre + Rotate({r, 0.f}, 22.5f + 45.f * static_cast<float>(i)));
        return shape::Polygon(pts);
    };
    if (withShadow)
        c.Draw(shape::Inflate(octagon(mid + Vec{2.5f, 2.5f}, 27.f), 1.f), Soft(Hex(0x000000, 0.45f), 3.f));
    c.Draw(octagon(mid, 28.5f), Stone(pal::stone, 3.5f, 11));
    // Paving seams between the outer slabs.
    for (int i = 0; i < 8; ++i)
    {
        const Vec a = mid + Rotate({19.f, 0.f}, 45.f * static_cast<float>(i));
        const Vec b = mid + Rotate({27.f, 0.f}, 45.f * static_cast<float>(i));
        c.Draw(shape::Capsule(a, b, 0.45f), Detail(pal::stoneDark, 0.f));
    }
    c.Draw(shape::Circle(mid, 19.5f), Stone(pal::stoneLight, 2.5f, 12));
    c.Draw(shape::Circle(mid, 15.f), Stone(pal::stoneDark, 2.f, 13));
    c.Draw(shape::Circle(mid, 13.5f), Stone(pal::stone, 3.f, 14));
    Bolts(c, mid, 23.5f, 8, 22.5f, pal::steelDark);
    return c.Resolve();
}

// --- turrets ---------------------------------------------------------------------------------------

Layer BulletTurret(int level)
{
    Canvas c(48, 48);
    const Vec mid{24.f, 24.f};
    const bool twin = level >= 3;
    const float reach = level >= 4 ? 47.f : (level >= 2 ? 45.5f : 43.5f);
    const float half = level >= 4 ? 2.8f : (twin ? 2.3f : (level >= 2 ? 3.3f : 2.8f));
    const unsigned muzzle = level >= 2 ? pal::brass : pal::gunmetal;
    if (level >= 2) // side armour plates
    {
        const float wing = level >= 4 ? 15.5f : 13.5f;
        c.Draw(shape::Box({mid.x - 4.f, mid.y}, {7.f, wing}, 3.f), Mat(pal::steelDark, 2.f));
    }
    if (level >= 4) // ammunition box at the back
        c.Draw(shape::Box({mid.x - 12.f, mid.y}, {4.f, 9.f}, 2.f), Mat(pal::gunmetal, 1.5f));
    const float head = level >= 4 ? 10.5f : (level >= 3 ? 10.f : (level >= 2 ? 9.5f : 8.5f));
    for (float dy : twin ? std::vector<float>{-5.f, 5.f} : std::vector<float>{0.f})
    {
        Barrel(c, mid.y + dy, mid.x, reach, half, pal::gunmetal, muzzle);
        if (level == 2 || level >= 4) // muzzle brake / cooling jacket
            c.Draw(shape::Box({mid.x + head + 4.f, mid.y + dy}, {2.f, half + 0.7f}, 0.6f),
                   Mat(pal::steelDark, 0.8f));
    }
    c.Draw(shape::Circle(mid, head), Mat(pal::steel, 3.f));
    if (level >= 2)
    {
        Style ring = Mat(level >= 4 ? pal::gold : pal::brass, 1.2f);
        c.Draw(shape::Subtract(shape::Circle(mid, head - 1.5f), shape::Circle(mid, head - 3.3f)), ring);
    }
    c.Draw(shape::Circle(mid + Vec{-2.f, 0.f}, 4.5f), Mat(pal::steelDark, 2.f));
    c.Draw(shape::Box(mid + Vec{-2.f, 0.f}, {0.8f, 3.2f}, 0.4f), Detail(pal::gunmetal, 0.f));
    if (level >= 4)
        Bolts(c, mid, head - 2.4f, 6, 30.f, pal::gold);
    return c.Resolve();
}

Layer SmallRocketTurret(int level)
{
    Canvas c(48, 48);
    const Vec mid{24.f, 24.f};
    const bool big = level >= 3;
    const unsigned nose = (level == 2 || level == 4) ? pal::rocketYellow : pal::rocketRed;
    // Launcher frame.
    if (big)
        c.Draw(shape::Box(mid + Vec{-3.f, 0.f}, {9.f, 15.f}, 3.f), Mat(pal::steelDark, 2.f));
    c.Draw(shape::Box(mid + Vec{-2.f, 0.f}, {12.f, 12.f}, 3.f), Mat(pal::olive, 3.f));
    c.Draw(shape::Box(mid + Vec{-8.f, 0.f}, {4.f, 8.f}, 1.5f), Detail(pal::oliveDark, 1.5f));
    if (level >= 4)
    {
        Style trim = Mat(pal::gold, 1.f);
        c.Draw(shape::Subtract(shape::Box(mid + Vec{-2.f, 0.f}, {12.f, 12.f}, 3.f),
                               shape::Box(mid + Vec{-2.f, 0.f}, {10.5f, 10.5f}, 2.f)),
               trim);
    }
    // Two rails at -5 / +5.
    const float railEnd = big ? 40.f : 37.f;
    for (float dy : {-5.f, 5.f})
        c.Draw(shape::Box({(14.f + railEnd) * 0.5f, mid.y + dy}, {(railEnd - 14.f) * 0.5f, 3.2f}, 1.f),
               Mat(pal::gunmetal, 1.2f));
    if (level >= 1)
    {
        const float length = big ? 28.f : 24.f;
        for (float dy : {-5.f, 5.f})
            Rocket(c, {16.f, mid.y + dy}, length, 2.4f, nose);
    }
    else
    {
        for (float dy : {-5.f, 5.f})
            c.Draw(shape::Box({(16.f + railEnd) * 0.5f, mid.y + dy}, {(railEnd - 16.f) * 0.5f - 1.f, 1.f}),
                   Detail(0x15181c, 0.f));
    }
    const unsigned boltColour = level >= 2 ? pal::brass : pal::oliveDark;
    Bolts(c, mid + Vec{-8.f, 0.f}, 6.f, 4, 45.f, boltColour);
    return c.Resolve();
}

Layer BigRocketTurret(bool loaded)
{
    Canvas c(48, 48);
    const Vec mid{24.f, 24.f};
    c.Draw(shape::Box(mid + Vec{-4.f, 0.f}, {13.f, 14.f}, 4.f), Mat(pal::navy, 3.f));
    c.Draw(shape::Box(mid + Vec{-12.f, 0.f}, {4.f, 10.f}, 1.5f), Detail(pal::navyDark, 1.5f));
    // Cradle arms holding the rocket.
    for (float dy : {-8.5f, 8.5f})
        c.Draw(shape::Box({28.f, mid.y + dy}, {14.f, 2.f}, 1.f), Mat(pal::steelDark, 1.f));
    c.Draw(shape::Box({26.f, mid.y}, {15.f, 6.5f}, 2.f), Mat(pal::navyDark, 2.f));
    if (loaded)
    {
        Rocket(c, {8.f, mid.y}, 38.f, 5.f, pal::rocketRed);
        c.Draw(shape::Box({18.f, mid.y}, {1.2f, 5.f}), Detail(pal::rocketRed, 0.5f));
    }
    else
        c.Draw(shape::Box({27.f, mid.y}, {13.f, 3.f}, 1.5f), Detail(0x10141a, 0.f));
    Bolts(c, mid + Vec{-12.f, 0.f}, 7.f, 4, 45.f, pal::steel);
    return c.Resolve();
}

Layer PreviewShape(const Layer& picture)
{
    Layer out = picture;
    const Rgba ghost = Hex(0xcfefff);
    out.Map(
        [&](int, int, Rgba c)
        {
            Rgba g = Mix(c, ghost, 0.55f);
            g.a = c.a * 0.55f;
            return g;
        });
    return out;
}

// --- projectiles -----------------------------------------------------------------------------------

// Shots are drawn at half size over grass and road: each is big enough and carries a bright,
// glowing trail so that it reads at a glance.

Layer Bullet()
{
    Canvas c(28, 14);
    // A hot streak behind the slug and a soft glow around it.
    c.Draw(shape::Ellipse({10.f, 7.f}, {10.f, 4.5f}), Soft(Hex(pal::flame, 0.75f), 3.f));
    c.Draw(shape::Ellipse({11.f, 7.f}, {8.f, 2.2f}), Soft(Hex(pal::flameHot, 1.f), 1.5f));
    Style shell = Mat(pal::brass, 1.6f);
    shell.outlineWidth = 1.2f;
    c.Draw(shape::Union(shape::Box({17.f, 7.f}, {5.f, 3.4f}, 0.8f),
                        shape::Polygon({{21.5f, 3.6f}, {27.f, 7.f}, {21.5f, 10.4f}})),
           shell);
    return c.Resolve();
}

Layer SmallRocket(bool upgraded)
{
    Canvas c(36, 16);
    Flame(c, {13.f, 8.f}, 13.f, 5.f, upgraded ? pal::flameBlue : pal::flame, pal::flameHot);
    Rocket(c, {11.f, 8.f}, 24.f, 3.4f, upgraded ? pal::rocketYellow : pal::rocketRed);
    return c.Resolve();
}

Layer BigRocket()
{
    Canvas c(44, 20);
    Flame(c, {15.f, 10.f}, 15.f, 6.5f, pal::flame, pal::flameHot);
    Rocket(c, {13.f, 10.f}, 30.f, 4.6f, pal::rocketRed);
    return c.Resolve();
}

// The streak drawn behind every shot, its head where the shot is: a white core the game tints by
// the tower kind, inside a dark edge, so that it reads on the light road, the green grass and the
// dark water alike. It fades out towards the tail. Drawn at half size, as the shots are.
Layer ShotTrail()
{
    Canvas c(104, 32);
    const auto fading = [](float from, float to)
    {
        return [from, to](Vec p, Rgba colour)
        {
            colour.a *= SmoothStep(from, to, p.x);
            return colour;
        };
    };
    Style edge = Soft(Hex(0x120c08, 0.85f), 1.5f);
    edge.texture = fading(2.f, 56.f);
    c.Draw(shape::Polygon({{2.f, 16.f}, {80.f, 5.f}, {100.f, 16.f}, {80.f, 27.f}}), edge);
    Style glow = Soft(Hex(0xffffff, 0.6f), 4.f);
    glow.texture = fading(40.f, 84.f);
    c.Draw(shape::Ellipse({86.f, 16.f}, {14.f, 10.f}), glow);
    Style core = Soft(Hex(0xffffff, 1.f), 1.f);
    core.texture = fading(8.f, 60.f);
    c.Draw(shape::Polygon({{8.f, 16.f}, {80.f, 9.f}, {94.f, 16.f}, {80.f, 23.f}}), core);
    return c.Resolve();
}

// --- enemies ---------------------------------------------------------------------------------------

Layer WeakEnemy()
{
    // A small green slime-goblin: round, soft, two big eyes looking ahead.
    Canvas c(32, 32);
    for (float dy : {-7.f, 7.f})
        c.Draw(shape::Ellipse({20.f, 16.f + dy}, {3.f, 2.2f}), Mat(pal::slimeDark, 1.f));
    c.Draw(shape::Ellipse({15.f, 16.f}, {10.f, 9.f}), Mat(pal::slime, 4.f));
    c.Draw(shape::Ellipse({10.f, 16.f}, {3.f, 4.f}), Detail(pal::slimeDark, 2.f));
    for (float dy : {-3.5f, 3.5f})
    {
        c.Draw(shape::Circle({20.5f, 16.f + dy}, 2.6f), Mat(pal::eye, 0.8f));
        c.Draw(shape::Circle({21.8f, 16.f + dy}, 1.2f), Detail(0x101010, 0.f));
    }
    return c.Resolve();
}

Layer MiddleEnemy()
{
    // An orange beetle: six legs, split shell, dark head with mandibles.
    Canvas c(32, 32);
    const Style leg = Mat(pal::beetleDark, 0.f);
    for (float x : {9.f, 14.f, 19.f})
        for (float side : {-1.f, 1.f})
        {
            const Vec a{x, 16.f + side * 6.f};
            const Vec b{x + (x - 14.f) * 0.6f + 1.f, 16.f + side * 13.5f};
            c.Draw(shape::Capsule(a, b, 1.1f), leg);
        }
    for (float side : {-1.f, 1.f})
        c.Draw(shape::Polygon(
                   {{25.f, 16.f + side * 2.f}, {30.5f, 16.f + side * 4.5f}, {28.f, 16.f + side * 1.f}}),
               Mat(pal::beetleDark, 0.5f));
    c.Draw(shape::Circle({24.5f, 16.f}, 4.5f), Mat(pal::beetleDark, 2.f));
    c.Draw(shape::Ellipse({14.f, 16.f}, {10.5f, 8.5f}), Mat(pal::beetle, 3.5f));
    c.Draw(shape::Box({13.f, 16.f}, {9.f, 0.45f}), Detail(pal::beetleDark, 0.f));
    for (float side : {-1.f, 1.f})
    {
        c.Draw(shape::Circle({10.f, 16.f + side * 4.f}, 1.6f), Detail(pal::beetleDark, 0.5f));
        c.Draw(shape::Circle({16.f, 16.f + side * 4.5f}, 1.3f), Detail(pal::beetleDark, 0.5f));
        c.Draw(shape::Circle({26.f, 16.f + side * 2.f}, 0.9f), Detail(pal::eyeRed, 0.f));
    }
    return c.Resolve();
}

Layer HardEnemy()
{
    // A violet armoured brute: broad shell plates, bone spikes, two heavy claws in front.
    Canvas c(32, 32);
    for (float side : {-1.f, 1.f})
    {
        c.Draw(shape::Capsule({18.f, 16.f + side * 7.f}, {24.f, 16.f + side * 10.f}, 2.5f),
               Mat(pal::bruteDark, 1.f));
        const Sdf claw = shape::Subtract(shape::Circle({27.f, 16.f + side * 8.5f}, 4.5f),
                                         shape::Circle({30.5f, 16.f + side * 6.5f}, 2.6f));
        c.Draw(claw, Mat(pal::brute, 2.f));
    }
    for (int i = 0; i < 3; ++i)
        for (float side : {-1.f, 1.f})
        {
            const float x = 6.f + 6.f * static_cast<float>(i);
            c.Draw(shape::Polygon({{x - 2.f, 16.f + side * 9.f},
                                   {x - 1.f, 16.f + side * 15.f},
                                   {x + 2.5f, 16.f + side * 9.f}}),
                   Mat(pal::bruteSpike, 1.f));
        }
    c.Draw(shape::Ellipse({13.f, 16.f}, {11.f, 11.f}), Mat(pal::brute, 4.f));
    for (float x : {8.f, 13.f})
        c.Draw(shape::Box({x, 16.f}, {0.5f, 9.f}), Detail(pal::bruteDark, 0.f));
    c.Draw(shape::Ellipse({21.f, 16.f}, {4.5f, 6.f}), Mat(pal::bruteDark, 2.f));
    for (float side : {-1.f, 1.f})
        c.Draw(shape::Circle({23.5f, 16.f + side * 2.5f}, 1.2f), Detail(pal::eyeRed, 0.f));
    c.Draw(shape::Polygon({{4.f, 13.f}, {0.8f, 16.f}, {4.f, 19.f}}), Mat(pal::bruteSpike, 0.5f));
    return c.Resolve();
}

Layer SpareEnemy()
{
    // A blue wisp-bat: wide wings swept back, small body, pale fangs.
    Canvas c(32, 32);
    for (float side : {-1.f, 1.f})
        c.Draw(shape::Polygon({{19.f, 16.f + side * 2.f},
                               {12.f, 16.f + side * 15.f},
                               {9.f, 16.f + side * 10.f},
                               {4.f, 16.f + side * 11.f},
                               {9.f, 16.f + side * 3.f}}),
               Mat(pal::wisp, 2.f));
    c.Draw(shape::Ellipse({15.f, 16.f}, {8.f, 4.5f}), Mat(pal::wispDark, 2.f));
    c.Draw(shape::Circle({22.f, 16.f}, 4.f), Mat(pal::wisp, 2.f));
    for (float side : {-1.f, 1.f})
        c.Draw(shape::Circle({24.f, 16.f + side * 1.8f}, 1.f), Detail(pal::eye, 0.f));
    return c.Resolve();
}

// --- base ------------------------------------------------------------------------------------------

Layer Base(int stage)
{
    const int size = stage == 1 ? 96 : (stage == 2 ? 112 : 128);
    const float s = static_cast<float>(size);
    const float k = s / 96.f; // proportions are laid out for the 96 px keep
    Canvas c(size, size);
    const Vec mid{s * 0.5f - 2.f, s * 0.5f - 2.f};
    const float wall = 36.f * k;

    c.Draw(shape::Box(mid + Vec{3.f, 3.f}, {wall + 2.f, wall + 2.f}, 6.f), Soft(Hex(0x000000, 0.4f), 4.f));
    // Curtain wall with a courtyard.
    c.Draw(shape::Box(mid, {wall, wall}, 4.f), Stone(pal::stone, 3.f, 21));
    c.Draw(shape::Box(mid, {wall - 6.f * k, wall - 6.f * k}, 2.f), Stone(pal::cobble, 2.f, 22));
    // Merlons along the wall top.
    const int merlons = 6 + 2 * stage;
    for (int i = 0; i < merlons; ++i)
    {
        const float t = -wall + 8.f * k +
                        (2.f * wall - 16.f * k) * static_cast<float>(i) / static_cast<float>(merlons - 1);
        for (Vec p : {Vec{t, -wall + 2.5f}, Vec{t, wall - 2.5f}, Vec{-wall + 2.5f, t}, Vec{wall - 2.5f, t}})
            c.Draw(shape::Box(mid + p, {1.5f, 1.5f}, 0.3f), Detail(pal::stoneLight, 1.f, mapLight));
    }
    // Gate facing the road on the left.
    c.Draw(shape::Box(mid + Vec{-wall + 1.f, 0.f}, {4.f, 7.f * k}, 1.f), Mat(pal::woodDark, 1.5f, mapLight));
    c.Draw(shape::Box(mid + Vec{-wall + 1.f, 0.f}, {0.4f, 6.f * k}), Detail(0x2a1a10, 0.f, mapLight));
    if (stage >= 3) // gatehouse towers
        for (float side : {-1.f, 1.f})
            c.Draw(shape::Circle(mid + Vec{-wall, side * 11.f * k}, 5.f * k),
                   Stone(pal::stoneLight, 2.f, 23));

    // Keep with a hipped roof: four faces shaded by the light.
    const float keep = (stage == 1 ? 16.f : 18.f) * k;
    const Vec km = mid + Vec{2.f * k, 0.f};
    c.Draw(shape::Box(km, {keep + 2.f, keep + 2.f}, 2.f), Stone(pal::stoneDark, 2.f, 24));
    const float ridge = stage == 1 ? 0.f : keep * 0.35f;
    const Vec a{km.x - keep, km.y - keep}, b{km.x + keep, km.y - keep}, cc{km.x + keep, km.y + keep},
        d{km.x - keep, km.y + keep};
    const Vec r1{km.x - ridge, km.y}, r2{km.x + ridge, km.y};
    const unsigned roofColour = pal::roof;
    Style face = Mat(roofColour, 1.f, mapLight);
    c.Draw(shape::Polygon({a, b, r2, r1}), face); // north face, lit
    face.fill = Lighten(Hex(roofColour), 0.18f);
    c.Draw(shape::Polygon({a, r1, d}), face); // west face, lit most
    face.fill = Hex(pal::roofDark);
    c.Draw(shape::Polygon({d, r1, r2, cc}), face); // south face
    face.fill = Lighten(Hex(pal::roofDark), -0.2f);
    c.Draw(shape::Polygon({b, cc, r2}), face); // east face, in shade
    if (stage >= 3)
    {
        c.Draw(shape::Capsule(r1, r2, 1.2f), Mat(pal::gold, 0.8f, mapLight));
        c.Draw(shape::Circle(r1, 1.8f), Mat(pal::gold, 0.8f, mapLight));
        c.Draw(shape::Circle(r2, 1.8f), Mat(pal::gold, 0.8f, mapLight));
    }

    // Corner towers: flat crenellated tops at first, conical roofs when upgraded.
    const float towerR = (stage == 1 ? 10.f : 11.f) * k;
    for (Vec corner : {Vec{-1.f, -1.f}, Vec{1.f, -1.f}, Vec{1.f, 1.f}, Vec{-1.f, 1.f}})
    {
        const Vec p = mid + corner * (wall - 3.f * k);
        c.Draw(shape::Circle(p, towerR), Stone(pal::stone, 3.f, 25));
        if (stage == 1)
        {
            c.Draw(shape::Circle(p, towerR - 3.f), Stone(pal::stoneDark, 2.f, 26));
            continue;
        }
        Style cone = Mat(stage >= 3 ? pal::roof : pal::slate, towerR * 0.9f, mapLight);
        cone.bevelStrength = 0.55f;
        c.Draw(shape::Circle(p, towerR - 1.5f), cone);
        c.Draw(shape::Circle(p + Vec{-0.5f, -0.5f}, 1.4f),
               Mat(stage >= 3 ? pal::gold : pal::steel, 0.5f, mapLight));
    }
    // Banners on the keep's ridge.
    if (stage >= 2)
    {
        const Vec pole = km + Vec{-ridge, 0.f};
        c.Draw(shape::Polygon({pole + Vec{0.f, -1.f}, pole + Vec{9.f * k, -3.f}, pole + Vec{7.f * k, 1.5f},
                               pole + Vec{0.f, 2.f}}),
               Mat(stage >= 3 ? pal::gold : pal::navy, 1.f, mapLight));
    }
    return c.Resolve();
}

Layer WaypointMarker()
{
    Canvas c(16, 16);
    c.Draw(shape::Subtract(shape::Circle({8.f, 8.f}, 6.5f), shape::Circle({8.f, 8.f}, 4.f)),
           Mat(0xe04ad0, 1.f, mapLight));
    c.Draw(shape::Circle({8.f, 8.f}, 1.8f), Mat(pal::eye, 0.5f, mapLight));
    return c.Resolve();
}

// --- HUD icons -------------------------------------------------------------------------------------

Layer BulletTowerIcon(bool active)
{
    return TowerIcon(BulletTurret(1), active);
}
Layer SmallRocketTowerIcon(bool active)
{
    return TowerIcon(SmallRocketTurret(1), active);
}
Layer BigRocketTowerIcon(bool active)
{
    return TowerIcon(BigRocketTurret(true), active);
}

Layer RepairIcon(bool active)
{
    Layer icon = IconFrame(active);
    Canvas c(64, 64);
    const Sdf heart =
        shape::Union(shape::Union(shape::Circle({25.5f, 27.f}, 8.5f), shape::Circle({38.5f, 27.f}, 8.5f)),
                     shape::Polygon({{18.f, 31.f}, {32.f, 47.f}, {46.f, 31.f}, {32.f, 25.f}}));
    c.Draw(heart, Mat(pal::heart, 4.f, mapLight));
    // A hammer laid across the heart.
    c.Draw(shape::Capsule({24.f, 48.f}, {40.f, 24.f}, 2.f), Mat(pal::wood, 1.2f, mapLight));
    c.Draw(shape::Box({41.f, 22.f}, {7.f, 3.5f}, 1.f, -56.f), Mat(pal::steel, 1.5f, mapLight));
    // A small green plus: the repair.
    c.Draw(shape::Union(shape::Box({19.f, 46.f}, {6.f, 2.2f}, 0.8f),
                        shape::Box({19.f, 46.f}, {2.2f, 6.f}, 0.8f)),
           Mat(pal::heal, 1.5f, mapLight));
    icon.Blit(c.Resolve(), {32.f, 32.f});
    return active ? icon : Greyed(icon);
}

Layer AppIcon(int size)
{
    const float s = static_cast<float>(size);
    const float k = s / 256.f; // laid out for 256 px
    Canvas c(size, size);
    const Vec mid{s * 0.5f, s * 0.5f};
    // A rounded square of grass in a gold frame, lit from the top left like the map.
    c.Draw(shape::Box(mid + Vec{4.f * k, 6.f * k}, {118.f * k, 118.f * k}, 40.f * k),
           Soft(Hex(0x000000, 0.45f), 8.f * k));
    c.Draw(shape::Box(mid, {118.f * k, 118.f * k}, 40.f * k), Mat(pal::gold, 6.f * k));
    Style ground = Mat(pal::grass, 5.f * k);
    ground.outlineWidth = 0.f;
    c.Draw(shape::Box(mid, {106.f * k, 106.f * k}, 32.f * k), ground);
    // The road winding to the gate.
    Style road = Mat(pal::dirt, 3.f * k);
    road.outlineWidth = 0.f;
    c.Draw(shape::Capsule(mid + Vec{-100.f * k, 70.f * k}, mid + Vec{-40.f * k, 20.f * k}, 13.f * k), road);
    c.Draw(shape::Capsule(mid + Vec{-40.f * k, 20.f * k}, mid + Vec{-10.f * k, 4.f * k}, 13.f * k), road);
    Layer icon = c.Resolve();
    // The keep itself, as the map shows it at its last upgrade.
    icon.Blit(Base(3), mid + Vec{8.f * k, -6.f * k}, 1.45f * k);
    return icon;
}

} // namespace artgen
