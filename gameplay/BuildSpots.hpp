#pragma once
// Where towers do the most: the road's legs (the stretches between two waypoints) that a tower
// standing somewhere reaches, and the free spot that reaches the most road. The first game's
// hints point there; the rules never ask.

#include <SFML/Graphics/Rect.hpp>
#include <SFML/System/Vector2.hpp>

#include <optional>
#include <vector>

// How many legs of the road a tower at point reaches: those with at least MinLegInReach pixels
// of their length within the tower's reach.
int LegsInReach(sf::Vector2f point);
constexpr float MinLegInReach = 48.f; // pixels

// The spot where a tower would stand on free ground and reach the most road, among those that
// reach two legs or more (a bend); nothing when none is free. Worked out over a grid of the
// picture below the top bar, once per path, and then only checked for free ground.
std::optional<sf::Vector2f> BestFreeSpot();

// Whether a rectangle lies over the road (the path widened by the road's half width).
bool CoversRoad(const sf::FloatRect& rect);
constexpr float RoadHalfWidth = 28.f; // pixels, with a margin
