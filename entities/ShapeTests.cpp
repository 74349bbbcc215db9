#include "entities/ShapeTests.hpp"

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

Span SpanOf(float start, float extent)
{
    const int a = static_cast<int>(start);
    const int b = a + static_cast<int>(extent);
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

// Narrows [low, high) to the world box of the mask's opaque rectangle under the sprite's
// transform, widened by a pixel so float rounding in the inverse transform cannot matter.
void Narrow(const sf::Sprite& sprite, const MaskBounds& bounds, int& left, int& right, int& top, int& bottom)
{
    const float* m = sprite.getTransform().getMatrix();
    const float xs[2] = {static_cast<float>(bounds.left), static_cast<float>(bounds.right)};
    const float ys[2] = {static_cast<float>(bounds.top), static_cast<float>(bounds.bottom)};
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (float x : xs)
        for (float y : ys)
        {
            const sf::Vector2f corner = Apply(m, x, y);
            minX = std::min(minX, static_cast<double>(corner.x));
            maxX = std::max(maxX, static_cast<double>(corner.x));
            minY = std::min(minY, static_cast<double>(corner.y));
            maxY = std::max(maxY, static_cast<double>(corner.y));
        }
    const auto clampTo = [](double value, int low, int high)
    { return static_cast<int>(std::clamp(value, static_cast<double>(low), static_cast<double>(high))); };
    const int newLeft = clampTo(std::floor(minX - 1.0), left, right);
    const int newRight = clampTo(std::ceil(maxX + 1.0) + 1.0, left, right);
    const int newTop = clampTo(std::floor(minY - 1.0), top, bottom);
    const int newBottom = clampTo(std::ceil(maxY + 1.0) + 1.0, top, bottom);
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
    if (maskA.getSize().x == 0 || maskB.getSize().x == 0)
        return false;
    if (opaqueA.Empty() || opaqueB.Empty())
        return false;
    const sf::FloatRect boundsA = spriteA.getGlobalBounds();
    const sf::FloatRect boundsB = spriteB.getGlobalBounds();
    const Span ax = SpanOf(boundsA.left, boundsA.width), ay = SpanOf(boundsA.top, boundsA.height);
    const Span bx = SpanOf(boundsB.left, boundsB.width), by = SpanOf(boundsB.top, boundsB.height);
    int left = std::max(ax.low, bx.low), right = std::min(ax.high, bx.high);
    int top = std::max(ay.low, by.low), bottom = std::min(ay.high, by.high);
    if (left >= right || top >= bottom)
        return false;
    // Only where both sprites can be opaque: outside a mask's opaque rectangle no pixel counts.
    Narrow(spriteA, opaqueA, left, right, top, bottom);
    Narrow(spriteB, opaqueB, left, right, top, bottom);
    if (left >= right || top >= bottom)
        return false;

    const float* inverseA = spriteA.getInverseTransform().getMatrix();
    const float* inverseB = spriteB.getInverseTransform().getMatrix();
    const sf::Uint8* pixelsA = maskA.getPixelsPtr();
    const sf::Uint8* pixelsB = maskB.getPixelsPtr();
    const sf::Vector2u sizeA = maskA.getSize(), sizeB = maskB.getSize();
    const auto bothOpaque = [&](int x, int y)
    {
        const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
        return Opaque(pixelsA, sizeA, Apply(inverseA, fx, fy)) && Opaque(pixelsB, sizeB, Apply(inverseB, fx, fy));
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
