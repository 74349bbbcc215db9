#include "entities/Component.hpp"

#include <algorithm>

void Component::Update(float)
{
}

void Component::PhysicsUpdate(float)
{
}

void RenderComponent::RaiseLayer(bool swap)
{
    if (swap)
    {
        if (layer == 2)
            layer = 4;
        else if (layer == 4)
            layer = 2;
        return;
    }
    if (layer >= 0 && layer <= 4)
        layer = (layer + 1) % 5;
}

void RenderComponent::LowerLayer(bool swap)
{
    if (swap)
    {
        RaiseLayer(true);
        return;
    }
    if (layer >= 0 && layer <= 4)
        layer = (layer + 4) % 5;
}

void ObservableComponent::AddObserver(std::shared_ptr<ObserverComponent> observer)
{
    observers.push_back(std::move(observer));
}

void ObservableComponent::RemoveObserver(std::shared_ptr<ObserverComponent> observer)
{
    auto it = std::find(observers.begin(), observers.end(), observer);
    if (it != observers.end())
        observers.erase(it);
}

void ObservableComponent::Notify()
{
    // A copy, so an observer may add or remove observers while it is told.
    const auto current = observers;
    for (const auto& observer : current)
        observer->OnNotify();
}
