#include "gameplay/GameConfig.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Targeting.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/SoundManager.hpp"

#include <vector>

GameConfig& GameConfig::instance()
{
    static GameConfig config;
    return config;
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
    const std::uint32_t growth = KeepGrowth(status.health);
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
    const TowerUpgrade* const step = NextUpgrade(kind, level);
    if (!step)
        return;
    const auto spawner = tower.GetComponent<SpawnerComponent>();
    if (const auto turret = TurretRenderer(tower))
    {
        turret->SetSprite(SpriteOf(step->turretTexture));
        // Shots leave from the turret as drawn, so the spawner follows the new sprite.
        if (spawner)
            spawner->turretSprite = turret->sprite;
    }
    const TowerStats after = Upgraded(
        {status.damage, status.fireInterval, spawner ? spawner->barrelOffsets : std::vector<sf::Vector2f>()},
        *step);
    status.damage = after.damage;
    status.fireInterval = after.fireInterval;
    if (spawner)
    {
        spawner->SetBarrelOffsets(after.barrels);
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
