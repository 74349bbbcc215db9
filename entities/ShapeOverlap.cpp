#include "entities/ShapeOverlap.hpp"

#include <algorithm>
#include <cmath>

bool BoxesOverlap(const sf::FloatRect& a, const sf::FloatRect& b)
{
    const float centreAx = a.left + a.width / 2.f;
    const float centreAy = a.top + a.height / 2.f;
    const float centreBx = b.left + b.width / 2.f;
    const float centreBy = b.top + b.height / 2.f;
    const float overlapX = (a.width + b.width) / 2.f - std::abs(centreBx - centreAx);
    const float overlapY = (a.height + b.height) / 2.f - std::abs(centreBy - centreAy);
    return overlapX > 0.f && overlapY > 0.f;
}

bool CircleMeetsBox(sf::Vector2f centre, float radius, const sf::FloatRect& box)
{
    const float qx = std::max(box.left, std::min(centre.x, box.left + box.width));
    const float qy = std::max(box.top, std::min(centre.y, box.top + box.height));
    const float dx = centre.x - qx;
    const float dy = centre.y - qy;
    return dx * dx + dy * dy <= radius * radius;
}

bool CirclesOverlap(sf::Vector2f centreA, float radiusA, sf::Vector2f centreB, float radiusB)
{
    const float dx = centreB.x - centreA.x;
    const float dy = centreB.y - centreA.y;
    const float reach = radiusA + radiusB;
    return dx * dx + dy * dy <= reach * reach;
}

bool PointInBox(sf::Vector2f point, const sf::FloatRect& box)
{
    return box.left <= point.x && point.x <= box.left + box.width && box.top <= point.y &&
           point.y <= box.top + box.height;
}

namespace
{
struct Span
{
    int low, high;
};

// Whole pixels, truncated; held at a billion pixels (where nothing is ever drawn) rather than
// overflowing, and 0 for a value that is not a number.
int WholePixels(float value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, -1e9f, 1e9f));
}

Span SpanOf(float start, float extent)
{
    const int a = WholePixels(start);
    const int b = a + WholePixels(extent);
    return {std::min(a, b), std::max(a, b)};
}

// The same arithmetic as sf::Transform::transformPoint, inlined for the per-pixel loop.
sf::Vector2f Apply(const float* m, float x, float y)
{
    return {m[0] * x + m[4] * y + m[12], m[1] * x + m[5] * y + m[13]};
}

bool Opaque(const sf::Uint8* pixels, sf::Vector2u size, sf::Vector2f local)
{
    if (!(local.x > 0.f && local.x < static_cast<float>(size.x) && local.y > 0.f &&
          local.y < static_cast<float>(size.y)))
        return false;
    const auto x = static_cast<unsigned>(local.x);
    const auto y = static_cast<unsigned>(local.y);
    // The pixel array is RGBA; the mask's own width is the row stride.
    return pixels[(static_cast<std::size_t>(y) * size.x + x) * 4 + 3] != 0;
}

// Clamps [left, right) x [top, bottom) into the world box of a mask's opaque rectangle.
void Narrow(const PixelView& view, int& left, int& right, int& top, int& bottom)
{
    const auto clampTo = [](double value, int low, int high)
    {
        return static_cast<int>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
    };
    const int newLeft = clampTo(view.boxLeft, left, right);
    const int newRight = clampTo(view.boxRight, left, right);
    const int newTop = clampTo(view.boxTop, top, bottom);
    const int newBottom = clampTo(view.boxBottom, top, bottom);
    left = newLeft;
    right = newRight;
    top = newTop;
    bottom = newBottom;
}
} // namespace

MaskBounds OpaqueBounds(const sf::Image& mask)
{
    const auto size = mask.getSize();
    const sf::Uint8* pixels = mask.getPixelsPtr();
    MaskBounds bounds{static_cast<int>(size.x), static_cast<int>(size.y), 0, 0};
    for (unsigned y = 0; y < size.y; ++y)
        for (unsigned x = 0; x < size.x; ++x)
            if (pixels[(static_cast<std::size_t>(y) * size.x + x) * 4 + 3] != 0)
            {
                bounds.left = std::min(bounds.left, static_cast<int>(x));
                bounds.top = std::min(bounds.top, static_cast<int>(y));
                bounds.right = std::max(bounds.right, static_cast<int>(x) + 1);
                bounds.bottom = std::max(bounds.bottom, static_cast<int>(y) + 1);
            }
    return bounds;
}

bool PixelsOverlap(const sf::Sprite& spriteA, const sf::Image& maskA, const sf::Sprite& spriteB,
                   const sf::Image& maskB)
{
    return PixelsOverlap(spriteA, maskA, OpaqueBounds(maskA), spriteB, maskB, OpaqueBounds(maskB));
}

bool PixelsOverlap(const sf::Sprite& spriteA, const sf::Image& maskA, const MaskBounds& opaqueA,
                   const sf::Sprite& spriteB, const sf::Image& maskB, const MaskBounds& opaqueB)
{
    return PixelsOverlap(ViewOf(spriteA, spriteA.getGlobalBounds(), maskA, opaqueA),
                         ViewOf(spriteB, spriteB.getGlobalBounds(), maskB, opaqueB));
}

PixelView ViewOf(const sf::Sprite& sprite, const sf::FloatRect& globalBounds, const sf::Image& mask,
                 const MaskBounds& opaque)
{
    if (mask.getSize().x == 0 || opaque.Empty())
        return PixelView::None();
    PixelView view{};
    const Span x = SpanOf(globalBounds.left, globalBounds.width);
    const Span y = SpanOf(globalBounds.top, globalBounds.height);
    view.spanX0 = x.low;
    view.spanX1 = x.high;
    view.spanY0 = y.low;
    view.spanY1 = y.high;
    // The opaque rectangle's corners in the world, widened by a pixel so that float rounding in
    // the inverse transform cannot matter.
    const float* m = sprite.getTransform().getMatrix();
    const float xs[2] = {static_cast<float>(opaque.left), static_cast<float>(opaque.right)};
    const float ys[2] = {static_cast<float>(opaque.top), static_cast<float>(opaque.bottom)};
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (float cx : xs)
        for (float cy : ys)
        {
            const sf::Vector2f corner = Apply(m, cx, cy);
            minX = std::min(minX, static_cast<double>(corner.x));
            maxX = std::max(maxX, static_cast<double>(corner.x));
            minY = std::min(minY, static_cast<double>(corner.y));
            maxY = std::max(maxY, static_cast<double>(corner.y));
        }
    view.boxLeft = std::floor(minX - 1.0);
    view.boxRight = std::ceil(maxX + 1.0) + 1.0;
    view.boxTop = std::floor(minY - 1.0);
    view.boxBottom = std::ceil(maxY + 1.0) + 1.0;
    view.inverse = sprite.getInverseTransform().getMatrix();
    view.pixels = mask.getPixelsPtr();
    view.size = mask.getSize();
    return view;
}

bool PixelsOverlap(const PixelView& a, const PixelView& b)
{
    if (a.empty || b.empty)
        return false;
    int left = std::max(a.spanX0, b.spanX0), right = std::min(a.spanX1, b.spanX1);
    int top = std::max(a.spanY0, b.spanY0), bottom = std::min(a.spanY1, b.spanY1);
    if (left >= right || top >= bottom)
        return false;
    // Only where both sprites can be opaque: outside a mask's opaque rectangle no pixel counts.
    Narrow(a, left, right, top, bottom);
    Narrow(b, left, right, top, bottom);
    if (left >= right || top >= bottom)
        return false;

    const auto bothOpaque = [&](int x, int y)
    {
        const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
        return Opaque(a.pixels, a.size, Apply(a.inverse, fx, fy)) &&
               Opaque(b.pixels, b.size, Apply(b.inverse, fx, fy));
    };
    // Sprites that overlap at all mostly overlap in the middle of the shared rectangle: one pixel
    // there settles most pairs before the scan.
    if (bothOpaque(left + (right - left) / 2, top + (bottom - top) / 2))
        return true;
    for (int x = left; x < right; ++x)
    {
        for (int y = top; y < bottom; ++y)
        {
            if (bothOpaque(x, y))
                return true;
        }
    }
    return false;
}
