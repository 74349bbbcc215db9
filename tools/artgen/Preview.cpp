#include "tools/artgen/Preview.hpp"

#include "tools/artgen/Tiles.hpp"

#include <cmath>
#include <iostream>
#include <map>

namespace artgen
{

namespace
{

bool Load(const std::string& dir, const std::string& name, std::map<std::string, Layer>& into)
{
    sf::Image image;
    if (!image.loadFromFile(dir + "/" + name + ".png"))
        return false;
    into.emplace(name, Layer::FromImage(image));
    return true;
}

void DrawTiles(Layer& out, const Layer& sheet, const std::vector<int>& gids)
{
    for (size_t i = 0; i < gids.size(); ++i)
    {
        if (gids[i] == 0)
            continue;
        const int n = gids[i] - 1;
        const int sx = (n % tiles::columns) * tiles::size;
        const int sy = (n / tiles::columns) * tiles::size;
        const int dx = static_cast<int>(i % static_cast<size_t>(Level::width)) * tiles::size;
        const int dy = static_cast<int>(i / static_cast<size_t>(Level::width)) * tiles::size;
        for (int y = 0; y < tiles::size; ++y)
            for (int x = 0; x < tiles::size; ++x)
                out.Over(dx + x, dy + y, sheet.Get(sx + x, sy + y));
    }
}

float Heading(Vec from, Vec to)
{
    return std::atan2(to.y - from.y, to.x - from.x) * 57.29577951308232f;
}

} // namespace

bool WritePreviews(const std::string& assetDir, const std::string& outDir, const Level& level)
{
    const char* names[] = {"tilesheet",
                           "base",
                           "base2",
                           "base3",
                           "tower_platform",
                           "tower_platform_shape",
                           "tower_1_shape",
                           "tower_2_shape",
                           "tower_3_shape",
                           "tower_1_base",
                           "tower_1_upgrade_1",
                           "tower_1_upgrade_2",
                           "tower_1_upgrade_3",
                           "tower_2_empty",
                           "tower_2_loaded_base",
                           "tower_2_loaded_upgrade_1",
                           "tower_2_loaded_upgrade_2",
                           "tower_2_loaded_upgrade_3",
                           "tower_3_empty",
                           "tower_3_loaded",
                           "projectile_1",
                           "projectile_2_base",
                           "projectile_2_upgrade_1",
                           "projectile_3",
                           "enemy_1",
                           "enemy_2",
                           "enemy_3",
                           "enemy_4",
                           "waypoint_debug",
                           "hud_icon_bullet_tower",
                           "hud_icon_bullet_tower_active",
                           "hud_icon_rocket_tower_small",
                           "hud_icon_rocket_tower_small_active",
                           "hud_icon_rocket_tower_big",
                           "hud_icon_rocket_tower_big_active",
                           "hud_life_repair",
                           "hud_life_repair_active"};
    std::map<std::string, Layer> img;
    for (const char* name : names)
        if (!Load(assetDir, name, img))
        {
            std::cerr << "preview: cannot read " << name << ".png\n";
            return false;
        }

    // The level with a few towers and enemies placed by hand.
    Layer map(Level::width * tiles::size, Level::height * tiles::size, Hex(0x000000));
    DrawTiles(map, img.at("tilesheet"), level.ground);
    DrawTiles(map, img.at("tilesheet"), level.decor);
    const Vec baseCentre{static_cast<float>(level.base.x + level.base.w / 2),
                         static_cast<float>(level.base.y + level.base.h / 2)};
    map.Blit(img.at("base"), baseCentre);

    struct Placed
    {
        Vec at;
        const char* turret;
        Vec aim;
    };
    const Placed towers[] = {{{300.f, 330.f}, "tower_1_base", {220.f, 300.f}},
                             {{140.f, 280.f}, "tower_1_upgrade_2", {220.f, 400.f}},
                             {{580.f, 420.f}, "tower_2_loaded_base", {460.f, 440.f}},
                             {{800.f, 380.f}, "tower_3_loaded", {700.f, 420.f}},
                             {{980.f, 300.f}, "tower_2_loaded_upgrade_3", {900.f, 320.f}},
                             {{340.f, 640.f}, "tower_1_upgrade_3", {380.f, 540.f}},
                             {{1160.f, 250.f}, "tower_3_empty", {1160.f, 100.f}}};
    for (const Placed& t : towers)
    {
        map.Blit(img.at("tower_platform"), t.at);
        map.Blit(img.at(t.turret), t.at, 1.f, Heading(t.at, t.aim));
    }
    // Enemies walking the road.
    struct Walker
    {
        size_t leg;
        float along;
        const char* name;
    };
    const Walker walkers[] = {{1, 0.3f, "enemy_1"}, {1, 0.5f, "enemy_1"}, {2, 0.6f, "enemy_2"},
                              {3, 0.4f, "enemy_1"}, {5, 0.5f, "enemy_3"}, {7, 0.7f, "enemy_2"},
                              {9, 0.5f, "enemy_4"}};
    for (const Walker& w : walkers)
    {
        const Vec a = level.waypoints[w.leg];
        const Vec b = level.waypoints[w.leg + 1];
        map.Blit(img.at(w.name), a + (b - a) * w.along, 1.2f, Heading(a, b));
    }
    map.Blit(img.at("projectile_1"), {260.f, 310.f}, 0.5f, Heading({300.f, 330.f}, {220.f, 300.f}));
    map.Blit(img.at("projectile_3"), {760.f, 400.f}, 0.5f, Heading({800.f, 380.f}, {700.f, 420.f}));
    // The build preview under the mouse, and the HUD strip's buttons roughly where the screen puts them.
    map.Blit(img.at("tower_platform_shape"), {640.f, 140.f});
    map.Blit(img.at("tower_2_shape"), {640.f, 140.f}, 1.f, -90.f);
    const char* icons[] = {"hud_icon_bullet_tower_active", "hud_icon_rocket_tower_small_active",
                           "hud_icon_rocket_tower_big", "hud_life_repair_active"};
    for (int i = 0; i < 4; ++i)
        map.Blit(img.at(icons[i]), {460.f + 72.f * static_cast<float>(i), 40.f});
    if (!map.ToImage().saveToFile(outDir + "/preview_map.png"))
        return false;

    // Every sprite at 4x on a neutral background, eight to a row.
    const int cell = 64 * 4 + 16;
    const int perRow = 8;
    const int rows = (static_cast<int>(img.size()) - 1 + perRow - 1) / perRow;
    Layer sheet(cell * perRow, cell * rows, Hex(0x55606a));
    int k = 0;
    for (const auto& [name, layer] : img)
    {
        if (name == "tilesheet")
            continue;
        const Vec centre{static_cast<float>((k % perRow) * cell + cell / 2),
                         static_cast<float>((k / perRow) * cell + cell / 2)};
        const float scale = layer.Width() > 64 ? 2.f : 4.f;
        sheet.Blit(layer, centre, scale, 0.f, 1.f, true);
        ++k;
    }
    Layer tilesZoom(img.at("tilesheet").Width() * 3, img.at("tilesheet").Height() * 3, Hex(0xff00ff));
    tilesZoom.Blit(
        img.at("tilesheet"),
        {static_cast<float>(tilesZoom.Width()) * 0.5f, static_cast<float>(tilesZoom.Height()) * 0.5f}, 3.f,
        0.f, 1.f, true);
    return sheet.ToImage().saveToFile(outDir + "/preview_sprites.png") &&
           tilesZoom.ToImage().saveToFile(outDir + "/preview_tiles.png");
}

} // namespace artgen
