#include "entities/TileBatches.hpp"

void AppendSpriteQuad(const sf::Sprite& sprite, sf::VertexArray& triangles)
{
    if (sprite.getTexture() == nullptr)
        return;
    const sf::IntRect rect = sprite.getTextureRect();
    const sf::FloatRect local = sprite.getLocalBounds();
    const auto left = static_cast<float>(rect.left), top = static_cast<float>(rect.top);
    const float right = left + static_cast<float>(rect.width), bottom = top + static_cast<float>(rect.height);
    const sf::Transform& transform = sprite.getTransform();
    const sf::Color color = sprite.getColor();
    const sf::Vertex corners[4] = {
        {transform.transformPoint(0.f, 0.f), color, {left, top}},
        {transform.transformPoint(0.f, local.height), color, {left, bottom}},
        {transform.transformPoint(local.width, 0.f), color, {right, top}},
        {transform.transformPoint(local.width, local.height), color, {right, bottom}},
    };
    // The sprite's triangle strip 0-1-2-3 as two triangles.
    for (const int corner : {0, 1, 2, 2, 1, 3})
        triangles.append(corners[corner]);
}

bool TileBatches::Matches(const std::vector<std::shared_ptr<sf::Sprite>>& tiles) const
{
    if (tiles.size() != builtFrom.size())
        return false;
    for (std::size_t i = 0; i < tiles.size(); ++i)
    {
        if (tiles[i].get() != builtFrom[i])
            return false;
    }
    return true;
}

void TileBatches::Build(const std::vector<std::shared_ptr<sf::Sprite>>& tiles)
{
    batches.clear();
    builtFrom.clear();
    for (const auto& tile : tiles)
    {
        builtFrom.push_back(tile.get());
        const sf::Texture* texture = tile->getTexture();
        if (batches.empty() || batches.back().texture != texture)
            batches.push_back({texture, sf::VertexArray(sf::Triangles)});
        AppendSpriteQuad(*tile, batches.back().vertices);
    }
}

void TileBatches::Draw(const std::vector<std::shared_ptr<sf::Sprite>>& tiles, sf::RenderTarget& target)
{
    if (!Matches(tiles))
        Build(tiles);
    for (const auto& batch : batches)
    {
        sf::RenderStates states;
        states.texture = batch.texture;
        target.draw(batch.vertices, states);
    }
}
