#pragma once
// The registry of rigid bodies and collision shapes, each filed under a tag, and the per-frame
// physics step: find touching pairs, tell both shapes, then move bodies and resynchronise shapes.
// There is no collision response: contacts only produce notifications.

#include "entities/BroadPhase.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/Contact.hpp"
#include "entities/MotionComponents.hpp"

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>

class PhysicsManager
{
public:
    static PhysicsManager& instance();

    // Registering a component again keeps its first tag. A collider's class for the contact
    // rules is worked out here, once (ClassOf).
    void AddRigidBody(std::shared_ptr<RigidBodyComponent> body, const std::string& tag);
    void AddCollider(std::shared_ptr<CollisionComponent> collider, const std::string& tag);
    // Clears contacts, detects, notifies both colliders of each contact, moves bodies, then
    // brings the shapes to their objects.
    void Update(float dt);
    void Clear();
    // Clear, and every switch back to its start; the installed contact listener stays.
    void Reset();

    // Told of each contact by both of its colliders (self is the one reporting); the gameplay
    // installs its rules here.
    using ContactListener =
        std::function<void(CollisionComponent* self, const std::shared_ptr<CollisionComponent>& other)>;
    ContactListener contactListener;

    std::list<Contact> contacts;
    // Ordered by component address: the iteration order is fixed for the components' lives.
    std::map<std::shared_ptr<RigidBodyComponent>, std::string> bodies;
    std::map<std::shared_ptr<CollisionComponent>, std::string> colliders;
    // Detect with the plain all-pairs walk instead of the grid; both find the same contacts in
    // the same order, the plain one only slower.
    bool useReference = false;
    BroadPhase broadPhase;

private:
    PhysicsManager() = default;
};

using ColliderMap = std::map<std::shared_ptr<CollisionComponent>, std::string>;

// The plain detection: every unordered pair of live colliders in map order, with the mass and
// tag rules and the shape test of the pair's classes. Sets both colliders' colliding flags and
// appends each contact found. Kept as the reference for any faster detection.
void DetectContactsAllPairs(const ColliderMap& colliders, std::list<Contact>& contacts);

// The rules and the shape test for one ordered pair (a before b in map order), by the classes
// the colliders got when they were registered. Returns whether they touch and, if so, which one
// the contact lists first.
bool TestPair(const CollisionComponent& a, const CollisionComponent& b, bool& aIsFirst);
