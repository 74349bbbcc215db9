#pragma once
// A fresh world with the game's textures and sounds in a scratch game folder, and a few helpers
// that reach the objects the factories register.

#include "tests/support/TestSupport.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/GameObjectManager.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class GameplayTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Copies tests/data/maps/<name> into the scratch assets folder and returns "../assets/<name>".
    std::filesystem::path UseMap(const std::string& name) const;

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
    // One contact between two colliders as the physics step reports it: both sides in turn.
    static void Contact(const std::shared_ptr<CollisionComponent>& a, const std::shared_ptr<CollisionComponent>& b);

    testing_support::ScratchGame game;
};
