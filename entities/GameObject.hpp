#pragma once
// Everything that exists in a running game is a GameObject: a positioned entity with a kind,
// a name and an ordered list of components that carry its behaviour.

#include "entities/Component.hpp"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Transformable.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
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

// A component that knows its owner's hit points: the health bar shows them.
class HealthSource
{
public:
    virtual ~HealthSource() = default;
    virtual std::uint32_t CurrentHealth() const = 0;
    virtual std::uint32_t FullHealth() const = 0;
};

// Where enemies' and the keep's health bars are shown. The UI installs its widget root here at
// start; without it the bars are made and refreshed but shown nowhere.
struct HealthBarSink
{
    std::function<void(const std::shared_ptr<vgui::ProgressBar>& bar, const std::string& name)> show;
    std::function<void(const std::shared_ptr<vgui::ProgressBar>& bar)> hide;
    // Below this share of full health (percent) a bar fills red.
    std::function<int()> warningPercent;
};

class GameObject : public sf::Transformable, public std::enable_shared_from_this<GameObject>
{
public:
    // Enemies and the base put their health bar into the UI manager's widget root.
    explicit GameObject(int type, std::string name = "Default");
    ~GameObject() override;
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    // Components are added only through here (the lookups of GetComponent are kept until then).
    void AddComponent(std::shared_ptr<Component> component);

    // The first component whose dynamic type is T or derives from T; empty when there is none.
    template <class T>
    std::shared_ptr<T> GetComponent() const
    {
        if constexpr (std::is_base_of_v<Component, T>)
        {
            const std::ptrdiff_t at = IndexOf<T>();
            return at < 0 ? nullptr : std::static_pointer_cast<T>(components[static_cast<std::size_t>(at)]);
        }
        else
        {
            for (const auto& component : components)
            {
                if (auto match = std::dynamic_pointer_cast<T>(component))
                    return match;
            }
            return {};
        }
    }

    // The same component without taking a share of it, for the rules that run on every contact.
    // T may also be an interface a component implements (HealthSource).
    template <class T>
    T* FindComponent() const
    {
        const std::ptrdiff_t at = IndexOf<T>();
        if (at < 0)
            return nullptr;
        if constexpr (std::is_base_of_v<Component, T>)
            return static_cast<T*>(components[static_cast<std::size_t>(at)].get());
        else
            return dynamic_cast<T*>(components[static_cast<std::size_t>(at)].get());
    }

    // Updates the components in order while alive, then refreshes the health bar (always).
    void Update(float dt);
    // Draws sprite, tile-layer and camera components; used for the camera object only.
    void Draw(std::shared_ptr<sf::RenderWindow> window);
    // Ends the object's life: it stays registered but neither updates, draws nor collides.
    void Destroy();

    bool HasHealthBar() const { return type == ObjectType::Enemy || type == ObjectType::Base; }

    static HealthBarSink healthBars;

    int id = -1;
    // A small number no other existing object has, taken again by a later object once this one
    // is gone: what tables by object are indexed with.
    const std::uint32_t slot;
    std::string name;
    bool alive = true;
    int type;
    std::vector<std::shared_ptr<Component>> components;
    std::shared_ptr<vgui::ProgressBar> healthBar;
    // Size change of the base's picture at its first upgrade (old size minus new).
    sf::Vector2f resizedSize;
    bool resized = false;

private:
    // Where the first component of a type is (-1: none). A type's answer is found by walking the
    // components with a cast each, once, and then kept until a component is added.
    template <class T>
    std::ptrdiff_t IndexOf() const
    {
        const std::type_info* type = &typeid(T);
        if (lookupsFor != components.size())
        {
            lookups.clear();
            lookupsFor = components.size();
        }
        for (const auto& [known, at] : lookups)
        {
            if (known == type)
                return at;
        }
        std::ptrdiff_t at = -1;
        for (std::size_t i = 0; i < components.size(); ++i)
        {
            if (dynamic_cast<const T*>(components[i].get()) != nullptr)
            {
                at = static_cast<std::ptrdiff_t>(i);
                break;
            }
        }
        lookups.emplace_back(type, at);
        return at;
    }

    mutable std::vector<std::pair<const std::type_info*, std::ptrdiff_t>> lookups;
    mutable std::size_t lookupsFor = 0;

    void RefreshHealthBar();
    // The colour last given to the health bar (which has a look of its own): it is set again only
    // when it changes.
    sf::Color healthBarFill = sf::Color::Transparent;
};
