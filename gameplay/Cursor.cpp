#include "gameplay/Cursor.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/GameObject.hpp"
#include "entities/PhysicsManager.hpp"
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

#include <vector>

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

bool GroundFreeAt(sf::Vector2f point)
{
    const auto& cursorInput = GameplayManager::instance().cursorInput;
    GameObject* const cursor = cursorInput ? cursorInput->GetOwner() : nullptr;
    if (!cursor)
        return true;
    std::vector<CollisionComponent*> shapes;
    for (const auto& component : cursor->components)
    {
        if (component->GetType() == ComponentType::Collision)
            shapes.push_back(static_cast<CollisionComponent*>(component.get()));
    }
    const sf::Vector2f was = cursor->getPosition();
    const auto placeAt = [cursor, &shapes](sf::Vector2f at)
    {
        cursor->setPosition(at);
        for (CollisionComponent* shape : shapes)
            shape->PhysicsUpdate(0.f);
    };
    placeAt(point);
    bool free = true;
    for (const auto& [other, tag] : PhysicsManager::instance().colliders)
    {
        if (!free)
            break;
        if (!other->GetOwner()->alive || !BlocksBuilding(*other))
            continue;
        for (CollisionComponent* shape : shapes)
        {
            // In the order the detection tests a pair: the registry's, by address.
            bool firstIsFirst = true;
            const bool touches = shape < other.get() ? TestPair(*shape, *other, firstIsFirst)
                                                     : TestPair(*other, *shape, firstIsFirst);
            if (touches)
            {
                free = false;
                break;
            }
        }
    }
    placeAt(was);
    return free;
}

BuildVerdict BuildVerdictAt(int kind, sf::Vector2f point, bool overWidgets)
{
    if (!TowerTypeOf(kind))
        return BuildVerdict::NothingSelected;
    if (overWidgets)
        return BuildVerdict::OverWidgets;
    if (!GroundFreeAt(point))
        return BuildVerdict::BlockedGround;
    if (GameCounters::instance().money < TowerPrice(kind))
        return BuildVerdict::NotEnoughGold;
    return BuildVerdict::Build;
}

BuildVerdict InputComponent::Verdict() const
{
    const auto& input = InputManager::instance();
    return BuildVerdictAt(selectedTower, input.MousePosition(), input.pointerOverWidgets);
}

void InputComponent::Update(float)
{
    if (!followed)
        FollowPointer();
    followed = false;
    auto& input = InputManager::instance();
    // A click the frame loop told of reached the world; one set directly asks the widgets now.
    const int kind = click ? click->kind : selectedTower;
    if (input.IsMouseButtonPressed(sf::Mouse::Left) && kind != NoTower)
    {
        const sf::Vector2f at = owner->getPosition();
        switch (BuildVerdictAt(kind, at, click ? false : input.pointerOverWidgets))
        {
        case BuildVerdict::Build:
            GameConfig::instance().tryBuildTower(kind, at.x, at.y);
            // Chosen again in the same poll, after the click: for the next tower.
            if (click && click->chosenAgain)
                selectedTower = kind;
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
    click.reset();
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
const sf::Color HintReach(255, 214, 90);
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
    // The spot a hint says to build on: its reach, faint, and a ring where the tower would stand.
    if (const auto& spot = GameplayManager::instance().hintSpot)
    {
        DrawReach(*window, *spot, HintReach);
        sf::CircleShape ring(30.f, 48);
        ring.setOrigin(30.f, 30.f);
        ring.setPosition(*spot);
        ring.setFillColor(sf::Color(HintReach.r, HintReach.g, HintReach.b, 60));
        ring.setOutlineColor(HintReach);
        ring.setOutlineThickness(4.f);
        window->draw(ring);
    }

    const TowerType* const type = TowerTypeOf(input ? input->selectedTower : NoTower);
    if (!type)
        return;
    // Where a click would land now, and what it would do there: over the HUD or a card a click
    // is theirs, and no preview shows.
    const BuildVerdict verdict = input->Verdict();
    if (verdict == BuildVerdict::OverWidgets)
        return;
    const bool builds = verdict == BuildVerdict::Build;
    const sf::Vector2f at = InputManager::instance().MousePosition();
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
