#include "gameplay/GameConfig.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/Targeting.hpp"
#include "gameplay/TowerInfo.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/SoundManager.hpp"

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
    case BulletTower:
        return bulletTowerPrice;
    case SmallRocketTower:
        return smallRocketTowerPrice;
    case BigRocketTower:
        return bigRocketTowerPrice;
    default:
        return 0;
    }
}

void GameConfig::tryBuildTower(int kind, float x, float y)
{
    if (!buildAllowed || !TowerTypeOf(kind))
        return;
    if (GameCounters::instance().money >= TowerPrice(kind))
    {
        payForTower(kind);
        BuildTower(kind, x, y);
    }
}

void GameConfig::payForTower(int kind)
{
    if (TowerTypeOf(kind))
        GameCounters::instance().ChangeMoney(-TowerPrice(kind));
    if (const auto& cursor = GameplayManager::instance().cursorInput)
        cursor->selectedTower = 0;
}

void GameConfig::BuildTower(int kind, float x, float y)
{
    SoundManager::instance().PlaySound("towerConstruct", 30.f);
    CreateTower(kind, x, y);
    ++GameCounters::instance().statistics.towersBuilt;
}

bool GameConfig::SellTower(GameObject& tower)
{
    if (tower.type != ObjectType::Tower || !tower.alive)
        return false;
    const std::int32_t refund = SellRefund(tower);
    tower.Destroy();
    GameCounters::instance().Refund(refund);
    SoundManager::instance().PlaySound("sell", 40.f);
    return true;
}

const char* RefusalText(UpgradeResult result)
{
    switch (result)
    {
    case UpgradeResult::FullyUpgraded:
        return "Fully upgraded";
    case UpgradeResult::NotEnoughGold:
        return "Not enough gold";
    default:
        return nullptr;
    }
}

std::int32_t GameConfig::UpgradePrice(const UpgradeStateComponent& upgrade) const
{
    const std::int32_t level = upgrade.level;
    if (upgrade.isBase)
        return level <= baseUpgradeLimit ? baseUpgradePrice * level : 0;
    if (upgrade.towerKind == BulletTower && level <= bulletTowerUpgradeLimit)
        return bulletTowerUpgradePrice * level;
    if (upgrade.towerKind == SmallRocketTower && level <= smallRocketTowerUpgradeLimit)
        return smallRocketTowerUpgradePrice * level;
    return 0;
}

UpgradeResult GameConfig::tryUpgrade(GameObject& object)
{
    const auto upgrade = object.GetComponent<UpgradeStateComponent>();
    if (!upgrade)
        return UpgradeResult::NotUpgradable;
    if (!upgrade->ready)
        return UpgradeResult::NotReady;
    const std::int32_t price = UpgradePrice(*upgrade);
    if (price <= 0)
        return UpgradeResult::FullyUpgraded;
    if (GameCounters::instance().money < price)
        return UpgradeResult::NotEnoughGold;
    payForUpgrade(*upgrade);
    applyUpgrade(object);
    return UpgradeResult::Upgraded;
}

void GameConfig::payForUpgrade(UpgradeStateComponent& upgrade)
{
    GameCounters::instance().ChangeMoney(-UpgradePrice(upgrade));
}

namespace
{
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
        box->rect =
            sf::FloatRect(base.getPosition().x - newBounds.width / 2.f,
                          base.getPosition().y - newBounds.height / 2.f, newBounds.width, newBounds.height);
    if (level == 1)
    {
        const sf::Vector2f delta(oldBounds.width - newBounds.width, oldBounds.height - newBounds.height);
        base.move(delta / 2.f);
        base.resizedSize = delta;
        base.resized = true;
    }
}

void UpgradeTower(GameObject& tower, StatusComponent& status, int kind, int level)
{
    const TowerType* const type = TowerTypeOf(kind);
    if (!type || level < 1 || level > static_cast<int>(type->upgrades.size()))
        return;
    const TowerUpgrade* const step = &type->upgrades[static_cast<std::size_t>(level - 1)];
    if (const auto turret = TurretRenderer(tower))
    {
        turret->SetSprite(SpriteOf(step->turretTexture));
        // Shots leave from the turret as drawn, so the spawner follows the new sprite.
        if (const auto spawner = tower.GetComponent<SpawnerComponent>())
            spawner->turretSprite = turret->sprite;
    }
    if (step->moreDamage)
        status.damage += status.damage * 0.25f;
    status.fireInterval -= TowerNumbers::UpgradeFireStep;
    if (const auto spawner = tower.GetComponent<SpawnerComponent>())
    {
        if (!step->barrels.empty())
            spawner->SetBarrelOffsets(step->barrels);
        if (step->projectileTexture)
            spawner->SetProjectileSprite(SpriteOf(step->projectileTexture));
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
