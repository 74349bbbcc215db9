#include "gameplay/BuildSpots.hpp"

#include "gameplay/Cursor.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/Tables.hpp"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float Grid = 16.f;  // pixels between two spots tried
constexpr float Sample = 8.f; // pixels between two points of the road measured
constexpr float Top = 96.f;   // below the HUD's top bar
constexpr float Width = 1280.f, Height = 720.f;

struct Leg
{
    sf::Vector2f from, to;
};

std::vector<Leg> Legs()
{
    std::vector<Leg> legs;
    const auto& path = GameplayManager::instance().waypoints;
    for (auto it = path.begin(); it != path.end() && std::next(it) != path.end(); ++it)
        legs.push_back({(*it)->position, (*std::next(it))->position});
    return legs;
}

float Length(sf::Vector2f v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

// Pixels of the leg within radius of the point, measured every Sample pixels.
float LengthInReach(const Leg& leg, sf::Vector2f point, float radius)
{
    const float length = Length(leg.to - leg.from);
    if (length <= 0.f)
        return 0.f;
    const int steps = std::max(1, static_cast<int>(length / Sample));
    float inside = 0.f;
    for (int i = 0; i < steps; ++i)
    {
        const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(steps);
        const sf::Vector2f d = leg.from + (leg.to - leg.from) * t - point;
        if (d.x * d.x + d.y * d.y <= radius * radius)
            inside += length / static_cast<float>(steps);
    }
    return inside;
}

struct Spot
{
    sf::Vector2f at;
    float road = 0.f; // pixels of road in reach
};

// The spots that reach two legs or more, most road first, for the path they were worked out for.
const std::vector<Spot>& RankedSpots()
{
    static std::vector<Spot> spots;
    static std::vector<Leg> rankedFor;
    const std::vector<Leg> legs = Legs();
    const auto same = [](const std::vector<Leg>& a, const std::vector<Leg>& b)
    {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [](const Leg& x, const Leg& y) { return x.from == y.from && x.to == y.to; });
    };
    if (same(legs, rankedFor) && !spots.empty())
        return spots;
    rankedFor = legs;
    spots.clear();
    for (float y = Top + Grid; y < Height - Grid; y += Grid)
    {
        for (float x = Grid; x < Width - Grid; x += Grid)
        {
            int reached = 0;
            float road = 0.f;
            for (const Leg& leg : legs)
            {
                const float inside = LengthInReach(leg, {x, y}, TowerNumbers::DetectionRadius);
                reached += inside >= MinLegInReach;
                road += inside;
            }
            if (reached >= 2)
                spots.push_back({{x, y}, road});
        }
    }
    std::stable_sort(spots.begin(), spots.end(),
                     [](const Spot& a, const Spot& b) { return a.road > b.road; });
    return spots;
}
} // namespace

int LegsInReach(sf::Vector2f point)
{
    int reached = 0;
    for (const Leg& leg : Legs())
        reached += LengthInReach(leg, point, TowerNumbers::DetectionRadius) >= MinLegInReach;
    return reached;
}

std::optional<sf::Vector2f> BestFreeSpot()
{
    for (const Spot& spot : RankedSpots())
    {
        if (GroundFreeAt(spot.at))
            return spot.at;
    }
    return std::nullopt;
}

bool CoversRoad(const sf::FloatRect& rect)
{
    for (const Leg& leg : Legs())
    {
        // The leg's box widened by the road's half width: the path runs in straight, level or
        // upright legs, and a slanted one is covered by its box with room to spare.
        const sf::FloatRect road(std::min(leg.from.x, leg.to.x) - RoadHalfWidth,
                                 std::min(leg.from.y, leg.to.y) - RoadHalfWidth,
                                 std::fabs(leg.to.x - leg.from.x) + 2.f * RoadHalfWidth,
                                 std::fabs(leg.to.y - leg.from.y) + 2.f * RoadHalfWidth);
        if (road.intersects(rect))
            return true;
    }
    return false;
}
