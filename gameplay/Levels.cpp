#include "gameplay/Levels.hpp"

#include "services/AssetManager.hpp"
#include "services/AssetsLocation.hpp"
#include "tiled/TiledMap.hpp"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/System/Err.hpp>

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace
{
// The shipped map has no "Name" property, and its file must stay as it is.
constexpr const char* FirstLevelName = "Varnhold Road";
// A name longer than this is cut (at a character's boundary): it has to fit on a card.
constexpr std::size_t MaxNameBytes = 48;
// The map is drawn whole at most this large before it is scaled down to the picture.
constexpr float MaxDrawnSide = 2048.f;

std::string Shortened(std::string text)
{
    if (text.size() <= MaxNameBytes)
        return text;
    std::size_t end = MaxNameBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u)
        --end;
    text.resize(end);
    return text + "...";
}

std::string NameOf(const tmj::Map& map, const LevelId& id)
{
    if (id.key == FirstLevelKey)
        return FirstLevelName;
    if (const auto name = map.properties.GetString("Name"); name && !name->empty())
        return Shortened(*name);
    return Shortened(fs::path(id.file).stem().string());
}

float Distance(sf::Vector2f a, sf::Vector2f b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// The road an enemy walks: from its spawner to the first waypoint, then along the path in the
// game's order (by index, equal indices in map order). The farthest spawner counts.
float RoadLength(const LevelPlan& plan)
{
    std::vector<const LevelObject*> path;
    for (const auto& object : plan.objects)
        if (object.kind == LevelObject::Kind::Waypoint)
            path.push_back(&object);
    std::stable_sort(path.begin(), path.end(),
                     [](const auto* a, const auto* b) { return a->index < b->index; });
    if (path.empty())
        return 0.f;
    float length = 0.f;
    for (std::size_t i = 1; i < path.size(); ++i)
        length += Distance(path[i - 1]->Centre(), path[i]->Centre());
    float approach = 0.f;
    for (const auto& object : plan.objects)
        if (object.kind == LevelObject::Kind::Spawner)
            approach = std::max(approach, Distance(object.Centre(), path.front()->Centre()));
    return length + approach;
}

// Tileset images, read once per listing however many levels name them.
using ImageCache = std::map<std::string, std::shared_ptr<sf::Texture>>;

const sf::Texture* TilesetImage(const tmj::Tileset& tileset, const fs::path& folder, ImageCache& cache)
{
    const std::string path = (folder / tileset.imageRelativeToMap).lexically_normal().string();
    auto& texture = cache[path];
    if (!texture)
    {
        std::string problem;
        texture = AssetManager::instance().ReadTexture(path, AssetLimits::MaxTileSheetSide, problem);
        if (!problem.empty())
            sf::err() << "Failed to load image " << std::quoted(path) << ": " << problem << std::endl;
    }
    return texture->getSize().x > 0 ? texture.get() : nullptr;
}

// One quad per tile, mirrored and turned as its flags say.
void AddTile(sf::VertexArray& quads, sf::FloatRect cell, sf::FloatRect source, std::uint32_t gid)
{
    sf::Vector2f corners[4] = {{source.left, source.top},
                               {source.left + source.width, source.top},
                               {source.left + source.width, source.top + source.height},
                               {source.left, source.top + source.height}};
    if (gid & tmj::FlipDiagonal)
        std::swap(corners[1], corners[3]);
    if (gid & tmj::FlipHorizontal)
        std::swap(corners[0], corners[1]), std::swap(corners[3], corners[2]);
    if (gid & tmj::FlipVertical)
        std::swap(corners[0], corners[3]), std::swap(corners[1], corners[2]);
    const sf::Vector2f at[4] = {{cell.left, cell.top},
                                {cell.left + cell.width, cell.top},
                                {cell.left + cell.width, cell.top + cell.height},
                                {cell.left, cell.top + cell.height}};
    for (int i = 0; i < 4; ++i)
        quads.append(sf::Vertex(at[i], corners[i]));
}

void DrawTiles(sf::RenderTarget& target, const tmj::Map& map, const fs::path& folder, ImageCache& cache)
{
    std::vector<const tmj::Layer*> layers;
    for (const auto& layer : map.layers)
        if (layer.type == tmj::LayerType::TileLayer && layer.visible && layer.width > 0)
            layers.push_back(&layer);
    // In the order the game draws them: by "RenderOrder", equal ones in map order.
    std::stable_sort(layers.begin(), layers.end(),
                     [](const tmj::Layer* a, const tmj::Layer* b)
                     {
                         return a->properties.GetInt("RenderOrder").value_or(0) <
                                b->properties.GetInt("RenderOrder").value_or(0);
                     });
    const auto tileWidth = static_cast<float>(map.tileWidth), tileHeight = static_cast<float>(map.tileHeight);
    for (const tmj::Layer* layer : layers)
    {
        std::map<const sf::Texture*, sf::VertexArray> byImage;
        const auto width = static_cast<std::size_t>(layer->width);
        for (std::size_t i = 0; i < layer->data.size(); ++i)
        {
            const std::uint32_t gid = layer->data[i];
            const std::uint32_t id = tmj::TileId(gid);
            const tmj::Tileset* tileset = id != 0 ? map.FindTileset(id) : nullptr;
            const sf::Texture* image = tileset ? TilesetImage(*tileset, folder, cache) : nullptr;
            if (!image)
                continue;
            const std::uint32_t columns = image->getSize().x / static_cast<unsigned>(map.tileWidth);
            if (columns == 0)
                continue;
            const std::uint32_t local = id - tileset->firstGid;
            const sf::FloatRect source(static_cast<float>(local % columns) * tileWidth,
                                       static_cast<float>(local / columns) * tileHeight, tileWidth,
                                       tileHeight);
            const sf::FloatRect cell(static_cast<float>(i % width) * tileWidth,
                                     static_cast<float>(i / width) * tileHeight, tileWidth, tileHeight);
            auto& quads = byImage[image];
            quads.setPrimitiveType(sf::Quads);
            AddTile(quads, cell, source, gid);
        }
        for (const auto& [image, quads] : byImage)
            target.draw(quads, sf::RenderStates(image));
    }
}

// The keep's picture and a marker on each spawner, so the card shows where enemies come from and
// where they go.
void DrawObjects(sf::RenderTarget& target, const LevelPlan& plan, float mapSide)
{
    const auto& textures = AssetManager::instance().textures;
    for (const auto& object : plan.objects)
    {
        if (object.kind == LevelObject::Kind::Base)
        {
            const auto found = textures.find(object.texture);
            if (found == textures.end() || found->second->getSize().x == 0)
                continue;
            sf::Sprite keep(*found->second);
            keep.setOrigin(static_cast<float>(found->second->getSize().x) / 2.f,
                           static_cast<float>(found->second->getSize().y) / 2.f);
            keep.setPosition(object.Centre());
            target.draw(keep);
        }
        else if (object.kind == LevelObject::Kind::Spawner)
        {
            const float radius = mapSide / 48.f;
            sf::CircleShape marker(radius, 24);
            marker.setOrigin(radius, radius);
            marker.setPosition(object.Centre());
            marker.setFillColor(sf::Color(214, 69, 52));
            marker.setOutlineColor(sf::Color(250, 236, 200));
            marker.setOutlineThickness(radius / 3.f);
            target.draw(marker);
        }
    }
}

void MakeGrey(sf::Texture& texture)
{
    sf::Image image = texture.copyToImage();
    const sf::Vector2u size = image.getSize();
    for (unsigned y = 0; y < size.y; ++y)
        for (unsigned x = 0; x < size.x; ++x)
        {
            const sf::Color c = image.getPixel(x, y);
            const auto grey = static_cast<sf::Uint8>((c.r * 3 + c.g * 6 + c.b) / 10 / 2 + 40);
            image.setPixel(x, y, sf::Color(grey, grey, grey));
        }
    texture.update(image);
}

// The whole map drawn at its own size (at most MaxDrawnSide), then scaled into the picture with
// mipmaps, so that the small picture keeps the look of the tiles.
std::shared_ptr<sf::Texture> DrawPicture(const tmj::Map& map, const LevelPlan& plan, const fs::path& folder,
                                         sf::Vector2u size, ImageCache& cache)
{
    sf::RenderTexture picture;
    if (size.x == 0 || size.y == 0 || !picture.create(size.x, size.y))
        return nullptr;
    picture.clear(sf::Color(21, 27, 37));
    const float mapWidth = static_cast<float>(map.width) * static_cast<float>(map.tileWidth);
    const float mapHeight = static_cast<float>(map.height) * static_cast<float>(map.tileHeight);
    if (map.status == tmj::Status::OK && mapWidth > 0.f && mapHeight > 0.f)
    {
        const float scale = std::min(1.f, MaxDrawnSide / std::max(mapWidth, mapHeight));
        sf::RenderTexture whole;
        if (whole.create(static_cast<unsigned>(mapWidth * scale), static_cast<unsigned>(mapHeight * scale)))
        {
            whole.setView(sf::View(sf::FloatRect(0.f, 0.f, mapWidth, mapHeight)));
            whole.clear(sf::Color(21, 27, 37));
            DrawTiles(whole, map, folder, cache);
            DrawObjects(whole, plan, std::max(mapWidth, mapHeight));
            whole.display();
            sf::Texture drawn(whole.getTexture());
            drawn.setSmooth(true);
            (void)drawn.generateMipmap();
            // Keeps the map's shape, centred, with bars where the picture's shape differs.
            sf::Sprite sprite(drawn);
            const float fit = std::min(static_cast<float>(size.x) / static_cast<float>(drawn.getSize().x),
                                       static_cast<float>(size.y) / static_cast<float>(drawn.getSize().y));
            sprite.setScale(fit, fit);
            sprite.setPosition(
                (static_cast<float>(size.x) - static_cast<float>(drawn.getSize().x) * fit) / 2.f,
                (static_cast<float>(size.y) - static_cast<float>(drawn.getSize().y) * fit) / 2.f);
            picture.draw(sprite);
        }
    }
    picture.display();
    auto texture = std::make_shared<sf::Texture>(picture.getTexture());
    if (!plan.playable)
        MakeGrey(*texture);
    return texture;
}

LevelEntry Read(const LevelId& id, bool withPicture, sf::Vector2u pictureSize, ImageCache& cache)
{
    LevelEntry entry;
    entry.id = id;
    const tmj::Map map = tmj::Parse(id.file);
    entry.plan = CheckMap(map, id.file);
    entry.id.name = map.status == tmj::Status::OK ? NameOf(map, id) : NameOf(tmj::Map(), id);
    entry.tileSize = map.status == tmj::Status::OK ? map.tileWidth : 0;
    entry.spawners = static_cast<int>(std::count_if(entry.plan.objects.begin(), entry.plan.objects.end(),
                                                    [](const LevelObject& object)
                                                    { return object.kind == LevelObject::Kind::Spawner; }));
    entry.roadLength = RoadLength(entry.plan);
    if (withPicture)
        entry.picture = DrawPicture(map, entry.plan, fs::path(id.file).parent_path(), pictureSize, cache);
    return entry;
}

// The maps of the folders after the first level, by file name within each folder.
std::vector<LevelId> FolderLevels()
{
    std::vector<LevelId> found;
    std::set<std::string> keys = {FirstLevelKey};
    for (const fs::path& folder : LevelFolders())
    {
        std::error_code error;
        std::vector<fs::path> files;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        {
            if (it->path().extension() == ".tmj" && it->is_regular_file(error))
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
        {
            const std::string key = file.filename().string();
            if (keys.insert(key).second)
                found.push_back({key, file.string(), file.stem().string()});
        }
    }
    return found;
}
} // namespace

LevelId FirstLevel()
{
    return {FirstLevelKey, AssetPath(FirstLevelKey), FirstLevelName};
}

std::vector<fs::path> LevelFolders()
{
    std::vector<fs::path> folders = {AssetPath("levels")};
    if (!StateFolder().empty() && StateFolder() != DataFolder())
        folders.push_back(StatePath("levels"));
    return folders;
}

LevelEntry ReadLevel(const LevelId& id, bool withPicture, sf::Vector2u pictureSize)
{
    ImageCache cache;
    return Read(id, withPicture, pictureSize, cache);
}

std::vector<LevelEntry> ListLevels(bool withPictures, sf::Vector2u pictureSize)
{
    std::vector<LevelId> ids = {FirstLevel()};
    const std::vector<LevelId> others = FolderLevels();
    ids.insert(ids.end(), others.begin(), others.end());
    if (ids.size() > MaxListedLevels)
    {
        std::cout << "Levels: " << ids.size() << " maps found, only the first " << MaxListedLevels
                  << " are listed" << std::endl;
        ids.resize(MaxListedLevels);
    }
    ImageCache cache;
    std::vector<LevelEntry> levels;
    for (const LevelId& id : ids)
        levels.push_back(Read(id, withPictures, pictureSize, cache));
    return levels;
}

LevelId FindLevel(const std::string& key)
{
    for (const LevelId& id : FolderLevels())
        if (id.key == key)
            return ReadLevel(id, false).id;
    return FirstLevel();
}
