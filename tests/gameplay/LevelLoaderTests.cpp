// Building the level from Tiled maps: placement of map objects, properties and their defaults,
// the waypoint path, tile rectangles, and what a broken map leaves behind.

#include "entities/MotionComponents.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/LevelLoader.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Waves.hpp"
#include "services/AssetManager.hpp"
#include "tests/gameplay/GameplayTestSupport.hpp"

#include <SFML/Graphics/Image.hpp>

#include <algorithm>

namespace
{
class GameplayLevel : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        // A 256 x 256 tileset: 8 columns of 32-pixel tiles.
        sf::Image image;
        image.create(256, 256, sf::Color::White);
        ASSERT_TRUE(image.saveToFile((game.assets() / "tiles256.png").string()));
    }

    // Loads the fixture map with the given placement and returns what it printed on stdout.
    std::string Load(const std::string& name, sf::Vector2f placement = {})
    {
        const auto path = UseMap(name);
        testing::internal::CaptureStdout();
        LoadMap(path, placement);
        return testing::internal::GetCapturedStdout();
    }

    static std::string TagOf(const std::shared_ptr<CollisionComponent>& collider)
    {
        const auto& colliders = PhysicsManager::instance().colliders;
        for (const auto& [registered, tag] : colliders)
            if (registered == collider)
                return tag;
        return "(not registered)";
    }

    static int Lines(const std::string& text)
    {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
};

std::vector<std::shared_ptr<TiledLayerComponent>> LayersOf(const GameObject& tileMap)
{
    std::vector<std::shared_ptr<TiledLayerComponent>> layers;
    for (const auto& component : tileMap.components)
        if (auto layer = std::dynamic_pointer_cast<TiledLayerComponent>(component))
            layers.push_back(layer);
    return layers;
}
} // namespace

TEST_F(GameplayLevel, TilesFollowTheirTilesetAndThePlacement)
{
    Load("objects.tmj", {100.f, 200.f});
    const auto maps = OfType(ObjectType::TileMap);
    ASSERT_EQ(maps.size(), 1u);
    const auto layers = LayersOf(*maps[0]);
    // Two tile layers and the object layer, each a layer component, in map order.
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(layers[0]->layer, 0) << "a layer without RenderOrder draws in layer 0";
    EXPECT_EQ(layers[1]->layer, 3);
    EXPECT_EQ(layers[2]->layer, 2);
    EXPECT_TRUE(layers[2]->tiles.empty());

    // Cells 0, 10, 200, 65, 0, 1: the empty cells and the id outside every tileset give no sprite.
    const auto& tiles = layers[0]->tiles;
    ASSERT_EQ(tiles.size(), 3u);
    EXPECT_EQ(tiles[0]->getTextureRect(), sf::IntRect(32, 32, 32, 32)) << "firstgid + 9 on 8 columns";
    EXPECT_EQ(tiles[0]->getPosition(), sf::Vector2f(132.f, 200.f));
    EXPECT_EQ(tiles[0]->getTexture(), &AssetManager::instance().GetTexture("tiles256"));
    // Id 65 is the first tile of the second tileset (320 pixels wide: 10 columns).
    EXPECT_EQ(tiles[1]->getTextureRect(), sf::IntRect(0, 0, 32, 32));
    EXPECT_EQ(tiles[1]->getPosition(), sf::Vector2f(100.f, 232.f));
    EXPECT_EQ(tiles[1]->getTexture(), &AssetManager::instance().GetTexture("tilesheet"));
    EXPECT_EQ(tiles[2]->getTextureRect(), sf::IntRect(0, 0, 32, 32));
    EXPECT_EQ(tiles[2]->getPosition(), sf::Vector2f(164.f, 232.f));
    ASSERT_EQ(layers[1]->tiles.size(), 1u);
    EXPECT_EQ(layers[1]->tiles[0]->getTextureRect(), sf::IntRect(32, 0, 32, 32));

    // Every layer component is drawn by the render manager.
    int registered = 0;
    for (const auto& component : RenderManager::instance().components)
        registered += std::dynamic_pointer_cast<TiledLayerComponent>(component) ? 1 : 0;
    EXPECT_EQ(registered, 3);
}

// The eight flip combinations of one tile (cell c: bit 1 horizontal, 2 vertical, 4 diagonal): each
// texel lands where Tiled draws it, the diagonal flip (x and y swapped) first, then the mirrors.
TEST_F(GameplayLevel, FlippedTilesShowWhereTiledDrawsThem)
{
    Load("flips.tmj");
    const auto maps = OfType(ObjectType::TileMap);
    ASSERT_EQ(maps.size(), 1u);
    const auto& tiles = LayersOf(*maps[0]).at(0)->tiles;
    ASSERT_EQ(tiles.size(), 8u);
    for (unsigned cell = 0; cell < 8; ++cell)
    {
        const sf::Vector2f topLeft(static_cast<float>(cell % 4) * 32.f, static_cast<float>(cell / 4) * 32.f);
        for (const sf::Vector2f texel : {sf::Vector2f(4.5f, 9.5f), sf::Vector2f(30.5f, 1.5f)})
        {
            sf::Vector2f shown = cell & 4 ? sf::Vector2f(texel.y, texel.x) : texel;
            if (cell & 1)
                shown.x = 32.f - shown.x;
            if (cell & 2)
                shown.y = 32.f - shown.y;
            const sf::Vector2f at = tiles[cell]->getTransform().transformPoint(texel);
            EXPECT_NEAR(at.x, topLeft.x + shown.x, 1e-3f) << "cell " << cell;
            EXPECT_NEAR(at.y, topLeft.y + shown.y, 1e-3f) << "cell " << cell;
        }
    }
}

TEST_F(GameplayLevel, ObjectsAreCentredOnTheirRectangleAndNotShifted)
{
    const std::string printed = Load("objects.tmj", {100.f, 200.f});

    // The base: 33 x 20 at (100, 50); integer halves 16 and 10.
    const auto bases = OfType(ObjectType::Base);
    ASSERT_EQ(bases.size(), 1u) << "the lower-case \"base\" is ignored";
    const auto& base = *bases[0];
    EXPECT_EQ(base.name, "Base");
    EXPECT_EQ(base.getOrigin(), sf::Vector2f(16.f, 10.f));
    EXPECT_EQ(base.getPosition(), sf::Vector2f(116.f, 60.f));
    // "Health" stored as int keeps the default and says so in one line (among the map checker's
    // other findings on this small map).
    const auto status = base.GetComponent<StatusComponent>();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->health, 500u);
    EXPECT_EQ(status->maxHealth, 500u);
    EXPECT_NE(
        printed.find("../assets/objects.tmj: Base 1 at (100, 50): property \"Health\" is not of type float; "
                     "using its default\n"),
        std::string::npos)
        << printed;
    // The box follows the 96 x 96 picture, not the 33 x 20 map rectangle.
    const auto box = Collider<BoxCollisionComponent>(base);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->rect, sf::FloatRect(68.f, 12.f, 96.f, 96.f));
    EXPECT_EQ(TagOf(box), "Base");
    const auto upgrade = base.GetComponent<UpgradeStateComponent>();
    ASSERT_TRUE(upgrade);
    EXPECT_TRUE(upgrade->isBase);
    EXPECT_EQ(upgrade->level, 1);
    EXPECT_TRUE(upgrade->ready);
    EXPECT_TRUE(base.healthBar);

    // Obstacles collide with exactly their map rectangle; "class" stands in for a missing "type".
    const auto obstacles = OfType(ObjectType::Obstacle);
    ASSERT_EQ(obstacles.size(), 2u);
    EXPECT_EQ(obstacles[0]->getPosition(), sf::Vector2f(225.f, 115.f));
    const auto obstacleBox = Collider<BoxCollisionComponent>(*obstacles[0]);
    ASSERT_TRUE(obstacleBox);
    EXPECT_EQ(obstacleBox->rect, sf::FloatRect(200.f, 100.f, 50.f, 30.f));
    EXPECT_EQ(TagOf(obstacleBox), "Obstacle");
    EXPECT_EQ(obstacles[1]->getPosition(), sf::Vector2f(510.f, 20.f));

    // Spawners: defaults when the properties are absent, the map's values otherwise.
    const auto spawners = OfType(ObjectType::Spawner);
    ASSERT_EQ(spawners.size(), 2u);
    const auto plain = spawners[0]->GetComponent<EnemySpawnerComponent>();
    const auto plainTimer = spawners[0]->GetComponent<TimerComponent>();
    ASSERT_TRUE(plain && plainTimer);
    EXPECT_EQ(plain->waveSize, 10);
    EXPECT_EQ(plain->middleStartWave, 3);
    EXPECT_EQ(plain->hardStartWave, 6);
    EXPECT_EQ(plain->wavesStarted, 0);
    // A missing "SpawnRate" is out of range (above 0): the shipped level's second instead.
    EXPECT_EQ(plainTimer->interval, MapLimits::FallbackSpawnRate);
    EXPECT_EQ(spawners[0]->getPosition(), sf::Vector2f(20.f, 20.f));
    const auto tuned = spawners[1]->GetComponent<EnemySpawnerComponent>();
    const auto tunedTimer = spawners[1]->GetComponent<TimerComponent>();
    ASSERT_TRUE(tuned && tunedTimer);
    EXPECT_EQ(tuned->waveSize, 4);
    EXPECT_EQ(tuned->middleStartWave, 2);
    EXPECT_EQ(tuned->hardStartWave, 5);
    EXPECT_FLOAT_EQ(tunedTimer->interval, 0.25f);
}

TEST_F(GameplayLevel, WaypointsAreSortedStablyAndPointObjectsSitOnTheirPoint)
{
    Load("objects.tmj");
    const auto& waypoints = GameplayManager::instance().waypoints;
    std::vector<std::int32_t> indices;
    std::vector<sf::Vector2f> positions;
    for (const auto& waypoint : waypoints)
    {
        indices.push_back(waypoint->index);
        positions.push_back(waypoint->position);
    }
    EXPECT_EQ(indices, (std::vector<std::int32_t>{1, 1, 2, 3}));
    // (20.7, 30.2) as whole pixels; the two index-1 points keep their map order; the 11 x 10
    // rectangle at (40, 40) is centred at (45, 45).
    EXPECT_EQ(positions, (std::vector<sf::Vector2f>{{20.f, 30.f}, {60.f, 60.f}, {45.f, 45.f}, {10.f, 10.f}}));
    const auto objects = OfType(ObjectType::Waypoint);
    ASSERT_EQ(objects.size(), 4u);
    EXPECT_EQ(objects[0]->getPosition(), sf::Vector2f(10.f, 10.f));
    EXPECT_EQ(objects[0]->getOrigin(), sf::Vector2f(0.f, 0.f));
    EXPECT_TRUE(objects[0]->components.empty());
}

TEST_F(GameplayLevel, ABrokenMapLeavesAnEmptyLevel)
{
    game.WriteAsset("broken.tmj", "{ \"width\": 3, ");
    testing::internal::CaptureStdout();
    LoadMap("../assets/broken.tmj", {});
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.rfind("Parse error: ", 0), 0u) << printed;
    EXPECT_EQ(Lines(printed), 1);
    EXPECT_TRUE(OfType(ObjectType::Base).empty());
    EXPECT_TRUE(OfType(ObjectType::Spawner).empty());
    EXPECT_TRUE(GameplayManager::instance().waypoints.empty());
    EXPECT_TRUE(PhysicsManager::instance().colliders.empty());
    // The tile-map object still exists, with no layers.
    const auto maps = OfType(ObjectType::TileMap);
    ASSERT_EQ(maps.size(), 1u);
    EXPECT_TRUE(LayersOf(*maps[0]).empty());
}

TEST_F(GameplayLevel, TheShippedMapHasABasePathSpawnerAndBlockedPath)
{
    testing::internal::CaptureStdout();
    LoadMap("../assets/game.tmj", {});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    ASSERT_EQ(OfType(ObjectType::Base).size(), 1u);
    EXPECT_GE(OfType(ObjectType::Spawner).size(), 1u);
    const auto& waypoints = GameplayManager::instance().waypoints;
    EXPECT_GE(waypoints.size(), 3u);
    // Nobody may build on the path: every waypoint lies inside an obstacle (or the base).
    std::vector<sf::FloatRect> blocked;
    for (const auto& obstacle : OfType(ObjectType::Obstacle))
        blocked.push_back(Collider<BoxCollisionComponent>(*obstacle)->rect);
    blocked.push_back(Collider<BoxCollisionComponent>(*OfType(ObjectType::Base)[0])->rect);
    for (const auto& waypoint : waypoints)
    {
        const bool covered =
            std::any_of(blocked.begin(), blocked.end(),
                        [&](const sf::FloatRect& r) { return r.contains(waypoint->position); });
        EXPECT_TRUE(covered) << "waypoint " << waypoint->index << " at " << waypoint->position;
    }
    // The last waypoint leads into the base, so enemies do reach it.
    const auto baseBox = Collider<BoxCollisionComponent>(*OfType(ObjectType::Base)[0])->rect;
    const sf::Vector2f last = waypoints.back()->position;
    const sf::FloatRect reach(baseBox.left - 17.5f, baseBox.top - 17.5f, baseBox.width + 35.f,
                              baseBox.height + 35.f);
    EXPECT_TRUE(reach.contains(last)) << last << " vs " << baseBox;
}
