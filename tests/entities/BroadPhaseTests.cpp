// The grid detection against the plain all-pairs walk on hand-built worlds: every case must give
// the very same contacts (same colliders, same first/second) in the very same order.

#include "entities/BroadPhase.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/CollisionFilter.hpp"
#include "entities/GameObject.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "tests/entities/EntityTestSupport.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

namespace
{
// A little world of its own: objects, their colliders in a map ordered like the manager's.
class World
{
public:
    std::shared_ptr<GameObject> Object(sf::Vector2f at = {}, bool alive = true, float mass = 1.f)
    {
        auto object = std::make_shared<GameObject>(ObjectType::Obstacle);
        object->setPosition(at);
        object->alive = alive;
        auto body = std::make_shared<RigidBodyComponent>(object.get());
        body->mass = mass;
        object->AddComponent(body);
        objects.push_back(object);
        return object;
    }

    std::shared_ptr<RigidBodyComponent> Body(const std::shared_ptr<GameObject>& object)
    {
        return object->GetComponent<RigidBodyComponent>();
    }

    void Add(const std::shared_ptr<GameObject>& object, std::shared_ptr<CollisionComponent> collider,
             const std::string& tag)
    {
        object->AddComponent(collider);
        // As PhysicsManager::AddCollider does: the class for the contact rules, once.
        collider->contactClass = ClassOf(*collider, tag);
        colliders.emplace(std::move(collider), tag);
    }

    void Box(const std::string& tag, sf::FloatRect rect, bool alive = true, float mass = 1.f)
    {
        auto object = Object({}, alive, mass);
        Add(object, std::make_shared<BoxCollisionComponent>(object.get(), Body(object), rect), tag);
    }

    void Circle(const std::string& tag, sf::Vector2f centre, float radius, bool alive = true)
    {
        auto object = Object(centre, alive);
        sf::CircleShape shape(radius, 30);
        shape.setPosition(centre);
        Add(object, std::make_shared<CircleCollisionComponent>(object.get(), Body(object), shape), tag);
    }

    void Point(const std::string& tag, sf::Vector2f at, bool alive = true)
    {
        auto object = Object(at, alive);
        Add(object, std::make_shared<PointCollisionComponent>(object.get(), Body(object)), tag);
    }

    // A sprite over a mask of size x size pixels, placed and turned as the render component does.
    void Pixel(const std::string& tag, sf::Vector2f at, float rotation, float scale,
               std::shared_ptr<const sf::Image> mask, bool alive = true)
    {
        auto object = Object(at, alive);
        auto sprite = std::make_shared<sf::Sprite>();
        sprite->setTextureRect(
            {0, 0, static_cast<int>(mask->getSize().x), static_cast<int>(mask->getSize().y)});
        sprite->setOrigin(static_cast<float>(mask->getSize().x / 2),
                          static_cast<float>(mask->getSize().y / 2));
        sprite->setPosition(at);
        sprite->setRotation(rotation);
        sprite->setScale(scale, scale);
        auto pixels = std::make_shared<PixelCollisionComponent>(object.get(), Body(object), sprite);
        // As the constructor does with the texture's mask.
        pixels->opaque = OpaqueBounds(*mask);
        pixels->mask = std::move(mask);
        Add(object, pixels, tag);
    }

    std::vector<std::shared_ptr<GameObject>> objects;
    ColliderMap colliders;
};

std::shared_ptr<const sf::Image> DiscMask(unsigned size)
{
    auto image = std::make_shared<sf::Image>();
    image->create(size, size, sf::Color::Transparent);
    const float r = static_cast<float>(size) / 2.f;
    for (unsigned y = 0; y < size; ++y)
        for (unsigned x = 0; x < size; ++x)
        {
            const float dx = static_cast<float>(x) + 0.5f - r, dy = static_cast<float>(y) + 0.5f - r;
            if (dx * dx + dy * dy <= r * r)
                image->setPixel(x, y, sf::Color::White);
        }
    return image;
}

// Opaque only in column 0 and row 0, which the pixel test never reads.
std::shared_ptr<const sf::Image> EdgeMask(unsigned size)
{
    auto image = std::make_shared<sf::Image>();
    image->create(size, size, sf::Color::Transparent);
    for (unsigned i = 0; i < size; ++i)
    {
        image->setPixel(0, i, sf::Color::White);
        image->setPixel(i, 0, sf::Color::White);
    }
    return image;
}

std::string Describe(const std::vector<Contact>& contacts, const ColliderMap& colliders)
{
    std::map<const CollisionComponent*, int> place;
    for (const auto& [collider, tag] : colliders)
        place.emplace(collider.get(), static_cast<int>(place.size()));
    std::ostringstream out;
    for (const auto& contact : contacts)
        out << "(" << place[contact.first] << "," << place[contact.second] << ") ";
    return out.str();
}

class ContactEquivalence : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::KeepGlContext(); }
};

// Runs both detections on the same world and expects the same list; returns its length.
std::size_t ExpectSameContacts(const World& world)
{
    std::vector<Contact> reference, fast;
    DetectContactsAllPairs(world.colliders, reference);
    BroadPhase broadPhase;
    broadPhase.Detect(world.colliders, fast);
    const std::string expected = Describe(reference, world.colliders);
    EXPECT_EQ(Describe(fast, world.colliders), expected);
    return reference.size();
}

TEST_F(ContactEquivalence, ShapesTouchingExactlyOnCellBorders)
{
    World world;
    // Boxes whose edges lie on the grid's cell borders (multiples of 64): touching is no contact,
    // a tenth of a pixel of overlap is.
    world.Box("Enemy", {0.f, 0.f, 64.f, 64.f});
    world.Box("Enemy", {64.f, 0.f, 64.f, 64.f});
    world.Box("Projectile", {127.9f, 0.f, 64.f, 64.f});
    world.Box("Projectile", {0.f, 64.f, 64.f, 64.f});
    // A circle exactly at distance r from a box corner on a cell corner (6, 8, 10).
    world.Box("Base", {256.f, 128.f, 64.f, 64.f});
    world.Circle("Enemy", {320.f + 6.f, 128.f - 8.f}, 10.f);
    world.Circle("Enemy", {320.f + 6.1f, 128.f - 8.f}, 10.f);
    // Two circles exactly touching across the border x = 448.
    world.Circle("Enemy", {438.f, 300.f}, 10.f);
    world.Circle("Enemy", {458.f, 300.f}, 10.f);
    // A point exactly on a box's right edge, itself a cell border.
    world.Box("Obstacle", {512.f, 320.f, 64.f, 64.f});
    world.Point("Mouse", {576.f, 352.f});
    world.Point("Mouse", {576.f, 384.f});
    // Pixel sprites whose whole-pixel bounds end exactly where the other's begin, and overlap by one.
    const auto disc = DiscMask(32);
    world.Pixel("Enemy", {640.f - 16.f, 500.f}, 0.f, 1.f, disc);
    world.Pixel("Projectile", {640.f + 16.f, 500.f}, 0.f, 1.f, disc);
    world.Pixel("Projectile", {640.f + 15.f, 500.f}, 0.f, 1.f, disc);
    const std::size_t found = ExpectSameContacts(world);
    EXPECT_GE(found, 6u);
}

TEST_F(ContactEquivalence, FarOutsideTheScreenAndHugeShapes)
{
    World world;
    const auto disc = DiscMask(32);
    for (const sf::Vector2f at : {sf::Vector2f(-5000.f, -3000.f), sf::Vector2f(1e6f, 1e6f),
                                  sf::Vector2f(-1e7f, 3e5f), sf::Vector2f(3000.f, -900.f)})
    {
        world.Box("Obstacle", {at.x - 32.f, at.y - 32.f, 64.f, 64.f});
        world.Circle("Enemy", at + sf::Vector2f(40.f, 0.f), 17.5f);
        world.Point("Mouse", at + sf::Vector2f(32.f, 32.f));
        world.Pixel("Enemy", at, 30.f, 1.2f, disc);
        world.Pixel("Projectile", at + sf::Vector2f(10.f, 5.f), 200.f, 0.5f, disc);
    }
    // Shapes far larger than the grid, a box of negative size, and positions that are not numbers.
    world.Box("Obstacle", {-1e5f, -1e5f, 2e5f, 2e5f});
    world.Box("Obstacle", {0.f, 0.f, 1280.f, 80.f});
    world.Box("Obstacle", {700.f, 700.f, -100.f, -100.f});
    world.Circle("TowerDetector", {650.f, 650.f}, 1e6f);
    world.Circle("Enemy", {std::numeric_limits<float>::quiet_NaN(), 10.f}, 17.5f);
    world.Box("Tower", {std::numeric_limits<float>::infinity(), 0.f, 64.f, 64.f});
    world.Circle("Enemy", {620.f, 620.f}, 17.5f);
    EXPECT_GE(ExpectSameContacts(world), 10u);
}

TEST_F(ContactEquivalence, RulesAndDeadObjectsBeforeAnyGeometry)
{
    World world;
    // All on one spot: only the rules decide.
    const sf::FloatRect box(100.f, 100.f, 64.f, 64.f);
    world.Box("Base", box);
    world.Box("Mouse", box);
    world.Point("Mouse", {130.f, 130.f});
    world.Circle("TowerDetector", {130.f, 130.f}, 150.f);
    world.Circle("TowerDetector", {140.f, 130.f}, 150.f);
    world.Circle("Enemy", {130.f, 130.f}, 17.5f);
    world.Point("Enemy", {131.f, 131.f}); // point with circle and point with point: never tested
    world.Box("Tower", box, false);       // dead
    world.Circle("Enemy", {130.f, 130.f}, 17.5f, false);
    world.Box("Obstacle", box, true, 0.f); // massless: only skipped against another massless body
    world.Box("Obstacle", box, true, 0.f);
    // A collider without a rigid body, and the plain base class, which no test accepts.
    auto loose = world.Object({130.f, 130.f});
    world.Add(loose, std::make_shared<BoxCollisionComponent>(loose.get(), nullptr, box), "Tower");
    auto plain = world.Object({130.f, 130.f});
    world.Add(plain, std::make_shared<CollisionComponent>(plain.get(), world.Body(plain)), "Tower");
    const auto disc = DiscMask(32), edge = EdgeMask(32);
    world.Pixel("Enemy", {130.f, 130.f}, 0.f, 1.f, disc);
    world.Pixel("Projectile", {131.f, 131.f}, 0.f, 1.f, disc, false);
    world.Pixel("Projectile", {130.f, 130.f}, 0.f, 1.f, edge);
    world.Pixel("Projectile", {132.f, 130.f}, 0.f, 1.f, edge);
    EXPECT_GE(ExpectSameContacts(world), 10u);
}

namespace
{
// A circle of its own class: the detections must ask it whether it collides, not set the flag.
class CountingCircle : public CircleCollisionComponent
{
public:
    using CircleCollisionComponent::CircleCollisionComponent;
    void SetColliding() override
    {
        ++told;
        colliding = true;
    }
    int told = 0;
};
} // namespace

// Pixel colliders share cells with boxes, circles and points but meet only each other; a class
// derived from a stock shape is tested by its shape and told through its own SetColliding. Both
// detections leave every collider's flag the same.
TEST_F(ContactEquivalence, PixelsAmongOtherShapesAndDerivedColliders)
{
    const auto disc = DiscMask(32);
    for (const bool grid : {false, true})
    {
        World world;
        std::vector<std::shared_ptr<CountingCircle>> counted;
        for (int i = 0; i < 12; ++i)
        {
            const sf::Vector2f at(100.f + 9.f * static_cast<float>(i),
                                  100.f + 5.f * static_cast<float>(i % 3));
            world.Pixel(i % 2 ? "Enemy" : "Projectile", at, 15.f * static_cast<float>(i), 1.f, disc);
            world.Box("Enemy", {at.x - 8.f, at.y - 8.f, 16.f, 16.f});
            world.Point("Mouse", at);
            auto object = world.Object(at);
            sf::CircleShape shape(12.f, 30);
            shape.setPosition(at);
            auto circle = std::make_shared<CountingCircle>(object.get(), world.Body(object), shape);
            counted.push_back(circle);
            world.Add(object, circle, "Enemy");
        }
        std::vector<Contact> contacts;
        if (grid)
        {
            BroadPhase broadPhase;
            broadPhase.Detect(world.colliders, contacts);
        }
        else
        {
            DetectContactsAllPairs(world.colliders, contacts);
        }
        std::size_t pixelPairs = 0, mixedPixelPairs = 0;
        for (const Contact& contact : contacts)
        {
            const bool a = contact.first->contactClass.shape == ColliderShape::Pixel;
            const bool b = contact.second->contactClass.shape == ColliderShape::Pixel;
            pixelPairs += a && b;
            mixedPixelPairs += a != b;
        }
        SCOPED_TRACE(grid ? "grid" : "plain");
        EXPECT_GT(pixelPairs, 5u);
        EXPECT_EQ(mixedPixelPairs, 0u);
        std::map<const CollisionComponent*, int> told;
        for (const Contact& contact : contacts)
        {
            ++told[contact.first];
            ++told[contact.second];
        }
        for (const auto& circle : counted)
            EXPECT_EQ(circle->told, told[circle.get()]);
        for (const auto& [collider, tag] : world.colliders)
            EXPECT_EQ(collider->colliding, told.count(collider.get()) > 0);
        if (grid)
            ExpectSameContacts(world);
    }
}

// Crowds of every shape and tag, half of them snapped to the grid's borders, some dead.
TEST_F(ContactEquivalence, RandomCrowdsWithSnappedPositions)
{
    const char* const tags[] = {"Mouse", "Projectile", "Tower", "Enemy", "Base", "Obstacle", "TowerDetector"};
    const auto disc = DiscMask(32), edge = EdgeMask(16);
    std::size_t total = 0, candidates = 0, pairs = 0;
    for (unsigned seed = 1; seed <= 12; ++seed)
    {
        std::mt19937 random(seed);
        auto uniform = [&](float low, float high)
        {
            return std::uniform_real_distribution<float>(low, high)(random);
        };
        auto place = [&](float low, float high)
        {
            const float value = uniform(low, high);
            return random() % 2 ? std::round(value / 32.f) * 32.f : value;
        };
        World world;
        for (int i = 0; i < 400; ++i)
        {
            const std::string tag = tags[random() % 7];
            const bool alive = random() % 10 != 0;
            const sf::Vector2f at(place(-300.f, 1600.f), place(-300.f, 1000.f));
            switch (random() % 4)
            {
            case 0:
                world.Box(
                    tag,
                    {at.x, at.y, std::round(uniform(1.f, 4.f)) * 32.f, std::round(uniform(1.f, 4.f)) * 32.f},
                    alive, random() % 8 == 0 ? 0.f : 1.f);
                break;
            case 1:
                world.Circle(tag, at, random() % 5 == 0 ? 150.f : std::round(uniform(0.f, 2.f)) * 16.f + 16.f,
                             alive);
                break;
            case 2:
                world.Point(tag, at, alive);
                break;
            default:
                world.Pixel(tag, at, random() % 2 ? 0.f : uniform(0.f, 360.f), random() % 2 ? 1.f : 1.2f,
                            random() % 6 == 0 ? edge : disc, alive);
                break;
            }
        }
        SCOPED_TRACE("seed " + std::to_string(seed));
        total += ExpectSameContacts(world);
        BroadPhase broadPhase;
        std::vector<Contact> ignored;
        broadPhase.Detect(world.colliders, ignored);
        candidates += broadPhase.LastCandidates();
        pairs += world.colliders.size() * (world.colliders.size() - 1) / 2;
    }
    EXPECT_GT(total, 100u);
    // The grid leaves only a small share of all pairs to the shape tests.
    EXPECT_LT(candidates * 10, pairs);
}
} // namespace
