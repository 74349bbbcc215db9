#include "gameplay/MapChecker.hpp"

#include "services/AssetFiles.hpp"
#include "services/AssetTable.hpp"
#include "tiled/TiledMap.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <sstream>

namespace
{
int WholePixels(double value)
{
    if (!std::isfinite(value))
        return 0;
    constexpr double limit = 1 << 24;
    return static_cast<int>(std::max(-limit, std::min(limit, value)));
}

std::string Number(double value)
{
    if (std::trunc(value) == value && std::abs(value) < 1e15)
        return std::to_string(static_cast<long long>(value));
    std::ostringstream text;
    text << value;
    return text.str();
}

const char* KindName(LevelObject::Kind kind)
{
    switch (kind)
    {
    case LevelObject::Kind::Base:
        return "Base";
    case LevelObject::Kind::Waypoint:
        return "Waypoint";
    case LevelObject::Kind::Spawner:
        return "Spawner";
    case LevelObject::Kind::Obstacle:
        return "Obstacle";
    }
    return "Object";
}

// Collects the lines of a plan: at most MaxLinesPerFinding of each kind, then one line that
// counts the rest.
class Findings
{
public:
    Findings(LevelPlan& plan, std::string mapName) : plan(plan), mapName(std::move(mapName)) {}
    ~Findings()
    {
        for (const auto& [kind, count] : counts)
            if (count > MapLimits::MaxLinesPerFinding)
                plan.findings.push_back(mapName + ": " +
                                        std::to_string(count - MapLimits::MaxLinesPerFinding) +
                                        " more lines like the above about " + kind);
    }
    Findings(const Findings&) = delete;
    Findings& operator=(const Findings&) = delete;

    // A line about the map as a whole.
    void Add(const std::string& kind, const std::string& text)
    {
        if (++counts[kind] <= MapLimits::MaxLinesPerFinding)
            plan.findings.push_back(mapName + ": " + text);
    }
    // A line about one object: its kind, id, name and map position.
    void Add(const std::string& kind, const LevelObject& object, const std::string& text)
    {
        std::string who = std::string(KindName(object.kind)) + " " + std::to_string(object.id);
        if (!object.name.empty())
            who += " \"" + object.name + "\"";
        Add(kind, who + " at (" + std::to_string(object.x) + ", " + std::to_string(object.y) + "): " + text);
    }
    // A line that keeps the level from being played.
    void Refuse(const std::string& text)
    {
        plan.playable = false;
        plan.refusals.push_back(mapName + ": " + text);
        Add("the level as a whole", text);
    }

private:
    LevelPlan& plan;
    std::string mapName;
    std::map<std::string, std::size_t> counts;
};

// Properties of one object, read as the game reads them: a recognised property stored with
// another Tiled type keeps its default, with one line.
class PropertyReader
{
public:
    PropertyReader(const tmj::Object& source, const LevelObject& object, Findings& findings)
        : source(source), object(object), findings(findings)
    {
    }

    std::int32_t Int(const std::string& name, std::int32_t fallback) const
    {
        if (!source.properties.Find(name))
            return fallback;
        const auto value = source.properties.GetInt(name);
        if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
            *value > std::numeric_limits<std::int32_t>::max())
            return WrongType(name, "int", fallback);
        return static_cast<std::int32_t>(*value);
    }
    // Empty when absent.
    std::optional<double> Float(const std::string& name, double fallback) const
    {
        const tmj::Property* property = source.properties.Find(name);
        if (!property)
            return std::nullopt;
        if (property->type != tmj::PropertyType::Float || !property->valid ||
            !std::isfinite(property->floatValue))
            return WrongType(name, "float", fallback);
        return property->floatValue;
    }
    std::string String(const std::string& name, const std::string& fallback) const
    {
        const tmj::Property* property = source.properties.Find(name);
        if (!property)
            return fallback;
        if (property->type != tmj::PropertyType::String || !property->valid)
            return WrongType(name, "string", fallback);
        return property->stringValue;
    }
    void OutOfRange(const std::string& name, const std::string& value, const std::string& range,
                    const std::string& used) const
    {
        findings.Add("properties out of range", object,
                     "\"" + name + "\" " + value + " is out of range " + range + "; using " + used);
    }

private:
    template <class T>
    T WrongType(const std::string& name, const char* expected, T fallback) const
    {
        findings.Add("properties of the wrong type", object,
                     "property \"" + name + "\" is not of type " + expected + "; using its default");
        return fallback;
    }

    const tmj::Object& source;
    const LevelObject& object;
    Findings& findings;
};

void ReadBase(LevelObject& base, const PropertyReader& read, const MapCheckContext& context,
              Findings& findings)
{
    base.texture = read.String("Texture", "base");
    const double health = read.Float("Health", 500.).value_or(500.);
    // Read for their type only; they have no effect.
    (void)read.Int("TextureRectLeft", 0);
    (void)read.Int("TextureRectTop", 0);
    const double whole = std::trunc(health);
    const double bounded = std::clamp(whole, MapLimits::MinBaseHealth, MapLimits::MaxBaseHealth);
    if (bounded != whole)
        read.OutOfRange("Health", Number(health), "1-" + Number(MapLimits::MaxBaseHealth), Number(bounded));
    base.health = static_cast<std::uint32_t>(bounded);
    if (context.textureSize && base.texture != "base" && !context.textureSize(base.texture))
    {
        findings.Add("base pictures", base,
                     "\"Texture\" \"" + base.texture + "\" is no texture of the game; using \"base\"");
        base.texture = "base";
    }
}

void ReadSpawner(LevelObject& spawner, const PropertyReader& read)
{
    const std::int32_t waveSize = read.Int("WaveSize", 10);
    spawner.waveSize = std::clamp(waveSize, MapLimits::MinWaveSize, MapLimits::MaxWaveSize);
    if (spawner.waveSize != waveSize)
        read.OutOfRange("WaveSize", std::to_string(waveSize),
                        std::to_string(MapLimits::MinWaveSize) + "-" + std::to_string(MapLimits::MaxWaveSize),
                        std::to_string(spawner.waveSize));

    const std::int32_t middle = read.Int("MiddleEnemy", 3);
    spawner.middleEnemy = std::max(middle, 1);
    if (spawner.middleEnemy != middle)
        read.OutOfRange("MiddleEnemy", std::to_string(middle), "from wave 1", "1");
    const std::int32_t hard = read.Int("HardEnemy", 6);
    spawner.hardEnemy = std::max(hard, spawner.middleEnemy);
    if (spawner.hardEnemy != hard)
        read.OutOfRange("HardEnemy", std::to_string(hard),
                        "from \"MiddleEnemy\" (" + std::to_string(spawner.middleEnemy) + ") on",
                        std::to_string(spawner.hardEnemy));

    const std::optional<double> rate = read.Float("SpawnRate", 0.);
    const double given = rate.value_or(0.);
    const std::string range = "above 0 up to " + Number(MapLimits::MaxSpawnRate) + " s";
    const std::string fallback = Number(MapLimits::FallbackSpawnRate) + " s";
    if (!rate)
    {
        read.OutOfRange("SpawnRate", "(missing)", range, fallback);
        spawner.spawnRate = MapLimits::FallbackSpawnRate;
    }
    else if (given <= 0.)
    {
        read.OutOfRange("SpawnRate", Number(given), range, fallback);
        spawner.spawnRate = MapLimits::FallbackSpawnRate;
    }
    else if (given > MapLimits::MaxSpawnRate)
    {
        read.OutOfRange("SpawnRate", Number(given), range, Number(MapLimits::MaxSpawnRate) + " s");
        spawner.spawnRate = MapLimits::MaxSpawnRate;
    }
    else
    {
        spawner.spawnRate = static_cast<float>(given);
    }
}

// The base's collision box as the game makes it: its picture's size, centred on the object (the
// map rectangle when the picture has no size).
sf::Vector2f BoxSize(const LevelObject& base, const MapCheckContext& context)
{
    std::optional<sf::Vector2u> size;
    if (context.textureSize)
        size = context.textureSize(base.texture);
    if (size && size->x > 0 && size->y > 0)
        return {static_cast<float>(size->x), static_cast<float>(size->y)};
    return {static_cast<float>(base.w), static_cast<float>(base.h)};
}

bool Inside(sf::Vector2f point, sf::Vector2f centre, sf::Vector2f size)
{
    return std::abs(point.x - centre.x) <= size.x / 2.f && std::abs(point.y - centre.y) <= size.y / 2.f;
}

std::string At(sf::Vector2f point)
{
    return "(" + Number(point.x) + ", " + Number(point.y) + ")";
}

void CheckPath(const LevelPlan& plan, const MapCheckContext& context, Findings& findings)
{
    std::vector<const LevelObject*> path;
    std::vector<const LevelObject*> bases;
    for (const auto& object : plan.objects)
    {
        if (object.kind == LevelObject::Kind::Waypoint)
            path.push_back(&object);
        if (object.kind == LevelObject::Kind::Base)
            bases.push_back(&object);
    }
    // The path's order, as the game sorts it: by index, equal indices in map order.
    std::stable_sort(path.begin(), path.end(),
                     [](const auto* a, const auto* b) { return a->index < b->index; });
    if (path.empty())
    {
        findings.Refuse("no \"Waypoint\" object: enemies would have no path to walk");
        return;
    }
    if (path.size() < 2)
        findings.Add("the path", "only one waypoint: enemies walk straight from their spawner to it");
    for (std::size_t i = 1; i < path.size(); ++i)
    {
        const LevelObject& before = *path[i - 1];
        const LevelObject& here = *path[i];
        if (here.index == before.index)
            findings.Add("waypoint indices", here,
                         "index " + std::to_string(here.index) + " is also waypoint " +
                             std::to_string(before.id) + "'s; the map's order decides which comes first");
        if (here.Centre() == before.Centre())
            findings.Add("waypoints on top of each other", here,
                         "lies on waypoint " + std::to_string(before.id) + " at " + At(here.Centre()));
    }
    const sf::Vector2f end = path.back()->Centre();
    const bool reachesBase = std::any_of(bases.begin(), bases.end(),
                                         [&](const LevelObject* base)
                                         { return Inside(end, base->Centre(), BoxSize(*base, context)); });
    if (!bases.empty() && !reachesBase)
        findings.Refuse("the path ends at " + At(end) +
                        ", outside the base: enemies would stop there and never reach it");
}

// The tile layers as the game draws them: top-level layers only. Past the cell budget the tiles
// are not looked at one by one.
void CheckTiles(const tmj::Map& map, Findings& findings)
{
    std::uint64_t cells = 0;
    for (const auto& layer : map.layers)
        if (layer.type == tmj::LayerType::TileLayer)
            cells += layer.data.size();
    if (cells > MapLimits::MaxLevelCells)
    {
        findings.Refuse("its tile layers hold " + std::to_string(cells) +
                        " cells, more than the level budget of " + std::to_string(MapLimits::MaxLevelCells));
        return;
    }
    std::uint64_t drawn = 0;
    for (const auto& layer : map.layers)
    {
        if (layer.type != tmj::LayerType::TileLayer || layer.width <= 0)
            continue;
        std::size_t unknown = 0;
        std::size_t first = 0;
        std::uint32_t firstId = 0;
        for (std::size_t i = 0; i < layer.data.size(); ++i)
        {
            const std::uint32_t id = tmj::TileId(layer.data[i]);
            if (id == 0)
                continue;
            if (map.FindTileset(id))
            {
                ++drawn;
                continue;
            }
            if (unknown++ == 0)
                first = i, firstId = id;
        }
        if (unknown == 0)
            continue;
        const auto width = static_cast<std::size_t>(layer.width);
        findings.Add("tile ids",
                     "layer \"" + layer.name + "\": " + std::to_string(unknown) +
                         (unknown == 1 ? " tile has an id beyond every tileset and is not drawn"
                                       : " tiles have ids beyond every tileset and are not drawn") +
                         " (the first at column " + std::to_string(first % width) + ", row " +
                         std::to_string(first / width) + ": id " + std::to_string(firstId) + ")");
    }
    if (drawn > MapLimits::MaxTilesDrawn)
        findings.Refuse(std::to_string(drawn) + " tiles would be drawn, more than the level budget of " +
                        std::to_string(MapLimits::MaxTilesDrawn));
}

void CheckTilesets(const tmj::Map& map, const std::string& mapName, const MapCheckContext& context,
                   Findings& findings)
{
    const std::filesystem::path folder = std::filesystem::path(mapName).parent_path();
    std::set<std::string> seen;
    for (const auto& tileset : map.tilesets)
    {
        const std::string who = "tileset \"" + tileset.name + "\"";
        if (tileset.image.empty())
        {
            findings.Add("tileset images", who + " has no image (a collection of images is not drawn)");
            continue;
        }
        const std::string path = (folder / tileset.imageRelativeToMap).string();
        if (!seen.insert(path).second)
            continue;
        std::error_code error;
        const auto sides = ImageSides(path);
        if (!std::filesystem::exists(path, error))
            findings.Add("tileset images", who + ": its image \"" + path + "\" is missing");
        else if (!sides)
            findings.Add("tileset images",
                         who + ": its image \"" + path + "\" is no regular PNG, JPEG or BMP file");
        else if (sides->x > context.maxTileSheetSide || sides->y > context.maxTileSheetSide)
            findings.Add("tileset images", who + ": its image \"" + path + "\" is " +
                                               std::to_string(sides->x) + " x " + std::to_string(sides->y) +
                                               " pixels, more than " +
                                               std::to_string(context.maxTileSheetSide) + " x " +
                                               std::to_string(context.maxTileSheetSide));
    }
}
} // namespace

sf::Vector2f LevelObject::Centre() const
{
    return {static_cast<float>(x + w / 2), static_cast<float>(y + h / 2)};
}

LevelPlan PlanLevel(const tmj::Map& map, const MapCheckContext& context)
{
    LevelPlan plan;
    if (map.status != tmj::Status::OK)
    {
        plan.parsed = false;
        plan.playable = false;
        plan.findings.push_back(map.message);
        plan.refusals.push_back(map.message);
        return plan;
    }
    {
        Findings findings(plan, context.mapName);
        for (const auto& warning : map.warnings)
            plan.findings.push_back(warning);

        if (map.tileWidth > MapLimits::MaxTileSide || map.tileHeight > MapLimits::MaxTileSide)
            findings.Refuse("its tiles are " + std::to_string(map.tileWidth) + " x " +
                            std::to_string(map.tileHeight) + " pixels, more than the " +
                            std::to_string(MapLimits::MaxTileSide) + " x " +
                            std::to_string(MapLimits::MaxTileSide) + " a tile may have");
        // In 64 bits: the reader takes any positive int for a tile's side.
        const std::int64_t mapWidth = std::int64_t{map.width} * map.tileWidth;
        const std::int64_t mapHeight = std::int64_t{map.height} * map.tileHeight;
        std::map<LevelObject::Kind, std::size_t> counts;
        const std::map<LevelObject::Kind, std::size_t> limits = {
            {LevelObject::Kind::Base, MapLimits::MaxBases},
            {LevelObject::Kind::Waypoint, MapLimits::MaxWaypoints},
            {LevelObject::Kind::Spawner, MapLimits::MaxSpawners},
            {LevelObject::Kind::Obstacle, MapLimits::MaxObstacles},
        };
        // Top-level layers only, objects in map order: the order the game creates them in.
        for (const auto& layer : map.layers)
        {
            for (const auto& source : layer.objects)
            {
                LevelObject object;
                if (source.type == "Base")
                    object.kind = LevelObject::Kind::Base;
                else if (source.type == "Waypoint")
                    object.kind = LevelObject::Kind::Waypoint;
                else if (source.type == "Spawner")
                    object.kind = LevelObject::Kind::Spawner;
                else if (source.type == "Obstacle")
                    object.kind = LevelObject::Kind::Obstacle;
                else
                    continue;
                if (++counts[object.kind] > limits.at(object.kind))
                    continue;
                object.id = source.id;
                object.name = source.name;
                object.x = WholePixels(source.x);
                object.y = WholePixels(source.y);
                object.w = WholePixels(source.width);
                object.h = WholePixels(source.height);
                const PropertyReader read(source, object, findings);
                switch (object.kind)
                {
                case LevelObject::Kind::Base:
                    ReadBase(object, read, context, findings);
                    break;
                case LevelObject::Kind::Waypoint:
                    object.index = read.Int("Waypoint", 0);
                    break;
                case LevelObject::Kind::Spawner:
                    ReadSpawner(object, read);
                    break;
                case LevelObject::Kind::Obstacle:
                    break;
                }
                const bool outside = object.x < 0 || object.y < 0 || object.x + object.w > mapWidth ||
                                     object.y + object.h > mapHeight;
                if (outside && mapWidth > 0 && mapHeight > 0)
                    findings.Add("objects outside the map", object,
                                 "lies outside the map (" + std::to_string(mapWidth) + " x " +
                                     std::to_string(mapHeight) + " pixels)");
                plan.objects.push_back(std::move(object));
            }
        }

        const auto count = [&](LevelObject::Kind kind)
        {
            const auto found = counts.find(kind);
            return found == counts.end() ? std::size_t{0} : found->second;
        };
        if (count(LevelObject::Kind::Base) == 0)
            findings.Refuse("no \"Base\" object: there is nothing to defend and the game could never end");
        else if (count(LevelObject::Kind::Base) > 1)
            findings.Add("the level as a whole",
                         std::to_string(count(LevelObject::Kind::Base)) +
                             " \"Base\" objects: the game is lost when any one falls");
        if (count(LevelObject::Kind::Spawner) == 0)
            findings.Refuse("no \"Spawner\" object: no enemy would ever come");
        for (const auto& [kind, limit] : limits)
        {
            if (count(kind) <= limit)
                continue;
            const std::string many = std::to_string(count(kind)) + " \"" + KindName(kind) +
                                     "\" objects, more than " + std::to_string(limit);
            if (kind == LevelObject::Kind::Waypoint)
                findings.Refuse(many + ": the level is refused");
            else
                findings.Add("the level as a whole",
                             many + ": only the first " + std::to_string(limit) + " are used");
        }
        if (count(LevelObject::Kind::Waypoint) <= MapLimits::MaxWaypoints)
            CheckPath(plan, context, findings);
        CheckTiles(map, findings);
        if (context.checkTilesetImages)
            CheckTilesets(map, context.mapName, context, findings);
    }
    return plan;
}

LevelPlan CheckMapFile(const std::filesystem::path& file)
{
    return CheckMap(tmj::Parse(file), file);
}

LevelPlan CheckMap(const tmj::Map& map, const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.parent_path();
    MapCheckContext context;
    context.mapName = file.string();
    context.maxTileSheetSide = AssetLimits::MaxTileSheetSide;
    context.textureSize = [&](const std::string& key) -> std::optional<sf::Vector2u>
    {
        std::string path;
        if (const TextureFile* texture = FindGameTexture(key))
        {
            // Beside the map, else in the folder above: a level in the assets' levels folder
            // shows the game's own pictures.
            std::error_code error;
            path = (folder / texture->file).string();
            if (!std::filesystem::exists(path, error))
                path = (folder / ".." / texture->file).lexically_normal().string();
        }
        for (const auto& tileset : map.tilesets)
            if (path.empty() && tileset.name == key)
                path = (folder / tileset.imageRelativeToMap).string();
        if (path.empty())
            return std::nullopt;
        return ImageSides(path).value_or(sf::Vector2u());
    };
    return PlanLevel(map, context);
}
