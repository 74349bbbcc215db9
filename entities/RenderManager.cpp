#include "entities/RenderManager.hpp"

#include "app/services/InputManager.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/TileBatches.hpp"

#include <typeinfo>

RenderManager& RenderManager::instance()
{
    static RenderManager manager;
    return manager;
}

void RenderManager::AddRenderComponent(std::shared_ptr<RenderComponent> component)
{
    components.push_back(std::move(component));
}

void RenderManager::Clear()
{
    components.clear();
}

void RenderManager::SeedLayers()
{
    for (int layer = 0; layer <= 4; ++layer)
        layers.emplace_back(layer, true);
}

void RenderManager::Reset()
{
    *this = RenderManager();
    CameraComponent::moveOffset = {};
}

void RenderManager::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    for (const auto& [layer, visible] : layers)
    {
        if (!visible)
            continue;
        for (const auto& component : components)
        {
            if (component->GetLayer() != layer)
                continue;
            // A plain sprite is placed as its Draw would and joins the run of sprites before it;
            // anything else is drawn over that run.
            RenderComponent& drawn = *component;
            if (typeid(drawn) == typeid(SpriteRenderComponent))
            {
                if (const sf::Sprite* sprite = static_cast<SpriteRenderComponent&>(drawn).Place())
                    AddSprite(*sprite, *window);
                continue;
            }
            FlushSprites(window.get());
            component->Draw(window);
        }
    }
    FlushSprites(window.get());
    if (const auto camera = GameObjectManager::instance().camera)
        camera->Draw(window);
}

void RenderManager::PlaceSprites()
{
    for (const auto& [layer, visible] : layers)
    {
        if (!visible)
            continue;
        for (const auto& component : components)
        {
            if (component->GetLayer() != layer)
                continue;
            if (auto* sprite = dynamic_cast<SpriteRenderComponent*>(component.get()))
                sprite->Place();
        }
    }
}

void RenderManager::AddSprite(const sf::Sprite& sprite, sf::RenderTarget& target)
{
    const sf::Texture* texture = sprite.getTexture();
    if (texture == nullptr)
        return; // a sprite without a texture draws nothing
    if (texture != spriteTexture)
        FlushSprites(&target);
    spriteTexture = texture;
    AppendSpriteQuad(sprite, spriteVertices);
}

void RenderManager::FlushSprites(sf::RenderTarget* target)
{
    if (spriteVertices.getVertexCount() > 0 && target != nullptr)
        target->draw(spriteVertices, sf::RenderStates(spriteTexture));
    spriteVertices.clear();
    spriteTexture = nullptr;
}

void RenderManager::EditLayers()
{
    auto& input = InputManager::instance();
    const int last = static_cast<int>(layers.size()) - 1;
    const auto selected = static_cast<std::size_t>(selectedLayer);
    if (input.IsActionPressed(NextLayer, editorPlayer))
    {
        if (selectedLayer < last)
            ++selectedLayer;
    }
    else if (input.IsActionPressed(PreviousLayer, editorPlayer))
    {
        if (selectedLayer > 0)
            --selectedLayer;
    }
    else if (input.IsActionPressed(ToggleLayer, editorPlayer))
    {
        if (selectedLayer >= 0 && selectedLayer <= last)
            layers[selected].second = !layers[selected].second;
    }
    else if (input.IsActionPressed(MoveLayerLater, editorPlayer))
    {
        if (selectedLayer >= 0 && selectedLayer < last)
        {
            std::swap(layers[selected], layers[selected + 1]);
            ++selectedLayer;
        }
    }
    else if (input.IsActionPressed(MoveLayerEarlier, editorPlayer))
    {
        if (selectedLayer >= 1 && selectedLayer <= last)
        {
            std::swap(layers[selected], layers[selected - 1]);
            --selectedLayer;
        }
    }
}
