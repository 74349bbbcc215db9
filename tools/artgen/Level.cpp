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

struct Cell
{
    int c;
    int r;
};

// The road's corners, from the left edge to the keep. Every turn leaves grass strips at least
// two tiles wide between the legs so towers (64 px) fit beside the road.
const std::vector<Cell> roadCorners = {{0, 4},   {5, 4},   {5, 13}, {11, 13}, {11, 6},  {17, 6},
                                       {17, 14}, {22, 14}, {22, 4}, {26, 4},  {26, 10}, {28, 10}};

// Ponds (whole rectangles of water tiles) and single boulders.
const std::vector<Rect> ponds = {{1, 14, 3, 3}, {27, 14, 4, 3}};
const std::vector<Cell> rocks = {{1, 7}, {2, 8}, {14, 16}, {19, 2}, {30, 5}, {8, 17}, {24, 17}, {31, 8}};

const Rect keep = {1132, 372, 96, 96}; // the 96 px picture centred on the road's end

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

Level BuildLevel()
{
    Level level;
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

    // Walk the road cell by cell, recording which sides each road cell connects.
    roadMask[at(roadCorners[0].c, roadCorners[0].r)] |= tiles::west; // it enters from off the map
    for (size_t i = 0; i + 1 < roadCorners.size(); ++i)
    {
        Cell p = roadCorners[i];
        const Cell q = roadCorners[i + 1];
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
        while (p.c != q.c || p.r != q.r)
        {
            kind[at(p.c, p.r)] = road;
            roadMask[at(p.c, p.r)] |= forward;
            p = {p.c + dc, p.r + dr};
            roadMask[at(p.c, p.r)] |= backward;
        }
        kind[at(q.c, q.r)] = road;
        level.obstacles.push_back(CellsRect(roadCorners[i], q));
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

    Rng rng(2024);
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

    for (const Cell& corner : roadCorners)
        level.waypoints.push_back(
            {static_cast<float>(corner.c * tile + tile / 2), static_cast<float>(corner.r * tile + tile / 2)});
    // The last waypoint is the keep's centre, so enemies walk into it.
    level.waypoints.back() = {static_cast<float>(keep.x + keep.w / 2),
                              static_cast<float>(keep.y + keep.h / 2)};
    level.base = keep;
    level.spawner = {roadCorners[0].c * tile, roadCorners[0].r * tile, tile, tile};
    // The keep's ground and the heads-up display strip are not buildable.
    level.obstacles.push_back({1120, 352, 128, 128});
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
    WriteObject(out, id++, "Spawner", level.spawner, false,
                {{"HardEnemy", "int", "6"},
                 {"MiddleEnemy", "int", "3"},
                 {"SpawnRate", "float", "1"},
                 {"WaveSize", "int", "10"}},
                false);
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
        << " \"renderorder\":\"right-down\",\n"
        << " \"tiledversion\":\"1.8.2\",\n"
        << " \"tileheight\":" << tiles::size << ",\n"
        << " \"tilesets\":[\n"
        << "        {\n"
        << "         \"columns\":" << tiles::columns << ",\n"
        << "         \"firstgid\":1,\n"
        << "         \"image\":\"tilesheet.png\",\n"
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

} // namespace artgen
