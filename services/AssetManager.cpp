#include "services/AssetManager.hpp"

#include "services/AssetTable.hpp"
#include "services/AssetsLocation.hpp"
#include "services/SoundManager.hpp"
#include "tiled/TiledMap.hpp"

#include <SFML/System/Err.hpp>

#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <set>
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

// Bytes as the lines about the budget say them: "32 MiB", "32.02 MiB", "16 KiB".
std::string MiB(std::uint64_t bytes)
{
    constexpr std::uint64_t mebibyte = std::uint64_t{1} << 20;
    if (bytes % mebibyte == 0)
        return std::to_string(bytes / mebibyte) + " MiB";
    if (bytes < mebibyte)
        return std::to_string((bytes + 1023) / 1024) + " KiB";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MiB", static_cast<double>(bytes) / static_cast<double>(mebibyte));
    return text;
}

// Decodes a checked image file into texture when it fits beside the held bytes of textures;
// why not goes to problem.
void DecodeTexture(sf::Texture& texture, const std::string& path, unsigned maxSide, std::uint64_t held,
                   std::string& problem)
{
    sf::Vector2u sides;
    const std::string bytes = ReadImageFile(path, AssetManager::TextureSideLimit(maxSide), problem, &sides);
    if (!problem.empty())
        return;
    const std::uint64_t decoded = std::uint64_t{4} * sides.x * sides.y;
    if (held + decoded > AssetLimits::MaxTextureBytes)
    {
        problem = "its " + std::to_string(sides.x) + " x " + std::to_string(sides.y) + " pixels (" +
                  MiB(decoded) + " decoded) would take the game's textures to " + MiB(held + decoded) +
                  ", past their budget of " + MiB(AssetLimits::MaxTextureBytes);
        return;
    }
    SfmlErrors errors;
    if (!texture.loadFromMemory(bytes.data(), bytes.size()))
        problem = errors.Reason();
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

std::shared_ptr<sf::Texture> AssetManager::ReadTexture(const std::string& path, unsigned maxSide,
                                                       std::string& problem) const
{
    auto texture = std::make_shared<sf::Texture>();
    DecodeTexture(*texture, path, maxSide, TextureBytes(), problem);
    return texture;
}

std::uint64_t AssetManager::TextureBytes() const
{
    std::set<const sf::Texture*> held;
    std::uint64_t bytes = 0;
    const auto count = [&](const sf::Texture* texture)
    {
        if (texture && held.insert(texture).second)
            bytes += std::uint64_t{4} * texture->getSize().x * texture->getSize().y;
    };
    for (const auto& [key, texture] : textures)
        count(texture.get());
    for (const auto& [path, texture] : texturesByPath)
        count(texture.get());
    for (const auto& [texture, mask] : masks)
        bytes += std::uint64_t{4} * mask->getSize().x * mask->getSize().y;
    return bytes;
}

std::uint64_t AssetManager::SoundSamples() const
{
    std::set<const sf::SoundBuffer*> held;
    std::uint64_t samples = 0;
    for (const auto& [key, buffer] : soundBuffers)
        if (buffer && held.insert(buffer.get()).second)
            samples += buffer->getSampleCount();
    return samples;
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

std::shared_ptr<const sf::Texture> AssetManager::SharedTexture(const std::string& path)
{
    if (const auto read = texturesByPath.find(path); read != texturesByPath.end())
        return read->second;
    std::string problem;
    auto texture = ReadTexture(path, AssetLimits::MaxSpriteSide, problem);
    if (!problem.empty())
        sf::err() << "Failed to load image " << std::quoted(path) << ": " << problem << std::endl;
    // A picture that failed is not read again on the next frame either.
    texturesByPath[path] = texture;
    return texture;
}

void AssetManager::LoadSound(const std::string& key, const std::string& path)
{
    // Without a device every SFML sound object would only add OpenAL errors.
    if (SoundManager::instance().silent || sounds.count(key) != 0)
        return;
    auto buffer = std::make_shared<sf::SoundBuffer>();
    std::string problem;
    std::uint64_t samples = 0;
    const std::string bytes = ReadSoundFile(path, problem, &samples);
    const std::uint64_t held = SoundSamples();
    if (problem.empty() && held + samples > AssetLimits::MaxSoundSamplesInAll)
        problem = "its " + std::to_string(samples) + " samples would take the game's sounds to " +
                  std::to_string(held + samples) + ", past their budget of " +
                  std::to_string(AssetLimits::MaxSoundSamplesInAll) + " samples";
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

void AssetManager::LoadTilesets(const std::shared_ptr<tmj::Map>& map, const std::filesystem::path& mapFolder)
{
    if (!map)
        return;
    for (const auto& tileset : map->tilesets)
    {
        const std::string path = (mapFolder / tileset.imageRelativeToMap).lexically_normal().string();
        const auto loadedFrom = tilesetImages.find(tileset.name);
        if (textures.count(tileset.name) != 0 &&
            (loadedFrom == tilesetImages.end() || loadedFrom->second == path))
            continue;
        tilesetImages[tileset.name] = path;
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
