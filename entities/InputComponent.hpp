#pragma once
// The mouse cursor: follows the mouse, builds the selected tower kind on a left click and drops
// the selection on a right click. The cursor object carries it outside its component list; the
// gameplay manager updates it after the physics step.

#include "entities/Component.hpp"

#include <SFML/System/Vector2.hpp>

class InputComponent : public Component
{
public:
    explicit InputComponent(GameObject* owner) : Component(owner) {}
    int GetType() const override { return ComponentType::Input; }
    // Builds at the point FollowPointer chose this frame (following the pointer first when it
    // has not), so a click builds exactly where the building rules were just tested.
    void Update(float dt) override;
    // Moves the cursor and its collision shapes to the pointer now (to the click, in a frame
    // with a left click). The gameplay runs it before the physics step, so that building and
    // upgrading decide on what is under the pointer in this frame, not where it was before.
    void FollowPointer();

    int selectedTower = 0; // 0 none, 1 bullet tower, 2 small rocket tower, 3 big rocket tower

private:
    bool followed = false; // FollowPointer ran since the last Update
};
