#pragma once
// The registry of every object of the running game. The gameplay state updates the objects in
// registration order each frame; the camera object is kept apart.

#include "entities/GameObject.hpp"

#include <list>
#include <memory>
#include <string>
#include <vector>

class GameObjectManager
{
public:
    static GameObjectManager& instance();

    // Registers an object after its components are attached. An object carrying a camera
    // component becomes the camera (replacing the previous one) instead of joining the list.
    void AddGameObject(std::shared_ptr<GameObject> object);
    // All registered bases (kind 4), in registration order.
    std::list<std::shared_ptr<GameObject>> GetBases() const;
    // The first object with exactly this name, or an empty handle.
    std::shared_ptr<GameObject> FindByName(const std::string& name) const;
    // Drops every registered object when a game is left; the camera and the id counter stay.
    void Clear();
    // Back to a process that has registered nothing: no objects, no camera, ids from 0.
    void Reset() { *this = GameObjectManager(); }

    // Objects registered while a walk over this list runs are appended and reached by the same
    // walk, which the per-frame update relies on.
    std::list<std::shared_ptr<GameObject>> objects;
    std::shared_ptr<GameObject> camera;
    int nextId = 0;
    // Dead enemies and projectiles already out of the registries, kept only while another
    // collider still holds one of their colliders (see ReclaimDeadObjects).
    std::vector<std::shared_ptr<GameObject>> reclaimed;

private:
    GameObjectManager() = default;
};
