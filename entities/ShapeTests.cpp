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

bool Opaque(const sf::Image& mask, sf::Vector2f local)
{
    const auto size = mask.getSize();
    if (!(local.x > 0.f && local.x < static_cast<float>(size.x) && local.y > 0.f &&
          local.y < static_cast<float>(size.y)))
        return false;
    const auto x = static_cast<unsigned>(local.x);
    const auto y = static_cast<unsigned>(local.y);
    // The pixel array is RGBA; the mask's own width is the row stride.
    const sf::Uint8* pixels = mask.getPixelsPtr();
    return pixels[(static_cast<std::size_t>(y) * size.x + x) * 4 + 3] != 0;
}
} // namespace

bool PixelsOverlap(const sf::Sprite& spriteA, const sf::Image& maskA, const sf::Sprite& spriteB,
                   const sf::Image& maskB)
{
    if (maskA.getSize().x == 0 || maskB.getSize().x == 0)
        return false;
    const sf::FloatRect boundsA = spriteA.getGlobalBounds();
    const sf::FloatRect boundsB = spriteB.getGlobalBounds();
    const Span ax = SpanOf(boundsA.left, boundsA.width), ay = SpanOf(boundsA.top, boundsA.height);
    const Span bx = SpanOf(boundsB.left, boundsB.width), by = SpanOf(boundsB.top, boundsB.height);
    const int left = std::max(ax.low, bx.low), right = std::min(ax.high, bx.high);
    const int top = std::max(ay.low, by.low), bottom = std::min(ay.high, by.high);
    if (left >= right || top >= bottom)
        return false;

    const sf::Transform inverseA = spriteA.getInverseTransform();
    const sf::Transform inverseB = spriteB.getInverseTransform();
    for (int x = left; x < right; ++x)
    {
        for (int y = top; y < bottom; ++y)
        {
            const sf::Vector2f point(static_cast<float>(x), static_cast<float>(y));
            if (Opaque(maskA, inverseA.transformPoint(point)) && Opaque(maskB, inverseB.transformPoint(point)))
                return true;
        }
    }
    return false;
}
