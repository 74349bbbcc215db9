// Countdowns, observers, straight flight and rigid-body movement.

#include "entities/GameObject.hpp"
#include "entities/MotionComponents.hpp"
#include "tests/entities/EntityTestSupport.hpp"

#include <gtest/gtest.h>

namespace
{
class Motion : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetEntities(); }
};

class CountingObserver : public ObserverComponent
{
public:
    CountingObserver(GameObject* owner, std::vector<const CountingObserver*>* order = nullptr)
        : ObserverComponent(owner), order(order)
    {
    }
    int GetType() const override { return ComponentType::Spawner; }
    void OnNotify() override
    {
        ++count;
        if (order)
            order->push_back(this);
    }
    int count = 0;
    std::vector<const CountingObserver*>* order;
};
} // namespace

TEST_F(Motion, LifetimeDestroysOnTheFrameAfterItWentNegative)
{
    auto object = std::make_shared<GameObject>(ObjectType::Projectile);
    auto lifetime = std::make_shared<LifetimeComponent>(object.get(), 2.5f);
    object->AddComponent(lifetime);
    const float expected[] = {1.5f, 0.5f, -0.5f};
    for (float remaining : expected)
    {
        object->Update(1.f);
        EXPECT_TRUE(object->alive);
        EXPECT_FLOAT_EQ(lifetime->remaining, remaining);
    }
    object->Update(1.f);
    EXPECT_FALSE(object->alive);
    EXPECT_FLOAT_EQ(lifetime->remaining, 2.5f); // Destroy winds it back
    object->Update(1.f);
    EXPECT_FLOAT_EQ(lifetime->remaining, 2.5f); // dead: no longer counts
}

TEST_F(Motion, TimerNotifiesOnTheFourthAndEighthFrameAndRestartsFromTheInterval)
{
    auto object = std::make_shared<GameObject>(ObjectType::Tower);
    auto timer = std::make_shared<TimerComponent>(object.get(), 1.f);
    auto observer = std::make_shared<CountingObserver>(object.get());
    timer->AddObserver(observer);
    const int expected[] = {0, 0, 0, 1, 1, 1, 1, 2};
    for (int frame = 0; frame < 8; ++frame)
    {
        timer->Update(0.4f);
        EXPECT_EQ(observer->count, expected[frame]) << "after update " << frame + 1;
        if (frame == 3)
        {
            EXPECT_FLOAT_EQ(timer->remaining, 1.f);
        }
    }
    EXPECT_EQ(timer->GetType(), ComponentType::Timer);
}

TEST_F(Motion, RemoveObserverTakesOnlyTheFirstEntryOfTheSameObserver)
{
    GameObject owner(ObjectType::Tower);
    std::vector<const CountingObserver*> order;
    auto a = std::make_shared<CountingObserver>(&owner, &order);
    auto b = std::make_shared<CountingObserver>(&owner, &order);
    auto stranger = std::make_shared<CountingObserver>(&owner, &order);
    ObservableComponent observable(&owner);
    observable.Notify(); // nobody to tell
    observable.AddObserver(a);
    observable.AddObserver(b);
    observable.AddObserver(a);
    observable.RemoveObserver(a);
    observable.RemoveObserver(stranger);
    ASSERT_EQ(observable.observers.size(), 2u);
    observable.Notify();
    EXPECT_EQ(order, (std::vector<const CountingObserver*>{b.get(), a.get()}));
}

TEST_F(Motion, ConstantMoveFliesItsHeadingAndStopsNearTheTarget)
{
    auto shot = std::make_shared<GameObject>(ObjectType::Projectile);
    shot->setPosition(10.f, 10.f);
    // Aimed at (40, 50) + (0, 0): direction (0.6, 0.8).
    auto move = std::make_shared<ConstantMoveComponent>(shot.get(), 10.f, sf::Vector2f(40.f, 50.f),
                                                        sf::Vector2f(), true);
    shot->AddComponent(move);
    EXPECT_FLOAT_EQ(move->direction.x, 0.6f);
    EXPECT_FLOAT_EQ(move->direction.y, 0.8f);
    EXPECT_FLOAT_EQ(move->velocity.x, 6.f);
    EXPECT_FLOAT_EQ(move->velocity.y, 8.f);
    shot->Update(1.f);
    EXPECT_NEAR(shot->getRotation(), 53.130102f, 1e-3f);
    EXPECT_FLOAT_EQ(shot->getPosition().x, 16.f);
    EXPECT_FLOAT_EQ(shot->getPosition().y, 18.f);
    EXPECT_TRUE(shot->alive);
    shot->Update(3.7f); // 47 of the 50 pixels flown: 3 left
    EXPECT_TRUE(shot->alive);
    shot->Update(0.2f); // 1 pixel left
    EXPECT_FALSE(shot->alive);
}

TEST_F(Motion, AimOffsetBendsTheDirectionButNotTheArrivalPoint)
{
    GameObject shot(ObjectType::Projectile);
    // Target straight up; the offset bends the flight to the right-up diagonal.
    ConstantMoveComponent move(&shot, 1.f, sf::Vector2f(0.f, -10.f), sf::Vector2f(10.f, 0.f), false);
    EXPECT_FLOAT_EQ(move.target.x, 0.f);
    EXPECT_FLOAT_EQ(move.target.y, -10.f);
    EXPECT_NEAR(move.direction.x, 0.70710678f, 1e-6f);
    EXPECT_NEAR(move.direction.y, -0.70710678f, 1e-6f);
    move.Update(0.f);
    EXPECT_NEAR(shot.getRotation(), 315.f, 1e-3f); // -45 degrees

    // Straight up: -90 degrees.
    GameObject up(ObjectType::Projectile);
    ConstantMoveComponent upMove(&up, 1.f, sf::Vector2f(0.f, -5.f), sf::Vector2f(), false);
    upMove.Update(0.f);
    EXPECT_NEAR(up.getRotation(), 270.f, 1e-3f);
}

TEST_F(Motion, ZeroAimGivesNoVelocityAndPassingTheTargetWithoutArrivalKeepsFlying)
{
    GameObject still(ObjectType::Projectile);
    still.setPosition(5.f, 5.f);
    ConstantMoveComponent stay(&still, 300.f, sf::Vector2f(5.f, 5.f), sf::Vector2f(), false);
    EXPECT_EQ(stay.direction, sf::Vector2f());
    EXPECT_EQ(stay.velocity, sf::Vector2f());
    stay.Update(1.f);
    EXPECT_EQ(still.getPosition(), sf::Vector2f(5.f, 5.f));
    EXPECT_FLOAT_EQ(still.getRotation(), 0.f);

    GameObject past(ObjectType::Projectile);
    ConstantMoveComponent fly(&past, 10.f, sf::Vector2f(10.f, 0.f), sf::Vector2f(), false);
    fly.Update(1.f); // exactly on the target
    fly.Update(1.f);
    EXPECT_TRUE(past.alive);
    EXPECT_FLOAT_EQ(past.getPosition().x, 20.f);
}

TEST_F(Motion, RigidBodyMovesOnlyInThePhysicsUpdate)
{
    GameObject enemy(ObjectType::Enemy);
    enemy.setPosition(1.f, 2.f);
    RigidBodyComponent body(&enemy);
    EXPECT_FLOAT_EQ(body.mass, 1.f);
    body.velocity = {10.f, -4.f};
    body.Update(0.5f);
    EXPECT_EQ(enemy.getPosition(), sf::Vector2f(1.f, 2.f));
    body.PhysicsUpdate(0.5f);
    EXPECT_EQ(enemy.getPosition(), sf::Vector2f(6.f, 0.f));
}
