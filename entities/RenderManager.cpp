#include "entities/RenderManager.hpp"

#include "entities/GameObjectManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/TileBatches.hpp"
#include "services/InputManager.hpp"

#include <SFML/Graphics/RenderWindow.hpp>

#include <cstring>
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
    ground.reset();
    groundKey.clear();
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
    std::size_t first = 0;
    // A frame drawn on no window (as tests draw) still places every sprite.
    const std::size_t groundLayers = copyGround && window ? GroundLayers() : 0;
    if (groundLayers > 0)
    {
        // Only the window's part that the view shows: the bars beside it stay as cleared.
        const sf::IntRect shown = window->getViewport(window->getView());
        std::vector<std::uintptr_t> key = GroundKey(*window, groundLayers);
        if (ground && key == groundKey)
        {
            const sf::View view = window->getView();
            const sf::Vector2u size = window->getSize();
            window->setView(
                sf::View(sf::FloatRect(0.f, 0.f, static_cast<float>(size.x), static_cast<float>(size.y))));
            sf::Sprite copy(*ground, shown);
            copy.setPosition(static_cast<float>(shown.left), static_cast<float>(shown.top));
            window->draw(copy, sf::RenderStates(sf::BlendNone));
            window->setView(view);
        }
        else
        {
            for (std::size_t i = 0; i < groundLayers; ++i)
            {
                if (layers[i].second)
                    DrawLayer(layers[i].first, window.get(), window);
            }
            FlushSprites(window.get());
            ground = std::make_unique<sf::Texture>();
            if (ground->create(window->getSize().x, window->getSize().y))
            {
                ground->update(*window);
                groundKey = std::move(key);
                ++groundCopies;
            }
            else
            {
                ground.reset();
            }
        }
        first = groundLayers;
    }
    for (std::size_t i = first; i < layers.size(); ++i)
    {
        if (layers[i].second)
            DrawLayer(layers[i].first, window.get(), window);
    }
    FlushSprites(window.get());
    if (const auto camera = GameObjectManager::instance().camera)
        camera->Draw(window);
}

void RenderManager::DrawLayer(int layer, sf::RenderWindow* window,
                              const std::shared_ptr<sf::RenderWindow>& handle)
{
    for (const auto& component : components)
    {
        if (component->GetLayer() != layer)
            continue;
        // A plain sprite is placed as its Draw would and joins the run of sprites before it;
        // anything else is drawn over that run.
        RenderComponent& drawn = *component;
        if (typeid(drawn) == typeid(SpriteRenderComponent))
        {
            if (const sf::Sprite* sprite = static_cast<SpriteRenderComponent&>(drawn).Place();
                sprite && window)
                AddSprite(*sprite, *window);
            continue;
        }
        FlushSprites(window);
        component->Draw(handle);
    }
}

std::size_t RenderManager::GroundLayers() const
{
    std::size_t count = 0;
    bool tiles = false;
    for (const auto& [layer, visible] : layers)
    {
        bool groundOnly = true;
        for (const auto& component : components)
        {
            if (component->GetLayer() != layer)
                continue;
            const RenderComponent& drawn = *component;
            if (typeid(drawn) != typeid(TiledLayerComponent))
            {
                groundOnly = !visible;
                break;
            }
            tiles = tiles || visible;
        }
        if (!groundOnly)
            break;
        ++count;
    }
    return tiles ? count : 0;
}

std::vector<std::uintptr_t> RenderManager::GroundKey(const sf::RenderWindow& window,
                                                     std::size_t groundLayers) const
{
    std::vector<std::uintptr_t> key;
    const auto bits = [](float value)
    {
        std::uint32_t word = 0;
        std::memcpy(&word, &value, sizeof word);
        return static_cast<std::uintptr_t>(word);
    };
    const sf::View& view = window.getView();
    key.push_back(window.getSize().x);
    key.push_back(window.getSize().y);
    for (const float value : {view.getCenter().x, view.getCenter().y, view.getSize().x, view.getSize().y,
                              view.getRotation(), view.getViewport().left, view.getViewport().top,
                              view.getViewport().width, view.getViewport().height})
        key.push_back(bits(value));
    for (std::size_t i = 0; i < groundLayers; ++i)
    {
        const auto& [layer, visible] = layers[i];
        key.push_back(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(layer)));
        key.push_back(visible ? 1u : 0u);
        for (const auto& component : components)
        {
            if (component->GetLayer() != layer)
                continue;
            const auto& tiles = static_cast<const TiledLayerComponent&>(*component);
            key.push_back(reinterpret_cast<std::uintptr_t>(&tiles));
            key.push_back(tiles.GetOwner()->alive ? 1u : 0u);
            key.push_back(tiles.tiles.size());
            key.push_back(reinterpret_cast<std::uintptr_t>(tiles.tiles.data()));
        }
    }
    return key;
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
