// Whole games in a real window on the shipped level with a faster spawner: the grid detection
// finds the plain walk's contacts every frame, dead enemies and projectiles leave the registries
// without the game noticing, and the tile layers look as they did tile by tile.

#include "app/services/AssetManager.hpp"
#include "app/GamePlay.hpp"
#include "app/services/InputManager.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "entities/TileBatches.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"
#include "tests/support/TestSupport.hpp"

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <set>
#include <sstream>

using testing_support::ScratchGame;

namespace
{
constexpr float Dt = 1.f / 60.f;

std::shared_ptr<sf::RenderWindow> Window()
{
    static const auto window = std::make_shared<sf::RenderWindow>(sf::VideoMode(1280, 720), "perf tests");
    return window;
}

class ScriptedGame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::ResetWorld();
        testing_support::LoadAssets();
        UIManager::instance().window = Window();
        UIManager::instance().gui->setTarget(*Window());
        InputManager::instance().mouseSource = [] { return sf::Vector2i(2000, 2000); };
    }
    void TearDown() override { testing_support::ResetWorld(); }

    // The shipped level with a spawner that releases an enemy every few frames.
    void WriteLevel(double baseHealth)
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
                    if (property["name"] == "SpawnRate")
                        property["value"] = 0.05;
                    if (property["name"] == "WaveSize")
                        property["value"] = 15;
                    if (property["name"] == "Health")
                        property["value"] = baseHealth;
                }
            }
        }
        scratch.WriteAsset("game.tmj", map.dump());
    }

    void Start(double baseHealth, int towers)
    {
        WriteLevel(baseHealth);
        state.Init();
        // Towers beside the first stretches of the path.
        for (const sf::Vector2f at : {sf::Vector2f(120.f, 120.f), sf::Vector2f(300.f, 300.f), sf::Vector2f(560.f, 400.f),
                                      sf::Vector2f(800.f, 420.f), sf::Vector2f(1000.f, 300.f)})
        {
            if (towers-- > 0)
                GameConfig::instance().BuildTower(1 + static_cast<int>(at.x) % 3, at.x, at.y);
        }
    }

    void Frame()
    {
        state.Update(Dt);
        auto window = Window();
        window->clear();
        state.Draw(window);
        window->display();
    }

    ScratchGame scratch;
    GamePlay state;
};

// Both detections on the world as a frame left it (pixel sprites where they were last drawn,
// dead objects, shots in flight), frame after frame.
TEST_F(ScriptedGame, GridFindsThePlainWalksContactsEveryFrame)
{
    Start(1e6, 5);
    auto& physics = PhysicsManager::instance();
    std::size_t contacts = 0;
    BroadPhase broadPhase;
    std::list<Contact> fast;
    for (int frame = 0; frame < 900; ++frame)
    {
        // The game itself runs on either detection; they must not differ.
        physics.useReference = frame % 300 >= 150;
        Frame();
        std::list<Contact> reference;
        DetectContactsAllPairs(physics.colliders, reference);
        // One detector and one list for the whole game: the list's nodes are reused.
        broadPhase.Detect(physics.colliders, fast);
        ASSERT_EQ(fast.size(), reference.size()) << "frame " << frame;
        auto r = reference.begin();
        for (auto f = fast.begin(); f != fast.end(); ++f, ++r)
        {
            ASSERT_EQ(f->first, r->first) << "frame " << frame;
            ASSERT_EQ(f->second, r->second) << "frame " << frame;
        }
        contacts += reference.size();
    }
    physics.useReference = false;
    EXPECT_GT(contacts, 1000u);
    EXPECT_GT(UIManager::instance().score, 0) << "shots hit enemies";
}

bool Reclaimable(const GameObject& object)
{
    return !object.alive && (object.type == ObjectType::Enemy || object.type == ObjectType::Projectile);
}

// No registry keeps a dead enemy or projectile past the frame that killed it.
void ExpectNoDeadInRegistries()
{
    for (const auto& object : GameObjectManager::instance().objects)
        EXPECT_FALSE(Reclaimable(*object)) << "object " << object->id;
    for (const auto& [collider, tag] : PhysicsManager::instance().colliders)
        EXPECT_FALSE(Reclaimable(*collider->GetOwner())) << tag;
    for (const auto& [body, tag] : PhysicsManager::instance().bodies)
        EXPECT_FALSE(Reclaimable(*body->GetOwner())) << tag;
    for (const auto& component : RenderManager::instance().components)
        EXPECT_FALSE(Reclaimable(*component->GetOwner()));
}

TEST_F(ScriptedGame, DeadAreDroppedThroughUpgradesRepairsAndDefeat)
{
    Start(1500, 3);
    auto& ui = UIManager::instance();
    auto& registry = GameObjectManager::instance();
    int lastId = -1, frame = 0, upgrades = 0, repairs = 0, killed = 0;
    std::set<const GameObject*> seenDead;
    while (GameplayManager::instance().running && frame < 8000)
    {
        // Money for upgrades and repairs now and then, until the first repair; every tower that is
        // ready is upgraded. Then the base is left to fall.
        if (frame % 300 == 150 && repairs == 0)
        {
            ui.money = 1000;
            for (const auto& object : std::list<std::shared_ptr<GameObject>>(registry.objects))
            {
                if (object->type != ObjectType::Tower)
                    continue;
                const auto upgrade = object->GetComponent<UpgradeStateComponent>();
                const int before = upgrade->level;
                GameConfig::instance().tryUpgrade(*object);
                upgrades += upgrade->level > before;
            }
            const auto status = registry.FindByName("Base")->GetComponent<StatusComponent>();
            const std::uint32_t health = status->health;
            ui.RepairBase();
            repairs += status->health > health;
        }
        Frame();
        ++frame;
        ExpectNoDeadInRegistries();
        for (const auto& object : registry.objects)
        {
            EXPECT_GT(object->id, -1);
            lastId = std::max(lastId, object->id);
        }
        // Targets hold their enemies, and last partners their colliders' owners, even when
        // those left the registries: reading them is safe (the address sanitiser watches).
        for (const auto& object : registry.objects)
        {
            const auto detection = object->GetComponent<AIDetectionComponent>();
            if (!detection)
                continue;
            for (const auto& target : detection->targets)
            {
                if (!target->alive && seenDead.insert(target.get()).second)
                    ++killed;
            }
        }
        for (const auto& [collider, tag] : PhysicsManager::instance().colliders)
        {
            if (collider->lastPartner)
            {
                EXPECT_GE(collider->lastPartner->GetOwner()->type, 0);
            }
        }
        // Parked objects are only those whose colliders are still held elsewhere.
        EXPECT_LE(registry.reclaimed.size(), PhysicsManager::instance().colliders.size() +
                                                  PhysicsManager::instance().contacts.size());
    }
    ASSERT_FALSE(GameplayManager::instance().running) << "the base falls within " << frame << " frames";
    EXPECT_GT(upgrades, 0);
    EXPECT_GT(repairs, 0);
    EXPECT_GT(killed, 0) << "some targets died while a tower still held them";
    // The dead base is still found by name and ended the game.
    const auto base = registry.FindByName("Base");
    ASSERT_NE(base, nullptr);
    EXPECT_FALSE(base->alive);
    EXPECT_EQ(ui.currentScreen, LoseScreen);
    // Ids went on counting past every dropped object.
    const int next = registry.nextId;
    EXPECT_GT(next, lastId);
    const auto shot = CreateProjectile(std::make_shared<sf::Sprite>(), base.get(), 1.f, {});
    EXPECT_EQ(shot->id, next);
    // Hundreds died and left the registries, which hold the living and the level only (checked
    // frame by frame above).
    EXPECT_GT(registry.nextId - static_cast<int>(registry.objects.size()), 300);
}

// The tile layer's vertex arrays against the same sprites drawn one by one, flipped ones included.
TEST_F(ScriptedGame, TileBatchesDrawTheTilesPicture)
{
    const sf::Texture& sheet = AssetManager::instance().GetTexture("tilesheet");
    const sf::Texture& other = AssetManager::instance().GetTexture("enemy_1");
    std::vector<std::shared_ptr<sf::Sprite>> tiles;
    for (int i = 0; i < 40; ++i)
    {
        const bool fromSheet = i % 7 != 3;
        auto sprite = fromSheet ? std::make_shared<sf::Sprite>(sheet, sf::IntRect((i % 8) * 40, (i / 8 % 7) * 40, 40, 40))
                                : std::make_shared<sf::Sprite>(other);
        const float x = static_cast<float>(i % 10) * 40.f, y = static_cast<float>(i / 10) * 40.f;
        if (i % 5 == 1)
        {
            // Flipped the way the level loader flips: about the tile's centre.
            sprite->setOrigin(20.f, 20.f);
            sprite->setPosition(x + 20.f, y + 20.f);
            if (i % 2)
            {
                sprite->setRotation(90.f);
                sprite->setScale(-1.f, 1.f);
            }
            else
            {
                sprite->setScale(-1.f, -1.f);
            }
        }
        else
        {
            sprite->setPosition(x, y);
        }
        tiles.push_back(sprite);
    }
    sf::RenderTexture one, batched;
    ASSERT_TRUE(one.create(400, 160));
    ASSERT_TRUE(batched.create(400, 160));
    one.clear();
    for (const auto& tile : tiles)
        one.draw(*tile);
    one.display();
    TileBatches batches;
    batched.clear();
    batches.Draw(tiles, batched);
    batched.display();
    const sf::Image a = one.getTexture().copyToImage(), b = batched.getTexture().copyToImage();
    int differing = 0;
    for (unsigned y = 0; y < 160; ++y)
        for (unsigned x = 0; x < 400; ++x)
            differing += a.getPixel(x, y) != b.getPixel(x, y);
    EXPECT_EQ(differing, 0);
    // One vertex array per run of tiles sharing a texture: the other texture splits the runs.
    EXPECT_EQ(batches.BatchCount(), 1u + 2u * 6u);

    // A changed tile list is drawn as it is now.
    tiles.resize(10);
    batched.clear();
    batches.Draw(tiles, batched);
    batched.display();
    EXPECT_EQ(batches.BatchCount(), 3u);
    EXPECT_EQ(batched.getTexture().copyToImage().getPixel(200, 100), sf::Color::Black);
}
} // namespace

// The set beside the target list answers AddTarget's membership question; the list keeps the
// arrival order, and an object that left the front may be added again at the back.
TEST_F(ScriptedGame, TargetsKeepTheirOrderAndMayComeBackAfterLeaving)
{
    CreateTower(1, 400.f, 300.f);
    const auto tower = GameObjectManager::instance().objects.back();
    std::vector<std::shared_ptr<GameObject>> enemies;
    for (int i = 0; i < 3; ++i)
    {
        CreateEnemy(1, 0, 1, 400.f + 10.f * static_cast<float>(i), 300.f);
        enemies.push_back(GameObjectManager::instance().objects.back());
    }
    const auto detection = tower->GetComponent<AIDetectionComponent>();
    ASSERT_TRUE(detection);
    const auto order = [&detection]
    {
        std::vector<GameObject*> result;
        for (const auto& target : detection->targets)
            result.push_back(target.get());
        return result;
    };

    detection->AddTarget(enemies[1].get());
    detection->AddTarget(enemies[0].get());
    detection->AddTarget(enemies[1].get());
    detection->AddTarget(enemies[2].get());
    detection->AddTarget(enemies[0].get());
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[1].get(), enemies[0].get(), enemies[2].get()}));

    // The front leaves once it is out of reach; coming back puts it at the end.
    enemies[1]->setPosition(2000.f, 2000.f);
    detection->Update(Dt);
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[0].get(), enemies[2].get()}));
    detection->AddTarget(enemies[1].get());
    detection->AddTarget(enemies[2].get());
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[0].get(), enemies[2].get(), enemies[1].get()}));

    // A list cleared from outside takes every object again.
    detection->targets.clear();
    detection->AddTarget(enemies[2].get());
    detection->AddTarget(enemies[0].get());
    detection->AddTarget(enemies[2].get());
    EXPECT_EQ(order(), (std::vector<GameObject*>{enemies[2].get(), enemies[0].get()}));
}

namespace
{
sf::Image Shot(sf::RenderWindow& window)
{
    sf::Texture shot;
    shot.create(window.getSize().x, window.getSize().y);
    shot.update(window);
    return shot.copyToImage();
}
} // namespace

// The render manager draws runs of sprites as triangle lists; the picture is the one that each
// component drawing itself gives, with enemies turned along the path, towers, shots and tiles.
TEST_F(ScriptedGame, SpriteRunsDrawTheComponentsPicture)
{
    Start(1e6, 2);
    const auto liveEnemies = []
    {
        int count = 0;
        for (const auto& object : GameObjectManager::instance().objects)
            count += object->alive && object->type == ObjectType::Enemy;
        return count;
    };
    for (int frame = 0; frame < 3000 && liveEnemies() < 14; ++frame)
        Frame();
    auto window = Window();
    auto& render = RenderManager::instance();
    int sprites = 0;
    window->clear();
    for (const auto& [layer, visible] : render.layers)
    {
        for (const auto& component : render.components)
        {
            if (visible && component->GetLayer() == layer)
            {
                component->Draw(window);
                sprites += component->GetType() == ComponentType::SpriteRender;
            }
        }
    }
    const sf::Image plain = Shot(*window);
    window->clear();
    render.Draw(window);
    const sf::Image batched = Shot(*window);
    int differing = 0;
    for (unsigned y = 0; y < plain.getSize().y; ++y)
        for (unsigned x = 0; x < plain.getSize().x; ++x)
            differing += plain.getPixel(x, y) != batched.getPixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_GE(sprites, 18) << "two towers and a stream of enemies are on the road";
}
