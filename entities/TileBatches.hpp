#pragma once
// A tile layer drawn as vertex arrays: one per run of consecutive tiles that share a texture,
// with each tile's four corners already moved by its sprite's transform. The tiles of a map do
// not change during a game, so the arrays are built once and rebuilt only when the list of tile
// sprites changes. The picture is the one the sprites drawn one by one give.

#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/VertexArray.hpp>

#include <memory>
#include <vector>

// Appends the two triangles a sprite draws as its own quad: its corners under its transform, its
// texture rectangle's corners and its colour. A sprite without a texture draws nothing and adds
// nothing.
void AppendSpriteQuad(const sf::Sprite& sprite, sf::VertexArray& triangles);

class TileBatches
{
public:
    void Draw(const std::vector<std::shared_ptr<sf::Sprite>>& tiles, sf::RenderTarget& target);
    std::size_t BatchCount() const { return batches.size(); }

private:
    struct Batch
    {
        const sf::Texture* texture;
        sf::VertexArray vertices;
    };
    bool Matches(const std::vector<std::shared_ptr<sf::Sprite>>& tiles) const;
    void Build(const std::vector<std::shared_ptr<sf::Sprite>>& tiles);

    std::vector<Batch> batches;
    std::vector<const sf::Sprite*> builtFrom;
};
