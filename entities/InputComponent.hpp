#pragma once
// The mouse cursor: follows the mouse, builds the selected tower kind on a left click and drops
// the selection on a right click. The cursor object carries it outside its component list; the
// gameplay manager updates it after the physics step.

#include "entities/Component.hpp"

class InputComponent : public Component
{
public:
    explicit InputComponent(GameObject* owner) : Component(owner) {}
    int GetType() const override { return ComponentType::Input; }
    void Update(float dt) override;

    int selectedTower = 0; // 0 none, 1 bullet tower, 2 small rocket tower, 3 big rocket tower
};
