#pragma once
// The game's art as it is loaded at start: the font, every texture and every sound, by key and
// file name in the assets folder, in loading order. The level names its base's picture by one
// of these keys, and the map checker finds the file through this table.

#include "services/AssetFiles.hpp"

#include <array>
#include <string_view>

struct TextureFile
{
    const char* key;
    const char* file;
    unsigned maxSide; // pixels: the tile sheet holds many tiles, the rest are sprites
};

struct AssetFile
{
    const char* key;
    const char* file;
};

inline constexpr AssetFile GameFont = {"arial", "arial.ttf"};

inline constexpr std::array<TextureFile, 30> GameTextures = {{
    {"tilesheet", "tilesheet.png", AssetLimits::MaxTileSheetSide},
    {"base", "base.png", AssetLimits::MaxSpriteSide},
    {"base2", "base2.png", AssetLimits::MaxSpriteSide},
    {"base3", "base3.png", AssetLimits::MaxSpriteSide},
    {"towerPlatformShape", "tower_platform_shape.png", AssetLimits::MaxSpriteSide},
    {"towerPlatform", "tower_platform.png", AssetLimits::MaxSpriteSide},
    {"tower1shape", "tower_1_shape.png", AssetLimits::MaxSpriteSide},
    {"tower1base", "tower_1_base.png", AssetLimits::MaxSpriteSide},
    {"tower1upgrade1", "tower_1_upgrade_1.png", AssetLimits::MaxSpriteSide},
    {"tower1upgrade2", "tower_1_upgrade_2.png", AssetLimits::MaxSpriteSide},
    {"tower1upgrade3", "tower_1_upgrade_3.png", AssetLimits::MaxSpriteSide},
    {"tower2shape", "tower_2_shape.png", AssetLimits::MaxSpriteSide},
    {"tower2empty", "tower_2_empty.png", AssetLimits::MaxSpriteSide},
    {"tower2baseLoaded", "tower_2_loaded_base.png", AssetLimits::MaxSpriteSide},
    {"tower2upgrade1Loaded", "tower_2_loaded_upgrade_1.png", AssetLimits::MaxSpriteSide},
    {"tower2upgrade2Loaded", "tower_2_loaded_upgrade_2.png", AssetLimits::MaxSpriteSide},
    {"tower2upgrade3Loaded", "tower_2_loaded_upgrade_3.png", AssetLimits::MaxSpriteSide},
    {"tower3shape", "tower_3_shape.png", AssetLimits::MaxSpriteSide},
    {"tower3empty", "tower_3_empty.png", AssetLimits::MaxSpriteSide},
    {"tower3loaded", "tower_3_loaded.png", AssetLimits::MaxSpriteSide},
    {"projectile", "projectile_1.png", AssetLimits::MaxSpriteSide},
    {"rocketSmallBase", "projectile_2_base.png", AssetLimits::MaxSpriteSide},
    {"rocketSmallUpgrade1", "projectile_2_upgrade_1.png", AssetLimits::MaxSpriteSide},
    {"rocketBig", "projectile_3.png", AssetLimits::MaxSpriteSide},
    {"shotTrail", "shot_trail.png", AssetLimits::MaxSpriteSide}, // drawn under every shot
    {"enemy_1", "enemy_1.png", AssetLimits::MaxSpriteSide},
    {"enemy_2", "enemy_2.png", AssetLimits::MaxSpriteSide},
    {"enemy_3", "enemy_3.png", AssetLimits::MaxSpriteSide},
    {"enemy_4", "enemy_4.png", AssetLimits::MaxSpriteSide},
    {"waypoint_debug", "waypoint_debug.png", AssetLimits::MaxSpriteSide},
}};

inline constexpr std::array<AssetFile, 7> GameSounds = {{
    {"projectileSound", "Cannon1.ogg"},
    {"rocketSound", "pvc-rocket-cannon-90116.wav"},
    {"towerConstruct", "mixkit-construction-tool-box-829.wav"},
    {"towerUpgrade", "20130512_construction-area-i_zoom_h2nxy-87229.wav"},
    {"baseDamage", "hurt_c_08-102842.wav"},
    {"refuse", "refuse.wav"}, // a click, an upgrade or a repair that did nothing
    {"sell", "sell.wav"},
}};

// The table's row for a texture key, or null.
inline const TextureFile* FindGameTexture(std::string_view key)
{
    for (const auto& texture : GameTextures)
        if (key == texture.key)
            return &texture;
    return nullptr;
}
