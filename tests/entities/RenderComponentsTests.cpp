// What the render components and the render manager put on screen: sprite origins, layers and
// tile layers drawn in batches, against the picture the components give drawing themselves (the
// pictures of a whole game are in tests/app/PicturesTests.cpp). Needs a GL context.

#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "entities/TileBatches.hpp"
#include "services/AssetManager.hpp"
#include "tests/entities/EntityTestSupport.hpp"

#include <SFML/Graphics/RenderTexture.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace entity_tests;

namespace
{
using testing_support::Picture;
using testing_support::Solid;

class Pictures : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetEntities(); }
    void TearDown() override { testing_support::ResetEntities(); }

    sf::Sprite At(const sf::Texture& texture, float x, float y)
    {
        sf::Sprite sprite(texture);
        sprite.setPosition(x, y);
        return sprite;
    }
};
} // namespace

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
    render.AddRenderComponent(
        std::make_shared<SpriteRenderComponent>(redObject.get(), 2, std::make_shared<sf::Sprite>(*red)));
    auto tiles = std::make_shared<GameObject>(ObjectType::TileMap);
    auto layer = std::make_shared<TiledLayerComponent>(tiles.get(), 0);
    auto tile = std::make_shared<sf::Sprite>(*blue);
    tile->setPosition(20.f, 20.f);
    layer->tiles.push_back(tile);
    render.AddRenderComponent(layer);
    auto hiddenAway = std::make_shared<GameObject>(ObjectType::Tower);
    hiddenAway->setPosition(8.f, 8.f);
    render.AddRenderComponent(
        std::make_shared<SpriteRenderComponent>(hiddenAway.get(), 7, std::make_shared<sf::Sprite>(*red)));

    auto centre = [&]
    {
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

// The tile layer's vertex arrays against the same sprites drawn one by one, flipped ones included.
TEST_F(Pictures, TileBatchesDrawTheTilesPicture)
{
    testing_support::ScratchGame scratch;
    testing_support::LoadAssets();
    const sf::Texture& sheet = AssetManager::instance().GetTexture("tilesheet");
    const sf::Texture& other = AssetManager::instance().GetTexture("enemy_1");
    std::vector<std::shared_ptr<sf::Sprite>> tiles;
    for (int i = 0; i < 40; ++i)
    {
        const bool fromSheet = i % 7 != 3;
        auto sprite =
            fromSheet
                ? std::make_shared<sf::Sprite>(sheet, sf::IntRect((i % 8) * 40, (i / 8 % 7) * 40, 40, 40))
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
