#pragma once
// Keeps every render component of the running game and draws them layer by layer.

#include "entities/Component.hpp"
#include "services/InputManager.hpp"

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/Graphics/View.hpp>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class RenderManager
{
public:
    static RenderManager& instance();

    void AddRenderComponent(std::shared_ptr<RenderComponent> component);
    // Drops every component and the ground's copy when a game is left; the layer list stays.
    void Clear();
    // The world's layers 0 to 4 in this order, all shown (as the game starts with them).
    void SeedLayers();
    // Back to a process that has drawn nothing: no components and no layers, the editor on the
    // first entry, the camera's class-wide offset zero.
    void Reset();
    // Visible layers in list order, components in registration order, then the camera object.
    // The ground (the layers at the front of the list that hold only tile layers) is drawn once
    // as they are, onto the window just cleared, and copied from the window then; later frames
    // draw that copy instead, for as long as the window's size, its view and the ground's layers
    // stay the same. The picture is the same: the game clears with one colour every frame.
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
    // Draw the ground from its copy; off, every frame draws its tiles.
    bool copyGround = true;
    // How often the ground has been copied from the window since the manager was made.
    std::size_t GroundCopies() const { return groundCopies; }

private:
    RenderManager() = default;

    // Sprites drawn one after another with the same texture go out as one triangle list.
    void AddSprite(const sf::Sprite& sprite, sf::RenderTarget& target);
    void FlushSprites(sf::RenderTarget* target); // null: nothing to draw on
    void DrawLayer(int layer, sf::RenderWindow* window, const std::shared_ptr<sf::RenderWindow>& handle);
    // How many entries at the front of layers are ground: hidden, or holding tile layers only.
    std::size_t GroundLayers() const;
    // What the ground's copy depends on: the window's size, the view, and the ground's layers
    // (number, visibility, and each tile layer with its tiles).
    std::vector<std::uintptr_t> GroundKey(const sf::RenderWindow& window, std::size_t groundLayers) const;

    sf::VertexArray spriteVertices{sf::Triangles};
    const sf::Texture* spriteTexture = nullptr;

    std::unique_ptr<sf::Texture> ground; // the window right after the ground was drawn
    std::vector<std::uintptr_t> groundKey;
    std::size_t groundCopies = 0;
};
