#pragma once
// The player's cursor, where building happens: its input component follows the mouse, builds the
// selected tower kind on a left click and drops the selection on a right click; its build
// preview shows the selected tower at the pointer.

#include "entities/Component.hpp"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/System/Vector2.hpp>

#include <memory>
#include <optional>

// What a left click at a point would do with a tower kind chosen. The build preview asks it of
// the pointer and shows the answer; a click asks it of where it was made and obeys it, so a green
// preview is a click that builds.
enum class BuildVerdict
{
    NothingSelected,
    Build,
    OverWidgets,   // the click is the HUD's (or a card's), not the world's
    BlockedGround, // road, water, rock, the keep or another tower
    NotEnoughGold,
};
// kind: the tower kind chosen; overWidgets: a widget takes a click there.
BuildVerdict BuildVerdictAt(int kind, sf::Vector2f point, bool overWidgets);
// Whether the ground at point lets a tower stand: the cursor there would touch nothing that
// forbids building (the very test of the contact rules, asked of the cursor's shapes moved
// there for a moment). True without a cursor.
bool GroundFreeAt(sf::Vector2f point);
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
    // What a click at the pointer would do now (BuildVerdictAt of the pointer).
    BuildVerdict Verdict() const;

    int selectedTower = 0; // 0 none, 1 bullet tower, 2 small rocket tower, 3 big rocket tower

    // The world's left click of the latest poll, told by the frame loop as it comes: the kind
    // chosen when it was made, so that what else the same poll brings (the tower's button or key
    // pressed again for the next tower, Escape) cannot take it back. chosenAgain: the kind was
    // chosen again after the click, for the tower after this one. Null: no click reached the
    // world (a test may still press the button directly; the click then takes the kind chosen
    // when it is handled).
    struct Click
    {
        int kind = 0;
        bool chosenAgain = false;
    };
    std::optional<Click> click;

private:
    bool followed = false; // FollowPointer ran since the last Update
};

// The build preview: the platform and the selected tower's shape, centred on the cursor, with the
// tower's reach, tinted green where a click builds and red with a cross where it does not. It also
// draws the reach of the tower whose card is open.
class TowerShapeRenderComponent : public RenderComponent
{
public:
    TowerShapeRenderComponent(GameObject* owner, std::shared_ptr<InputComponent> input);

    int GetType() const override { return ComponentType::SpriteRender; }
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;

    std::shared_ptr<sf::Sprite> platformSprite;
    std::shared_ptr<sf::Sprite> shapeSprite;
    std::shared_ptr<InputComponent> input;

private:
    void DrawReach(sf::RenderWindow& window, sf::Vector2f centre, sf::Color colour) const;
};
