#pragma once

// Small software rasteriser for the art generator: shapes are signed distance functions drawn into a
// supersampled canvas (anti-aliased edges, outlines and a bevel lit from one direction), and pictures
// are composited as float RGBA layers. Everything is plain arithmetic, so every run gives the same bytes.

#include <SFML/Graphics/Image.hpp>

#include <functional>
#include <vector>

namespace artgen
{

struct Vec
{
    float x = 0.f;
    float y = 0.f;
};

inline Vec operator+(Vec a, Vec b)
{
    return {a.x + b.x, a.y + b.y};
}
inline Vec operator-(Vec a, Vec b)
{
    return {a.x - b.x, a.y - b.y};
}
inline Vec operator*(Vec a, float s)
{
    return {a.x * s, a.y * s};
}
float Length(Vec v);
float Dot(Vec a, Vec b);
Vec Normalized(Vec v);
// Rotates v by the given angle in degrees; positive turns +x towards +y (clockwise on screen).
Vec Rotate(Vec v, float degrees);

// Straight (not premultiplied) colour, each channel 0..1.
struct Rgba
{
    float r = 0.f;
    float g = 0.f;
    float b = 0.f;
    float a = 0.f;
};

Rgba Hex(unsigned rgb, float alpha = 1.f);
Rgba Mix(Rgba a, Rgba b, float t);
// k > 0 lightens towards white, k < 0 darkens towards black; alpha is kept.
Rgba Lighten(Rgba c, float k);
Rgba WithAlpha(Rgba c, float alpha);
float Clamp01(float v);
float SmoothStep(float e0, float e1, float x);

// Signed distance in pixels: negative inside the shape.
using Sdf = std::function<float(Vec)>;

namespace shape
{
Sdf Circle(Vec centre, float radius);
Sdf Ellipse(Vec centre, Vec radii, float degrees = 0.f);
// A box given by its centre and half size, with rounded corners, turned by degrees about its centre.
Sdf Box(Vec centre, Vec half, float cornerRadius = 0.f, float degrees = 0.f);
Sdf Capsule(Vec a, Vec b, float radius);
Sdf Polygon(std::vector<Vec> points);
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);
// Grows (positive) or shrinks the shape by a distance.
Sdf Inflate(Sdf a, float by);
Sdf Turned(Sdf a, Vec pivot, float degrees);
} // namespace shape

// How a shape is painted.
struct Style
{
    Rgba fill;
    Rgba outline = Hex(0x1c1820);
    float outlineWidth = 1.f; // px outside the shape; 0 for none
    float bevel = 3.f;        // px width of the lit / shaded rim inside the edge
    float bevelStrength = 0.35f;
    Vec light = {-0.7071f, -0.7071f}; // direction towards the light
    float feather = 0.f;              // px of soft edge inside the shape (shadows, glows)
    // Optional per-pixel variation of the fill (grain, patterns); gets the position and the fill.
    std::function<Rgba(Vec, Rgba)> texture;
};

// A float RGBA picture at final resolution.
class Layer
{
public:
    Layer(int width, int height, Rgba clear = {});
    static Layer FromImage(const sf::Image& image);
    sf::Image ToImage() const;

    int Width() const { return width; }
    int Height() const { return height; }
    Rgba Get(int x, int y) const;
    void Set(int x, int y, Rgba c);
    // Source-over at one pixel.
    void Over(int x, int y, Rgba c);
    // Bilinear sample with premultiplied filtering; outside is transparent.
    Rgba Sample(float x, float y) const;
    // Draws src with its centre at `centre`, scaled and turned (degrees, clockwise on screen).
    void Blit(const Layer& src, Vec centre, float scale = 1.f, float degrees = 0.f, float alpha = 1.f,
              bool nearest = false);
    // Applies f to every pixel.
    void Map(const std::function<Rgba(int, int, Rgba)>& f);

private:
    int width;
    int height;
    std::vector<Rgba> pixels;
};

// Supersampled drawing surface; coordinates are in final pixels.
class Canvas
{
public:
    Canvas(int width, int height, int supersample = 4);
    void Draw(const Sdf& sdf, const Style& style);
    // Paints every sample with a colour function, composited over what is there.
    void Paint(const std::function<Rgba(Vec)>& paint);
    Layer Resolve() const;

private:
    void Put(size_t index, Rgba c);

    int width;
    int height;
    int ss;
    std::vector<Rgba> samples;
};

} // namespace artgen
