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

// One side of the pixel test worked out beforehand: the sprite's global bounds in whole pixels,
// the world box of the mask's opaque rectangle (widened by a pixel, not yet clamped), and what
// the per-pixel test reads. Valid while the sprite and the mask are unchanged.
struct PixelView
{
    int spanX0, spanX1, spanY0, spanY1;
    double boxLeft, boxRight, boxTop, boxBottom;
    const float* inverse; // the sprite's inverse transform
    const sf::Uint8* pixels;
    sf::Vector2u size;
    bool empty; // no opaque pixel, or no pixels at all

    static PixelView None()
    {
        PixelView view{};
        view.empty = true;
        return view;
    }
};
// globalBounds: the sprite's getGlobalBounds(), which the caller mostly has at hand already.
PixelView ViewOf(const sf::Sprite& sprite, const sf::FloatRect& globalBounds, const sf::Image& mask,
                 const MaskBounds& opaque);
// The answer of PixelsOverlap for the two prepared sides.
bool PixelsOverlap(const PixelView& a, const PixelView& b);
