#include "tools/artgen/Raster.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace artgen
{

float Length(Vec v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}
float Dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y;
}

Vec Normalized(Vec v)
{
    const float len = Length(v);
    return len > 0.f ? v * (1.f / len) : v;
}

Vec Rotate(Vec v, float degrees)
{
    const float rad = degrees * 0.017453292519943295f;
    const float c = std::cos(rad);
    const float s = std::sin(rad);
    return {v.x * c - v.y * s, v.x * s + v.y * c};
}

Rgba Hex(unsigned rgb, float alpha)
{
    return {static_cast<float>((rgb >> 16) & 0xffu) / 255.f, static_cast<float>((rgb >> 8) & 0xffu) / 255.f,
            static_cast<float>(rgb & 0xffu) / 255.f, alpha};
}

Rgba Mix(Rgba a, Rgba b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba Lighten(Rgba c, float k)
{
    const Rgba target = k >= 0.f ? Rgba{1.f, 1.f, 1.f, c.a} : Rgba{0.f, 0.f, 0.f, c.a};
    return Mix(c, target, std::min(1.f, std::abs(k)));
}

Rgba WithAlpha(Rgba c, float alpha)
{
    return {c.r, c.g, c.b, alpha};
}
float Clamp01(float v)
{
    return std::clamp(v, 0.f, 1.f);
}

float SmoothStep(float e0, float e1, float x)
{
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.f - 2.f * t);
}

namespace shape
{

Sdf Circle(Vec centre, float radius)
{
    return [=](Vec p)
    {
        return Length(p - centre) - radius;
    };
}

Sdf Ellipse(Vec centre, Vec radii, float degrees)
{
    return [=](Vec p)
    {
        const Vec q = Rotate(p - centre, -degrees);
        const float k = Length({q.x / radii.x, q.y / radii.y});
        return (k - 1.f) * std::min(radii.x, radii.y);
    };
}

Sdf Box(Vec centre, Vec half, float cornerRadius, float degrees)
{
    return [=](Vec p)
    {
        const Vec q = Rotate(p - centre, -degrees);
        const Vec d = {std::abs(q.x) - half.x + cornerRadius, std::abs(q.y) - half.y + cornerRadius};
        const Vec outside = {std::max(d.x, 0.f), std::max(d.y, 0.f)};
        return Length(outside) + std::min(std::max(d.x, d.y), 0.f) - cornerRadius;
    };
}

Sdf Capsule(Vec a, Vec b, float radius)
{
    return [=](Vec p)
    {
        const Vec pa = p - a;
        const Vec ba = b - a;
        const float h = std::clamp(Dot(pa, ba) / Dot(ba, ba), 0.f, 1.f);
        return Length(pa - ba * h) - radius;
    };
}

Sdf Polygon(std::vector<Vec> points)
{
    return [pts = std::move(points)](Vec p)
    {
        float d = Dot(p - pts[0], p - pts[0]);
        float sign = 1.f;
        const size_t n = pts.size();
        for (size_t i = 0, j = n - 1; i < n; j = i, ++i)
        {
            const Vec e = pts[j] - pts[i];
            const Vec w = p - pts[i];
            const Vec b = w - e * std::clamp(Dot(w, e) / Dot(e, e), 0.f, 1.f);
            d = std::min(d, Dot(b, b));
            const bool c1 = p.y >= pts[i].y;
            const bool c2 = p.y < pts[j].y;
            const bool c3 = e.x * w.y > e.y * w.x;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
                sign = -sign;
        }
        return sign * std::sqrt(d);
    };
}

Sdf Union(Sdf a, Sdf b)
{
    return [=](Vec p)
    {
        return std::min(a(p), b(p));
    };
}

Sdf Subtract(Sdf a, Sdf b)
{
    return [=](Vec p)
    {
        return std::max(a(p), -b(p));
    };
}

Sdf Intersect(Sdf a, Sdf b)
{
    return [=](Vec p)
    {
        return std::max(a(p), b(p));
    };
}

Sdf Inflate(Sdf a, float by)
{
    return [=](Vec p)
    {
        return a(p) - by;
    };
}

Sdf Turned(Sdf a, Vec pivot, float degrees)
{
    return [=](Vec p)
    {
        return a(pivot + Rotate(p - pivot, -degrees));
    };
}

} // namespace shape

Layer::Layer(int w, int h, Rgba clear)
    : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), clear)
{
}

Layer Layer::FromImage(const sf::Image& image)
{
    const auto size = image.getSize();
    Layer layer(static_cast<int>(size.x), static_cast<int>(size.y));
    for (unsigned y = 0; y < size.y; ++y)
        for (unsigned x = 0; x < size.x; ++x)
        {
            const sf::Color c = image.getPixel(x, y);
            layer.Set(static_cast<int>(x), static_cast<int>(y),
                      {static_cast<float>(c.r) / 255.f, static_cast<float>(c.g) / 255.f,
                       static_cast<float>(c.b) / 255.f, static_cast<float>(c.a) / 255.f});
        }
    return layer;
}

namespace
{
sf::Uint8 ToByte(float v)
{
    return static_cast<sf::Uint8>(std::lround(Clamp01(v) * 255.f));
}
} // namespace

sf::Image Layer::ToImage() const
{
    sf::Image image;
    image.create(static_cast<unsigned>(width), static_cast<unsigned>(height), sf::Color::Transparent);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const Rgba c = Get(x, y);
            const sf::Uint8 a = ToByte(c.a);
            // Fully transparent pixels are stored as zero so collision masks and file bytes stay clean.
            if (a == 0)
                continue;
            image.setPixel(static_cast<unsigned>(x), static_cast<unsigned>(y),
                           sf::Color(ToByte(c.r), ToByte(c.g), ToByte(c.b), a));
        }
    return image;
}

Rgba Layer::Get(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return {};
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

void Layer::Set(int x, int y, Rgba c)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = c;
}

namespace
{
Rgba Composite(Rgba dst, Rgba src)
{
    const float a = src.a + dst.a * (1.f - src.a);
    if (a <= 0.f)
        return {};
    const float k = dst.a * (1.f - src.a);
    return {(src.r * src.a + dst.r * k) / a, (src.g * src.a + dst.g * k) / a, (src.b * src.a + dst.b * k) / a,
            a};
}
} // namespace

void Layer::Over(int x, int y, Rgba c)
{
    if (x < 0 || y < 0 || x >= width || y >= height || c.a <= 0.f)
        return;
    Rgba& d = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    d = Composite(d, c);
}

Rgba Layer::Sample(float x, float y) const
{
    const float fx = x - 0.5f;
    const float fy = y - 0.5f;
    const int x0 = static_cast<int>(std::floor(fx));
    const int y0 = static_cast<int>(std::floor(fy));
    const float tx = fx - static_cast<float>(x0);
    const float ty = fy - static_cast<float>(y0);
    float r = 0.f, g = 0.f, b = 0.f, a = 0.f;
    const int dx[4] = {0, 1, 0, 1};
    const int dy[4] = {0, 0, 1, 1};
    const float w[4] = {(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty};
    for (int i = 0; i < 4; ++i)
    {
        const Rgba c = Get(x0 + dx[i], y0 + dy[i]);
        r += c.r * c.a * w[i];
        g += c.g * c.a * w[i];
        b += c.b * c.a * w[i];
        a += c.a * w[i];
    }
    if (a <= 0.f)
        return {};
    return {r / a, g / a, b / a, a};
}

void Layer::Blit(const Layer& src, Vec centre, float scale, float degrees, float alpha, bool nearest)
{
    const float halfDiag =
        0.5f * scale * Length({static_cast<float>(src.width), static_cast<float>(src.height)});
    const int x0 = static_cast<int>(std::floor(centre.x - halfDiag)) - 1;
    const int x1 = static_cast<int>(std::ceil(centre.x + halfDiag)) + 1;
    const int y0 = static_cast<int>(std::floor(centre.y - halfDiag)) - 1;
    const int y1 = static_cast<int>(std::ceil(centre.y + halfDiag)) + 1;
    const Vec srcCentre = {0.5f * static_cast<float>(src.width), 0.5f * static_cast<float>(src.height)};
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
        {
            const Vec p = {static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
            const Vec q = srcCentre + Rotate(p - centre, -degrees) * (1.f / scale);
            Rgba c;
            if (nearest)
                c = src.Get(static_cast<int>(std::floor(q.x)), static_cast<int>(std::floor(q.y)));
            else
                c = src.Sample(q.x, q.y);
            c.a *= alpha;
            Over(x, y, c);
        }
}

void Layer::Map(const std::function<Rgba(int, int, Rgba)>& f)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            Set(x, y, f(x, y, Get(x, y)));
}

Canvas::Canvas(int w, int h, int supersample)
    : width(w), height(h), ss(supersample),
      samples(static_cast<size_t>(w * supersample) * static_cast<size_t>(h * supersample))
{
}

void Canvas::Put(size_t index, Rgba c)
{
    if (c.a <= 0.f)
        return;
    samples[index] = Composite(samples[index], c);
}

void Canvas::Draw(const Sdf& sdf, const Style& style)
{
    const int block = 4; // final pixels per culling block
    const float reach = style.outlineWidth + 0.75f * static_cast<float>(block) + 1.f;
    const float step = 1.f / static_cast<float>(ss);
    const int sw = width * ss;
    for (int by = 0; by < height; by += block)
        for (int bx = 0; bx < width; bx += block)
        {
            const Vec mid = {static_cast<float>(bx) + 0.5f * static_cast<float>(block),
                             static_cast<float>(by) + 0.5f * static_cast<float>(block)};
            if (sdf(mid) > reach)
                continue;
            const int yEnd = std::min(height, by + block) * ss;
            const int xEnd = std::min(width, bx + block) * ss;
            for (int sy = by * ss; sy < yEnd; ++sy)
                for (int sx = bx * ss; sx < xEnd; ++sx)
                {
                    const Vec p = {(static_cast<float>(sx) + 0.5f) * step,
                                   (static_cast<float>(sy) + 0.5f) * step};
                    const float d = sdf(p);
                    const size_t index =
                        static_cast<size_t>(sy) * static_cast<size_t>(sw) + static_cast<size_t>(sx);
                    if (d >= 0.f)
                    {
                        if (d < style.outlineWidth)
                            Put(index, style.outline);
                        continue;
                    }
                    Rgba c = style.texture ? style.texture(p, style.fill) : style.fill;
                    const float inside = -d;
                    if (style.bevel > 0.f && inside < style.bevel)
                    {
                        const float e = 0.2f;
                        const Vec n = Normalized({sdf({p.x + e, p.y}) - sdf({p.x - e, p.y}),
                                                  sdf({p.x, p.y + e}) - sdf({p.x, p.y - e})});
                        const float rim = 1.f - inside / style.bevel;
                        const float facing = Dot(n, style.light);
                        c = Lighten(c, style.bevelStrength * rim * (facing > 0.f ? facing : facing * 1.2f));
                    }
                    if (style.feather > 0.f)
                        c.a *= SmoothStep(0.f, style.feather, inside);
                    Put(index, c);
                }
        }
}

void Canvas::Paint(const std::function<Rgba(Vec)>& paint)
{
    const float step = 1.f / static_cast<float>(ss);
    const int sw = width * ss;
    const int sh = height * ss;
    for (int sy = 0; sy < sh; ++sy)
        for (int sx = 0; sx < sw; ++sx)
        {
            const Vec p = {(static_cast<float>(sx) + 0.5f) * step, (static_cast<float>(sy) + 0.5f) * step};
            Put(static_cast<size_t>(sy) * static_cast<size_t>(sw) + static_cast<size_t>(sx), paint(p));
        }
}

Layer Canvas::Resolve() const
{
    Layer out(width, height);
    const int sw = width * ss;
    const float n = static_cast<float>(ss * ss);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            float r = 0.f, g = 0.f, b = 0.f, a = 0.f;
            for (int j = 0; j < ss; ++j)
                for (int i = 0; i < ss; ++i)
                {
                    const Rgba& c = samples[static_cast<size_t>(y * ss + j) * static_cast<size_t>(sw) +
                                            static_cast<size_t>(x * ss + i)];
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            if (a > 0.f)
                out.Set(x, y, {r / a, g / a, b / a, a / n});
        }
    return out;
}

} // namespace artgen
