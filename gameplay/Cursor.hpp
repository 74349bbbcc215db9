#pragma once
// The player's cursor, where building happens: its input component follows the mouse, builds the
// selected tower kind on a left click and drops the selection on a right click; its build
// preview shows the selected tower at the pointer.

#include "entities/Component.hpp"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/System/Vector2.hpp>

#include <memory>

// The cursor object carries it outside its component list; the gameplay manager updates it
// after the physics step.
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

// The build preview: the platform and the selected tower's shape, centred on the cursor.
class TowerShapeRenderComponent : public RenderComponent
{
public:
    TowerShapeRenderComponent(GameObject* owner, std::shared_ptr<InputComponent> input);

    int GetType() const override { return ComponentType::SpriteRender; }
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;

    std::shared_ptr<sf::Sprite> platformSprite;
    std::shared_ptr<sf::Sprite> shapeSprite;
    std::shared_ptr<InputComponent> input;
};
