#pragma once

class CollisionComponent;

// Two touching colliders; which one is first is fixed by the shape test that found them. The
// colliders are borrowed: the physics manager's registry holds them while they are registered,
// and the dead that leave it are kept until the next step has replaced this frame's contacts
// (ReclaimDeadObjects).
struct Contact
{
    CollisionComponent* first;
    CollisionComponent* second;
};
