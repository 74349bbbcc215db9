#pragma once
// Everything that exists in a running game is a GameObject: a positioned entity with a kind,
// a name and an ordered list of components that carry its behaviour.

#include "entities/Component.hpp"

#include <SFML/Graphics/Transformable.hpp>

#include <memory>
#include <string>
#include <vector>

namespace vgui
{
class ProgressBar;
}

// The kind of a game object, fixed at construction.
namespace ObjectType
{
constexpr int Camera = 0;
constexpr int Enemy = 1;
constexpr int Projectile = 2;
constexpr int Tower = 3;
constexpr int Base = 4;
constexpr int Obstacle = 5;
constexpr int Mouse = 6;
constexpr int TileMap = 7;
constexpr int Spawner = 8;
constexpr int Waypoint = 9;
} // namespace ObjectType

class GameObject : public sf::Transformable, public std::enable_shared_from_this<GameObject>
{
public:
    // Enemies and the base put their health bar into the UI manager's widget root.
    explicit GameObject(int type, std::string name = "Default");
    ~GameObject() override;
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    void AddComponent(std::shared_ptr<Component> component);

    // The first component whose dynamic type is T or derives from T; empty when there is none.
    template <class T>
    std::shared_ptr<T> GetComponent() const
    {
        for (const auto& component : components)
        {
            if (auto match = std::dynamic_pointer_cast<T>(component))
                return match;
        }
        return {};
    }

    // Updates the components in order while alive, then refreshes the health bar (always).
    void Update(float dt);
    // Draws sprite, tile-layer and camera components; used for the camera object only.
    void Draw(std::shared_ptr<sf::RenderWindow> window);
    // Ends the object's life: it stays registered but neither updates, draws nor collides.
    void Destroy();

    bool HasHealthBar() const { return type == ObjectType::Enemy || type == ObjectType::Base; }

    int id = -1;
    std::string name;
    bool alive = true;
    int type;
    std::vector<std::shared_ptr<Component>> components;
    std::shared_ptr<vgui::ProgressBar> healthBar;
    // Size change of the base's picture at its first upgrade (old size minus new).
    sf::Vector2f resizedSize;
    bool resized = false;

private:
    void RefreshHealthBar();
};
