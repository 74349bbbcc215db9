#include "entities/GameObjectManager.hpp"

GameObjectManager& GameObjectManager::instance()
{
    static GameObjectManager manager;
    return manager;
}

void GameObjectManager::AddGameObject(std::shared_ptr<GameObject> object)
{
    bool isCamera = false;
    for (const auto& component : object->components)
    {
        if (component->GetType() == ComponentType::Camera)
        {
            isCamera = true;
            break;
        }
    }
    object->id = nextId++;
    if (isCamera)
        camera = std::move(object);
    else
        objects.push_back(std::move(object));
}

std::list<std::shared_ptr<GameObject>> GameObjectManager::GetBases() const
{
    std::list<std::shared_ptr<GameObject>> bases;
    for (const auto& object : objects)
    {
        if (object->type == ObjectType::Base)
            bases.push_back(object);
    }
    return bases;
}

std::shared_ptr<GameObject> GameObjectManager::FindByName(const std::string& name) const
{
    for (const auto& object : objects)
    {
        if (object->name == name)
            return object;
    }
    return {};
}

void GameObjectManager::Clear()
{
    objects.clear();
    reclaimed.clear();
}
