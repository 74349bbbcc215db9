#pragma once

#include <memory>

class CollisionComponent;

// Two touching colliders; which one is first is fixed by the shape test that found them.
struct Contact
{
    std::shared_ptr<CollisionComponent> first;
    std::shared_ptr<CollisionComponent> second;
};
