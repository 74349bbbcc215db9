// The pixel test narrows its scan to where both masks can be opaque; it must answer exactly as
// the plain scan over the whole bounds intersection did, kept here as the oracle.
#include "entities/ShapeOverlap.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace
{
// The pixel test as it was before the narrowing, copied verbatim.
struct OldSpan
{
    int low, high;
};

OldSpan OldSpanOf(float start, float extent)
{
    const int a = static_cast<int>(start);
    const int b = a + static_cast<int>(extent);
    return {std::min(a, b), std::max(a, b)};
}

bool OldOpaque(const sf::Image& mask, sf::Vector2f local)
{
    const auto size = mask.getSize();
    if (!(local.x > 0.f && local.x < static_cast<float>(size.x) && local.y > 0.f &&
          local.y < static_cast<float>(size.y)))
        return false;
    const auto x = static_cast<unsigned>(local.x);
    const auto y = static_cast<unsigned>(local.y);
    const sf::Uint8* pixels = mask.getPixelsPtr();
    return pixels[(static_cast<std::size_t>(y) * size.x + x) * 4 + 3] != 0;
}

bool OldPixelsOverlap(const sf::Sprite& spriteA, const sf::Image& maskA, const sf::Sprite& spriteB,
                      const sf::Image& maskB)
{
    if (maskA.getSize().x == 0 || maskB.getSize().x == 0)
        return false;
    const sf::FloatRect boundsA = spriteA.getGlobalBounds();
    const sf::FloatRect boundsB = spriteB.getGlobalBounds();
    const OldSpan ax = OldSpanOf(boundsA.left, boundsA.width), ay = OldSpanOf(boundsA.top, boundsA.height);
    const OldSpan bx = OldSpanOf(boundsB.left, boundsB.width), by = OldSpanOf(boundsB.top, boundsB.height);
    const int left = std::max(ax.low, bx.low), right = std::min(ax.high, bx.high);
    const int top = std::max(ay.low, by.low), bottom = std::min(ay.high, by.high);
    if (left >= right || top >= bottom)
        return false;
    const sf::Transform inverseA = spriteA.getInverseTransform();
    const sf::Transform inverseB = spriteB.getInverseTransform();
    for (int x = left; x < right; ++x)
        for (int y = top; y < bottom; ++y)
        {
            const sf::Vector2f point(static_cast<float>(x), static_cast<float>(y));
            if (OldOpaque(maskA, inverseA.transformPoint(point)) && OldOpaque(maskB, inverseB.transformPoint(point)))
                return true;
        }
    return false;
}

// A mask with an opaque blob (a filled rectangle, a ring or a few single pixels) somewhere inside a
// transparent margin, sometimes touching the first row or column.
sf::Image RandomMask(std::mt19937& random)
{
    std::uniform_int_distribution<unsigned> sizeOf(1, 40);
    const unsigned w = sizeOf(random), h = sizeOf(random);
    sf::Image image;
    image.create(w, h, sf::Color::Transparent);
    const int style = std::uniform_int_distribution<int>(0, 3)(random);
    std::uniform_int_distribution<unsigned> xs(0, w - 1), ys(0, h - 1);
    if (style == 0)
        return image; // fully transparent
    if (style == 1)
    {
        for (int i = 0; i < 4; ++i)
            image.setPixel(xs(random), ys(random), sf::Color::Red);
        return image;
    }
    unsigned x0 = xs(random), x1 = xs(random), y0 = ys(random), y1 = ys(random);
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    for (unsigned y = y0; y <= y1; ++y)
        for (unsigned x = x0; x <= x1; ++x)
            if (style == 2 || x == x0 || x == x1 || y == y0 || y == y1)
                image.setPixel(x, y, sf::Color(0, 0, 0, 1));
    return image;
}

sf::Sprite RandomSprite(std::mt19937& random, const sf::Image& mask)
{
    sf::Sprite sprite;
    const auto size = mask.getSize();
    sprite.setTextureRect(sf::IntRect(0, 0, static_cast<int>(size.x), static_cast<int>(size.y)));
    std::uniform_real_distribution<float> place(100.f, 112.f), unit(0.f, 1.f);
    sprite.setOrigin(unit(random) * static_cast<float>(size.x), unit(random) * static_cast<float>(size.y));
    sprite.setPosition(place(random), place(random));
    // Whole quarter turns now and then: their edges line up with the pixel grid.
    const float angle = unit(random) < 0.3f ? 90.f * static_cast<float>(static_cast<int>(unit(random) * 4.f))
                                            : 360.f * unit(random);
    sprite.setRotation(angle);
    const float pick = unit(random);
    if (pick < 0.3f)
        sprite.setScale(1.f, 1.f);
    else if (pick < 0.45f)
        sprite.setScale(-1.f, 1.f); // flipped
    else
        sprite.setScale(0.25f + 2.5f * unit(random), 0.25f + 2.5f * unit(random));
    return sprite;
}
} // namespace

TEST(PerfPixelTest, OpaqueBoundsHoldEveryOpaquePixel)
{
    sf::Image empty;
    empty.create(5, 4, sf::Color::Transparent);
    EXPECT_TRUE(OpaqueBounds(empty).Empty());

    sf::Image image;
    image.create(10, 8, sf::Color::Transparent);
    image.setPixel(0, 3, sf::Color(1, 1, 1, 1));
    image.setPixel(6, 7, sf::Color(1, 1, 1, 255));
    const MaskBounds bounds = OpaqueBounds(image);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 3);
    EXPECT_EQ(bounds.right, 7);
    EXPECT_EQ(bounds.bottom, 8);
}

// Many random placements, rotations, flips and scales, with sprites centred near each other so
// that most pairs overlap in their bounds and a good share of them in their pixels too.
TEST(PerfPixelTest, AnswersAsThePlainScanDid)
{
    std::mt19937 random(20261208);
    int touching = 0, apart = 0;
    for (int round = 0; round < 40000; ++round)
    {
        const sf::Image maskA = RandomMask(random), maskB = RandomMask(random);
        const sf::Sprite spriteA = RandomSprite(random, maskA), spriteB = RandomSprite(random, maskB);
        const bool expected = OldPixelsOverlap(spriteA, maskA, spriteB, maskB);
        ASSERT_EQ(PixelsOverlap(spriteA, maskA, spriteB, maskB), expected) << "round " << round;
        ASSERT_EQ(PixelsOverlap(spriteA, maskA, OpaqueBounds(maskA), spriteB, maskB, OpaqueBounds(maskB)), expected)
            << "round " << round;
        (expected ? touching : apart) += 1;
    }
    // Both answers came up often enough for the comparison to mean something.
    EXPECT_GT(touching, 2000);
    EXPECT_GT(apart, 2000);
}
