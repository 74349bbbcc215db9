// Pictures: pixel-mask contacts, sprite origins and the build preview, and what the render
// manager actually puts on screen. Needs a GL context.

#include "app/services/AssetManager.hpp"
#include "app/services/InputManager.hpp"
#include "gameplay/GameConfig.hpp"
#include "ui/UIManager.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "entities/ShapeOverlap.hpp"
#include "tests/entities/EntityTestSupport.hpp"
#include "tests/support/TestSupport.hpp"

#include <gtest/gtest.h>

#include <functional>

using namespace entity_tests;

namespace
{
// A size.x by size.y texture whose pixels are coloured by paint(x, y).
std::shared_ptr<sf::Texture> Picture(sf::Vector2u size, const std::function<sf::Color(unsigned, unsigned)>& paint)
{
    sf::Image image;
    image.create(size.x, size.y, sf::Color::Transparent);
    for (unsigned x = 0; x < size.x; ++x)
        for (unsigned y = 0; y < size.y; ++y)
            image.setPixel(x, y, paint(x, y));
    auto texture = std::make_shared<sf::Texture>();
    texture->loadFromImage(image);
    return texture;
}

std::shared_ptr<sf::Texture> Solid(sf::Vector2u size, sf::Color colour = sf::Color::White)
{
    return Picture(size, [colour](unsigned, unsigned) { return colour; });
}

class Pictures : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetWorld(); }
    void TearDown() override { testing_support::ResetWorld(); }

    sf::Sprite At(const sf::Texture& texture, float x, float y)
    {
        sf::Sprite sprite(texture);
        sprite.setPosition(x, y);
        return sprite;
    }
};
} // namespace

TEST_F(Pictures, PixelTestBoundsMasksAndAlpha)
{
    const auto opaque = Solid({4, 4});
    const sf::Image opaqueMask = opaque->copyToImage();
    EXPECT_TRUE(PixelsOverlap(At(*opaque, 0, 0), opaqueMask, At(*opaque, 2, 2), opaqueMask));
    EXPECT_FALSE(PixelsOverlap(At(*opaque, 0, 0), opaqueMask, At(*opaque, 4, 0), opaqueMask));

    // Only column 0 opaque: the first column never counts, even fully overlapped.
    const auto column0 = Picture({4, 4}, [](unsigned x, unsigned) { return x == 0 ? sf::Color::Red : sf::Color::Transparent; });
    const sf::Image column0Mask = column0->copyToImage();
    EXPECT_FALSE(PixelsOverlap(At(*column0, 0, 0), column0Mask, At(*column0, 0, 0), column0Mask));
    // ... nor the first row.
    const auto row0 = Picture({4, 4}, [](unsigned, unsigned y) { return y == 0 ? sf::Color::Red : sf::Color::Transparent; });
    const sf::Image row0Mask = row0->copyToImage();
    EXPECT_FALSE(PixelsOverlap(At(*row0, 0, 0), row0Mask, At(*opaque, 0, 0), opaqueMask));
    // Half a pixel to the right, screen column 1 lands at local 0.5, truncated to column 0.
    EXPECT_TRUE(PixelsOverlap(At(*column0, 0.5f, 0), column0Mask, At(*opaque, 0, 0), opaqueMask));

    // Only alpha decides: coloured but fully transparent pixels are empty, alpha 1 is solid.
    const auto clear = Solid({4, 4}, sf::Color(255, 255, 255, 0));
    const auto faint = Solid({4, 4}, sf::Color(0, 0, 0, 1));
    EXPECT_FALSE(PixelsOverlap(At(*clear, 0, 0), clear->copyToImage(), At(*opaque, 0, 0), opaqueMask));
    EXPECT_TRUE(PixelsOverlap(At(*faint, 0, 0), faint->copyToImage(), At(*opaque, 0, 0), opaqueMask));

    // Bounds are truncated: at 0.9 a 4-wide sprite spans 0..4, so one at 3.5 (3..7) shares only
    // screen column 3, which lies left of the second sprite's picture.
    EXPECT_FALSE(PixelsOverlap(At(*opaque, 0.9f, 0), opaqueMask, At(*opaque, 3.5f, 0), opaqueMask));
    EXPECT_TRUE(PixelsOverlap(At(*opaque, 0.9f, 0), opaqueMask, At(*opaque, 2.5f, 0), opaqueMask));

    // A flipped sprite (negative scale) still spans its bounds.
    sf::Sprite flipped = At(*opaque, 4, 0);
    flipped.setScale(-1.f, 1.f);
    EXPECT_TRUE(PixelsOverlap(flipped, opaqueMask, At(*opaque, 2, 0), opaqueMask));
}

TEST_F(Pictures, PixelCollidersMeetOnlyPixelCollidersAndKeepTheirFirstMask)
{
    const auto opaque = Solid({32, 32});
    const auto empty = Solid({32, 32}, sf::Color::Transparent);

    auto projectile = std::make_shared<GameObject>(ObjectType::Obstacle);
    auto projectileBody = std::make_shared<RigidBodyComponent>(projectile.get());
    auto projectileSprite = std::make_shared<sf::Sprite>(*opaque);
    projectileSprite->setPosition(100.f, 100.f);
    auto projectilePixels = std::make_shared<PixelCollisionComponent>(projectile.get(), projectileBody, projectileSprite);
    PhysicsManager::instance().AddCollider(projectilePixels, "Obstacle");

    // A box and a circle right on top of it are never tested against pixels.
    MakeBox(ObjectType::Obstacle, {116.f, 116.f}, {64.f, 64.f}, "Tower");
    const Thing circle = MakeCircle(ObjectType::Obstacle, {116.f, 116.f}, 40.f, "Obstacle");
    auto& physics = PhysicsManager::instance();
    physics.Update(0.f);
    ASSERT_EQ(physics.contacts.size(), 1u); // box and circle only
    EXPECT_EQ(physics.contacts.front().first, circle.collider);

    auto enemy = std::make_shared<GameObject>(ObjectType::Obstacle);
    auto enemyBody = std::make_shared<RigidBodyComponent>(enemy.get());
    auto enemySprite = std::make_shared<sf::Sprite>(*opaque);
    enemySprite->setPosition(110.f, 110.f);
    auto enemyPixels = std::make_shared<PixelCollisionComponent>(enemy.get(), enemyBody, enemySprite);
    physics.AddCollider(enemyPixels, "Obstacle");
    // The picture changes after construction; the mask does not.
    enemySprite->setTexture(*empty);
    physics.Update(0.f);
    EXPECT_EQ(physics.contacts.size(), 2u);

    enemy->alive = false;
    physics.Update(0.f);
    EXPECT_EQ(physics.contacts.size(), 1u);
}

TEST_F(Pictures, SpritesAreCentredInIntegerHalves)
{
    const auto odd = Solid({65, 33});
    const auto other = Solid({10, 20});
    GameObject tower(ObjectType::Tower);
    tower.setPosition(50.f, 60.f);
    tower.setRotation(30.f);

    auto sprite = std::make_shared<sf::Sprite>(*odd);
    SpriteRenderComponent plain(&tower, 2, sprite);
    EXPECT_EQ(sprite->getOrigin(), sf::Vector2f(32.f, 16.f));
    EXPECT_TRUE(plain.followRotation);
    EXPECT_EQ(sprite->getPosition(), sf::Vector2f()); // this constructor does not place it

    auto placed = std::make_shared<sf::Sprite>(*odd, sf::IntRect(0, 0, 9, 7));
    SpriteRenderComponent fixed(&tower, false, 2, placed);
    EXPECT_EQ(placed->getOrigin(), sf::Vector2f(4.f, 3.f));
    EXPECT_FALSE(fixed.followRotation);
    EXPECT_EQ(placed->getPosition(), sf::Vector2f(50.f, 60.f));

    sprite->setRotation(45.f);
    auto replacement = std::make_shared<sf::Sprite>(*other);
    plain.SetSprite(replacement);
    EXPECT_EQ(plain.sprite, replacement);
    EXPECT_FLOAT_EQ(replacement->getRotation(), 45.f);
    EXPECT_EQ(replacement->getOrigin(), sf::Vector2f(5.f, 10.f));
}

TEST_F(Pictures, RenderManagerStacksLayersOnScreen)
{
    auto window = std::make_shared<sf::RenderWindow>(sf::VideoMode(64, 64), "layers");
    const auto red = Solid({16, 16}, sf::Color::Red);
    const auto blue = Solid({16, 16}, sf::Color::Blue);
    auto& render = RenderManager::instance();

    auto redObject = std::make_shared<GameObject>(ObjectType::Tower);
    redObject->setPosition(32.f, 32.f);
    render.AddRenderComponent(std::make_shared<SpriteRenderComponent>(redObject.get(), 2, std::make_shared<sf::Sprite>(*red)));
    auto tiles = std::make_shared<GameObject>(ObjectType::TileMap);
    auto layer = std::make_shared<TiledLayerComponent>(tiles.get(), 0);
    auto tile = std::make_shared<sf::Sprite>(*blue);
    tile->setPosition(20.f, 20.f);
    layer->tiles.push_back(tile);
    render.AddRenderComponent(layer);
    auto hiddenAway = std::make_shared<GameObject>(ObjectType::Tower);
    hiddenAway->setPosition(8.f, 8.f);
    render.AddRenderComponent(std::make_shared<SpriteRenderComponent>(hiddenAway.get(), 7, std::make_shared<sf::Sprite>(*red)));

    auto centre = [&] {
        window->clear(sf::Color::Black);
        render.Draw(window);
        sf::Texture shot;
        shot.create(64, 64);
        shot.update(*window);
        const sf::Image image = shot.copyToImage();
        EXPECT_EQ(image.getPixel(8, 8), sf::Color::Black) << "layer 7 is never drawn";
        return image.getPixel(32, 32);
    };
    EXPECT_EQ(centre(), sf::Color::Red); // sprites (2) above the ground (0)
    render.layers = {{1, true}, {2, true}, {3, true}, {4, true}, {0, true}};
    EXPECT_EQ(centre(), sf::Color::Blue);
    render.layers[4].second = false;
    EXPECT_EQ(centre(), sf::Color::Red);
    redObject->alive = false;
    EXPECT_EQ(centre(), sf::Color::Black);
}

TEST_F(Pictures, BuildPreviewShowsTheSelectedTowerAtTheCursor)
{
    auto& assets = AssetManager::instance();
    assets.textures["towerPlatformShape"] = Solid({64, 64});
    assets.textures["tower1shape"] = Solid({31, 41});
    assets.textures["tower2shape"] = Solid({33, 43});
    assets.textures["tower3shape"] = Solid({35, 45});

    auto window = std::make_shared<sf::RenderWindow>(sf::VideoMode(200, 200), "preview");
    GameObject cursor(ObjectType::Mouse);
    cursor.setPosition(100.f, 90.f);
    auto input = std::make_shared<InputComponent>(&cursor);
    TowerShapeRenderComponent preview(&cursor, input);
    EXPECT_EQ(preview.GetLayer(), 2);

    auto capture = [&] {
        window->clear(sf::Color::Black);
        preview.Draw(window);
        sf::Texture shot;
        shot.create(200, 200);
        shot.update(*window);
        return shot.copyToImage().getPixel(100, 90);
    };
    EXPECT_EQ(capture(), sf::Color::Black); // nothing selected

    input->selectedTower = 3;
    EXPECT_EQ(capture(), sf::Color::White);
    EXPECT_EQ(preview.shapeSprite->getTexture(), assets.textures["tower3shape"].get());
    EXPECT_EQ(preview.shapeSprite->getTextureRect(), sf::IntRect(0, 0, 35, 45));
    EXPECT_EQ(preview.shapeSprite->getOrigin(), sf::Vector2f(17.f, 22.f));
    EXPECT_EQ(preview.shapeSprite->getPosition(), sf::Vector2f(100.f, 90.f));
    EXPECT_EQ(preview.platformSprite->getOrigin(), sf::Vector2f(32.f, 32.f));
    EXPECT_EQ(preview.platformSprite->getPosition(), sf::Vector2f(100.f, 90.f));

    cursor.alive = false; // the preview does not care
    input->selectedTower = 1;
    EXPECT_EQ(capture(), sf::Color::White);
    EXPECT_EQ(preview.shapeSprite->getTexture(), assets.textures["tower1shape"].get());
    assets.textures.clear();
}

namespace
{
// A press at (300, 200), where the test's mouse rests.
sf::Event Click(sf::Mouse::Button button)
{
    sf::Event event{};
    event.type = sf::Event::MouseButtonPressed;
    event.mouseButton.button = button;
    event.mouseButton.x = 300;
    event.mouseButton.y = 200;
    return event;
}

std::size_t Towers()
{
    std::size_t count = 0;
    for (const auto& object : GameObjectManager::instance().objects)
        count += object->type == ObjectType::Tower ? 1u : 0u;
    return count;
}
} // namespace

TEST_F(Pictures, CursorFollowsTheMouseBuildsOnLeftClickBeforeARightClickClears)
{
    testing_support::ScratchGame scratch;
    testing_support::LoadAssets();
    auto& input = InputManager::instance();
    input.mouseSource = [] { return sf::Vector2i(300, 200); };
    UIManager::instance().money = 1000;

    GameObject cursor(ObjectType::Mouse);
    InputComponent component(&cursor);
    component.selectedTower = 1;

    GameConfig::instance().buildAllowed = false; // resting on something
    input.HandleEvent(Click(sf::Mouse::Left));
    component.Update(0.f);
    EXPECT_EQ(cursor.getPosition(), sf::Vector2f(300.f, 200.f));
    EXPECT_EQ(Towers(), 0u);
    EXPECT_EQ(component.selectedTower, 1);

    // Left and right in one poll: the build comes first, then the selection is dropped.
    input.Update();
    GameConfig::instance().buildAllowed = true;
    input.HandleEvent(Click(sf::Mouse::Left));
    input.HandleEvent(Click(sf::Mouse::Right));
    component.Update(0.f);
    ASSERT_EQ(Towers(), 1u);
    EXPECT_EQ(GameObjectManager::instance().objects.front()->getPosition(), sf::Vector2f(300.f, 200.f));
    EXPECT_EQ(component.selectedTower, 0);

    // A right click alone only drops the selection.
    input.Update();
    component.selectedTower = 2;
    input.HandleEvent(Click(sf::Mouse::Right));
    component.Update(0.f);
    EXPECT_EQ(component.selectedTower, 0);
    EXPECT_EQ(Towers(), 1u);
    testing_support::ResetWorld();
    AssetManager::instance().textures.clear();
}
