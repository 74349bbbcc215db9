// artgen: draws every picture, synthesises every sound and writes the level maps of Varnhold.
// Usage: artgen [asset folder (default ../assets)] [--preview folder]
// The output is the same, byte for byte, on every run: all randomness comes from fixed seeds.

#include "tools/artgen/Backdrop.hpp"
#include "tools/artgen/Level.hpp"
#include "tools/artgen/Preview.hpp"
#include "tools/artgen/Sounds.hpp"
#include "tools/artgen/Sprites.hpp"
#include "tools/artgen/Tiles.hpp"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace
{

using namespace artgen;

struct Picture
{
    const char* file;
    std::function<Layer()> draw;
};

std::vector<Picture> Pictures()
{
    return {
        {"tilesheet.png",
         []
         {
             return tiles::Sheet();
         }},
        {"base.png",
         []
         {
             return Base(1);
         }},
        {"base2.png",
         []
         {
             return Base(2);
         }},
        {"base3.png",
         []
         {
             return Base(3);
         }},
        {"tower_platform.png",
         []
         {
             return TowerPlatform();
         }},
        {"tower_platform_shape.png",
         []
         {
             return PreviewShape(TowerPlatform(false));
         }},
        {"tower_1_shape.png",
         []
         {
             return PreviewShape(BulletTurret(1));
         }},
        {"tower_2_shape.png",
         []
         {
             return PreviewShape(SmallRocketTurret(1));
         }},
        {"tower_3_shape.png",
         []
         {
             return PreviewShape(BigRocketTurret(true));
         }},
        {"tower_1_base.png",
         []
         {
             return BulletTurret(1);
         }},
        {"tower_1_upgrade_1.png",
         []
         {
             return BulletTurret(2);
         }},
        {"tower_1_upgrade_2.png",
         []
         {
             return BulletTurret(3);
         }},
        {"tower_1_upgrade_3.png",
         []
         {
             return BulletTurret(4);
         }},
        {"tower_2_empty.png",
         []
         {
             return SmallRocketTurret(0);
         }},
        {"tower_2_loaded_base.png",
         []
         {
             return SmallRocketTurret(1);
         }},
        {"tower_2_loaded_upgrade_1.png",
         []
         {
             return SmallRocketTurret(2);
         }},
        {"tower_2_loaded_upgrade_2.png",
         []
         {
             return SmallRocketTurret(3);
         }},
        {"tower_2_loaded_upgrade_3.png",
         []
         {
             return SmallRocketTurret(4);
         }},
        {"tower_3_empty.png",
         []
         {
             return BigRocketTurret(false);
         }},
        {"tower_3_loaded.png",
         []
         {
             return BigRocketTurret(true);
         }},
        {"projectile_1.png",
         []
         {
             return Bullet();
         }},
        {"projectile_2_base.png",
         []
         {
             return SmallRocket(false);
         }},
        {"projectile_2_upgrade_1.png",
         []
         {
             return SmallRocket(true);
         }},
        {"projectile_3.png",
         []
         {
             return BigRocket();
         }},
        {"shot_trail.png",
         []
         {
             return ShotTrail();
         }},
        {"enemy_1.png",
         []
         {
             return WeakEnemy();
         }},
        {"enemy_2.png",
         []
         {
             return MiddleEnemy();
         }},
        {"enemy_3.png",
         []
         {
             return HardEnemy();
         }},
        {"enemy_4.png",
         []
         {
             return SpareEnemy();
         }},
        {"waypoint_debug.png",
         []
         {
             return WaypointMarker();
         }},
        {"hud_icon_bullet_tower.png",
         []
         {
             return BulletTowerIcon(false);
         }},
        {"hud_icon_bullet_tower_active.png",
         []
         {
             return BulletTowerIcon(true);
         }},
        {"hud_icon_rocket_tower_small.png",
         []
         {
             return SmallRocketTowerIcon(false);
         }},
        {"hud_icon_rocket_tower_small_active.png",
         []
         {
             return SmallRocketTowerIcon(true);
         }},
        {"hud_icon_rocket_tower_big.png",
         []
         {
             return BigRocketTowerIcon(false);
         }},
        {"hud_icon_rocket_tower_big_active.png",
         []
         {
             return BigRocketTowerIcon(true);
         }},
        {"hud_life_repair.png",
         []
         {
             return RepairIcon(false);
         }},
        {"hud_life_repair_active.png",
         []
         {
             return RepairIcon(true);
         }},
        {"icon_64.png",
         []
         {
             return AppIcon(64);
         }},
        {"icon_256.png",
         []
         {
             return AppIcon(256);
         }},
        {"menu_backdrop.png",
         []
         {
             return MenuBackdrop();
         }},
    };
}

struct Sound
{
    const char* file;
    std::function<std::vector<float>()> make;
};

std::vector<Sound> Sounds()
{
    return {
        {"Cannon1.ogg", CannonShot},
        {"pvc-rocket-cannon-90116.wav", RocketWhoosh},
        {"mixkit-construction-tool-box-829.wav", ConstructionClank},
        {"20130512_construction-area-i_zoom_h2nxy-87229.wav", UpgradeChime},
        {"hurt_c_08-102842.wav", HurtThud},
        {"refuse.wav", RefuseBuzz},
        {"sell.wav", SellCoins},
    };
}

} // namespace

int main(int argc, char** argv)
{
    std::string outDir = "../assets";
    std::string previewDir;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--preview" && i + 1 < argc)
            previewDir = argv[++i];
        else if (arg == "--help" || arg == "-h")
        {
            std::cout << "usage: artgen [asset folder] [--preview folder]\n";
            return 0;
        }
        else
            outDir = arg;
    }
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);

    int failures = 0;
    int sheetWidth = 0;
    int sheetHeight = 0;
    for (const Picture& picture : Pictures())
    {
        const Layer layer = picture.draw();
        if (std::string(picture.file) == "tilesheet.png")
        {
            sheetWidth = layer.Width();
            sheetHeight = layer.Height();
        }
        const std::string path = outDir + "/" + picture.file;
        if (!layer.ToImage().saveToFile(path))
        {
            std::cerr << "artgen: could not write " << path << "\n";
            ++failures;
        }
    }
    for (const Sound& sound : Sounds())
    {
        const std::string path = outDir + "/" + sound.file;
        if (!WriteSound(path, sound.make()))
        {
            std::cerr << "artgen: could not write " << path << "\n";
            ++failures;
        }
    }

    // Every level: the game's own map, then the levels folder's.
    for (const LevelDesign& design : LevelDesigns())
    {
        const std::string path = outDir + "/" + design.file;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        std::ofstream map(path, std::ios::binary);
        map << ToTiledJson(BuildLevel(design), sheetWidth, sheetHeight);
        if (!map)
        {
            std::cerr << "artgen: could not write " << path << "\n";
            ++failures;
        }
    }
    const Level level = BuildLevel(LevelDesigns().front());

    if (!previewDir.empty())
    {
        std::filesystem::create_directories(previewDir, ec);
        if (!WritePreviews(outDir, previewDir, level))
            ++failures;
    }
    if (failures == 0)
        std::cout << "artgen: wrote " << Pictures().size() << " pictures, " << Sounds().size()
                  << " sounds and " << LevelDesigns().size() << " levels to " << outDir << "\n";
    return failures == 0 ? 0 : 1;
}
