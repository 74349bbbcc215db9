#include "entities/PhysicsManager.hpp"

#include "entities/CollisionFilter.hpp"
#include "entities/GameObject.hpp"

#include <algorithm>

namespace
{
std::uint8_t RuleClass(const ContactListener* listener, const CollisionComponent& collider)
{
    if (listener == nullptr)
        return 0;
    return std::min<std::uint8_t>(listener->RuleClassOf(collider), ContactListener::Classes - 1);
}

void TellPlainly(const Contact& contact)
{
    if (contact.first->IsColliding() && contact.second->IsColliding())
    {
        contact.first->OnCollision(contact.second->shared_from_this());
        contact.second->OnCollision(contact.first->shared_from_this());
    }
}
} // namespace

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
    if (!added)
        return;
    collider->contactClass = ClassOf(*collider, tag);
    collider->ruleClass = RuleClass(contactListener, *collider);
}

void PhysicsManager::SetContactListener(ContactListener* listener)
{
    contactListener = listener;
    for (int self = 0; self < ContactListener::Classes; ++self)
    {
        for (int other = 0; other < ContactListener::Classes; ++other)
        {
            concerns[static_cast<std::size_t>(self)][static_cast<std::size_t>(other)] =
                listener != nullptr &&
                listener->Concerns(static_cast<std::uint8_t>(self), static_cast<std::uint8_t>(other));
        }
    }
    for (const auto& [collider, tag] : colliders)
        collider->ruleClass = RuleClass(listener, *collider);
}

void PhysicsManager::Update(float dt)
{
    contacts.clear();
    if (useReference)
        DetectContactsAllPairs(colliders, contacts);
    else
        broadPhase.Detect(colliders, contacts);

    if (plainNotification)
        NotifyContactsPlainly(contacts);
    else
        Notify();
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

void PhysicsManager::Notify()
{
    noted.clear();
    for (const Contact& contact : contacts)
    {
        CollisionComponent& first = *contact.first;
        CollisionComponent& second = *contact.second;
        if (first.contactClass.stock && second.contactClass.stock)
        {
            if (first.colliding && second.colliding)
            {
                Tell(first, second);
                Tell(second, first);
            }
            continue;
        }
        // A class of its own may do anything when told: it gets the plain calls.
        TellPlainly(contact);
    }
    // Each collider keeps the partner of its last contact in the step: one handle per collider
    // and step, and none when that partner is the one it already keeps.
    for (CollisionComponent* collider : noted)
    {
        CollisionComponent* const partner = collider->pendingPartner;
        if (partner == nullptr)
            continue; // told through OnCollision since, which kept its partner itself
        collider->pendingPartner = nullptr;
        if (collider->lastPartner.get() != partner)
            collider->lastPartner = partner->shared_from_this();
    }
}

void PhysicsManager::Tell(CollisionComponent& self, CollisionComponent& other)
{
    self.colliding = true;
    if (self.pendingPartner == nullptr)
        noted.push_back(&self);
    self.pendingPartner = &other;
    if (other.colliding && concerns[self.ruleClass][other.ruleClass])
        contactListener->OnContact(self, other);
}

void PhysicsManager::Reset()
{
    Clear();
    ContactListener* const listener = contactListener;
    const auto listenerConcerns = concerns;
    *this = PhysicsManager();
    contactListener = listener;
    concerns = listenerConcerns;
}

void PhysicsManager::Clear()
{
    // Colliders that last touched each other hold each other through lastPartner; break those
    // pairs, or the whole world of a finished game would keep itself alive.
    for (const auto& [collider, tag] : colliders)
        collider->lastPartner.reset();
    contacts.clear();
    colliders.clear();
    bodies.clear();
}

void NotifyContactsPlainly(const std::vector<Contact>& contacts)
{
    for (const Contact& contact : contacts)
        TellPlainly(contact);
}

bool TestPair(const CollisionComponent& a, const CollisionComponent& b, bool& aIsFirst)
{
    if (!MayTouch(a.contactClass, b.contactClass))
        return false;
    return TestShapes(a, a.contactClass.shape, b, b.contactClass.shape, aIsFirst);
}

void DetectContactsAllPairs(const ColliderMap& colliders, std::vector<Contact>& contacts)
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
                contacts.push_back({a->first.get(), b->first.get()});
            else
                contacts.push_back({b->first.get(), a->first.get()});
        }
    }
}
