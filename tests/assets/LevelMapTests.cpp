#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

using nlohmann::json;

const std::string assetDir = std::string(VARNHOLD_SOURCE_DIR) + "/assets/";

struct MapObject
{
    std::string type;
    sf::FloatRect rect;
    json properties;

    sf::Vector2f Centre() const { return {rect.left + rect.width / 2.f, rect.top + rect.height / 2.f}; }

    const json* Property(const std::string& name) const
    {
        const json* found = nullptr;
        for (const json& p : properties)
            if (p.value("name", "") == name)
                found = &p;
        return found;
    }
};

class LevelMap : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::ifstream in(assetDir + "game.tmj");
        ASSERT_TRUE(in) << "game.tmj is missing";
        map = json::parse(in, nullptr, false);
        ASSERT_FALSE(map.is_discarded()) << "game.tmj is not valid JSON";
        for (const json& layer : map["layers"])
            if (layer["type"] == "objectgroup")
                for (const json& o : layer["objects"])
                    objects.push_back({o.value("type", ""),
                                       {o["x"].get<float>(), o["y"].get<float>(), o["width"].get<float>(),
                                        o["height"].get<float>()},
                                       o.value("properties", json::array())});
    }

    std::vector<MapObject> OfType(const std::string& type) const
    {
        std::vector<MapObject> out;
        for (const MapObject& o : objects)
            if (o.type == type)
                out.push_back(o);
        return out;
    }

    bool InsideObstacle(sf::Vector2f p) const
    {
        for (const MapObject& o : OfType("Obstacle"))
            if (p.x >= o.rect.left && p.x < o.rect.left + o.rect.width && p.y >= o.rect.top &&
                p.y < o.rect.top + o.rect.height)
                return true;
        return false;
    }

    // The waypoint centres in walking order.
    std::vector<sf::Vector2f> Path() const
    {
        std::map<int, sf::Vector2f> byIndex;
        for (const MapObject& w : OfType("Waypoint"))
            byIndex[w.Property("Waypoint")->at("value").get<int>()] = w.Centre();
        std::vector<sf::Vector2f> path;
        for (const auto& entry : byIndex)
            path.push_back(entry.second);
        return path;
    }

    json map;
    std::vector<MapObject> objects;
};

float DistanceToSegment(sf::Vector2f p, sf::Vector2f a, sf::Vector2f b)
{
    const sf::Vector2f ab = b - a;
    const float len2 = ab.x * ab.x + ab.y * ab.y;
    float t = len2 > 0.f ? ((p.x - a.x) * ab.x + (p.y - a.y) * ab.y) / len2 : 0.f;
    t = std::fmax(0.f, std::fmin(1.f, t));
    const sf::Vector2f d = p - (a + ab * t);
    return std::sqrt(d.x * d.x + d.y * d.y);
}

} // namespace

TEST_F(LevelMap, CoversTheWindowWithFortyPixelTiles)
{
    EXPECT_EQ(map["orientation"], "orthogonal");
    EXPECT_EQ(map["width"], 32);
    EXPECT_EQ(map["height"], 18);
    EXPECT_EQ(map["tilewidth"], 40);
    EXPECT_EQ(map["tileheight"], 40);
    EXPECT_EQ(map["infinite"], false);
}

TEST_F(LevelMap, TilesetDescribesTheSheetOnDisk)
{
    ASSERT_EQ(map["tilesets"].size(), 1u);
    const json& ts = map["tilesets"][0];
    EXPECT_EQ(ts["name"], "tilesheet");
    EXPECT_EQ(ts["image"], "tilesheet.png");
    EXPECT_EQ(ts["firstgid"], 1);
    sf::Image sheet;
    ASSERT_TRUE(sheet.loadFromFile(assetDir + "tilesheet.png"));
    EXPECT_EQ(ts["imagewidth"].get<unsigned>(), sheet.getSize().x);
    EXPECT_EQ(ts["imageheight"].get<unsigned>(), sheet.getSize().y);
    EXPECT_EQ(ts["columns"].get<unsigned>(), sheet.getSize().x / 40u);
    EXPECT_EQ(ts["tilecount"].get<unsigned>(), (sheet.getSize().x / 40u) * (sheet.getSize().y / 40u));
}

TEST_F(LevelMap, TileLayersAreCompleteAndOrdered)
{
    const int tileCount = map["tilesets"][0]["tilecount"].get<int>();
    std::vector<int> orders;
    for (const json& layer : map["layers"])
    {
        if (layer["type"] != "tilelayer")
            continue;
        ASSERT_EQ(layer["data"].size(), 32u * 18u) << layer["name"];
        for (const json& gid : layer["data"])
        {
            ASSERT_TRUE(gid.is_number_integer());
            EXPECT_GE(gid.get<int>(), 0);
            EXPECT_LE(gid.get<int>(), tileCount);
        }
        int order = -1;
        for (const json& p : layer["properties"])
            if (p["name"] == "RenderOrder" && p["type"] == "int")
                order = p["value"].get<int>();
        orders.push_back(order);
    }
    // Ground at the bottom, decoration above it.
    EXPECT_EQ(orders, (std::vector<int>{0, 1}));
    // The ground has no holes.
    for (const json& gid : map["layers"][0]["data"])
        EXPECT_NE(gid.get<int>(), 0);
}

TEST_F(LevelMap, HasOneBaseWithFiveHundredHealth)
{
    const auto bases = OfType("Base");
    ASSERT_EQ(bases.size(), 1u);
    const json* health = bases[0].Property("Health");
    ASSERT_NE(health, nullptr);
    EXPECT_EQ((*health)["type"], "float");
    EXPECT_EQ((*health)["value"].get<float>(), 500.f);
    const json* texture = bases[0].Property("Texture");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ((*texture)["value"], "base");
    // Near the right side, fully on screen even at the largest stage (128 px, shifted 8 px up-left).
    const sf::Vector2f c = bases[0].Centre();
    EXPECT_GT(c.x, 960.f);
    EXPECT_LE(c.x - 8.f + 64.f, 1280.f);
    EXPECT_GE(c.y - 8.f - 64.f, 80.f);
    EXPECT_LE(c.y - 8.f + 64.f, 720.f);
}

TEST_F(LevelMap, SpawnerSitsAtTheLeftEdgeWhereTheRoadStarts)
{
    const auto spawners = OfType("Spawner");
    ASSERT_EQ(spawners.size(), 1u);
    const MapObject& s = spawners[0];
    EXPECT_EQ(s.Property("SpawnRate")->at("type"), "float");
    EXPECT_EQ(s.Property("SpawnRate")->at("value").get<float>(), 1.f);
    EXPECT_EQ(s.Property("WaveSize")->at("value").get<int>(), 10);
    EXPECT_EQ(s.Property("MiddleEnemy")->at("value").get<int>(), 3);
    EXPECT_EQ(s.Property("HardEnemy")->at("value").get<int>(), 6);
    EXPECT_LT(s.rect.left, 40.f);
    const auto path = Path();
    ASSERT_FALSE(path.empty());
    EXPECT_LT(std::hypot(s.Centre().x - path.front().x, s.Centre().y - path.front().y), 40.f);
}

TEST_F(LevelMap, WaypointsWindAlongTheRoadWithDistinctIndices)
{
    const auto waypoints = OfType("Waypoint");
    ASSERT_GE(waypoints.size(), 8u);
    std::set<int> indices;
    for (const MapObject& w : waypoints)
    {
        const json* index = w.Property("Waypoint");
        ASSERT_NE(index, nullptr);
        EXPECT_EQ((*index)["type"], "int");
        indices.insert((*index)["value"].get<int>());
        // The road is not buildable and keeps clear of the HUD strip.
        EXPECT_TRUE(InsideObstacle(w.Centre())) << "waypoint " << (*index)["value"];
        EXPECT_GE(w.Centre().y, 80.f);
    }
    EXPECT_EQ(indices.size(), waypoints.size());

    const auto path = Path();
    int turns = 0;
    for (size_t i = 1; i + 1 < path.size(); ++i)
    {
        const sf::Vector2f a = path[i] - path[i - 1];
        const sf::Vector2f b = path[i + 1] - path[i];
        if (std::fabs(a.x * b.y - a.y * b.x) > 1.f)
            ++turns;
    }
    EXPECT_GE(turns, 8);
    // The path ends inside the keep, so every enemy that gets through reaches it.
    const MapObject base = OfType("Base").at(0);
    EXPECT_TRUE(base.rect.contains(path.back()));
}

TEST_F(LevelMap, TheRoadBetweenWaypointsIsCoveredByObstacles)
{
    const auto path = Path();
    for (size_t i = 0; i + 1 < path.size(); ++i)
        for (int k = 0; k <= 20; ++k)
        {
            const sf::Vector2f p = path[i] + (path[i + 1] - path[i]) * (static_cast<float>(k) / 20.f);
            EXPECT_TRUE(InsideObstacle(p)) << "road point " << p.x << ", " << p.y;
        }
}

TEST_F(LevelMap, HudStripIsNotBuildable)
{
    bool covered = false;
    for (const MapObject& o : OfType("Obstacle"))
        covered = covered || (o.rect.left <= 0.f && o.rect.top <= 0.f &&
                              o.rect.left + o.rect.width >= 1280.f && o.rect.top + o.rect.height >= 80.f);
    EXPECT_TRUE(covered);
}

TEST_F(LevelMap, LeavesRoomForTowersWithinReachOfTheRoad)
{
    // Count tower sites (64 x 64, centred on a 20 px grid) that overlap no obstacle and lie within a
    // tower's range (150 px) of the road: a player needs plenty of them all along the path.
    const auto path = Path();
    const auto obstacles = OfType("Obstacle");
    int sites = 0;
    for (float y = 32.f; y <= 720.f - 32.f; y += 20.f)
        for (float x = 32.f; x <= 1280.f - 32.f; x += 20.f)
        {
            const sf::FloatRect box(x - 32.f, y - 32.f, 64.f, 64.f);
            bool free = true;
            for (const MapObject& o : obstacles)
                free = free && !box.intersects(o.rect);
            if (!free)
                continue;
            float nearest = 1e9f;
            for (size_t i = 0; i + 1 < path.size(); ++i)
                nearest = std::fmin(nearest, DistanceToSegment({x, y}, path[i], path[i + 1]));
            if (nearest < 150.f)
                ++sites;
        }
    EXPECT_GE(sites, 300);
}
