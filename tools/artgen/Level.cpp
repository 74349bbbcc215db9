#include "tools/artgen/Level.hpp"

#include "tools/artgen/Random.hpp"
#include "tools/artgen/Tiles.hpp"

#include <algorithm>
#include <sstream>

namespace artgen
{

namespace
{

constexpr int tile = tiles::size;

Rect CellsRect(Cell a, Cell b)
{
    const int c0 = std::min(a.c, b.c);
    const int r0 = std::min(a.r, b.r);
    return {c0 * tile, r0 * tile, (std::abs(a.c - b.c) + 1) * tile, (std::abs(a.r - b.r) + 1) * tile};
}

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

Level BuildLevel(const LevelDesign& design)
{
    Level level;
    level.name = design.name;
    level.tilesheet = design.tilesheet;
    const int w = Level::width;
    const int h = Level::height;
    const auto cells = static_cast<size_t>(w * h);
    enum Kind
    {
        grass,
        road,
        water,
        rock
    };
    std::vector<Kind> kind(cells, grass);
    std::vector<int> roadMask(cells, 0);
    auto at = [w](int c, int r)
    {
        return static_cast<size_t>(r * w + c);
    };

    // Lays the road from p to q cell by cell, recording which sides each road cell connects, and
    // keeps the leg free of towers.
    auto layLeg = [&](Cell p, const Cell q)
    {
        const int dc = Sign(q.c - p.c);
        const int dr = Sign(q.r - p.r);
        const int forward = dc > 0   ? tiles::east
                            : dc < 0 ? tiles::west
                            : dr > 0 ? tiles::south
                                     : tiles::north;
        const int backward = dc > 0   ? tiles::west
                             : dc < 0 ? tiles::east
                             : dr > 0 ? tiles::north
                                      : tiles::south;
        const Cell from = p;
        while (p.c != q.c || p.r != q.r)
        {
            kind[at(p.c, p.r)] = road;
            roadMask[at(p.c, p.r)] |= forward;
            p = {p.c + dc, p.r + dr};
            roadMask[at(p.c, p.r)] |= backward;
        }
        kind[at(q.c, q.r)] = road;
        level.obstacles.push_back(CellsRect(from, q));
    };

    // Each gate's road enters from off the map and runs straight to the first corner.
    for (const Gate& gate : design.gates)
    {
        roadMask[at(gate.at.c, gate.at.r)] |= gate.enters;
        if (gate.at.c != design.road[0].c || gate.at.r != design.road[0].r)
            layLeg(gate.at, design.road[0]);
    }
    for (size_t i = 0; i + 1 < design.road.size(); ++i)
        layLeg(design.road[i], design.road[i + 1]);

    std::vector<Rect> ponds = design.ponds;
    std::vector<Cell> rocks = design.rocks;
    if (!design.terrain.empty())
    {
        // Each run of water in a row, merged with the run of the same columns in the row above.
        std::vector<Rect> open;
        for (int r = 0; r < h && r < static_cast<int>(design.terrain.size()); ++r)
        {
            const std::string& row = design.terrain[static_cast<size_t>(r)];
            std::vector<Rect> runs;
            for (int c = 0; c < w && c < static_cast<int>(row.size());)
            {
                if (row[static_cast<size_t>(c)] == 'o')
                    rocks.push_back({c, r});
                if (row[static_cast<size_t>(c)] != '~')
                {
                    ++c;
                    continue;
                }
                int end = c;
                while (end < w && end < static_cast<int>(row.size()) && row[static_cast<size_t>(end)] == '~')
                    ++end;
                runs.push_back({c, r, end - c, 1});
                c = end;
            }
            std::vector<Rect> next;
            for (Rect run : runs)
            {
                const auto above = std::find_if(
                    open.begin(), open.end(), [&run](const Rect& o) { return o.x == run.x && o.w == run.w; });
                if (above != open.end())
                {
                    run = {above->x, above->y, above->w, above->h + 1};
                    open.erase(above);
                }
                next.push_back(run);
            }
            ponds.insert(ponds.end(), open.begin(), open.end());
            open = next;
        }
        ponds.insert(ponds.end(), open.begin(), open.end());
    }
    for (const Rect& pond : ponds)
    {
        for (int r = pond.y; r < pond.y + pond.h; ++r)
            for (int c = pond.x; c < pond.x + pond.w; ++c)
                kind[at(c, r)] = water;
        level.obstacles.push_back({pond.x * tile, pond.y * tile, pond.w * tile, pond.h * tile});
    }
    for (const Cell& rk : rocks)
    {
        kind[at(rk.c, rk.r)] = rock;
        level.obstacles.push_back({rk.c * tile, rk.r * tile, tile, tile});
    }

    Rng rng(design.seed);
    level.ground.assign(cells, 0);
    level.decor.assign(cells, 0);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
        {
            const size_t i = at(c, r);
            int index = 0;
            switch (kind[i])
            {
            case road:
                index = tiles::roadFirst + roadMask[i];
                break;
            case water:
            {
                int mask = 0;
                auto isWater = [&](int cc, int rr)
                {
                    return cc >= 0 && rr >= 0 && cc < w && rr < h && kind[at(cc, rr)] == water;
                };
                mask |= isWater(c, r - 1) ? tiles::north : 0;
                mask |= isWater(c + 1, r) ? tiles::east : 0;
                mask |= isWater(c, r + 1) ? tiles::south : 0;
                mask |= isWater(c - 1, r) ? tiles::west : 0;
                index = tiles::waterFirst + mask;
                break;
            }
            case rock:
                index = tiles::rockFirst + rng.Below(tiles::rockCount);
                break;
            case grass:
            {
                // Mostly plain grass, the detailed variants now and then.
                const int roll = rng.Below(100);
                index = tiles::grassFirst + (roll < 60 ? rng.Below(3) : 3 + rng.Below(tiles::grassCount - 3));
                if (r >= 2 && rng.Below(100) < 9)
                {
                    const int d = rng.Below(tiles::decorCount * 2);
                    level.decor[i] =
                        1 + tiles::decorFirst + (d < tiles::decorCount ? d : d % 7); // stumps rarer
                }
                break;
            }
            }
            level.ground[i] = 1 + index;
        }

    for (const Cell& corner : design.road)
        level.waypoints.push_back(
            {static_cast<float>(corner.c * tile + tile / 2), static_cast<float>(corner.r * tile + tile / 2)});
    // The last waypoint is the keep's centre, so enemies walk into it.
    level.waypoints.back() = {static_cast<float>(design.keep.x + design.keep.w / 2),
                              static_cast<float>(design.keep.y + design.keep.h / 2)};
    level.base = design.keep;
    for (const Gate& gate : design.gates)
    {
        level.spawners.push_back({gate.at.c * tile, gate.at.r * tile, tile, tile});
        level.gates.push_back(gate);
    }
    // The keep's ground and the heads-up display strip are not buildable.
    level.obstacles.push_back(design.keepGround);
    level.obstacles.push_back({0, 0, w * tile, 2 * tile});
    return level;
}

namespace
{

void WriteLayerData(std::ostringstream& out, const std::vector<int>& data)
{
    out << "         \"data\":[";
    for (size_t i = 0; i < data.size(); ++i)
    {
        if (i % static_cast<size_t>(Level::width) == 0)
            out << "\n            ";
        out << data[i] << (i + 1 < data.size() ? "," : "");
    }
    out << "],\n";
}

void WriteTileLayer(std::ostringstream& out, int id, const char* name, int renderOrder,
                    const std::vector<int>& data)
{
    out << "        {\n";
    WriteLayerData(out, data);
    out << "         \"height\":" << Level::height << ",\n"
        << "         \"id\":" << id << ",\n"
        << "         \"name\":\"" << name << "\",\n"
        << "         \"opacity\":1,\n"
        << "         \"properties\":[\n"
        << "                {\n"
        << "                 \"name\":\"RenderOrder\",\n"
        << "                 \"type\":\"int\",\n"
        << "                 \"value\":" << renderOrder << "\n"
        << "                }],\n"
        << "         \"type\":\"tilelayer\",\n"
        << "         \"visible\":true,\n"
        << "         \"width\":" << Level::width << ",\n"
        << "         \"x\":0,\n"
        << "         \"y\":0\n"
        << "        }";
}

struct Property
{
    std::string name;
    std::string type;
    std::string value; // already in JSON form
};

void WriteObject(std::ostringstream& out, int id, const std::string& type, const Rect& r, bool point,
                 const std::vector<Property>& props, bool last)
{
    out << "                {\n"
        << "                 \"height\":" << r.h << ",\n"
        << "                 \"id\":" << id << ",\n"
        << "                 \"name\":\"\",\n";
    if (point)
        out << "                 \"point\":true,\n";
    if (!props.empty())
    {
        out << "                 \"properties\":[";
        for (size_t i = 0; i < props.size(); ++i)
            out << "\n                        {\n"
                << "                         \"name\":\"" << props[i].name << "\",\n"
                << "                         \"type\":\"" << props[i].type << "\",\n"
                << "                         \"value\":" << props[i].value << "\n"
                << "                        }" << (i + 1 < props.size() ? "," : "");
        out << "],\n";
    }
    out << "                 \"rotation\":0,\n"
        << "                 \"type\":\"" << type << "\",\n"
        << "                 \"visible\":true,\n"
        << "                 \"width\":" << r.w << ",\n"
        << "                 \"x\":" << r.x << ",\n"
        << "                 \"y\":" << r.y << "\n"
        << "                }" << (last ? "" : ",") << "\n";
}

} // namespace

std::string ToTiledJson(const Level& level, int sheetWidth, int sheetHeight)
{
    std::ostringstream out;
    out << "{ \"compressionlevel\":-1,\n"
        << " \"height\":" << Level::height << ",\n"
        << " \"infinite\":false,\n"
        << " \"layers\":[\n";
    WriteTileLayer(out, 1, "Ground", 0, level.ground);
    out << ",\n";
    WriteTileLayer(out, 2, "Decoration", 1, level.decor);
    out << ",\n";

    out << "        {\n"
        << "         \"draworder\":\"topdown\",\n"
        << "         \"id\":3,\n"
        << "         \"name\":\"Objects\",\n"
        << "         \"objects\":[\n";
    int id = 1;
    WriteObject(out, id++, "Base", level.base, false,
                {{"Health", "float", "500"}, {"Texture", "string", "\"base\""}}, false);
    for (size_t i = 0; i < level.spawners.size(); ++i)
    {
        const Gate& gate = level.gates[i];
        std::ostringstream rate;
        rate << gate.spawnRate;
        WriteObject(out, id++, "Spawner", level.spawners[i], false,
                    {{"HardEnemy", "int", std::to_string(gate.hardEnemy)},
                     {"MiddleEnemy", "int", std::to_string(gate.middleEnemy)},
                     {"SpawnRate", "float", rate.str()},
                     {"WaveSize", "int", std::to_string(gate.waveSize)}},
                    false);
    }
    for (size_t i = 0; i < level.waypoints.size(); ++i)
    {
        const Vec p = level.waypoints[i];
        WriteObject(out, id++, "Waypoint", {static_cast<int>(p.x), static_cast<int>(p.y), 0, 0}, true,
                    {{"Waypoint", "int", std::to_string(i + 1)}}, false);
    }
    for (size_t i = 0; i < level.obstacles.size(); ++i)
        WriteObject(out, id++, "Obstacle", level.obstacles[i], false, {}, i + 1 == level.obstacles.size());
    out << "                ],\n"
        << "         \"opacity\":1,\n"
        << "         \"type\":\"objectgroup\",\n"
        << "         \"visible\":true,\n"
        << "         \"x\":0,\n"
        << "         \"y\":0\n"
        << "        }],\n"
        << " \"nextlayerid\":4,\n"
        << " \"nextobjectid\":" << id << ",\n"
        << " \"orientation\":\"orthogonal\",\n"
        << (level.name.empty() ? std::string()
                               : " \"properties\":[\n        {\n         \"name\":\"Name\",\n"
                                 "         \"type\":\"string\",\n         \"value\":\"" +
                                     level.name + "\"\n        }],\n")
        << " \"renderorder\":\"right-down\",\n"
        << " \"tiledversion\":\"1.8.2\",\n"
        << " \"tileheight\":" << tiles::size << ",\n"
        << " \"tilesets\":[\n"
        << "        {\n"
        << "         \"columns\":" << tiles::columns << ",\n"
        << "         \"firstgid\":1,\n"
        << "         \"image\":\"" << level.tilesheet << "\",\n"
        << "         \"imageheight\":" << sheetHeight << ",\n"
        << "         \"imagewidth\":" << sheetWidth << ",\n"
        << "         \"margin\":0,\n"
        << "         \"name\":\"tilesheet\",\n"
        << "         \"spacing\":0,\n"
        << "         \"tilecount\":" << tiles::count << ",\n"
        << "         \"tileheight\":" << tiles::size << ",\n"
        << "         \"tilewidth\":" << tiles::size << "\n"
        << "        }],\n"
        << " \"tilewidth\":" << tiles::size << ",\n"
        << " \"type\":\"map\",\n"
        << " \"version\":\"1.8\",\n"
        << " \"width\":" << Level::width << "\n"
        << "}\n";
    return out.str();
}

const std::vector<LevelDesign>& LevelDesigns()
{
    using tiles::south;
    using tiles::west;
    static const std::vector<LevelDesign> designs = {
        // The first level, the game's own map: every turn leaves grass strips at least two tiles
        // wide between the legs so towers (64 px) fit beside the road.
        {"game.tmj",
         "",
         "tilesheet.png",
         {{0, 4},
          {5, 4},
          {5, 13},
          {11, 13},
          {11, 6},
          {17, 6},
          {17, 14},
          {22, 14},
          {22, 4},
          {26, 4},
          {26, 10},
          {28, 10}},
         {{{0, 4}, west, 10, 1.f, 3, 6}},
         {{1, 14, 3, 3}, {27, 14, 4, 3}},
         {{1, 7}, {2, 8}, {14, 16}, {19, 2}, {30, 5}, {8, 17}, {24, 17}, {31, 8}},
         {},
         {1132, 372, 96, 96},
         {1120, 352, 128, 128},
         2024},
        // Two gates, west and south, whose roads meet before the bends: half a wave from each, one
        // enemy every two seconds from each, so the merged road carries as many as the first
        // level's.
        {"levels/1-twin-gates.tmj",
         "Twin Gates",
         "../tilesheet.png",
         {{10, 9}, {10, 5}, {17, 5}, {17, 13}, {24, 13}, {24, 7}, {28, 7}},
         {{{0, 9}, west, 5, 2.f, 3, 6}, {{10, 17}, south, 5, 2.f, 3, 6}},
         {{2, 13, 4, 3}, {27, 12, 4, 3}, {13, 15, 3, 2}},
         {{3, 3}, {6, 7}, {20, 3}, {30, 4}, {21, 16}, {14, 10}, {29, 16}},
         {},
         {1132, 252, 96, 96},
         {1120, 232, 128, 128},
         7101},
        // A long road that winds up and down the field seven times, three tiles of grass between
        // two legs so a tower fits between them and reaches both: room for many towers, and
        // bigger waves.
        {"levels/2-serpentine.tmj",
         "Serpentine",
         "../tilesheet.png",
         {{0, 3},
          {3, 3},
          {3, 15},
          {7, 15},
          {7, 3},
          {11, 3},
          {11, 15},
          {15, 15},
          {15, 3},
          {19, 3},
          {19, 15},
          {23, 15},
          {23, 3},
          {27, 3},
          {27, 15},
          {28, 15}},
         {{{0, 3}, west, 12, 1.1f, 3, 6}},
         {{29, 2, 3, 3}, {0, 16, 3, 2}},
         {{30, 8}, {0, 7}, {31, 12}, {1, 11}},
         {},
         {1132, 572, 96, 96},
         {1120, 552, 128, 128},
         7202},
        // A causeway through a marsh: water and rock leave a dozen islands beside the road, each
        // deep enough for one tower.
        {"levels/3-marsh.tmj",
         "The Marsh",
         "../tilesheet.png",
         {{0, 9}, {6, 9}, {6, 4}, {14, 4}, {14, 13}, {22, 13}, {22, 7}, {28, 7}},
         {{{0, 9}, west, 8, 1.2f, 3, 6}},
         {},
         {},
         {"................................", "................................",
          "~~~~~~~~~..~~~~~~o~~~~~~~~o~~~~~", "~~~~~~~~~..~~~~~~~~~~~~~~~~~~~~~",
          "~~~............~~~~~~~~~~..~~~~~", "~~~....~~~..~~....~~~~~~~..~~~~~",
          "~~..~~......~~....~~~~~~~..~~...", "~~..~~......~~.~~~~.............",
          "~~..~~.~~~~~~~.~~~~....~~..~~...", ".......~~~~....~~~~~~~.~~..~~~~~",
          "~..~~~~~~~~....~~~..~~.....~~~~~", "~..~~~~~~~~~~~.~~~..~~....~~~~~~",
          "~..~~~~~o~~~~~.~~~..~~.~~~~~~o~~", "~~~~~~~~~~~~~~.........~~~~~~~~~",
          "~~~~~~~~~~~~~~~~~..~~~~~~~~~~~~~", "~~~o~o~~~~~~~~~~~..~~~~~~~~~~~o~",
          "~~~~~~~~~~~o~~~~~..~~~~~~~~~~~~~", "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~"},
         {1132, 252, 96, 96},
         {1120, 232, 128, 128},
         7303},
        // One short straight road: small waves, one after another, so the wave number climbs
        // faster than on the first level. A tower beside a straight road reaches less of it than
        // one in a bend, so each enemy follows the last a little later than there.
        {"levels/4-sprint.tmj",
         "The Sprint",
         "../tilesheet.png",
         {{0, 9}, {28, 9}},
         {{{0, 9}, west, 4, 1.5f, 2, 5}},
         {{3, 3, 5, 3}, {12, 13, 6, 3}, {22, 3, 4, 3}, {1, 14, 3, 2}},
         {{9, 6}, {20, 12}, {26, 15}, {15, 4}, {5, 12}, {30, 3}},
         {},
         {1132, 332, 96, 96},
         {1120, 312, 128, 128},
         7404},
    };
    return designs;
}

} // namespace artgen
