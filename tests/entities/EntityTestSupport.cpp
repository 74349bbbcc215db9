#include "tests/entities/EntityTestSupport.hpp"

#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderManager.hpp"
#include "widgets/Widgets.hpp"

namespace testing_support
{

void ResetEntities()
{
    RenderManager::instance().Clear();
    PhysicsManager::instance().Clear();
    GameObjectManager::instance().Clear();
    GameObjectManager::instance().Reset();
    PhysicsManager::instance().Reset();
    RenderManager::instance().Reset();
    RenderManager::instance().SeedLayers();
    ResetServices();
}

HealthBarsIn::HealthBarsIn(vgui::Gui& root) : previous(GameObject::healthBars)
{
    GameObject::healthBars.show = [&root](const auto& bar, const std::string& name)
    {
        root.add(bar, name);
    };
    GameObject::healthBars.hide = [&root](const auto& bar)
    {
        root.remove(bar);
    };
    GameObject::healthBars.warningPercent = []
    {
        return 30;
    };
}

HealthBarsIn::~HealthBarsIn()
{
    GameObject::healthBars = previous;
}

} // namespace testing_support

namespace entity_tests
{

namespace
{
Thing Start(int type, sf::Vector2f at, const std::string& tag)
{
    Thing thing;
    thing.object = std::make_shared<GameObject>(type);
    thing.object->setPosition(at);
    thing.body = std::make_shared<RigidBodyComponent>(thing.object.get());
    thing.object->AddComponent(thing.body);
    PhysicsManager::instance().AddRigidBody(thing.body, tag);
    return thing;
}

void Finish(Thing& thing, const std::string& tag)
{
    thing.object->AddComponent(thing.collider);
    PhysicsManager::instance().AddCollider(thing.collider, tag);
    // The registry keeps the object (which the colliders point at) until the world is reset.
    GameObjectManager::instance().AddGameObject(thing.object);
}
} // namespace

Thing MakeBox(int type, sf::Vector2f centre, sf::Vector2f size, const std::string& tag,
              std::vector<CollisionCall>* log, float mass)
{
    Thing thing = Start(type, centre, tag);
    thing.body->mass = mass;
    const sf::FloatRect rect(centre.x - size.x / 2.f, centre.y - size.y / 2.f, size.x, size.y);
    if (log)
        thing.collider = std::make_shared<LoggingBox>(thing.object.get(), thing.body, rect, log);
    else
        thing.collider = std::make_shared<BoxCollisionComponent>(thing.object.get(), thing.body, rect);
    Finish(thing, tag);
    return thing;
}

Thing MakeCircle(int type, sf::Vector2f centre, float radius, const std::string& tag)
{
    Thing thing = Start(type, centre, tag);
    sf::CircleShape shape(radius);
    shape.setOrigin(radius, radius);
    shape.setPosition(centre);
    thing.collider = std::make_shared<CircleCollisionComponent>(thing.object.get(), thing.body, shape);
    Finish(thing, tag);
    return thing;
}

Thing MakePoint(int type, sf::Vector2f at, const std::string& tag)
{
    Thing thing = Start(type, at, tag);
    thing.collider = std::make_shared<PointCollisionComponent>(thing.object.get(), thing.body);
    Finish(thing, tag);
    return thing;
}

} // namespace entity_tests
