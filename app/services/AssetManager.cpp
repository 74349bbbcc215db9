#include "app/services/AssetManager.hpp"

#include "app/services/AssetsLocation.hpp"
#include "tiled/TiledMap.hpp"

#include <SFML/System/Err.hpp>

#include <filesystem>
#include <iomanip>

std::shared_ptr<sf::Sprite> SpriteOf(const std::string& key)
{
    return std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture(key));
}

AssetManager& AssetManager::instance()
{
    static AssetManager manager;
    return manager;
}

void AssetManager::LoadTexture(const std::string& key, const std::string& path)
{
    auto texture = std::make_shared<sf::Texture>();
    (void)texture->loadFromFile(path);
    auto& slot = textures[key];
    if (slot)
        masks.erase(slot.get());
    slot = std::move(texture);
}

void AssetManager::LoadSound(const std::string& key, const std::string& path)
{
    if (sounds.count(key) != 0)
        return;
    auto buffer = std::make_shared<sf::SoundBuffer>();
    (void)buffer->loadFromFile(path);
    soundBuffers[key] = buffer;
    sounds[key] = std::make_shared<sf::Sound>(*buffer);
}

void AssetManager::LoadFont(const std::string& key, const std::string& path)
{
    auto font = std::make_shared<sf::Font>();
    (void)font->loadFromFile(path);
    fonts[key] = std::move(font);
}

void AssetManager::LoadTilesets(const std::shared_ptr<tmj::Map>& map)
{
    if (!map)
        return;
    for (const auto& tileset : map->tilesets)
    {
        if (textures.count(tileset.name) != 0)
            continue;
        const std::string path = (std::filesystem::path(AssetsFolder) / tileset.imageRelativeToMap).string();
        sf::Texture trial;
        if (!trial.loadFromFile(path))
            sf::err() << "Could not load texture " << std::quoted(path) << std::endl;
        LoadTexture(tileset.name, path);
    }
}

const sf::Texture& AssetManager::GetTexture(const std::string& key)
{
    const auto found = textures.find(key);
    if (found != textures.end())
        return *found->second;
    sf::err() << "No texture is loaded under the key " << std::quoted(key) << std::endl;
    return missingTexture;
}

std::shared_ptr<sf::SoundBuffer> AssetManager::GetSoundBuffer(const std::string& key) const
{
    const auto found = soundBuffers.find(key);
    return found != soundBuffers.end() ? found->second : nullptr;
}

std::shared_ptr<const sf::Image> AssetManager::GetMask(const sf::Texture* texture)
{
    if (!texture)
        return std::make_shared<const sf::Image>();
    if (const auto cached = masks.find(texture); cached != masks.end())
        return cached->second;
    for (const auto& [key, stored] : textures)
    {
        if (stored.get() == texture)
            return masks[texture] = std::make_shared<const sf::Image>(texture->copyToImage());
    }
    return std::make_shared<const sf::Image>(texture->copyToImage());
}
