#include "entities/PhysicsManager.hpp"

#include "entities/CollisionFilter.hpp"
#include "entities/GameObject.hpp"

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
    const auto [entry, added] = colliders.emplace(collider, tag);
    if (added)
        collider->contactClass = ClassOf(*collider, tag);
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

void PhysicsManager::Reset()
{
    Clear();
    ContactListener listener = std::move(contactListener);
    *this = PhysicsManager();
    contactListener = std::move(listener);
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

bool TestPair(const CollisionComponent& a, const CollisionComponent& b, bool& aIsFirst)
{
    if (!MayTouch(a.contactClass, b.contactClass))
        return false;
    return TestShapes(a, a.contactClass.shape, b, b.contactClass.shape, aIsFirst);
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
            if (!TestPair(*a->first, *b->first, aIsFirst))
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
