#include "entities/PhysicsManager.hpp"

#include "entities/GameObject.hpp"
#include "entities/ShapeOverlap.hpp"

PhysicsManager& PhysicsManager::instance()
{
    static PhysicsManager manager;
    return manager;
}

void PhysicsManager::AddRigidBody(std::shared_ptr<RigidBodyComponent> body, const std::string& tag)
{
    bodies.emplace(std::move(body), tag);
}

void PhysicsManager::AddCollider(std::shared_ptr<CollisionComponent> collider, const std::string& tag)
{
    colliders.emplace(std::move(collider), tag);
}

void PhysicsManager::Update(float dt)
{
    if (useReference)
    {
        contacts.clear();
        DetectContactsAllPairs(colliders, contacts);
    }
    else
    {
        broadPhase.Detect(colliders, contacts); // empties the list first
    }

    for (const auto& contact : contacts)
    {
        if (contact.first->IsColliding() && contact.second->IsColliding())
        {
            contact.first->OnCollision(contact.second);
            contact.second->OnCollision(contact.first);
        }
    }
    for (const auto& [body, tag] : bodies)
    {
        if (body->GetOwner()->alive)
            body->PhysicsUpdate(dt);
    }
    for (const auto& [collider, tag] : colliders)
    {
        if (collider->GetOwner()->alive)
            collider->PhysicsUpdate(dt);
    }
}

void PhysicsManager::Clear()
{
    // Colliders that last touched each other hold each other through lastPartner; break those
    // pairs, or the whole world of a finished game would keep itself alive.
    for (const auto& [collider, tag] : colliders)
        collider->lastPartner.reset();
    contacts.clear();
    broadPhase.Release();
    colliders.clear();
    bodies.clear();
}

namespace
{
using Shape = ColliderShape;

bool SkippedByTags(const std::string& a, const std::string& b)
{
    const bool aDetector = a == "TowerDetector", bDetector = b == "TowerDetector";
    if (aDetector && bDetector)
        return true;
    if ((aDetector && b == "Base") || (bDetector && a == "Base"))
        return true;
    if ((aDetector && b == "Mouse") || (bDetector && a == "Mouse"))
        return true;
    return false;
}

float Radius(const CollisionComponent& circle)
{
    return static_cast<const CircleCollisionComponent&>(circle).shape.getRadius();
}

sf::Vector2f Centre(const CollisionComponent& circle)
{
    return static_cast<const CircleCollisionComponent&>(circle).shape.getPosition();
}

const sf::FloatRect& Rect(const CollisionComponent& box)
{
    return static_cast<const BoxCollisionComponent&>(box).rect;
}

sf::Vector2f Point(const CollisionComponent& point)
{
    return static_cast<const PointCollisionComponent&>(point).point;
}
} // namespace

bool TestPair(const CollisionComponent& a, const std::string& tagA, const CollisionComponent& b,
              const std::string& tagB, bool& aIsFirst)
{
    const auto bodyA = a.GetRigidBody();
    const auto bodyB = b.GetRigidBody();
    // A collider without a rigid body cannot be tested.
    if (!bodyA || !bodyB)
        return false;
    if (bodyA->mass == 0.f && bodyB->mass == 0.f)
        return false;
    if (SkippedByTags(tagA, tagB))
        return false;

    aIsFirst = true;
    const Shape shapeA = ShapeOf(a), shapeB = ShapeOf(b);
    if (shapeA == Shape::Box && shapeB == Shape::Box)
        return BoxesOverlap(Rect(a), Rect(b));
    if (shapeA == Shape::Circle && shapeB == Shape::Box)
        return CircleMeetsBox(Centre(a), Radius(a), Rect(b));
    if (shapeA == Shape::Box && shapeB == Shape::Circle)
    {
        aIsFirst = false;
        return CircleMeetsBox(Centre(b), Radius(b), Rect(a));
    }
    if (shapeA == Shape::Circle && shapeB == Shape::Circle)
        return CirclesOverlap(Centre(a), Radius(a), Centre(b), Radius(b));
    if (shapeA == Shape::Point && shapeB == Shape::Box)
        return PointInBox(Point(a), Rect(b));
    if (shapeA == Shape::Box && shapeB == Shape::Point)
    {
        aIsFirst = false;
        return PointInBox(Point(b), Rect(a));
    }
    if (shapeA == Shape::Pixel && shapeB == Shape::Pixel)
    {
        const auto& pixelA = static_cast<const PixelCollisionComponent&>(a);
        const auto& pixelB = static_cast<const PixelCollisionComponent&>(b);
        return pixelA.mask && pixelB.mask && PixelsOverlap(*pixelA.sprite, *pixelA.mask, pixelA.opaque, *pixelB.sprite, *pixelB.mask, pixelB.opaque);
    }
    return false;
}

void DetectContactsAllPairs(const ColliderMap& colliders, std::list<Contact>& contacts)
{
    for (auto a = colliders.begin(); a != colliders.end(); ++a)
    {
        if (!a->first->GetOwner()->alive)
            continue;
        for (auto b = std::next(a); b != colliders.end(); ++b)
        {
            if (!b->first->GetOwner()->alive)
                continue;
            bool aIsFirst = true;
            if (!TestPair(*a->first, a->second, *b->first, b->second, aIsFirst))
                continue;
            a->first->SetColliding();
            b->first->SetColliding();
            if (aIsFirst)
                contacts.push_back({a->first, b->first});
            else
                contacts.push_back({b->first, a->first});
        }
    }
}
