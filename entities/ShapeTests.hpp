#pragma once
// The pairwise contact tests of the physics step, with their exact boundaries.

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Sprite.hpp>

// Strictly positive overlap on both axes: boxes that only touch do not collide.
bool BoxesOverlap(const sf::FloatRect& a, const sf::FloatRect& b);
// The centre clamped into the box lies within the radius (touching counts).
bool CircleMeetsBox(sf::Vector2f centre, float radius, const sf::FloatRect& box);
bool CirclesOverlap(sf::Vector2f centreA, float radiusA, sf::Vector2f centreB, float radiusB);
// Edges count.
bool PointInBox(sf::Vector2f point, const sf::FloatRect& box);
// The smallest pixel rectangle [left, right) x [top, bottom) holding every opaque pixel of a mask
// (right <= left when the mask has none).
struct MaskBounds
{
    int left, top, right, bottom;
    bool Empty() const { return right <= left || bottom <= top; }
};
MaskBounds OpaqueBounds(const sf::Image& mask);

// Some pixel of the bounds' intersection is opaque in both masks (the masks' first row and
// column never count).
bool PixelsOverlap(const sf::Sprite& spriteA, const sf::Image& maskA, const sf::Sprite& spriteB,
                   const sf::Image& maskB);
// The same answer, with each mask's opaque rectangle worked out beforehand (OpaqueBounds).
bool PixelsOverlap(const sf::Sprite& spriteA, const sf::Image& maskA, const MaskBounds& opaqueA,
                   const sf::Sprite& spriteB, const sf::Image& maskB, const MaskBounds& opaqueB);
