#pragma once
// Owns every texture, sound buffer and font, loaded once and looked up by short keys for the
// rest of the run. Nothing is ever unloaded.

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <map>
#include <memory>
#include <string>

namespace tmj
{
struct Map;
}

// A new sprite on the texture under key (the whole texture).
std::shared_ptr<sf::Sprite> SpriteOf(const std::string& key);

class AssetManager
{
public:
    static AssetManager& instance();

    // Loads (or reloads) a texture under key; a failed load leaves an empty texture and SFML's
    // own message on sf::err().
    void LoadTexture(const std::string& key, const std::string& path);
    // Loads a sound key once; later calls with the same key do nothing.
    void LoadSound(const std::string& key, const std::string& path);
    void LoadFont(const std::string& key, const std::string& path);
    // Every tileset image of the map becomes a texture keyed by the tileset's name, unless the
    // key is already loaded. Images that cannot be read get one "Could not load texture" line.
    void LoadTilesets(const std::shared_ptr<tmj::Map>& map);

    // The texture under key. A key that was never loaded gets one line on sf::err() and an empty
    // texture owned by the manager; no entry is created.
    const sf::Texture& GetTexture(const std::string& key);
    // The buffer under key, or an empty handle.
    std::shared_ptr<sf::SoundBuffer> GetSoundBuffer(const std::string& key) const;
    // The pixels of a texture for pixel-perfect collision, copied once per texture and shared.
    // Textures the manager does not own are copied on every call.
    std::shared_ptr<const sf::Image> GetMask(const sf::Texture* texture);

    std::map<std::string, std::shared_ptr<sf::Texture>> textures;
    std::map<std::string, std::shared_ptr<sf::SoundBuffer>> soundBuffers;
    std::map<std::string, std::shared_ptr<sf::Sound>> sounds;
    std::map<std::string, std::shared_ptr<sf::Font>> fonts;

private:
    AssetManager() = default;
    sf::Texture missingTexture;
    std::map<const sf::Texture*, std::shared_ptr<const sf::Image>> masks;
};
