#include "entities/CollisionFilter.hpp"

#include "entities/MotionComponents.hpp"

#include <array>

namespace
{
using Shape = ColliderShape;

bool ShapesTested(Shape a, Shape b)
{
    switch (a)
    {
    case Shape::Box:
        return b == Shape::Box || b == Shape::Circle || b == Shape::Point;
    case Shape::Circle:
        return b == Shape::Box || b == Shape::Circle;
    case Shape::Point:
        return b == Shape::Box;
    case Shape::Pixel:
        return b == Shape::Pixel;
    case Shape::Other:
        break;
    }
    return false;
}

bool TagsMeet(TagClass a, TagClass b)
{
    if (IsStatic(a) && IsStatic(b))
        return false;
    if (a == TagClass::Detector)
        return b != TagClass::Detector && b != TagClass::Base && b != TagClass::Mouse;
    if (b == TagClass::Detector)
        return a != TagClass::Base && a != TagClass::Mouse;
    return true;
}

// MayTouch of every pair of classes with bodies, worked out once.
const std::array<std::array<bool, ColliderClass::Count>, ColliderClass::Count>& PairTable()
{
    static const auto table = []
    {
        std::array<std::array<bool, ColliderClass::Count>, ColliderClass::Count> result{};
        for (int shapeA = 0; shapeA < 5; ++shapeA)
            for (int tagA = 0; tagA < TagClassCount; ++tagA)
                for (int shapeB = 0; shapeB < 5; ++shapeB)
                    for (int tagB = 0; tagB < TagClassCount; ++tagB)
                        for (int masses = 0; masses < 4; ++masses)
                        {
                            const ColliderClass a{static_cast<Shape>(shapeA), static_cast<TagClass>(tagA),
                                                  true, (masses & 1) != 0};
                            const ColliderClass b{static_cast<Shape>(shapeB), static_cast<TagClass>(tagB),
                                                  true, (masses & 2) != 0};
                            result[a.Index()][b.Index()] = !(a.massless && b.massless) &&
                                                           TagsMeet(a.tag, b.tag) &&
                                                           ShapesTested(a.shape, b.shape);
                        }
        return result;
    }();
    return table;
}

const sf::FloatRect& Rect(const CollisionComponent& box)
{
    return static_cast<const BoxCollisionComponent&>(box).rect;
}
const sf::CircleShape& Circle(const CollisionComponent& circle)
{
    return static_cast<const CircleCollisionComponent&>(circle).shape;
}
sf::Vector2f Point(const CollisionComponent& point)
{
    return static_cast<const PointCollisionComponent&>(point).point;
}
PixelView ViewOf(const CollisionComponent& collider)
{
    const auto& pixels = static_cast<const PixelCollisionComponent&>(collider);
    if (!pixels.mask)
        return PixelView::None();
    return ViewOf(*pixels.sprite, pixels.sprite->getGlobalBounds(), *pixels.mask, pixels.opaque);
}
} // namespace

ColliderClass ClassOf(const CollisionComponent& collider, const std::string& tag)
{
    ColliderClass result;
    result.shape = ShapeOf(collider);
    if (tag == "TowerDetector")
        result.tag = TagClass::Detector;
    else if (tag == "Base")
        result.tag = TagClass::Base;
    else if (tag == "Mouse")
        result.tag = TagClass::Mouse;
    else if (tag == "Obstacle")
        result.tag = TagClass::Obstacle;
    else if (tag == "Tower")
        result.tag = TagClass::Tower;
    result.stock = IsStockShape(collider);
    const auto& body = collider.rigidBody;
    result.hasBody = body != nullptr;
    result.massless = body && body->mass == 0.f;
    return result;
}

bool MayTouch(const ColliderClass& a, const ColliderClass& b)
{
    // A collider without a rigid body cannot be tested.
    return a.hasBody && b.hasBody && PairTable()[a.Index()][b.Index()];
}

const bool* MayTouchRow(const ColliderClass& a)
{
    static const std::array<bool, ColliderClass::Count> none{};
    return a.hasBody ? PairTable()[a.Index()].data() : none.data();
}

ShapeData ShapeDataOf(const CollisionComponent& collider, ColliderShape shape)
{
    ShapeData data;
    data.shape = shape;
    switch (shape)
    {
    case Shape::Box:
        data.rect = Rect(collider);
        break;
    case Shape::Circle:
        data.centre = Circle(collider).getPosition();
        data.radius = Circle(collider).getRadius();
        break;
    case Shape::Point:
        data.centre = Point(collider);
        break;
    case Shape::Pixel:
    case Shape::Other:
        break;
    }
    return data;
}

bool TestShapes(const ShapeData& a, const ShapeData& b, bool& aIsFirst)
{
    aIsFirst = true;
    switch (a.shape)
    {
    case Shape::Box:
        if (b.shape == Shape::Box)
            return BoxesOverlap(a.rect, b.rect);
        aIsFirst = false;
        if (b.shape == Shape::Circle)
            return CircleMeetsBox(b.centre, b.radius, a.rect);
        if (b.shape == Shape::Point)
            return PointInBox(b.centre, a.rect);
        aIsFirst = true;
        return false;
    case Shape::Circle:
        if (b.shape == Shape::Box)
            return CircleMeetsBox(a.centre, a.radius, b.rect);
        if (b.shape == Shape::Circle)
            return CirclesOverlap(a.centre, a.radius, b.centre, b.radius);
        return false;
    case Shape::Point:
        return b.shape == Shape::Box && PointInBox(a.centre, b.rect);
    case Shape::Pixel:
        return b.shape == Shape::Pixel && a.view && b.view && PixelsOverlap(*a.view, *b.view);
    case Shape::Other:
        break;
    }
    return false;
}

bool TestShapes(const CollisionComponent& a, Shape shapeA, const CollisionComponent& b, Shape shapeB,
                bool& aIsFirst, const PixelView* viewA, const PixelView* viewB)
{
    ShapeData dataA = ShapeDataOf(a, shapeA), dataB = ShapeDataOf(b, shapeB);
    PixelView ownA, ownB;
    if (shapeA == Shape::Pixel && shapeB == Shape::Pixel)
    {
        if (!viewA)
            viewA = &(ownA = ViewOf(a));
        if (!viewB)
            viewB = &(ownB = ViewOf(b));
        dataA.view = viewA;
        dataB.view = viewB;
    }
    return TestShapes(dataA, dataB, aIsFirst);
}
