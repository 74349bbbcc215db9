#include "entities/CollisionComponents.hpp"

#include "entities/GameObject.hpp"
#include "entities/PhysicsManager.hpp"
#include "services/AssetManager.hpp"

#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <typeinfo>

void CollisionComponent::OnCollision(const std::shared_ptr<CollisionComponent>&)
{
}

void CollisionComponent::OnCollisionEnd(const std::shared_ptr<CollisionComponent>&)
{
}

void CollisionComponent::DrawDebug(std::shared_ptr<sf::RenderWindow>)
{
}

void CollisionComponent::RecordContact(const std::shared_ptr<CollisionComponent>& other)
{
    colliding = true;
    lastPartner = other;
    pendingPartner = nullptr; // a partner the step noted earlier is no longer the latest
    if (!other->IsColliding())
        return;
    if (ContactListener* listener = PhysicsManager::instance().GetContactListener())
        listener->OnContact(*this, *other);
}

void BoxCollisionComponent::PhysicsUpdate(float)
{
    if (!owner->alive)
        return;
    rect.left = owner->getPosition().x - rect.width / 2.f;
    rect.top = owner->getPosition().y - rect.height / 2.f;
}

void BoxCollisionComponent::DrawDebug(std::shared_ptr<sf::RenderWindow> window)
{
    if (!owner->alive)
        return;
    const sf::Vector2f topLeft(rect.left, rect.top);
    const sf::Vector2f topRight(rect.left + rect.width, rect.top);
    const sf::Vector2f bottomRight(rect.left + rect.width, rect.top + rect.height);
    const sf::Vector2f bottomLeft(rect.left, rect.top + rect.height);
    const sf::Vector2f edges[4][2] = {
        {bottomLeft, topLeft}, {topLeft, topRight}, {topRight, bottomRight}, {bottomRight, bottomLeft}};
    for (const auto& edge : edges)
    {
        const sf::Vertex line[2] = {sf::Vertex(edge[0], sf::Color::Green),
                                    sf::Vertex(edge[1], sf::Color::Green)};
        window->draw(line, 2, sf::Lines);
    }
}

void CircleCollisionComponent::PhysicsUpdate(float)
{
    if (owner->alive)
        shape.setPosition(owner->getPosition());
}

void CircleCollisionComponent::DrawDebug(std::shared_ptr<sf::RenderWindow> window)
{
    if (!owner->alive)
        return;
    shape.setPosition(owner->getPosition());
    shape.setFillColor(sf::Color::Transparent);
    shape.setOutlineColor(sf::Color::Green);
    shape.setOutlineThickness(1.f);
    window->draw(shape);
}

PointCollisionComponent::PointCollisionComponent(GameObject* owner,
                                                 std::shared_ptr<RigidBodyComponent> rigidBody)
    : CollisionComponent(owner, std::move(rigidBody)), point(owner->getPosition())
{
}

void PointCollisionComponent::PhysicsUpdate(float)
{
    if (owner->alive)
        point = owner->getPosition();
}

void PointCollisionComponent::DrawDebug(std::shared_ptr<sf::RenderWindow> window)
{
    if (!owner->alive)
        return;
    point = owner->getPosition();
    sf::CircleShape marker(5.f, 30);
    marker.setOrigin(5.f, 5.f);
    marker.setPosition(point);
    marker.setFillColor(sf::Color::Magenta);
    window->draw(marker);
}

PixelCollisionComponent::PixelCollisionComponent(GameObject* owner,
                                                 std::shared_ptr<RigidBodyComponent> rigidBody,
                                                 std::shared_ptr<sf::Sprite> sprite)
    : CollisionComponent(owner, std::move(rigidBody)), sprite(std::move(sprite)),
      mask(AssetManager::instance().GetMask(this->sprite->getTexture()))
{
    if (mask)
        opaque = OpaqueBounds(*mask);
}

void PixelCollisionComponent::DrawDebug(std::shared_ptr<sf::RenderWindow> window)
{
    if (!owner->alive)
        return;
    sf::CircleShape marker(3.f, 30);
    marker.setPosition(sprite->getPosition().x - 3.f, sprite->getPosition().y - 3.f);
    marker.setFillColor(sf::Color::Yellow);
    window->draw(marker);
}

bool IsStockShape(const CollisionComponent& collider)
{
    const std::type_info& type = typeid(collider);
    return type == typeid(CircleCollisionComponent) || type == typeid(PixelCollisionComponent) ||
           type == typeid(BoxCollisionComponent) || type == typeid(PointCollisionComponent);
}

ColliderShape ShapeOf(const CollisionComponent& collider)
{
    // Nearly every collider is exactly one of the four classes: one type comparison settles it,
    // and the casts are left for classes derived from them.
    const std::type_info& type = typeid(collider);
    if (type == typeid(CircleCollisionComponent))
        return ColliderShape::Circle;
    if (type == typeid(PixelCollisionComponent))
        return ColliderShape::Pixel;
    if (type == typeid(BoxCollisionComponent))
        return ColliderShape::Box;
    if (type == typeid(PointCollisionComponent))
        return ColliderShape::Point;
    if (dynamic_cast<const BoxCollisionComponent*>(&collider))
        return ColliderShape::Box;
    if (dynamic_cast<const CircleCollisionComponent*>(&collider))
        return ColliderShape::Circle;
    if (dynamic_cast<const PointCollisionComponent*>(&collider))
        return ColliderShape::Point;
    if (dynamic_cast<const PixelCollisionComponent*>(&collider))
        return ColliderShape::Pixel;
    return ColliderShape::Other;
}
