// The render manager's picture of a whole game, against the one that each component drawing itself
// gives: runs of sprites drawn as one list, and the ground drawn from one copy per level. Needs a
// GL context.

#include "entities/GameObjectManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/Factories.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/Tables.hpp"
#include "services/AssetManager.hpp"
#include "tests/app/AppTestSupport.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
class Pictures : public ::testing::Test
{
protected:
    void SetUp() override { testing_support::ResetWorld(); }
    void TearDown() override { testing_support::ResetWorld(); }
};

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
TEST_F(Pictures, SpriteRunsDrawTheComponentsPicture)
{
    testing_support::ScratchGame scratch;
    testing_support::LoadAssets();
    testing_support::GameDriver driver({1280, 720});
    driver.StartGame();
    GameConfig::instance().BuildTower(BulletTower, 300.f, 300.f);
    GameConfig::instance().BuildTower(SmallRocketTower, 560.f, 400.f);
    const auto liveEnemies = []
    {
        int count = 0;
        for (const auto& object : GameObjectManager::instance().objects)
            count += object->alive && object->type == ObjectType::Enemy;
        return count;
    };
    for (int frame = 0; frame < 3000 && liveEnemies() < 14; ++frame)
        driver.Frame(1.f / 60.f);
    const auto window = driver.window;
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

// The ground is drawn from the copy taken at its first frame: the picture is the one that drawing
// the tiles every frame gives, pixel for pixel, also in a window of another shape (with bars) and
// with another layer order; a new level, a resized window or a changed view takes a new copy.
TEST_F(Pictures, TheGroundsCopyDrawsTheTilesPicture)
{
    testing_support::ScratchGame scratch;
    testing_support::LoadAssets();
    testing_support::GameDriver driver({1280, 720});
    driver.StartGame();
    GameConfig::instance().BuildTower(BulletTower, 300.f, 300.f);
    for (int frame = 0; frame < 400; ++frame)
        driver.Frame(1.f / 60.f);
    const auto window = driver.window;
    auto& render = RenderManager::instance();
    const auto picture = [&](bool copy)
    {
        render.copyGround = copy;
        window->clear();
        render.Draw(window);
        return Shot(*window);
    };
    const auto differing = [](const sf::Image& a, const sf::Image& b)
    {
        if (a.getSize() != b.getSize())
            return -1;
        int count = 0;
        for (unsigned y = 0; y < a.getSize().y; ++y)
            for (unsigned x = 0; x < a.getSize().x; ++x)
                count += a.getPixel(x, y) != b.getPixel(x, y);
        return count;
    };
    const std::size_t copies = render.GroundCopies();
    const sf::Image plain = picture(false);
    picture(true);
    const sf::Image copied = picture(true);
    EXPECT_GE(copies, 1u);
    EXPECT_EQ(render.GroundCopies(), copies) << "the game's frames took the copy, and nothing changed since";
    EXPECT_EQ(differing(plain, copied), 0);
    EXPECT_EQ(copied.getPixel(5, 200), plain.getPixel(5, 200));

    // Letterboxed: the window is wider than the world, the view shows it in the middle.
    window->setSize({1000, 400});
    sf::View boxed(sf::FloatRect(0.f, 0.f, 1280.f, 720.f));
    boxed.setViewport({0.25f, 0.f, 0.5f, 1.f});
    window->setView(boxed);
    const sf::Image boxedPlain = picture(false);
    picture(true);
    EXPECT_EQ(differing(boxedPlain, picture(true)), 0);
    EXPECT_EQ(render.GroundCopies(), copies + 1);

    // The decoration layer moved over the sprites: only the layer before them is copied.
    window->setSize({1280, 720});
    window->setView(sf::View(sf::FloatRect(0.f, 0.f, 1280.f, 720.f)));
    std::swap(render.layers[1], render.layers[2]);
    const sf::Image reordered = picture(false);
    picture(true);
    EXPECT_EQ(differing(reordered, picture(true)), 0);
    EXPECT_EQ(render.GroundCopies(), copies + 2);
    // The sprites first: there is no ground, and the tiles cover the tower.
    std::rotate(render.layers.begin(), render.layers.begin() + 1, render.layers.begin() + 3);
    ASSERT_EQ(render.layers[0].first, WorldLayer);
    const sf::Image covered = picture(true);
    EXPECT_EQ(differing(covered, picture(false)), 0);
    EXPECT_GT(differing(covered, plain), 0);
    EXPECT_EQ(render.GroundCopies(), copies + 2);

    // Leaving the level drops the copy.
    render.Clear();
    EXPECT_EQ(differing(picture(true), picture(false)), 0);
}

namespace
{
float Luminance(sf::Color c)
{
    return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}
// Pixels within a shot's box whose brightness differs from the ground under them by at least
// step: bright ones above it and dark ones below it.
std::pair<int, int> Standouts(const sf::Image& ground, const sf::Image& shots, sf::Vector2f at, float step)
{
    int brighter = 0, darker = 0;
    for (int y = static_cast<int>(at.y) - 14; y <= static_cast<int>(at.y) + 14; ++y)
        for (int x = static_cast<int>(at.x) - 40; x <= static_cast<int>(at.x) + 14; ++x)
        {
            const float d = Luminance(shots.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y))) -
                            Luminance(ground.getPixel(static_cast<unsigned>(x), static_cast<unsigned>(y)));
            brighter += d >= step;
            darker += d <= -step;
        }
    return {brighter, darker};
}
} // namespace

// Shots are easy to see on every ground of the level: flying right over the grass, the road and
// the water, each shows a bright streak that stands out from the ground under it, and on the light
// grounds (grass, road) a dark edge as well; on the dark water the streak alone stands out.
TEST_F(Pictures, ShotsStandOutOnTheGrassTheRoadAndTheWater)
{
    testing_support::ScratchGame scratch;
    testing_support::LoadAssets();
    testing_support::GameDriver driver({1280, 720});
    driver.picture = FrameOptions::Picture::Drawn;
    driver.StartGame();
    driver.Frame(1.f / 60.f);
    const auto window = driver.window;
    window->clear();
    RenderManager::instance().Draw(window);
    const sf::Image ground = Shot(*window);

    GameConfig::instance().BuildTower(BulletTower, 1100.f, 640.f); // the shooter, far from them all
    const auto tower = GameObjectManager::instance().objects.back();
    const struct
    {
        const char* ground;
        sf::Vector2f at;
        bool light; // where the ground is lighter than the streak's edge, the edge shows too
    } places[] = {
        {"grass", {620.f, 150.f}, true}, {"road", {580.f, 260.f}, true}, {"water", {100.f, 620.f}, false}};
    for (const auto& place : places)
    {
        const auto shot = CreateProjectile(SpriteOf("projectile"), tower.get(), 50.f, {});
        shot->setPosition(place.at);
        shot->setRotation(0.f);
    }
    window->clear();
    RenderManager::instance().Draw(window);
    const sf::Image shots = Shot(*window);
    for (const auto& place : places)
    {
        const auto [brighter, darker] = Standouts(ground, shots, place.at, 60.f);
        EXPECT_GE(brighter, 40) << place.ground;
        if (place.light)
        {
            EXPECT_GE(darker, 20) << place.ground;
        }
    }
}
