#pragma once
// Small builders for the entity tests: objects with a rigid body and one shape, and components
// that record what the engine asks of them.

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/RenderComponents.hpp"

#include <memory>
#include <string>
#include <vector>

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
