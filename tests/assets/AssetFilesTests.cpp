#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/Window/Context.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

const std::string assetDir = std::string(VARNHOLD_SOURCE_DIR) + "/assets/";

// Every picture the game loads at start, the HUD's icons and the menus' backdrop.
const std::vector<std::string> textureFiles = {"tilesheet.png",
                                               "base.png",
                                               "base2.png",
                                               "base3.png",
                                               "tower_platform_shape.png",
                                               "tower_platform.png",
                                               "tower_1_shape.png",
                                               "tower_1_base.png",
                                               "tower_1_upgrade_1.png",
                                               "tower_1_upgrade_2.png",
                                               "tower_1_upgrade_3.png",
                                               "tower_2_shape.png",
                                               "tower_2_empty.png",
                                               "tower_2_loaded_base.png",
                                               "tower_2_loaded_upgrade_1.png",
                                               "tower_2_loaded_upgrade_2.png",
                                               "tower_2_loaded_upgrade_3.png",
                                               "tower_3_shape.png",
                                               "tower_3_empty.png",
                                               "tower_3_loaded.png",
                                               "projectile_1.png",
                                               "projectile_2_base.png",
                                               "projectile_2_upgrade_1.png",
                                               "projectile_3.png",
                                               "enemy_1.png",
                                               "enemy_2.png",
                                               "enemy_3.png",
                                               "enemy_4.png",
                                               "waypoint_debug.png",
                                               "menu_backdrop.png"};

const std::vector<std::string> hudIcons = {"hud_icon_bullet_tower.png",
                                           "hud_icon_bullet_tower_active.png",
                                           "hud_icon_rocket_tower_small.png",
                                           "hud_icon_rocket_tower_small_active.png",
                                           "hud_icon_rocket_tower_big.png",
                                           "hud_icon_rocket_tower_big_active.png",
                                           "hud_life_repair.png",
                                           "hud_life_repair_active.png"};

const std::vector<std::string> soundFiles = {
    "Cannon1.ogg", "pvc-rocket-cannon-90116.wav", "mixkit-construction-tool-box-829.wav",
    "20130512_construction-area-i_zoom_h2nxy-87229.wav", "hurt_c_08-102842.wav"};

sf::Image LoadImage(const std::string& file)
{
    sf::Image image;
    EXPECT_TRUE(image.loadFromFile(assetDir + file)) << file;
    return image;
}

float MeanBrightness(const sf::Image& image)
{
    double sum = 0.0;
    double weight = 0.0;
    for (unsigned y = 0; y < image.getSize().y; ++y)
        for (unsigned x = 0; x < image.getSize().x; ++x)
        {
            const sf::Color c = image.getPixel(x, y);
            const double a = c.a / 255.0;
            sum += a * (0.3 * c.r + 0.59 * c.g + 0.11 * c.b);
            weight += a;
        }
    return weight > 0.0 ? static_cast<float>(sum / weight) : 0.f;
}

bool CornersTransparent(const sf::Image& image)
{
    const sf::Vector2u s = image.getSize();
    return image.getPixel(0, 0).a == 0 && image.getPixel(s.x - 1, 0).a == 0 &&
           image.getPixel(0, s.y - 1).a == 0 && image.getPixel(s.x - 1, s.y - 1).a == 0;
}

} // namespace

TEST(AssetFiles, EveryTextureLoadsAsANonEmptyTexture)
{
    // One GL context for the whole loop, so the display is opened once instead of once per texture.
    sf::Context context;
    std::vector<std::string> all = textureFiles;
    all.insert(all.end(), hudIcons.begin(), hudIcons.end());
    for (const std::string& file : all)
    {
        sf::Texture texture;
        ASSERT_TRUE(texture.loadFromFile(assetDir + file)) << file;
        EXPECT_GT(texture.getSize().x, 0u) << file;
        EXPECT_GT(texture.getSize().y, 0u) << file;
    }
}

TEST(AssetFiles, PicturesHaveTheSizesTheGameAssumes)
{
    const sf::Image sheet = LoadImage("tilesheet.png");
    EXPECT_EQ(sheet.getSize().x, 320u);
    EXPECT_EQ(sheet.getSize().y % 40u, 0u);
    // The cursor's box and a tower's platform box are both 64 x 64.
    EXPECT_EQ(LoadImage("tower_platform.png").getSize(), sf::Vector2u(64, 64));
    EXPECT_EQ(LoadImage("tower_platform_shape.png").getSize(), sf::Vector2u(64, 64));
    for (const std::string& icon : hudIcons)
        EXPECT_EQ(LoadImage(icon).getSize(), sf::Vector2u(64, 64)) << icon;
    EXPECT_EQ(LoadImage("menu_backdrop.png").getSize(), sf::Vector2u(1280, 720));
    // The keep grows with each stage, so the upgrade's size difference moves it the right way.
    EXPECT_LT(LoadImage("base.png").getSize().x, LoadImage("base2.png").getSize().x);
    EXPECT_LT(LoadImage("base2.png").getSize().x, LoadImage("base3.png").getSize().x);
}

TEST(AssetFiles, MovingSpritesStandOnTransparentGround)
{
    // Enemies and projectiles collide by their pixels' alpha: their background must be empty.
    for (const std::string file :
         {"enemy_1.png", "enemy_2.png", "enemy_3.png", "enemy_4.png", "projectile_1.png",
          "projectile_2_base.png", "projectile_2_upgrade_1.png", "projectile_3.png", "tower_1_base.png",
          "tower_2_loaded_base.png", "tower_3_loaded.png"})
    {
        const sf::Image image = LoadImage(file);
        EXPECT_TRUE(CornersTransparent(image)) << file;
        EXPECT_GT(MeanBrightness(image), 0.f) << file << " is empty";
    }
}

TEST(AssetFiles, ActiveHudIconsAreBrighterThanTheirDimTwins)
{
    for (size_t i = 0; i + 1 < hudIcons.size(); i += 2)
        EXPECT_GT(MeanBrightness(LoadImage(hudIcons[i + 1])), MeanBrightness(LoadImage(hudIcons[i])) + 15.f)
            << hudIcons[i];
}

TEST(AssetFiles, MenuBackdropIsDarkEnoughForLightText)
{
    EXPECT_LT(MeanBrightness(LoadImage("menu_backdrop.png")), 60.f);
}

TEST(AssetFiles, SoundsAreShortMonoAndNotClipped)
{
    // Decoded through SFML's sound file reader, which needs no audio device (CI machines have none).
    for (const std::string& file : soundFiles)
    {
        sf::InputSoundFile sound;
        ASSERT_TRUE(sound.openFromFile(assetDir + file)) << file;
        ASSERT_GT(sound.getSampleCount(), 0u) << file;
        EXPECT_EQ(sound.getSampleRate(), 44100u) << file;
        EXPECT_EQ(sound.getChannelCount(), 1u) << file;
        EXPECT_LT(sound.getDuration().asSeconds(), 1.f) << file;
        std::vector<sf::Int16> samples(static_cast<std::size_t>(sound.getSampleCount()));
        ASSERT_EQ(sound.read(samples.data(), samples.size()), samples.size()) << file;
        int peak = 0;
        for (sf::Int16 s : samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(peak, 32767) << file << " clips";
        EXPECT_GT(peak, 8000) << file << " is nearly silent";
    }
}

#ifdef ARTGEN_EXECUTABLE
namespace
{
std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

TEST(AssetFiles, CommittedAssetsMatchTheGeneratorsOutput)
{
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "varnhold_artgen_check";
    std::filesystem::remove_all(out);
    const std::string command =
        std::string("\"") + ARTGEN_EXECUTABLE + "\" \"" + out.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const std::string file :
         {"tilesheet.png", "enemy_3.png", "tower_2_loaded_upgrade_3.png", "base3.png",
          "hud_life_repair_active.png", "game.tmj", "Cannon1.ogg", "hurt_c_08-102842.wav"})
    {
        const std::string generated = ReadAll(out / file);
        ASSERT_FALSE(generated.empty()) << file;
        EXPECT_TRUE(generated == ReadAll(std::filesystem::path(assetDir) / file))
            << file << " differs from the generator's output: rerun artgen and commit the assets";
    }
    std::filesystem::remove_all(out);
}
#endif
