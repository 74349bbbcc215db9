#include "gameplay/LevelLoader.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Waves.hpp"
#include "services/AssetManager.hpp"
#include "tiled/TiledMap.hpp"

#include <algorithm>
#include <cstdint>
#include <iostream>

namespace
{
// Origin at the integer half size, position at the centre of the map rectangle.
std::shared_ptr<GameObject> PlacedObject(int type, const std::string& name, const LevelObject& p)
{
    auto object = std::make_shared<GameObject>(type, name);
    object->setOrigin(static_cast<float>(p.w / 2), static_cast<float>(p.h / 2));
    object->setPosition(p.Centre());
    return object;
}

// The tile at cell (column, row), flipped as its flags say.
std::shared_ptr<sf::Sprite> TileSprite(const sf::Texture& texture, std::uint32_t gid, std::uint32_t localId,
                                       int tileWidth, int tileHeight, sf::Vector2f topLeft)
{
    const auto columns = static_cast<std::uint32_t>(static_cast<int>(texture.getSize().x) / tileWidth);
    sf::IntRect rect(0, 0, tileWidth, tileHeight);
    if (columns > 0)
    {
        rect.left = static_cast<int>(localId % columns) * tileWidth;
        rect.top = static_cast<int>(localId / columns) * tileHeight;
    }
    auto sprite = std::make_shared<sf::Sprite>(texture, rect);
    const bool h = (gid & tmj::FlipHorizontal) != 0, v = (gid & tmj::FlipVertical) != 0,
               d = (gid & tmj::FlipDiagonal) != 0;
    if (!h && !v && !d)
    {
        sprite->setPosition(topLeft);
        return sprite;
    }
    // Flips are applied about the tile's centre: the diagonal flip is a quarter turn of a
    // vertically mirrored tile; the other two mirror the result.
    const float halfW = static_cast<float>(tileWidth) / 2.f, halfH = static_cast<float>(tileHeight) / 2.f;
    sprite->setOrigin(halfW, halfH);
    sprite->setPosition(topLeft.x + halfW, topLeft.y + halfH);
    if (d)
    {
        sprite->setRotation(90.f);
        sprite->setScale(v ? -1.f : 1.f, h ? 1.f : -1.f);
    }
    else
    {
        sprite->setScale(h ? -1.f : 1.f, v ? -1.f : 1.f);
    }
    return sprite;
}

void FillTiles(TiledLayerComponent& component, const tmj::Map& map, const tmj::Layer& layer,
               sf::Vector2f placement)
{
    if (layer.type != tmj::LayerType::TileLayer || layer.width <= 0 || map.tileWidth <= 0 ||
        map.tileHeight <= 0)
        return;
    const std::size_t cells =
        std::min(layer.data.size(),
                 static_cast<std::size_t>(layer.width) * static_cast<std::size_t>(std::max(layer.height, 0)));
    const auto width = static_cast<std::size_t>(layer.width);
    for (std::size_t i = 0; i < cells; ++i)
    {
        const std::uint32_t gid = layer.data[i];
        const std::uint32_t id = tmj::TileId(gid);
        if (id == 0)
            continue;
        const tmj::Tileset* tileset = map.FindTileset(id);
        if (!tileset)
            continue;
        const sf::Texture& texture = AssetManager::instance().GetTexture(tileset->name);
        const sf::Vector2f topLeft(
            static_cast<float>(i % width) * static_cast<float>(map.tileWidth) + placement.x,
            static_cast<float>(i / width) * static_cast<float>(map.tileHeight) + placement.y);
        component.tiles.push_back(
            TileSprite(texture, gid, id - tileset->firstGid, map.tileWidth, map.tileHeight, topLeft));
    }
}
} // namespace

void CreateCamera(const sf::View& view, sf::Vector2f moveOffset)
{
    auto camera = std::make_shared<GameObject>(ObjectType::Camera);
    camera->AddComponent(
        std::make_shared<CameraComponent>(camera.get(), std::make_shared<sf::View>(view), moveOffset, 5));
    GameObjectManager::instance().AddGameObject(camera);
}

LevelPlan LoadMap(const std::filesystem::path& file, sf::Vector2f placement)
{
    auto map = std::make_shared<tmj::Map>(tmj::Parse(file));
    if (map->status != tmj::Status::OK)
    {
        std::cout << "Parse error: " << map->message << std::endl;
        map->layers.clear();
        map->tilesets.clear();
    }
    else
    {
        AssetManager::instance().LoadTilesets(map, file.parent_path());
    }

    MapCheckContext context;
    context.mapName = file.string();
    // The asset manager has read the tileset images and said what it could not load.
    context.checkTilesetImages = false;
    context.textureSize = [](const std::string& key) -> std::optional<sf::Vector2u>
    {
        const auto& textures = AssetManager::instance().textures;
        const auto found = textures.find(key);
        if (found == textures.end())
            return std::nullopt;
        return found->second->getSize();
    };
    LevelPlan plan = PlanLevel(*map, context);
    if (plan.parsed)
        for (const auto& line : plan.findings)
            std::cout << line << std::endl;

    // A level past the tile budgets (refused by the checker) builds no tiles: they would take the
    // memory the budgets keep it from. Any other level builds them, played or not.
    std::uint64_t cells = 0, drawn = 0;
    for (const auto& layer : map->layers)
        if (layer.type == tmj::LayerType::TileLayer)
            for (const std::uint32_t gid : layer.data)
                ++cells, drawn += tmj::TileId(gid) != 0 ? 1u : 0u;
    const bool tilesFit = cells <= MapLimits::MaxLevelCells && drawn <= MapLimits::MaxTilesDrawn &&
                          map->tileWidth <= MapLimits::MaxTileSide &&
                          map->tileHeight <= MapLimits::MaxTileSide;

    auto tileMap = std::make_shared<GameObject>(ObjectType::TileMap);
    for (const auto& layer : map->layers)
    {
        const auto order = layer.properties.GetInt("RenderOrder");
        auto component =
            std::make_shared<TiledLayerComponent>(tileMap.get(), order ? static_cast<int>(*order) : 0);
        if (tilesFit)
            FillTiles(*component, *map, layer, placement);
        tileMap->AddComponent(component);
        RenderManager::instance().AddRenderComponent(component);
    }
    GameObjectManager::instance().AddGameObject(tileMap);
    CreateMapObjects(plan);
    return plan;
}

void CreateMapObjects(const LevelPlan& plan)
{
    std::vector<GameplayManager::Waypoint> path;
    for (const auto& object : plan.objects)
    {
        switch (object.kind)
        {
        case LevelObject::Kind::Base:
            CreateBase(object);
            break;
        case LevelObject::Kind::Waypoint:
            CreateWaypoint(object);
            path.push_back({object.index, object.Centre()});
            break;
        case LevelObject::Kind::Spawner:
            CreateSpawner(object);
            break;
        case LevelObject::Kind::Obstacle:
            CreateObstacle(object);
            break;
        }
    }
    // Sorted once: by index, equal indices in map order; then each one joins the end of the path.
    std::stable_sort(path.begin(), path.end(),
                     [](const auto& a, const auto& b) { return a.index < b.index; });
    for (const auto& waypoint : path)
        GameplayManager::instance().AddWaypoint(waypoint.index, waypoint.position);
}

void CreateBase(const LevelObject& object)
{
    auto base = PlacedObject(ObjectType::Base, "Base", object);
    auto sprite = std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture(object.texture));
    auto render = std::make_shared<SpriteRenderComponent>(base.get(), WorldLayer, sprite);
    sprite->setScale(1.f, 1.f);

    const sf::FloatRect bounds = sprite->getGlobalBounds();
    const sf::Vector2f at = base->getPosition();
    const sf::FloatRect box(at.x - 0.5f * bounds.width, at.y - 0.5f * bounds.height, bounds.width,
                            bounds.height);

    auto status = std::make_shared<StatusComponent>(base.get());
    status->health = object.health;
    status->maxHealth = object.health;
    auto upgrade = std::make_shared<UpgradeStateComponent>(base.get(), 1, true, 0);
    auto body = std::make_shared<RigidBodyComponent>(base.get());
    auto collider = std::make_shared<BoxCollisionComponent>(base.get(), body, box);

    base->AddComponent(status);
    base->AddComponent(upgrade);
    base->AddComponent(body);
    base->AddComponent(collider);
    base->AddComponent(render);

    GameObjectManager::instance().AddGameObject(base);
    PhysicsManager::instance().AddRigidBody(body, "Base");
    PhysicsManager::instance().AddCollider(collider, "Base");
    RenderManager::instance().AddRenderComponent(render);
}

void CreateWaypoint(const LevelObject& object)
{
    GameObjectManager::instance().AddGameObject(PlacedObject(ObjectType::Waypoint, "Default", object));
}

void CreateSpawner(const LevelObject& object)
{
    auto spawnerObject = PlacedObject(ObjectType::Spawner, "Default", object);
    // The difficulty bends the map's numbers; on Normal they stay exactly as the map gives them.
    const DifficultyNumbers& difficulty = DifficultyOf(GameplayManager::instance().difficulty);
    std::int32_t middleEnemy = object.middleEnemy, hardEnemy = object.hardEnemy;
    if (difficulty.middleWaveShift != 0 || difficulty.hardWaveShift != 0)
    {
        middleEnemy = std::max(middleEnemy + difficulty.middleWaveShift, 1);
        hardEnemy = std::max(hardEnemy + difficulty.hardWaveShift, middleEnemy);
    }
    auto spawner =
        std::make_shared<EnemySpawnerComponent>(spawnerObject.get(), middleEnemy, hardEnemy, object.waveSize);
    auto timer =
        std::make_shared<TimerComponent>(spawnerObject.get(), object.spawnRate * difficulty.spawnPauseFactor);
    timer->AddObserver(spawner);
    if (GameplayManager::instance().spawner.expired())
        GameplayManager::instance().spawner = spawner;
    spawnerObject->AddComponent(spawner);
    spawnerObject->AddComponent(timer);
    GameObjectManager::instance().AddGameObject(spawnerObject);
}

void CreateObstacle(const LevelObject& p)
{
    auto obstacle = PlacedObject(ObjectType::Obstacle, "Default", p);
    auto body = std::make_shared<RigidBodyComponent>(obstacle.get());
    auto collider = std::make_shared<BoxCollisionComponent>(
        obstacle.get(), body,
        sf::FloatRect(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.w),
                      static_cast<float>(p.h)));
    obstacle->AddComponent(body);
    obstacle->AddComponent(collider);
    GameObjectManager::instance().AddGameObject(obstacle);
    PhysicsManager::instance().AddRigidBody(body, "Obstacle");
    PhysicsManager::instance().AddCollider(collider, "Obstacle");
}
