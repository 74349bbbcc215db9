// Shape boundaries, the tag and mass rules, contact order and the order of one physics step.

#include "entities/PhysicsManager.hpp"
#include "entities/ShapeOverlap.hpp"
#include "tests/entities/EntityTestSupport.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace entity_tests;

namespace
{
const sf::Vector2f Box64(64.f, 64.f);

class Physics : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetEntities(); }
    void TearDown() override
    {
        physics.SetContactListener(nullptr);
        testing_support::ResetEntities();
    }

    PhysicsManager& physics = PhysicsManager::instance();
    std::vector<CollisionCall> log;
};

// Rules concerned with some pairs of object kinds, recording the reports of those pairs.
class RecordingRules : public ContactListener
{
public:
    std::uint8_t RuleClassOf(const CollisionComponent& collider) const override
    {
        return static_cast<std::uint8_t>(collider.GetOwner()->type);
    }
    bool Concerns(std::uint8_t self, std::uint8_t other) const override
    {
        return (self + 2 * other) % 3 != 0;
    }
    void OnContact(CollisionComponent& self, CollisionComponent& other) override
    {
        // The plain notification reports every contact; only these pairs are compared.
        if (Concerns(RuleClassOf(self), RuleClassOf(other)))
            reports.emplace_back(&self, &other);
    }
    std::vector<std::pair<const CollisionComponent*, const CollisionComponent*>> reports;
};

// The rules and shape test of a pair, by the classes the colliders got when registered.
bool Touch(const Thing& a, const Thing& b, bool& aFirst)
{
    return TestPair(*a.collider, *b.collider, aFirst);
}
} // namespace

TEST_F(Physics, ShapeBoundaries)
{
    // Boxes: edges that only touch are no contact.
    const sf::FloatRect left(0.f, 0.f, 64.f, 64.f);
    EXPECT_FALSE(BoxesOverlap(left, {64.f, 0.f, 64.f, 64.f}));
    EXPECT_TRUE(BoxesOverlap(left, {63.9f, 0.f, 64.f, 64.f}));
    EXPECT_FALSE(BoxesOverlap(left, {0.f, 64.f, 64.f, 64.f}));
    EXPECT_TRUE(BoxesOverlap(left, {-63.9f, -63.9f, 64.f, 64.f}));

    // A point on an edge counts.
    EXPECT_TRUE(PointInBox({64.f, 10.f}, left));
    EXPECT_TRUE(PointInBox({0.f, 64.f}, left));
    EXPECT_FALSE(PointInBox({64.1f, 10.f}, left));

    // Circle 6 right of and 8 above the top-right corner: distance exactly 10.
    EXPECT_TRUE(CircleMeetsBox({70.f, -8.f}, 10.f, left));
    EXPECT_FALSE(CircleMeetsBox({70.1f, -8.f}, 10.f, left));
    EXPECT_TRUE(CircleMeetsBox({30.f, 30.f}, 1.f, left)); // centre inside

    EXPECT_TRUE(CirclesOverlap({0.f, 0.f}, 3.f, {6.f, 8.f}, 7.f));
    EXPECT_FALSE(CirclesOverlap({0.f, 0.f}, 3.f, {6.f, 8.f}, 6.9f));
}

TEST_F(Physics, BoxesThroughTheStepUseTheSameBoundary)
{
    MakeBox(ObjectType::Enemy, {100.f, 100.f}, Box64, "Enemy");
    const Thing far = MakeBox(ObjectType::Enemy, {164.f, 100.f}, Box64, "Enemy");
    physics.Update(0.f);
    EXPECT_TRUE(physics.contacts.empty());

    far.object->setPosition(163.9f, 100.f);
    physics.Update(0.f); // the box follows its object only at the end of this step
    EXPECT_TRUE(physics.contacts.empty());
    physics.Update(0.f);
    EXPECT_EQ(physics.contacts.size(), 1u);
}

TEST_F(Physics, BoxFollowsItsObjectCentred)
{
    auto object = std::make_shared<GameObject>(ObjectType::Tower);
    object->setPosition(100.f, 50.f);
    auto body = std::make_shared<RigidBodyComponent>(object.get());
    BoxCollisionComponent box(object.get(), body, {0.f, 0.f, 64.f, 64.f});
    box.PhysicsUpdate(0.f);
    EXPECT_EQ(box.rect, sf::FloatRect(68.f, 18.f, 64.f, 64.f));

    object->setPosition(0.f, 0.f);
    object->alive = false;
    box.PhysicsUpdate(0.f); // a dead owner's shape stays put
    EXPECT_EQ(box.rect, sf::FloatRect(68.f, 18.f, 64.f, 64.f));
}

TEST_F(Physics, ThreeOverlappingBoxesGiveThreeContactsAndSixCallsInMapOrder)
{
    MakeBox(ObjectType::Enemy, {100.f, 100.f}, Box64, "Enemy", &log);
    MakeBox(ObjectType::Enemy, {110.f, 100.f}, Box64, "Enemy", &log);
    MakeBox(ObjectType::Enemy, {120.f, 110.f}, Box64, "Enemy", &log);
    physics.Update(0.f);

    std::vector<const CollisionComponent*> order;
    for (const auto& [collider, tag] : physics.colliders)
        order.push_back(collider.get());
    ASSERT_EQ(order.size(), 3u);
    ASSERT_EQ(physics.contacts.size(), 3u);
    const std::pair<int, int> pairs[] = {{0, 1}, {0, 2}, {1, 2}};
    ASSERT_EQ(log.size(), 6u);
    std::size_t call = 0;
    auto contact = physics.contacts.begin();
    for (const auto& [a, b] : pairs)
    {
        EXPECT_EQ(contact->first, order[static_cast<std::size_t>(a)]);
        EXPECT_EQ(contact->second, order[static_cast<std::size_t>(b)]);
        ++contact;
        EXPECT_EQ(log[call].self, order[static_cast<std::size_t>(a)]) << "call " << call;
        EXPECT_EQ(log[call].other, order[static_cast<std::size_t>(b)]) << "call " << call;
        ++call;
        EXPECT_EQ(log[call].self, order[static_cast<std::size_t>(b)]) << "call " << call;
        EXPECT_EQ(log[call].other, order[static_cast<std::size_t>(a)]) << "call " << call;
        ++call;
    }
    for (const auto& [collider, tag] : physics.colliders)
    {
        EXPECT_TRUE(collider->IsColliding());
        EXPECT_NE(collider->lastPartner, nullptr);
    }
}

TEST_F(Physics, MixedPairsPutTheCircleOrPointFirstInEitherMapOrder)
{
    const Thing box = MakeBox(ObjectType::Enemy, {100.f, 100.f}, Box64, "Enemy");
    const Thing circle = MakeCircle(ObjectType::Enemy, {140.f, 100.f}, 10.f, "Enemy");
    const Thing point = MakePoint(ObjectType::Enemy, {132.f, 132.f}, "Enemy");

    bool aFirst = true;
    EXPECT_TRUE(Touch(box, circle, aFirst));
    EXPECT_FALSE(aFirst);
    EXPECT_TRUE(Touch(circle, box, aFirst));
    EXPECT_TRUE(aFirst);
    EXPECT_TRUE(Touch(box, point, aFirst)); // corner of the box
    EXPECT_FALSE(aFirst);
    EXPECT_TRUE(Touch(point, box, aFirst));
    EXPECT_TRUE(aFirst);

    // Circle with point and point with point are never tested.
    const Thing inside = MakePoint(ObjectType::Enemy, {140.f, 100.f}, "Enemy");
    EXPECT_FALSE(Touch(circle, inside, aFirst));
    EXPECT_FALSE(Touch(inside, circle, aFirst));
    const Thing samePlace = MakePoint(ObjectType::Enemy, {140.f, 100.f}, "Enemy");
    EXPECT_FALSE(Touch(inside, samePlace, aFirst));

    physics.Update(0.f);
    ASSERT_EQ(physics.contacts.size(), 2u); // box-circle and box-corner point only
    for (const auto& contact : physics.contacts)
        EXPECT_EQ(contact.second, box.collider.get());
}

TEST_F(Physics, TagRulesHoldInBothOrders)
{
    const Thing cursor = MakeBox(ObjectType::Mouse, {100.f, 100.f}, Box64, "Mouse");
    const Thing detector = MakeCircle(ObjectType::Tower, {100.f, 100.f}, 100.f, "TowerDetector");
    const Thing otherDetector = MakeCircle(ObjectType::Tower, {110.f, 100.f}, 100.f, "TowerDetector");
    const Thing base = MakeBox(ObjectType::Base, {120.f, 100.f}, Box64, "Base");
    const Thing tower = MakeBox(ObjectType::Tower, {90.f, 100.f}, Box64, "Tower");
    // Within the detectors' reach but clear of the base (that contact would play a sound).
    const Thing enemy = MakeCircle(ObjectType::Enemy, {100.f, 190.f}, 10.f, "Enemy");

    bool aFirst = true;
    EXPECT_FALSE(Touch(cursor, detector, aFirst));
    EXPECT_FALSE(Touch(detector, cursor, aFirst));
    EXPECT_FALSE(Touch(detector, base, aFirst));
    EXPECT_FALSE(Touch(base, detector, aFirst));
    EXPECT_FALSE(Touch(detector, otherDetector, aFirst));
    EXPECT_TRUE(Touch(cursor, tower, aFirst));
    EXPECT_TRUE(Touch(tower, cursor, aFirst));
    EXPECT_TRUE(Touch(detector, enemy, aFirst));
    EXPECT_TRUE(Touch(enemy, detector, aFirst));
    EXPECT_TRUE(Touch(base, cursor, aFirst));
    // Static colliders (tower bodies, the keep, obstacles) never meet each other, though they
    // meet everything that moves.
    const Thing obstacle = MakeBox(ObjectType::Obstacle, {100.f, 160.f}, Box64, "Obstacle");
    const Thing secondTower = MakeBox(ObjectType::Tower, {100.f, 110.f}, Box64, "Tower");
    for (const Thing* a : {&tower, &base, &obstacle, &secondTower})
    {
        for (const Thing* b : {&tower, &base, &obstacle, &secondTower})
        {
            if (a != b)
            {
                EXPECT_FALSE(Touch(*a, *b, aFirst));
            }
        }
        EXPECT_TRUE(Touch(*a, cursor, aFirst));
    }
    EXPECT_TRUE(Touch(detector, secondTower, aFirst));
    EXPECT_TRUE(Touch(enemy, obstacle, aFirst));

    // Through the step, with the tags as registered.
    physics.Update(0.f);
    std::set<std::pair<const CollisionComponent*, const CollisionComponent*>> found;
    for (const auto& contact : physics.contacts)
    {
        found.insert({contact.first, contact.second});
        found.insert({contact.second, contact.first});
    }
    EXPECT_EQ(found.count({cursor.collider.get(), detector.collider.get()}), 0u);
    EXPECT_EQ(found.count({detector.collider.get(), base.collider.get()}), 0u);
    EXPECT_EQ(found.count({detector.collider.get(), otherDetector.collider.get()}), 0u);
    EXPECT_EQ(found.count({cursor.collider.get(), tower.collider.get()}), 1u);
    EXPECT_EQ(found.count({detector.collider.get(), enemy.collider.get()}), 1u);
    EXPECT_EQ(found.count({tower.collider.get(), base.collider.get()}), 0u);
    EXPECT_EQ(found.count({obstacle.collider.get(), secondTower.collider.get()}), 0u);
    EXPECT_EQ(found.count({detector.collider.get(), secondTower.collider.get()}), 1u);
}

TEST_F(Physics, MassRuleSkipsOnlyTwoMasslessBodies)
{
    // Masses are read when the colliders are registered.
    const Thing a = MakeBox(ObjectType::Enemy, {100.f, 100.f}, Box64, "Enemy", nullptr, 0.f);
    const Thing b = MakeBox(ObjectType::Enemy, {110.f, 100.f}, Box64, "Enemy");
    physics.Update(0.f);
    EXPECT_EQ(physics.contacts.size(), 1u);
    // Over both: tested against b, never against the other massless a.
    const Thing c = MakeBox(ObjectType::Enemy, {90.f, 100.f}, Box64, "Enemy", nullptr, 0.f);
    physics.Update(0.f);
    ASSERT_EQ(physics.contacts.size(), 2u);
    for (const auto& contact : physics.contacts)
        EXPECT_TRUE(contact.first == b.collider.get() || contact.second == b.collider.get());
}

TEST_F(Physics, DeadOwnersAndBodilessCollidersAreSkipped)
{
    const Thing live = MakeBox(ObjectType::Enemy, {100.f, 100.f}, Box64, "Enemy", &log);
    const Thing dead = MakeBox(ObjectType::Enemy, {110.f, 100.f}, Box64, "Enemy", &log);
    dead.object->alive = false;
    dead.body->velocity = {100.f, 0.f};

    // A collider without a rigid body, overlapping the live box.
    auto loose = std::make_shared<GameObject>(ObjectType::Obstacle);
    loose->setPosition(100.f, 100.f);
    auto looseBox =
        std::make_shared<BoxCollisionComponent>(loose.get(), nullptr, sf::FloatRect(68, 68, 64, 64));
    physics.AddCollider(looseBox, "Enemy");

    physics.Update(1.f);
    EXPECT_TRUE(physics.contacts.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(dead.object->getPosition(), sf::Vector2f(110.f, 100.f)); // its body did not move it
    EXPECT_FALSE(live.collider->IsColliding());
}

TEST_F(Physics, RegisteringAgainKeepsTheFirstTag)
{
    const Thing thing = MakeBox(ObjectType::Tower, {0.f, 0.f}, Box64, "Tower");
    physics.AddCollider(thing.collider, "Mouse");
    physics.AddRigidBody(thing.body, "Mouse");
    ASSERT_EQ(physics.colliders.size(), 1u);
    ASSERT_EQ(physics.bodies.size(), 1u);
    EXPECT_EQ(physics.colliders.at(thing.collider), "Tower");
    EXPECT_EQ(physics.bodies.at(thing.body), "Tower");

    physics.Update(0.f);
    physics.Clear();
    EXPECT_TRUE(physics.colliders.empty());
    EXPECT_TRUE(physics.bodies.empty());
    EXPECT_TRUE(physics.contacts.empty());
}

TEST_F(Physics, StepDetectsWhereThePreviousStepLeftShapesAndMovesBodiesAfterNotifying)
{
    const Thing still = MakeBox(ObjectType::Enemy, {100.f, 100.f}, Box64, "Enemy", &log);
    const Thing mover = MakeBox(ObjectType::Enemy, {300.f, 100.f}, Box64, "Enemy", &log);
    mover.body->velocity = {-1000.f, 0.f};

    physics.Update(0.2f); // detection sees the mover far away, then it moves onto the still box
    EXPECT_TRUE(physics.contacts.empty());
    EXPECT_EQ(mover.object->getPosition(), sf::Vector2f(100.f, 100.f));
    EXPECT_EQ(static_cast<BoxCollisionComponent&>(*mover.collider).rect.left, 68.f);

    physics.Update(0.2f);
    ASSERT_EQ(physics.contacts.size(), 1u);
    ASSERT_EQ(log.size(), 2u);
    for (const auto& call : log)
    {
        if (call.self == mover.collider.get())
        {
            EXPECT_EQ(call.selfPosition, sf::Vector2f(100.f, 100.f)); // told before it moved on
        }
    }
    EXPECT_EQ(mover.object->getPosition(), sf::Vector2f(-100.f, 100.f));
    EXPECT_EQ(physics.contacts.size(), 1u); // kept until the next step begins

    physics.Update(0.f);
    EXPECT_TRUE(physics.contacts.empty());
    EXPECT_TRUE(mover.collider->IsColliding()); // never cleared once set
}

TEST_F(Physics, OnCollisionHandsThePairOnOnlyWhenThePartnerCollides)
{
    // Rules that count the reports they are told.
    struct CountingRules : ContactListener
    {
        std::uint8_t RuleClassOf(const CollisionComponent&) const override { return 0; }
        bool Concerns(std::uint8_t, std::uint8_t) const override { return true; }
        void OnContact(CollisionComponent&, CollisionComponent&) override { ++reports; }
        int reports = 0;
    } rules;
    physics.SetContactListener(&rules);
    const Thing cursor = MakeBox(ObjectType::Mouse, {100.f, 100.f}, Box64, "Mouse");
    const Thing base = MakeBox(ObjectType::Base, {100.f, 100.f}, Box64, "Base");

    cursor.collider->OnCollision(base.collider);
    EXPECT_TRUE(cursor.collider->IsColliding());
    EXPECT_EQ(cursor.collider->lastPartner, base.collider);
    EXPECT_EQ(rules.reports, 0); // the partner never collided: no rules

    base.collider->SetColliding();
    cursor.collider->OnCollision(base.collider);
    EXPECT_EQ(rules.reports, 1);
}

// A crowd of every shape and kind, some boxes of a class of their own (which are told through
// OnCollision), stepped once with the plain notification and once with the step's own: the
// rules get the same reports in the same order, and every collider the same last partner.
TEST_F(Physics, TheStepTellsWhatThePlainNotificationTells)
{
    RecordingRules rules;
    struct Restore
    {
        ContactListener* previous = PhysicsManager::instance().GetContactListener();
        ~Restore() { PhysicsManager::instance().SetContactListener(previous); }
    } restore;
    physics.SetContactListener(&rules);

    const std::pair<int, const char*> kinds[] = {
        {ObjectType::Enemy, "Enemy"}, {ObjectType::Projectile, "Projectile"},
        {ObjectType::Tower, "Tower"}, {ObjectType::Tower, "TowerDetector"},
        {ObjectType::Base, "Base"},   {ObjectType::Obstacle, "Obstacle"},
        {ObjectType::Mouse, "Mouse"}};
    std::mt19937 random(11);
    const auto coordinate = [&random]
    {
        return std::uniform_real_distribution<float>(0.f, 400.f)(random);
    };
    for (int i = 0; i < 160; ++i)
    {
        const auto& [kind, tag] = kinds[random() % 7];
        const sf::Vector2f at(coordinate(), coordinate());
        switch (random() % 4)
        {
        case 0:
            MakeBox(kind, at, Box64, tag, &log);
            break;
        case 1:
            MakeBox(kind, at, Box64, tag);
            break;
        case 2:
            MakeCircle(kind, at, 10.f + static_cast<float>(random() % 50), tag);
            break;
        default:
            MakePoint(kind, at, tag);
            break;
        }
    }

    const auto partners = [this]
    {
        std::map<const CollisionComponent*, const CollisionComponent*> result;
        for (const auto& [collider, tag] : physics.colliders)
            result[collider.get()] = collider->lastPartner.get();
        return result;
    };
    physics.plainNotification = true;
    physics.Update(0.f);
    const auto plainReports = rules.reports;
    const auto plainPartners = partners();
    const auto plainLog = log;
    const std::size_t contacts = physics.contacts.size();

    rules.reports.clear();
    log.clear();
    for (const auto& [collider, tag] : physics.colliders)
        collider->lastPartner.reset();
    physics.plainNotification = false;
    physics.Update(0.f);
    ASSERT_EQ(physics.contacts.size(), contacts);
    EXPECT_EQ(rules.reports, plainReports);
    EXPECT_EQ(partners(), plainPartners);
    ASSERT_EQ(log.size(), plainLog.size());
    for (std::size_t i = 0; i < log.size(); ++i)
    {
        EXPECT_EQ(log[i].self, plainLog[i].self);
        EXPECT_EQ(log[i].other, plainLog[i].other);
    }
    // Enough of everything: reports left out and kept, boxes of both classes told.
    EXPECT_GT(contacts, 300u);
    EXPECT_GT(plainReports.size(), contacts / 2);
    EXPECT_LT(plainReports.size(), 2 * contacts);
    EXPECT_GT(log.size(), 50u);
}
