#pragma once
// The base of every behaviour attached to a GameObject, and the small abstract bases that
// several component families share (rendering, observing).

#include <SFML/Graphics/RenderWindow.hpp>

#include <memory>
#include <vector>

class GameObject;

// Component type numbers, as GetType reports them. Several classes share a number.
namespace ComponentType
{
constexpr int Input = 1;
constexpr int SpriteRender = 2; // sprites and the tower build preview
constexpr int TiledLayer = 3;
constexpr int Move = 5;    // constant move, enemy movement
constexpr int Spawner = 6; // enemy spawner, tower projectile spawner
constexpr int Lifetime = 7;
constexpr int Timer = 8; // timer, tower fire timer
constexpr int Camera = 9;
constexpr int RigidBody = 11;
constexpr int Collision = 12;
constexpr int Observable = 15;
constexpr int Status = 16;
constexpr int UpgradeState = 17;
} // namespace ComponentType

class Component
{
public:
    // The owner outlives its components in every use the game makes of them: components are
    // only reached through their owner or through registries that are cleared with it.
    explicit Component(GameObject* owner) : owner(owner) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    virtual void Update(float dt);
    virtual void PhysicsUpdate(float dt);
    virtual int GetType() const = 0;
    virtual GameObject* GetOwner() const { return owner; }

protected:
    GameObject* owner;
};

// Something drawn by the render manager, on a numbered layer.
class RenderComponent : public Component
{
public:
    RenderComponent(GameObject* owner, int layer) : Component(owner), layer(layer) {}

    virtual void Draw(std::shared_ptr<sf::RenderWindow> window) = 0;
    virtual int GetLayer() const { return layer; }
    virtual void SetLayer(int newLayer) { layer = newLayer; }
    // Steps through the world layers 0..4 with wrap-around; with swap, exchanges 2 and 4 only.
    virtual void RaiseLayer(bool swap);
    virtual void LowerLayer(bool swap);

    int layer;
};

class ObserverComponent : public Component
{
public:
    using Component::Component;
    virtual void OnNotify() = 0;
};

class ObservableComponent : public Component
{
public:
    using Component::Component;
    int GetType() const override { return ComponentType::Observable; }

    virtual void AddObserver(std::shared_ptr<ObserverComponent> observer);
    // Removes the first entry that is this very observer; the rest keep their order.
    virtual void RemoveObserver(std::shared_ptr<ObserverComponent> observer);
    virtual void Notify();

    std::vector<std::shared_ptr<ObserverComponent>> observers;
};
