#pragma once
// Helpers for the tests of the gameplay and of every layer above it: the rules' managers back to
// the start of the process, and a fixture with a fresh world, the game's textures and sounds in a
// scratch game folder, and a few helpers that reach the objects the factories register. Links only
// the gameplay and what lies beneath it.

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "tests/entities/EntityTestSupport.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testing_support
{
// The waypoint path, the rules' managers (with the waves seeded by 1) and everything beneath them
// back to the start of the process.
void ResetGameplay();
} // namespace testing_support

class GameplayTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies tests/data/maps/<name> into the scratch assets folder and returns "../assets/<name>".
    std::filesystem::path UseMap(const std::string& name) const;
    // Makes the shipped level the scratch game's level, with these properties of its objects set
    // ("Health", "SpawnRate", ...).
    void UseShippedLevel(const std::map<std::string, nlohmann::json>& properties) const;

    // The most recently registered object.
    static std::shared_ptr<GameObject> Last();
    static std::vector<std::shared_ptr<GameObject>> OfType(int type);
    // The object's collider of shape T (the first one attached).
    template <typename T>
    static std::shared_ptr<T> Collider(const GameObject& object)
    {
        for (const auto& component : object.components)
            if (auto found = std::dynamic_pointer_cast<T>(component))
                return found;
        return {};
    }
    // A weak enemy of wave 1 (or the kind and wave given) at (300, 300), named ..._7.
    std::shared_ptr<GameObject> Enemy(int kind = 0, int wave = 1, sf::Vector2f at = {300.f, 300.f});
    // A shot of the given damage from a new bullet tower at the spot.
    std::shared_ptr<GameObject> Projectile(float damage, sf::Vector2f at = {300.f, 300.f});
    std::shared_ptr<GameObject> Tower(int kind, sf::Vector2f at = {200.f, 200.f});
    // The first keep of the two-keep test level (which is loaded for it).
    std::shared_ptr<GameObject> Base();
    static std::shared_ptr<StatusComponent> Status(const GameObject& object);
    // A shot's pixel mask meeting an enemy's, both sides told.
    static void Hit(const GameObject& projectile, const GameObject& enemy);

    // One contact between two colliders as the physics step reports it: both sides in turn.
    static void Contact(const std::shared_ptr<CollisionComponent>& a,
                        const std::shared_ptr<CollisionComponent>& b);

    testing_support::ScratchGame game;
};
