#pragma once
// The registry of rigid bodies and collision shapes, each filed under a tag, and the per-frame
// physics step: find touching pairs, tell both shapes, then move bodies and resynchronise shapes.
// There is no collision response: contacts only produce notifications.

#include "entities/BroadPhase.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/Contact.hpp"
#include "entities/MotionComponents.hpp"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The game's contact rules, installed by the gameplay at start (the physics never includes them).
// What the rules need to know of a collider to tell whether a pair concerns them at all is worked
// out once per collider, so that the many contacts on which no rule acts cost no call.
class ContactListener
{
public:
    static constexpr int Classes = 16;

    virtual ~ContactListener() = default;
    // The collider's class for the rules, below Classes. Asked once, when the collider is
    // registered (or the rules are installed); it may only depend on what never changes in a
    // collider: its class, its owner and the owner's kind.
    virtual std::uint8_t RuleClassOf(const CollisionComponent& collider) const = 0;
    // Whether a contact told to a collider of class self about one of class other can make any
    // rule act. Asked once per pair of classes when the rules are installed.
    virtual bool Concerns(std::uint8_t self, std::uint8_t other) const = 0;
    // One report of a contact, to self about other.
    virtual void OnContact(CollisionComponent& self, CollisionComponent& other) = 0;
};

class PhysicsManager
{
public:
    static PhysicsManager& instance();

    // Registering a component again keeps its first tag. A collider's class for the contact
    // rules is worked out here, once (ClassOf), and its class for the installed rules.
    void AddRigidBody(std::shared_ptr<RigidBodyComponent> body, const std::string& tag);
    void AddCollider(std::shared_ptr<CollisionComponent> collider, const std::string& tag);
    // Clears contacts, detects, notifies both colliders of each contact, moves bodies, then
    // brings the shapes to their objects.
    void Update(float dt);
    void Clear();
    // Clear, and every switch back to its start; the installed contact listener stays.
    void Reset();

    // Told of each contact by both of its colliders (self is the one reporting). The listener is
    // borrowed and must outlive its installation (the gameplay's is a static object); null
    // removes it. Installing works out every registered collider's class for it again.
    void SetContactListener(ContactListener* listener);
    ContactListener* GetContactListener() const { return contactListener; }

    // This frame's contacts, in the order found; kept until the next step begins.
    std::vector<Contact> contacts;
    // Ordered by component address: the iteration order is fixed for the components' lives.
    std::map<std::shared_ptr<RigidBodyComponent>, std::string> bodies;
    std::map<std::shared_ptr<CollisionComponent>, std::string> colliders;
    // Detect with the plain all-pairs walk instead of the grid; both find the same contacts in
    // the same order, the plain one only slower.
    bool useReference = false;
    // Tell every contact through both colliders' OnCollision (NotifyContactsPlainly) instead of
    // the cheap way; the rules get the same reports (those on which no rule acts aside) and the
    // colliders the same last partners.
    bool plainNotification = false;
    BroadPhase broadPhase;

private:
    PhysicsManager() = default;

    // Both colliders of each contact, in order, as their OnCollision would be called.
    void Notify();
    // What OnCollision does for a stock shape, told of other (RecordContact), with the partner
    // only noted and the rules asked only when they are concerned.
    void Tell(CollisionComponent& self, CollisionComponent& other);

    ContactListener* contactListener = nullptr;
    // ContactListener::Concerns by the two classes, worked out when the listener is installed.
    std::array<std::array<bool, ContactListener::Classes>, ContactListener::Classes> concerns{};
    std::vector<CollisionComponent*> noted; // colliders with a partner noted in this step
};

using ColliderMap = std::map<std::shared_ptr<CollisionComponent>, std::string>;

// The plain detection: every unordered pair of live colliders in map order, with the mass and
// tag rules and the shape test of the pair's classes. Sets both colliders' colliding flags and
// appends each contact found. Kept as the reference for any faster detection.
void DetectContactsAllPairs(const ColliderMap& colliders, std::vector<Contact>& contacts);

// The plain notification: for each contact in order whose colliders both collide, OnCollision on
// the first with the second, then on the second with the first, with shared handles. Kept as the
// reference for the physics step's own.
void NotifyContactsPlainly(const std::vector<Contact>& contacts);

// The rules and the shape test for one ordered pair (a before b in map order), by the classes
// the colliders got when they were registered. Returns whether they touch and, if so, which one
// the contact lists first.
bool TestPair(const CollisionComponent& a, const CollisionComponent& b, bool& aIsFirst);
