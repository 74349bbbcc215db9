#include "tests/gameplay/GameplayTestSupport.hpp"

#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/LevelLoader.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetManager.hpp"

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace
{
// Sounds play into nothing on machines without a sound card; set before OpenAL starts.
const bool nullAudio = []
{
    return setenv("ALSOFT_DRIVERS", "null", 0) == 0;
}();
} // namespace

namespace testing_support
{
void ResetGameplay()
{
    GameplayManager::instance().waypoints.clear();
    ResetEntities();
    GameplayManager::instance().Reset();
    GameConfig::instance().Reset();
    // Tests play on a fixed wave seed.
    GameplayManager::instance().seedSource = []
    {
        return 1u;
    };
}
} // namespace testing_support

void GameplayTest::SetUp()
{
    ASSERT_TRUE(nullAudio);
    testing_support::ResetGameplay();
    testing_support::LoadAssets();
}

void GameplayTest::TearDown()
{
    testing_support::ResetGameplay();
}

fs::path GameplayTest::UseMap(const std::string& name) const
{
    fs::copy_file(fs::path(VARNHOLD_TEST_DATA) / "maps" / name, game.assets() / name,
                  fs::copy_options::overwrite_existing);
    return fs::path("../assets") / name;
}

void GameplayTest::UseShippedLevel(const std::map<std::string, nlohmann::json>& properties) const
{
    std::ifstream in(testing_support::SourceAssets() / "game.tmj");
    nlohmann::json map = nlohmann::json::parse(in);
    for (auto& layer : map["layers"])
    {
        if (!layer.contains("objects"))
            continue;
        for (auto& object : layer["objects"])
        {
            if (!object.contains("properties"))
                continue;
            for (auto& property : object["properties"])
            {
                if (const auto set = properties.find(property.value("name", "")); set != properties.end())
                    property["value"] = set->second;
            }
        }
    }
    game.WriteAsset("game.tmj", map.dump());
}

std::shared_ptr<GameObject> GameplayTest::Last()
{
    const auto& objects = GameObjectManager::instance().objects;
    return objects.empty() ? nullptr : objects.back();
}

std::vector<std::shared_ptr<GameObject>> GameplayTest::OfType(int type)
{
    std::vector<std::shared_ptr<GameObject>> found;
    for (const auto& object : GameObjectManager::instance().objects)
        if (object->type == type)
            found.push_back(object);
    return found;
}

void GameplayTest::Contact(const std::shared_ptr<CollisionComponent>& a,
                           const std::shared_ptr<CollisionComponent>& b)
{
    a->SetColliding();
    b->SetColliding();
    a->OnCollision(b);
    b->OnCollision(a);
}

std::shared_ptr<GameObject> GameplayTest::Enemy(int kind, int wave, sf::Vector2f at)
{
    CreateEnemy(7, kind, wave, at.x, at.y);
    return Last();
}

std::shared_ptr<GameObject> GameplayTest::Projectile(float damage, sf::Vector2f at)
{
    const auto shooter = Tower(BulletTower, at);
    auto sprite = std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture("projectile"));
    return CreateProjectile(sprite, shooter.get(), damage, {});
}

std::shared_ptr<GameObject> GameplayTest::Tower(int kind, sf::Vector2f at)
{
    CreateTower(kind, at.x, at.y);
    return OfType(ObjectType::Tower).back();
}

std::shared_ptr<GameObject> GameplayTest::Base()
{
    LoadMap(UseMap("two_bases.tmj"), {});
    return OfType(ObjectType::Base).front();
}

std::shared_ptr<StatusComponent> GameplayTest::Status(const GameObject& object)
{
    return object.GetComponent<StatusComponent>();
}

void GameplayTest::Hit(const GameObject& projectile, const GameObject& enemy)
{
    Contact(Collider<PixelCollisionComponent>(projectile), Collider<PixelCollisionComponent>(enemy));
}
