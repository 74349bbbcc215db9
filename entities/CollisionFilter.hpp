#pragma once
// The contact rules of a pair of colliders, in one place for every detection: which pairs are
// never tested (bodies, masses, tags, shape combinations) and the shape test of the pairs that
// are, with the contact's order.

#include "entities/CollisionComponents.hpp"

// The class of a collider registered under this tag.
ColliderClass ClassOf(const CollisionComponent& collider, const std::string& tag);

// Whether two colliders of these classes are tested at all: both have bodies and not both are
// massless; no two static colliders (obstacles, bases, tower bodies) meet, nor a tower detector
// another detector, the keep or the cursor; and only box-box, circle-box, circle-circle,
// point-box and pixel-pixel pairs are ever tested. Symmetric.
bool MayTouch(const ColliderClass& a, const ColliderClass& b);
// MayTouch(a, b) for every b with a body, by b's Index(): a row of a table worked out once, for
// walks that test one collider against many.
const bool* MayTouchRow(const ColliderClass& a);

// What the shape test reads of a collider, copied out of it once per detection: a box's
// rectangle, a circle's centre and radius, a point, or a pixel collider's prepared side of the
// pixel test (borrowed from the detection).
struct ShapeData
{
    ColliderShape shape = ColliderShape::Other;
    sf::FloatRect rect;              // box
    sf::Vector2f centre;             // circle, point
    float radius = 0.f;              // circle
    const PixelView* view = nullptr; // pixel
};
// A box's, circle's or point's data (a pixel collider's view is for the caller to prepare).
ShapeData ShapeDataOf(const CollisionComponent& collider, ColliderShape shape);

// The shape test of a pair that MayTouch allows, a before b in the detection's order. aIsFirst
// says which collider the contact lists first: a circle or point before a box, otherwise a.
bool TestShapes(const ShapeData& a, const ShapeData& b, bool& aIsFirst);
// The same, read from the colliders. Pixel colliders may bring their sides of the pixel test
// prepared (ViewOf); without them it is worked out here.
bool TestShapes(const CollisionComponent& a, ColliderShape shapeA, const CollisionComponent& b,
                ColliderShape shapeB, bool& aIsFirst, const PixelView* viewA = nullptr,
                const PixelView* viewB = nullptr);
