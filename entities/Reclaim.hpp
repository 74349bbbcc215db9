#pragma once
// Dead enemies, projectiles and sold towers are dropped from the registries at the end of each frame's
// update, so that neither the cost of a frame nor the memory grow with the number of the dead.
// Nothing the game can see changes: a dead object neither updates, draws nor collides, nobody
// looks an enemy, a projectile or a tower up by name, and bases are never dropped. An object
// leaves the registries at once but is kept (in GameObjectManager::reclaimed) until the next
// frame's call, as this frame's contacts may still name its colliders, and after that while
// another collider's lastPartner holds one of them, so that such a collider's owner stays valid;
// a tower's targets hold their enemies themselves.

// Call outside the per-frame walk over the objects (objects registered during the walk must be
// updated in the same walk).
void ReclaimDeadObjects();
