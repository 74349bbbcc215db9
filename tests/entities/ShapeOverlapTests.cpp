// The pixel test: it narrows its scan to where both masks can be opaque and must answer exactly
// as the plain scan over the whole bounds intersection did, kept here as the oracle; and pixel
// colliders of real textures through the physics step (needs a GL context).

#include "entities/PhysicsManager.hpp"
#include "entities/ShapeOverlap.hpp"
#include "tests/entities/EntityTestSupport.hpp"

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
            if (OldOpaque(maskA, inverseA.transformPoint(point)) &&
                OldOpaque(maskB, inverseB.transformPoint(point)))
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

TEST(PixelTest, OpaqueBoundsHoldEveryOpaquePixel)
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
TEST(PixelTest, AnswersAsThePlainScanDid)
{
    std::mt19937 random(20261208);
    int touching = 0, apart = 0;
    for (int round = 0; round < 40000; ++round)
    {
        const sf::Image maskA = RandomMask(random), maskB = RandomMask(random);
        const sf::Sprite spriteA = RandomSprite(random, maskA), spriteB = RandomSprite(random, maskB);
        const bool expected = OldPixelsOverlap(spriteA, maskA, spriteB, maskB);
        ASSERT_EQ(PixelsOverlap(spriteA, maskA, spriteB, maskB), expected) << "round " << round;
        ASSERT_EQ(PixelsOverlap(spriteA, maskA, OpaqueBounds(maskA), spriteB, maskB, OpaqueBounds(maskB)),
                  expected)
            << "round " << round;
        (expected ? touching : apart) += 1;
    }
    // Both answers came up often enough for the comparison to mean something.
    EXPECT_GT(touching, 2000);
    EXPECT_GT(apart, 2000);
}

using namespace entity_tests;

namespace
{
using testing_support::Picture;
using testing_support::Solid;

class PixelColliders : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetEntities(); }
    void TearDown() override { testing_support::ResetEntities(); }

    sf::Sprite At(const sf::Texture& texture, float x, float y)
    {
        sf::Sprite sprite(texture);
        sprite.setPosition(x, y);
        return sprite;
    }
};
} // namespace

TEST_F(PixelColliders, PixelTestBoundsMasksAndAlpha)
{
    const auto opaque = Solid({4, 4});
    const sf::Image opaqueMask = opaque->copyToImage();
    EXPECT_TRUE(PixelsOverlap(At(*opaque, 0, 0), opaqueMask, At(*opaque, 2, 2), opaqueMask));
    EXPECT_FALSE(PixelsOverlap(At(*opaque, 0, 0), opaqueMask, At(*opaque, 4, 0), opaqueMask));

    // Only column 0 opaque: the first column never counts, even fully overlapped.
    const auto column0 = Picture({4, 4}, [](unsigned x, unsigned)
                                 { return x == 0 ? sf::Color::Red : sf::Color::Transparent; });
    const sf::Image column0Mask = column0->copyToImage();
    EXPECT_FALSE(PixelsOverlap(At(*column0, 0, 0), column0Mask, At(*column0, 0, 0), column0Mask));
    // ... nor the first row.
    const auto row0 = Picture({4, 4}, [](unsigned, unsigned y)
                              { return y == 0 ? sf::Color::Red : sf::Color::Transparent; });
    const sf::Image row0Mask = row0->copyToImage();
    EXPECT_FALSE(PixelsOverlap(At(*row0, 0, 0), row0Mask, At(*opaque, 0, 0), opaqueMask));
    // Half a pixel to the right, screen column 1 lands at local 0.5, truncated to column 0.
    EXPECT_TRUE(PixelsOverlap(At(*column0, 0.5f, 0), column0Mask, At(*opaque, 0, 0), opaqueMask));

    // Only alpha decides: coloured but fully transparent pixels are empty, alpha 1 is solid.
    const auto clear = Solid({4, 4}, sf::Color(255, 255, 255, 0));
    const auto faint = Solid({4, 4}, sf::Color(0, 0, 0, 1));
    EXPECT_FALSE(PixelsOverlap(At(*clear, 0, 0), clear->copyToImage(), At(*opaque, 0, 0), opaqueMask));
    EXPECT_TRUE(PixelsOverlap(At(*faint, 0, 0), faint->copyToImage(), At(*opaque, 0, 0), opaqueMask));

    // Bounds are truncated: at 0.9 a 4-wide sprite spans 0..4, so one at 3.5 (3..7) shares only
    // screen column 3, which lies left of the second sprite's picture.
    EXPECT_FALSE(PixelsOverlap(At(*opaque, 0.9f, 0), opaqueMask, At(*opaque, 3.5f, 0), opaqueMask));
    EXPECT_TRUE(PixelsOverlap(At(*opaque, 0.9f, 0), opaqueMask, At(*opaque, 2.5f, 0), opaqueMask));

    // A flipped sprite (negative scale) still spans its bounds.
    sf::Sprite flipped = At(*opaque, 4, 0);
    flipped.setScale(-1.f, 1.f);
    EXPECT_TRUE(PixelsOverlap(flipped, opaqueMask, At(*opaque, 2, 0), opaqueMask));
}

TEST_F(PixelColliders, PixelCollidersMeetOnlyPixelCollidersAndKeepTheirFirstMask)
{
    const auto opaque = Solid({32, 32});
    const auto empty = Solid({32, 32}, sf::Color::Transparent);

    // Moving colliders by their tags; their owners are obstacles, on which no game rule acts.
    auto projectile = std::make_shared<GameObject>(ObjectType::Obstacle);
    auto projectileBody = std::make_shared<RigidBodyComponent>(projectile.get());
    auto projectileSprite = std::make_shared<sf::Sprite>(*opaque);
    projectileSprite->setPosition(100.f, 100.f);
    auto projectilePixels =
        std::make_shared<PixelCollisionComponent>(projectile.get(), projectileBody, projectileSprite);
    PhysicsManager::instance().AddCollider(projectilePixels, "Projectile");

    // A box and a circle right on top of it are never tested against pixels.
    MakeBox(ObjectType::Obstacle, {116.f, 116.f}, {64.f, 64.f}, "Tower");
    const Thing circle = MakeCircle(ObjectType::Obstacle, {116.f, 116.f}, 40.f, "Enemy");
    auto& physics = PhysicsManager::instance();
    physics.Update(0.f);
    ASSERT_EQ(physics.contacts.size(), 1u); // box and circle only
    EXPECT_EQ(physics.contacts.front().first, circle.collider.get());

    auto enemy = std::make_shared<GameObject>(ObjectType::Obstacle);
    auto enemyBody = std::make_shared<RigidBodyComponent>(enemy.get());
    auto enemySprite = std::make_shared<sf::Sprite>(*opaque);
    enemySprite->setPosition(110.f, 110.f);
    auto enemyPixels = std::make_shared<PixelCollisionComponent>(enemy.get(), enemyBody, enemySprite);
    physics.AddCollider(enemyPixels, "Enemy");
    // The picture changes after construction; the mask does not.
    enemySprite->setTexture(*empty);
    physics.Update(0.f);
    EXPECT_EQ(physics.contacts.size(), 2u);

    enemy->alive = false;
    physics.Update(0.f);
    EXPECT_EQ(physics.contacts.size(), 1u);
}
