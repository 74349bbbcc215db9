#pragma once
// The physics step's fast contact detection. A uniform grid over the colliders' bounds yields
// candidate pairs; the candidates are then ordered by their places in the colliders map and
// tested with the same rules and shape tests as DetectContactsAllPairs, so the contacts are the
// very same ones, in the very same order. Only pairs whose bounds cannot meet are never tested.

#include "entities/CollisionComponents.hpp"
#include "entities/CollisionFilter.hpp"
#include "entities/Contact.hpp"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class BroadPhase
{
public:
    // Empties contacts, then sets both colliders' colliding flags and appends each contact, as
    // the plain detection does.
    void Detect(const std::map<std::shared_ptr<CollisionComponent>, std::string>& colliders,
                std::vector<Contact>& contacts);

    // Candidate pairs of the last detection (before the shape tests), for tests and the benchmark.
    std::size_t LastCandidates() const { return candidates; }

    // One live collider of this detection, in map order.
    struct Entry
    {
        CollisionComponent* collider;
        ColliderClass type;  // the collider's class for the contact rules
        bool everywhere;     // bounds too large or not finite: paired with every other entry
        std::uint8_t family; // which of a cell's lists holds it: pixel colliders meet only each other
        float minX, minY, maxX, maxY;
        int cellX0, cellY0, cellX1, cellY1;
        std::uint32_t view; // a pixel collider's prepared side of the pixel test, in views
        ShapeData shape;    // what the shape test reads, copied once
    };

    // An entry as its grid cells list it: what the pair walk reads, side by side.
    struct CellItem
    {
        float minX, maxX, minY, maxY;
        std::int16_t cellX0, cellY0;
        std::uint8_t kind; // the entry's ColliderClass::Index()
        std::uint32_t index;
    };

private:
    void Bound(Entry& entry);

    // Kept between frames so that a frame allocates nothing once the world has settled.
    std::vector<Entry> entries;
    std::vector<PixelView> views;
    std::vector<std::uint32_t> found; // room for the partners found in one cell
    // Two lists per grid cell, one per family: cells[cell * 2 + family].
    std::vector<std::vector<CellItem>> cells;
    std::vector<std::uint32_t> cursors; // per list: how many of its entries were walked
    std::vector<std::uint32_t> everywhere;
    std::vector<std::size_t> usedCells;  // lists that got an item
    std::vector<std::uint32_t> partners; // of the entry being walked
    std::size_t candidates = 0;
};
