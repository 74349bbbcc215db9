#pragma once
// Helpers for the tests of the entities and of every layer above them: the registries back to the
// start of the process, health bars shown in a root of the test's, and small builders of objects
// with a rigid body and one shape and of components that record what the engine asks of them.
// Links only the entities and what lies beneath them.

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/RenderComponents.hpp"
#include "tests/services/ServicesTestSupport.hpp"

#include <memory>
#include <string>
#include <vector>

namespace vgui
{
class Gui;
}

namespace testing_support
{

// Empties the object, physics and render registries by their own Clear (which also breaks the
// colliders' partner cycles), then puts them and every service back to the start of the process.
void ResetEntities();

// While it lives, the health bars of game objects are shown in root, as the UI manager shows them
// in its widget root (red below 30 percent); the hooks installed before come back after.
class HealthBarsIn
{
public:
    explicit HealthBarsIn(vgui::Gui& root);
    ~HealthBarsIn();
    HealthBarsIn(const HealthBarsIn&) = delete;
    HealthBarsIn& operator=(const HealthBarsIn&) = delete;

private:
    HealthBarSink previous;
};

} // namespace testing_support

namespace entity_tests
{

// One OnCollision call: who was told, about whom, and where the teller's object stood then.
struct CollisionCall
{
    const CollisionComponent* self;
    const CollisionComponent* other;
    sf::Vector2f selfPosition;
};

class LoggingBox : public BoxCollisionComponent
{
public:
    LoggingBox(GameObject* owner, std::shared_ptr<RigidBodyComponent> body, sf::FloatRect rect,
               std::vector<CollisionCall>* log)
        : BoxCollisionComponent(owner, std::move(body), rect), log(log)
    {
    }
    void OnCollision(const std::shared_ptr<CollisionComponent>& other) override
    {
        if (log)
            log->push_back({this, other.get(), owner->getPosition()});
        BoxCollisionComponent::OnCollision(other);
    }
    std::vector<CollisionCall>* log;
};

// Records its draws into a shared list by a label; reports any type number it is given.
class RecordingRender : public RenderComponent
{
public:
    RecordingRender(GameObject* owner, int layer, std::string label, std::vector<std::string>* drawn,
                    int type = ComponentType::SpriteRender)
        : RenderComponent(owner, layer), label(std::move(label)), drawn(drawn), type(type)
    {
    }
    int GetType() const override { return type; }
    void Draw(std::shared_ptr<sf::RenderWindow>) override { drawn->push_back(label); }
    std::string label;
    std::vector<std::string>* drawn;
    int type;
};

// A plain health for the health bars of enemies and the keep.
class Health : public Component, public HealthSource
{
public:
    Health(GameObject* owner, std::uint32_t health, std::uint32_t maxHealth)
        : Component(owner), health(health), maxHealth(maxHealth)
    {
    }
    int GetType() const override { return ComponentType::Status; }
    std::uint32_t CurrentHealth() const override { return health; }
    std::uint32_t FullHealth() const override { return maxHealth; }
    std::uint32_t health, maxHealth;
};

struct Thing
{
    std::shared_ptr<GameObject> object;
    std::shared_ptr<RigidBodyComponent> body;
    std::shared_ptr<CollisionComponent> collider;
};

// An object at centre with a rigid body and a box of the given size already centred on it,
// registered with the physics manager under tag (body and box) and with the object registry,
// which keeps the object alive until the world is reset. With a log, the box is a LoggingBox.
Thing MakeBox(int type, sf::Vector2f centre, sf::Vector2f size, const std::string& tag,
              std::vector<CollisionCall>* log = nullptr, float mass = 1.f);
// Same with a circle of the given radius (centre = shape position).
Thing MakeCircle(int type, sf::Vector2f centre, float radius, const std::string& tag);
Thing MakePoint(int type, sf::Vector2f at, const std::string& tag);

} // namespace entity_tests
