#pragma once
// The things the world draws: sprites that follow their object, the build preview at the mouse
// cursor, the tile layers of the map, and the camera that applies the view.

#include "entities/Component.hpp"
#include "entities/TileBatches.hpp"

#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/View.hpp>

#include <memory>
#include <vector>

// The render layer of every sprite and of the build preview (tile layers take theirs from the map).
constexpr int WorldLayer = 2;
// SpriteRenderComponent's followRotation: copy the owner's rotation when drawing, or not.
constexpr bool FollowOwnerRotation = true;
constexpr bool KeepOwnRotation = false;

// Sets a sprite's origin to the centre of its texture rectangle, halved in integers.
void CentreOrigin(sf::Sprite& sprite);

class SpriteRenderComponent : public RenderComponent
{
public:
    // followRotation is true: the sprite copies the owner's rotation when drawn.
    SpriteRenderComponent(GameObject* owner, int layer, std::shared_ptr<sf::Sprite> sprite);
    // Also moves the sprite to the owner's position at once.
    SpriteRenderComponent(GameObject* owner, bool followRotation, int layer,
                          std::shared_ptr<sf::Sprite> sprite);

    int GetType() const override { return ComponentType::SpriteRender; }
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;
    // What Draw does before drawing: moves the sprite to the owner (and turns it with the owner
    // when followRotation is set). Returns the sprite to draw, or null when the owner is dead.
    const sf::Sprite* Place();
    // Replaces the picture; the new sprite keeps the rotation the old one had.
    void SetSprite(std::shared_ptr<sf::Sprite> newSprite);

    std::shared_ptr<sf::Sprite> sprite;
    bool followRotation = true;
};

// One tile layer of the map. The tiles never change during a game.
class TiledLayerComponent : public RenderComponent
{
public:
    TiledLayerComponent(GameObject* owner, int layer) : RenderComponent(owner, layer) {}

    int GetType() const override { return ComponentType::TiledLayer; }
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;

    std::vector<std::shared_ptr<sf::Sprite>> tiles;

private:
    TileBatches batches; // tiles as vertex arrays, built from tiles at the first draw
};

class CameraComponent : public RenderComponent
{
public:
    // Sets the class-wide moveOffset: the last camera constructed decides it for all.
    CameraComponent(GameObject* owner, std::shared_ptr<sf::View> view, sf::Vector2f offset, int layer);

    int GetType() const override { return ComponentType::Camera; }
    // Re-applies the window's current view, moved by moveOffset.
    void Draw(std::shared_ptr<sf::RenderWindow> window) override;

    std::shared_ptr<sf::View> view;
    static sf::Vector2f moveOffset;
};
