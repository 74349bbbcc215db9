#pragma once
// Collision shapes: an axis-aligned box, a circle, a point and a pixel mask. Each refers to the
// rigid body of its object; the physics manager pairs them and tells both shapes of a contact.

#include "entities/Component.hpp"
#include "entities/ShapeOverlap.hpp"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Sprite.hpp>

#include <cstdint>
#include <memory>
#include <string>

class RigidBodyComponent;
class CollisionComponent;

// Which of the four shapes a collider is (Other for anything else, such as a tower's detection).
enum class ColliderShape : std::uint8_t
{
    Box,
    Circle,
    Point,
    Pixel,
    Other,
};

ColliderShape ShapeOf(const CollisionComponent& collider);
// The collider is exactly one of the four shape classes.
bool IsStockShape(const CollisionComponent& collider);

// The tags the contact rules tell apart; every other tag is alike to them.
enum class TagClass : std::uint8_t
{
    Detector, // "TowerDetector"
    Base,     // "Base"
    Mouse,    // "Mouse"
    Obstacle, // "Obstacle"
    Tower,    // "Tower" (a tower's body, not its detection circle)
    Other,
};
constexpr int TagClassCount = 6;

// Obstacles, bases and tower bodies never move: no pair of them is ever tested.
constexpr bool IsStatic(TagClass tag)
{
    return tag == TagClass::Obstacle || tag == TagClass::Base || tag == TagClass::Tower;
}

// What the contact rules look at in a collider, worked out once when it is registered with the
// physics manager: its shape, its tag's class and its rigid body (read then: the game never
// changes a mass afterwards).
struct ColliderClass
{
    ColliderShape shape = ColliderShape::Other;
    TagClass tag = TagClass::Other;
    bool hasBody = false;
    bool massless = false; // the body's mass is 0
    // Exactly a box, circle, point or pixel collider (no class derived from them): told of a
    // contact, it does what RecordContact does, so the physics step may do that for it directly.
    bool stock = false;

    static constexpr int Count = 5 * TagClassCount * 2; // shapes x tags x masslessness
    // A dense number for tables of class pairs.
    std::uint8_t Index() const
    {
        return static_cast<std::uint8_t>(
            (static_cast<int>(shape) * TagClassCount + static_cast<int>(tag)) * 2 + (massless ? 1 : 0));
    }
};

class CollisionComponent : public Component, public std::enable_shared_from_this<CollisionComponent>
{
public:
    CollisionComponent(GameObject* owner, std::shared_ptr<RigidBodyComponent> rigidBody)
        : Component(owner), rigidBody(std::move(rigidBody))
    {
    }
    int GetType() const override { return ComponentType::Collision; }

    virtual bool IsColliding() const { return colliding; }
    virtual void SetColliding() { colliding = true; }
    virtual void ClearColliding() { colliding = false; }
    virtual void OnCollision(const std::shared_ptr<CollisionComponent>& other);
    virtual std::shared_ptr<RigidBodyComponent> GetRigidBody() const { return rigidBody; }
    virtual void OnCollisionEnd(const std::shared_ptr<CollisionComponent>& other);
    virtual void DrawDebug(std::shared_ptr<sf::RenderWindow> window);

    // Keeps the latest partner alive. The physics step sets it once per step, to the partner of
    // the collider's last contact in the step, rather than at every contact.
    std::shared_ptr<CollisionComponent> lastPartner;
    bool colliding = false; // set at the first contact, never cleared
    std::shared_ptr<RigidBodyComponent> rigidBody;
    ColliderClass contactClass; // set by PhysicsManager::AddCollider
    // The collider's class for the installed contact rules (ContactListener::RuleClassOf), set
    // when it is registered or when the rules are installed.
    std::uint8_t ruleClass = 0;

protected:
    // What the four shapes do on contact: remember the partner and hand the pair to the rules.
    void RecordContact(const std::shared_ptr<CollisionComponent>& other);

private:
    friend class PhysicsManager;
    // The partner of this step's latest contact, until the step sets lastPartner from it.
    CollisionComponent* pendingPartner = nullptr;
};

class BoxCollisionComponent : public CollisionComponent
{
public:
    BoxCollisionComponent(GameObject* owner, std::shared_ptr<RigidBodyComponent> rigidBody,
                          sf::FloatRect rect)
        : CollisionComponent(owner, std::move(rigidBody)), rect(rect)
    {
    }
    // Centres the box on the owner.
    void PhysicsUpdate(float dt) override;
    void OnCollision(const std::shared_ptr<CollisionComponent>& other) override { RecordContact(other); }
    void DrawDebug(std::shared_ptr<sf::RenderWindow> window) override;

    sf::FloatRect rect;
};

class CircleCollisionComponent : public CollisionComponent
{
public:
    // The shape's position is the circle's centre; its origin only affects debug drawing.
    CircleCollisionComponent(GameObject* owner, std::shared_ptr<RigidBodyComponent> rigidBody,
                             const sf::CircleShape& shape)
        : CollisionComponent(owner, std::move(rigidBody)), shape(shape)
    {
    }
    void PhysicsUpdate(float dt) override;
    void OnCollision(const std::shared_ptr<CollisionComponent>& other) override { RecordContact(other); }
    void DrawDebug(std::shared_ptr<sf::RenderWindow> window) override;

    sf::CircleShape shape;
};

class PointCollisionComponent : public CollisionComponent
{
public:
    PointCollisionComponent(GameObject* owner, std::shared_ptr<RigidBodyComponent> rigidBody);
    void PhysicsUpdate(float dt) override;
    void OnCollision(const std::shared_ptr<CollisionComponent>& other) override { RecordContact(other); }
    void DrawDebug(std::shared_ptr<sf::RenderWindow> window) override;

    sf::Vector2f point;
};

// Opaque pixels of the sprite's texture, copied once at construction. The sprite is shared with
// the object's render component, which places it when drawing.
class PixelCollisionComponent : public CollisionComponent
{
public:
    PixelCollisionComponent(GameObject* owner, std::shared_ptr<RigidBodyComponent> rigidBody,
                            std::shared_ptr<sf::Sprite> sprite);
    void OnCollision(const std::shared_ptr<CollisionComponent>& other) override { RecordContact(other); }
    void DrawDebug(std::shared_ptr<sf::RenderWindow> window) override;

    std::shared_ptr<sf::Sprite> sprite;
    // Shared between colliders made from the same texture: enemies and projectiles of one kind
    // all carry the same picture, and the copy is read-only.
    std::shared_ptr<const sf::Image> mask;
    // Where the mask has opaque pixels, worked out once for the pixel test.
    MaskBounds opaque{0, 0, 0, 0};
};
