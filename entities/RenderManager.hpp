#pragma once
// Keeps every render component of the running game and draws them layer by layer.

#include "app/services/InputManager.hpp"
#include "entities/Component.hpp"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <memory>
#include <utility>
#include <vector>

class RenderManager
{
public:
    static RenderManager& instance();

    void AddRenderComponent(std::shared_ptr<RenderComponent> component);
    // Drops every component when a game is left; the layer list stays.
    void Clear();
    // The world's layers 0 to 4 in this order, all shown (as the game starts with them).
    void SeedLayers();
    // Back to a process that has drawn nothing: no components and no layers, the editor on the
    // first entry, the camera's class-wide offset zero.
    void Reset();
    // Visible layers in list order, components in registration order, then the camera object.
    void Draw(std::shared_ptr<sf::RenderWindow> window);
    // What Draw does to the sprites (each placed on its owner; pixel colliders test them there),
    // without rasterising anything.
    void PlaceSprites();
    // The run-time layer editor, driven by the actions of player editorPlayer.
    void EditLayers();

    std::vector<std::shared_ptr<RenderComponent>> components;
    std::vector<std::pair<int, bool>> layers; // (layer number, visible)
    int selectedLayer = 0;
    int editorPlayer = LayerEditorPlayer;

private:
    RenderManager() = default;

    // Sprites drawn one after another with the same texture go out as one triangle list.
    void AddSprite(const sf::Sprite& sprite, sf::RenderTarget& target);
    void FlushSprites(sf::RenderTarget* target); // null: nothing to draw on

    sf::VertexArray spriteVertices{sf::Triangles};
    const sf::Texture* spriteTexture = nullptr;
};
