#include "gameplay/GameConfig.hpp"

#include "app/services/AssetManager.hpp"
#include "app/services/GameCounters.hpp"
#include "app/services/SoundManager.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "gameplay/Cursor.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"

#include <vector>

GameConfig& GameConfig::instance()
{
    static GameConfig config;
    return config;
}

std::int32_t GameConfig::TowerPrice(int kind) const
{
    switch (kind)
    {
    case 1:
        return bulletTowerPrice;
    case 2:
        return smallRocketTowerPrice;
    case 3:
        return bigRocketTowerPrice;
    default:
        return 0;
    }
}

void GameConfig::tryBuildTower(int kind, float x, float y)
{
    if (!buildAllowed || kind < 1 || kind > 3)
        return;
    if (GameCounters::instance().money >= TowerPrice(kind))
    {
        payForTower(kind);
        BuildTower(kind, x, y);
    }
}

void GameConfig::payForTower(int kind)
{
    if (kind >= 1 && kind <= 3)
        GameCounters::instance().ChangeMoney(-TowerPrice(kind));
    if (const auto& cursor = GameplayManager::instance().cursorInput)
        cursor->selectedTower = 0;
}

void GameConfig::BuildTower(int kind, float x, float y)
{
    SoundManager::instance().PlaySound("towerConstruct", 30.f);
    CreateTower(kind, x, y);
}

std::int32_t GameConfig::UpgradePrice(const UpgradeStateComponent& upgrade) const
{
    const std::int32_t level = upgrade.level;
    if (upgrade.isBase)
        return level <= baseUpgradeLimit ? baseUpgradePrice * level : 0;
    if (upgrade.towerKind == 1 && level <= bulletTowerUpgradeLimit)
        return bulletTowerUpgradePrice * level;
    if (upgrade.towerKind == 2 && level <= smallRocketTowerUpgradeLimit)
        return smallRocketTowerUpgradePrice * level;
    return 0;
}

void GameConfig::tryUpgrade(GameObject& object)
{
    const auto upgrade = object.GetComponent<UpgradeStateComponent>();
    if (!upgrade || !upgrade->ready)
        return;
    const std::int32_t price = UpgradePrice(*upgrade);
    if (price <= 0)
        return;
    if (GameCounters::instance().money >= price)
    {
        payForUpgrade(*upgrade);
        applyUpgrade(object);
    }
}

void GameConfig::payForUpgrade(UpgradeStateComponent& upgrade)
{
    GameCounters::instance().ChangeMoney(-UpgradePrice(upgrade));
}

namespace
{
std::shared_ptr<sf::Sprite> SpriteOf(const char* key)
{
    return std::make_shared<sf::Sprite>(AssetManager::instance().GetTexture(key));
}

// The second sprite renderer of a tower draws its turret (the first draws the platform).
std::shared_ptr<SpriteRenderComponent> TurretRenderer(const GameObject& tower)
{
    int seen = 0;
    for (const auto& component : tower.components)
    {
        if (auto render = std::dynamic_pointer_cast<SpriteRenderComponent>(component))
        {
            if (++seen == 2)
                return render;
        }
    }
    return {};
}

void UpgradeBase(GameObject& base, StatusComponent& status, int level)
{
    const std::uint32_t growth = status.health / 2;
    status.health += growth;
    status.maxHealth += growth;
    if (level != 1 && level != 2)
        return;

    const auto render = base.GetComponent<SpriteRenderComponent>();
    if (!render)
        return;
    const sf::FloatRect oldBounds = render->sprite->getGlobalBounds();
    render->SetSprite(SpriteOf(level == 1 ? "base2" : "base3"));
    const sf::FloatRect newBounds = render->sprite->getGlobalBounds();
    if (const auto box = base.GetComponent<BoxCollisionComponent>())
        box->rect = sf::FloatRect(base.getPosition().x - newBounds.width / 2.f,
                                  base.getPosition().y - newBounds.height / 2.f, newBounds.width, newBounds.height);
    if (level == 1)
    {
        const sf::Vector2f delta(oldBounds.width - newBounds.width, oldBounds.height - newBounds.height);
        base.move(delta / 2.f);
        base.resizedSize = delta;
        base.resized = true;
    }
}

struct TowerUpgradeStep
{
    const char* turret;
    bool moreDamage;
    std::vector<sf::Vector2f> barrels; // empty: unchanged
    const char* projectile;            // null: unchanged
};

const TowerUpgradeStep* TowerStep(int kind, int level)
{
    static const TowerUpgradeStep bullet[] = {
        {"tower1upgrade1", true, {{0.f, 0.f}}, nullptr},
        {"tower1upgrade2", false, {{0.f, -5.f}, {0.f, 5.f}}, nullptr},
        {"tower1upgrade3", true, {{0.f, -5.f}, {0.f, 5.f}}, nullptr},
    };
    static const TowerUpgradeStep smallRocket[] = {
        {"tower2upgrade1Loaded", false, {}, "rocketSmallUpgrade1"},
        {"tower2upgrade2Loaded", true, {}, "rocketSmallBase"},
        {"tower2upgrade3Loaded", false, {}, "rocketSmallUpgrade1"},
    };
    if (level < 1 || level > 3)
        return nullptr;
    if (kind == 1)
        return &bullet[level - 1];
    if (kind == 2)
        return &smallRocket[level - 1];
    return nullptr;
}

void UpgradeTower(GameObject& tower, StatusComponent& status, int kind, int level)
{
    const TowerUpgradeStep* step = TowerStep(kind, level);
    if (!step)
        return;
    if (const auto turret = TurretRenderer(tower))
    {
        turret->SetSprite(SpriteOf(step->turret));
        // Shots leave from the turret as drawn, so the spawner follows the new sprite.
        if (const auto spawner = tower.GetComponent<SpawnerComponent>())
            spawner->turretSprite = turret->sprite;
    }
    if (step->moreDamage)
        status.damage += status.damage * 0.25f;
    status.fireInterval -= 0.125f;
    if (const auto spawner = tower.GetComponent<SpawnerComponent>())
    {
        if (!step->barrels.empty())
            spawner->SetBarrelOffsets(step->barrels);
        if (step->projectile)
            spawner->SetProjectileSprite(SpriteOf(step->projectile));
    }
}
} // namespace

void GameConfig::applyUpgrade(GameObject& object)
{
    const auto upgrade = object.GetComponent<UpgradeStateComponent>();
    const auto status = object.GetComponent<StatusComponent>();
    if (!upgrade || !status)
        return;
    if (upgrade->isBase)
        UpgradeBase(object, *status, upgrade->level);
    else
        UpgradeTower(object, *status, upgrade->towerKind, upgrade->level);
    upgrade->level += 1;
    upgrade->ready = false;
    SoundManager::instance().PlaySound("towerUpgrade", 150.f);
}
