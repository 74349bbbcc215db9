#pragma once
// Owns every texture, sound buffer and font, loaded once and looked up by short keys for the
// rest of the run. Nothing is ever unloaded.

#include "services/AssetFiles.hpp"
#include "services/AssetsLocation.hpp"

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <cstdint>
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

    // Loads (or reloads) a texture under key. Only a regular image file within the limits of
    // AssetFiles.hpp is decoded, with sides of at most maxSide (and the GPU's largest texture),
    // and only when it fits the texture budget beside what is held; anything else leaves an empty
    // texture and one line on sf::err(), "Failed to load image" with the path and why.
    void LoadTexture(const std::string& key, const std::string& path,
                     unsigned maxSide = AssetLimits::MaxSpriteSide);
    // Loads a sound key once; later calls with the same key do nothing. A WAV or OGG file whose
    // header disagrees with its size, or whose samples would pass the sound budget beside those
    // held, is refused with one line and stays silent. Without an audio device
    // (SoundManager::silent) nothing is loaded at all.
    void LoadSound(const std::string& key, const std::string& path);
    // A font that cannot be read is replaced by the system's Liberation Sans when there is one
    // (the same face as the game's), so that messages on screen stay readable; one line either way.
    void LoadFont(const std::string& key, const std::string& path);
    // Every tileset image of the map (its path seen from mapFolder, the map's folder) becomes a
    // texture keyed by the tileset's name, unless the key is already loaded from that image or is
    // one of the game's own; each image file is read once, however many tilesets name it. A
    // tileset of another level under a name loaded from another image gets its own image. Images
    // that cannot be read get one "Could not load texture" line with the reason.
    void LoadTilesets(const std::shared_ptr<tmj::Map>& map,
                      const std::filesystem::path& mapFolder = std::filesystem::path(DataFolder()));
    // A picture that is no texture key (the HUD's icons), read once per path within the limits
    // and the budget of LoadTexture and then shared; one that cannot be read is an empty texture.
    std::shared_ptr<const sf::Texture> SharedTexture(const std::string& path);
    // The largest side a texture may have here: limit, or less when the GPU takes less.
    static unsigned TextureSideLimit(unsigned limit);
    // What the budgets of AssetFiles.hpp count: the decoded bytes of every texture held (once,
    // however many keys share it) and of the collision copies, and the samples of every sound.
    std::uint64_t TextureBytes() const;
    std::uint64_t SoundSamples() const;

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

    // A new texture decoded from path within the limits and the budget (beside what is held), or
    // an empty one with the reason in problem. Not held: the level select's pictures draw from it
    // and let it go.
    std::shared_ptr<sf::Texture> ReadTexture(const std::string& path, unsigned maxSide,
                                             std::string& problem) const;

private:
    AssetManager() = default;
    sf::Texture missingTexture;
    // The texture last read from each path (tilesets naming one image share it).
    std::map<std::string, std::shared_ptr<sf::Texture>> texturesByPath;
    // The image each tileset key was loaded from.
    std::map<std::string, std::string> tilesetImages;
    std::map<const sf::Texture*, std::shared_ptr<const sf::Image>> masks;
};

// Loads the game's font, its textures and its sounds (services/AssetTable.hpp), in the table's
// order: what the game does at start.
void LoadGameAssets(AssetManager& assets);
