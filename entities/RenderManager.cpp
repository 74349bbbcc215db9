#include "entities/RenderManager.hpp"

#include "app/InputManager.hpp"
#include "entities/GameObjectManager.hpp"

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

void RenderManager::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    for (const auto& [layer, visible] : layers)
    {
        if (!visible)
            continue;
        for (const auto& component : components)
        {
            if (component->GetLayer() == layer)
                component->Draw(window);
        }
    }
    if (const auto camera = GameObjectManager::instance().camera)
        camera->Draw(window);
}

void RenderManager::EditLayers()
{
    auto& input = InputManager::instance();
    const int last = static_cast<int>(layers.size()) - 1;
    const auto selected = static_cast<std::size_t>(selectedLayer);
    if (input.IsActionPressed(5, editorPlayer))
    {
        if (selectedLayer < last)
            ++selectedLayer;
    }
    else if (input.IsActionPressed(6, editorPlayer))
    {
        if (selectedLayer > 0)
            --selectedLayer;
    }
    else if (input.IsActionPressed(7, editorPlayer))
    {
        if (selectedLayer >= 0 && selectedLayer <= last)
            layers[selected].second = !layers[selected].second;
    }
    else if (input.IsActionPressed(8, editorPlayer))
    {
        if (selectedLayer >= 0 && selectedLayer < last)
        {
            std::swap(layers[selected], layers[selected + 1]);
            ++selectedLayer;
        }
    }
    else if (input.IsActionPressed(9, editorPlayer))
    {
        if (selectedLayer >= 1 && selectedLayer <= last)
        {
            std::swap(layers[selected], layers[selected - 1]);
            --selectedLayer;
        }
    }
}
