#include "services/AssetManager.hpp"

#include "services/AssetTable.hpp"
#include "services/AssetsLocation.hpp"
#include "services/SoundManager.hpp"
#include "tiled/TiledMap.hpp"

#include <SFML/System/Err.hpp>

#include <filesystem>
#include <iomanip>
#include <sstream>

namespace
{
// Holds SFML's own error lines while a decoder runs, so that a failure is reported once, in our
// line that names the file.
class SfmlErrors
{
public:
    SfmlErrors() : previous(sf::err().rdbuf(text.rdbuf())) {}
    ~SfmlErrors() { sf::err().rdbuf(previous); }
    SfmlErrors(const SfmlErrors&) = delete;
    SfmlErrors& operator=(const SfmlErrors&) = delete;
    // What SFML said, on one line ("it cannot be decoded" when it said nothing).
    std::string Reason() const
    {
        std::string said = text.str();
        if (const auto at = said.find("Reason: "); at != std::string::npos)
            said = said.substr(at + 8);
        while (!said.empty() && (said.back() == '\n' || said.back() == ' ' || said.back() == '.'))
            said.pop_back();
        for (char& c : said)
            if (c == '\n')
                c = ' ';
        return said.empty() ? "it cannot be decoded" : "it cannot be decoded (" + said + ")";
    }

private:
    std::ostringstream text;
    std::streambuf* previous;
};

// Decodes a checked image file into texture; why not goes to problem.
void DecodeTexture(sf::Texture& texture, const std::string& path, unsigned maxSide, std::string& problem)
{
    const std::string bytes = ReadImageFile(path, AssetManager::TextureSideLimit(maxSide), problem);
    if (!problem.empty())
        return;
    SfmlErrors errors;
    if (!texture.loadFromMemory(bytes.data(), bytes.size()))
        problem = errors.Reason();
}

std::shared_ptr<sf::Texture> ReadTexture(const std::string& path, unsigned maxSide, std::string& problem)
{
    auto texture = std::make_shared<sf::Texture>();
    DecodeTexture(*texture, path, maxSide, problem);
    return texture;
}

// A font and the bytes it reads from: SFML reads a font's file lazily, for as long as it lives.
struct FontWithBytes
{
    std::string bytes;
    sf::Font font;
};

std::shared_ptr<sf::Font> ReadFont(const std::string& path, std::string& problem)
{
    auto holder = std::make_shared<FontWithBytes>();
    holder->bytes = ReadFontFile(path, problem);
    if (problem.empty())
    {
        SfmlErrors errors;
        if (!holder->font.loadFromMemory(holder->bytes.data(), holder->bytes.size()))
            problem = errors.Reason();
    }
    if (!problem.empty())
        return nullptr;
    return std::shared_ptr<sf::Font>(holder, &holder->font);
}

// Where Debian keeps the face the game's own font is a copy of.
constexpr const char* SystemFonts[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
};
} // namespace

bool LoadCheckedTexture(sf::Texture& texture, const std::string& path, unsigned maxSide)
{
    std::string problem;
    DecodeTexture(texture, path, maxSide, problem);
    if (!problem.empty())
        sf::err() << "Failed to load image " << std::quoted(path) << ": " << problem << std::endl;
    return problem.empty();
}

std::shared_ptr<sf::Sprite> SpriteOf(const std::string& key)
{
    return std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture(key));
}

AssetManager& AssetManager::instance()
{
    static AssetManager manager;
    return manager;
}

unsigned AssetManager::TextureSideLimit(unsigned limit)
{
    // Asking needs a GL context; the answer does not change during a run.
    static const unsigned gpu = sf::Texture::getMaximumSize();
    return gpu > 0 && gpu < limit ? gpu : limit;
}

void AssetManager::LoadTexture(const std::string& key, const std::string& path, unsigned maxSide)
{
    std::string problem;
    auto texture = ReadTexture(path, maxSide, problem);
    if (!problem.empty())
        sf::err() << "Failed to load image " << std::quoted(path) << ": " << problem << std::endl;
    else
        texturesByPath[path] = texture;
    auto& slot = textures[key];
    if (slot)
        masks.erase(slot.get());
    slot = std::move(texture);
}

void AssetManager::LoadSound(const std::string& key, const std::string& path)
{
    // Without a device every SFML sound object would only add OpenAL errors.
    if (SoundManager::instance().silent || sounds.count(key) != 0)
        return;
    auto buffer = std::make_shared<sf::SoundBuffer>();
    std::string problem;
    const std::string bytes = ReadSoundFile(path, problem);
    if (problem.empty())
    {
        SfmlErrors errors;
        if (!buffer->loadFromMemory(bytes.data(), bytes.size()))
            problem = errors.Reason();
    }
    if (!problem.empty())
        sf::err() << "Failed to open sound file " << std::quoted(path) << ": " << problem << std::endl;
    soundBuffers[key] = buffer;
    sounds[key] = std::make_shared<sf::Sound>(*buffer);
}

void AssetManager::LoadFont(const std::string& key, const std::string& path)
{
    std::string problem;
    auto font = ReadFont(path, problem);
    if (font)
    {
        fonts[key] = std::move(font);
        return;
    }
    std::string instead;
    for (const char* system : SystemFonts)
    {
        std::string ignored;
        if ((font = ReadFont(system, ignored)))
        {
            instead = system;
            break;
        }
    }
    sf::err() << "Failed to load font " << std::quoted(path) << ": " << problem
              << (instead.empty() ? "; text will not be drawn" : "; using " + instead + " instead")
              << std::endl;
    fonts[key] = font ? std::move(font) : std::make_shared<sf::Font>();
}

void AssetManager::LoadTilesets(const std::shared_ptr<tmj::Map>& map)
{
    if (!map)
        return;
    for (const auto& tileset : map->tilesets)
    {
        if (textures.count(tileset.name) != 0)
            continue;
        const std::string path = (std::filesystem::path(DataFolder()) / tileset.imageRelativeToMap).string();
        if (const auto read = texturesByPath.find(path); read != texturesByPath.end())
        {
            textures[tileset.name] = read->second;
            continue;
        }
        std::string problem;
        auto texture = ReadTexture(path, AssetLimits::MaxTileSheetSide, problem);
        if (!problem.empty())
            sf::err() << "Could not load texture " << std::quoted(path) << ": " << problem << std::endl;
        // A failed image is not read again for the next tileset that names it either.
        texturesByPath[path] = texture;
        textures[tileset.name] = std::move(texture);
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

void LoadGameAssets(AssetManager& assets)
{
    assets.LoadFont(GameFont.key, AssetPath(GameFont.file));
    for (const auto& texture : GameTextures)
        assets.LoadTexture(texture.key, AssetPath(texture.file), texture.maxSide);
    for (const auto& sound : GameSounds)
        assets.LoadSound(sound.key, AssetPath(sound.file));
}
