#pragma once

// The game's palette: every picture takes its colours from here, so restyling starts in this file.
// Light comes from the top left on the map; rotating sprites are lit from their front-left, which
// puts the light at the top left when a turret rests pointing up.

namespace artgen::palette
{

constexpr unsigned outline = 0x1c1820; // one dark outline for everything

// Ground
constexpr unsigned grass = 0x5d8a3a;
constexpr unsigned grassDark = 0x4b7033;
constexpr unsigned grassLight = 0x6f9c46;
constexpr unsigned dirt = 0xa98456;
constexpr unsigned dirtDark = 0x7f5f3b;
constexpr unsigned dirtLight = 0xc7a473;
constexpr unsigned cobble = 0x9a928a;
constexpr unsigned water = 0x2f6f9e;
constexpr unsigned waterDeep = 0x24557f;
constexpr unsigned waterLight = 0x7fc3e6;
constexpr unsigned shore = 0xc2ad7a;

// Stone and wood
constexpr unsigned stoneLight = 0xc4bcae;
constexpr unsigned stone = 0x978f82;
constexpr unsigned stoneDark = 0x655e56;
constexpr unsigned rock = 0x8a8784;
constexpr unsigned rockDark = 0x5b5856;
constexpr unsigned wood = 0x8a5a34;
constexpr unsigned woodDark = 0x5e3b22;
constexpr unsigned roof = 0xa8382f;
constexpr unsigned roofDark = 0x7a2520;
constexpr unsigned slate = 0x3a4658;

// Metal
constexpr unsigned steel = 0x8f9aa6;
constexpr unsigned steelDark = 0x56606c;
constexpr unsigned gunmetal = 0x3d444e;
constexpr unsigned brass = 0xd0a247;
constexpr unsigned gold = 0xf2c94c;
constexpr unsigned olive = 0x6f7a3a;
constexpr unsigned oliveDark = 0x4f5828;
constexpr unsigned navy = 0x34506e;
constexpr unsigned navyDark = 0x24384f;

// Ammunition and effects
constexpr unsigned rocketBody = 0xe6e1d3;
constexpr unsigned rocketRed = 0xc8372d;
constexpr unsigned rocketYellow = 0xf0c02c;
constexpr unsigned flame = 0xffb43a;
constexpr unsigned flameHot = 0xfff1a8;
constexpr unsigned flameBlue = 0x7fd8ff;

// Enemies
constexpr unsigned slime = 0x7ccf4a;
constexpr unsigned slimeDark = 0x3f8a2a;
constexpr unsigned beetle = 0xd9782b;
constexpr unsigned beetleDark = 0x8e3f16;
constexpr unsigned brute = 0x7b4aa8;
constexpr unsigned bruteDark = 0x45276a;
constexpr unsigned bruteSpike = 0xd8cfe6;
constexpr unsigned wisp = 0x4fb2d8;
constexpr unsigned wispDark = 0x23647f;
constexpr unsigned eye = 0xfff4c2;
constexpr unsigned eyeRed = 0xff4a3a;

// Interface
constexpr unsigned panel = 0x2b3340;
constexpr unsigned panelLight = 0x4a5668;
constexpr unsigned heart = 0xd9413a;
constexpr unsigned heal = 0x62d46a;

// Menu backdrop
constexpr unsigned skyTop = 0x0b0d1c;
constexpr unsigned skyMid = 0x2a2140;
constexpr unsigned skyGlow = 0x6a3a48;
constexpr unsigned hillFar = 0x1d1a2c;
constexpr unsigned hillNear = 0x110f1a;
constexpr unsigned windowLight = 0xffbf5a;

} // namespace artgen::palette
