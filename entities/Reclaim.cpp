#include "entities/Reclaim.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderManager.hpp"

#include <algorithm>

namespace
{
bool Reclaimable(const GameObject& object)
{
    return !object.alive && (object.type == ObjectType::Enemy || object.type == ObjectType::Projectile ||
                             object.type == ObjectType::Tower);
}

bool ReclaimableOwner(const Component& component)
{
    const GameObject* owner = component.GetOwner();
    return owner && Reclaimable(*owner);
}

// No collider of the object is held outside the object's own component list.
bool HeldOnlyByItself(const GameObject& object)
{
    return std::all_of(object.components.begin(), object.components.end(),
                       [](const auto& component) {
                           return !dynamic_cast<const CollisionComponent*>(component.get()) ||
                                  component.use_count() == 1;
                       });
}
} // namespace

void ReclaimDeadObjects()
{
    auto& registry = GameObjectManager::instance();
    // Those parked in an earlier frame: the contacts that named them have been replaced since.
    std::erase_if(registry.reclaimed, [](const auto& object) { return HeldOnlyByItself(*object); });

    bool any = false;
    for (const auto& object : registry.objects)
        any = any || Reclaimable(*object);

    if (any)
    {
        auto& physics = PhysicsManager::instance();
        std::erase_if(physics.colliders, [](const auto& entry) { return ReclaimableOwner(*entry.first); });
        std::erase_if(physics.bodies, [](const auto& entry) { return ReclaimableOwner(*entry.first); });
        std::erase_if(RenderManager::instance().components,
                      [](const auto& component) { return ReclaimableOwner(*component); });

        for (auto it = registry.objects.begin(); it != registry.objects.end();)
        {
            if (!Reclaimable(**it))
            {
                ++it;
                continue;
            }
            // A dead collider never collides again; its last partner would only be kept for it.
            for (const auto& component : (*it)->components)
            {
                if (auto* collider = dynamic_cast<CollisionComponent*>(component.get()))
                    collider->lastPartner.reset();
            }
            registry.reclaimed.push_back(std::move(*it));
            it = registry.objects.erase(it);
        }
    }
}
