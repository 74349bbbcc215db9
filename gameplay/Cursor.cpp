#include "gameplay/Cursor.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/RenderComponents.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetManager.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderWindow.hpp>

void InputComponent::FollowPointer()
{
    owner->setPosition(InputManager::instance().ClickPosition());
    for (const auto& component : owner->components)
    {
        if (component->GetType() == ComponentType::Collision)
            component->PhysicsUpdate(0.f);
    }
    followed = true;
}

BuildVerdict InputComponent::Verdict() const
{
    const auto& config = GameConfig::instance();
    if (!TowerTypeOf(selectedTower))
        return BuildVerdict::NothingSelected;
    if (InputManager::instance().pointerOverWidgets)
        return BuildVerdict::OverWidgets;
    if (!config.buildAllowed)
        return BuildVerdict::BlockedGround;
    if (GameCounters::instance().money < TowerPrice(selectedTower))
        return BuildVerdict::NotEnoughGold;
    return BuildVerdict::Build;
}

void InputComponent::Update(float)
{
    if (!followed)
        FollowPointer();
    followed = false;
    auto& input = InputManager::instance();
    if (input.IsMouseButtonPressed(sf::Mouse::Left) && selectedTower != NoTower)
    {
        const sf::Vector2f at = owner->getPosition();
        switch (Verdict())
        {
        case BuildVerdict::Build:
            GameConfig::instance().tryBuildTower(selectedTower, at.x, at.y);
            break;
        case BuildVerdict::BlockedGround:
            GameCounters::instance().Refuse("Can't build here", at);
            break;
        case BuildVerdict::NotEnoughGold:
            GameCounters::instance().Refuse("Not enough gold", at);
            break;
        default:
            break;
        }
    }
    if (input.IsMouseButtonPressed(sf::Mouse::Right))
        selectedTower = 0;
}

TowerShapeRenderComponent::TowerShapeRenderComponent(GameObject* owner, std::shared_ptr<InputComponent> input)
    : RenderComponent(owner, WorldLayer), platformSprite(SpriteOf("towerPlatformShape")),
      shapeSprite(SpriteOf(TowerTypeOf(BulletTower)->previewTexture)), input(std::move(input))
{
}

namespace
{
const sf::Color BuildTint(150, 255, 150);
const sf::Color RefuseTint(255, 120, 110);
const sf::Color InspectReach(255, 236, 170);
} // namespace

void TowerShapeRenderComponent::DrawReach(sf::RenderWindow& window, sf::Vector2f centre,
                                          sf::Color colour) const
{
    sf::CircleShape reach(TowerNumbers::DetectionRadius, 72);
    reach.setOrigin(TowerNumbers::DetectionRadius, TowerNumbers::DetectionRadius);
    reach.setPosition(centre);
    reach.setFillColor(sf::Color(colour.r, colour.g, colour.b, 38));
    reach.setOutlineColor(sf::Color(colour.r, colour.g, colour.b, 170));
    reach.setOutlineThickness(2.f);
    window.draw(reach);
}

void TowerShapeRenderComponent::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    // The reach of the tower whose card is open.
    if (const auto inspected = GameplayManager::instance().inspected.lock();
        inspected && inspected->alive && inspected->type == ObjectType::Tower)
        DrawReach(*window, inspected->getPosition(), InspectReach);

    const TowerType* const type = TowerTypeOf(input ? input->selectedTower : NoTower);
    if (!type)
        return;
    const bool builds = input->Verdict() == BuildVerdict::Build;
    const sf::Vector2f at = owner->getPosition();
    DrawReach(*window, at, builds ? sf::Color(120, 230, 120) : sf::Color(240, 90, 80));
    shapeSprite->setTexture(AssetManager::instance().GetTexture(type->previewTexture), true);
    CentreOrigin(*platformSprite);
    CentreOrigin(*shapeSprite);
    platformSprite->setPosition(at);
    shapeSprite->setPosition(at);
    platformSprite->setColor(builds ? BuildTint : RefuseTint);
    shapeSprite->setColor(builds ? BuildTint : RefuseTint);
    window->draw(*platformSprite);
    window->draw(*shapeSprite);
    if (builds)
        return;
    // Not only red: a cross over the preview says no as well.
    for (const float angle : {45.f, -45.f})
    {
        sf::RectangleShape bar({40.f, 7.f});
        bar.setOrigin(20.f, 3.5f);
        bar.setPosition(at);
        bar.setRotation(angle);
        bar.setFillColor(sf::Color(200, 40, 35, 235));
        bar.setOutlineColor(sf::Color(40, 8, 8, 235));
        bar.setOutlineThickness(1.5f);
        window->draw(bar);
    }
}
