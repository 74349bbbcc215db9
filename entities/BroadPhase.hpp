#pragma once
// The physics step's fast contact detection. A uniform grid over the colliders' bounds yields
// candidate pairs; the candidates are then ordered by their places in the colliders map and
// tested with the same rules and shape tests as DetectContactsAllPairs, so the contacts are the
// very same ones, in the very same order. Only pairs whose bounds cannot meet are never tested.

#include "entities/CollisionComponents.hpp"
#include "entities/Contact.hpp"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class BroadPhase
{
public:
    // Sets both colliders' colliding flags and appends each contact, as the plain detection does.
    void Detect(const std::map<std::shared_ptr<CollisionComponent>, std::string>& colliders,
                std::list<Contact>& contacts);

    // Candidate pairs of the last detection (before the shape tests), for tests and the benchmark.
    std::size_t LastCandidates() const { return pairs.size(); }

    using Shape = ColliderShape;
    enum class Tag : std::uint8_t
    {
        Detector,
        Base,
        Mouse,
        Other,
    };

    // One live collider of this detection, in map order.
    struct Entry
    {
        const std::shared_ptr<CollisionComponent>* handle;
        Shape shape;
        Tag tag;
        bool hasBody;
        bool massless;
        bool everywhere; // bounds too large or not finite: paired with every other entry
        float minX, minY, maxX, maxY;
        int cellX0, cellY0, cellX1, cellY1;
    };

private:
    void Bound(Entry& entry) const;
    void AddIfCandidate(std::uint32_t a, std::uint32_t b);

    // Kept between frames so that a frame allocates nothing once the world has settled.
    std::vector<Entry> entries;
    std::vector<std::vector<std::uint32_t>> cells;
    std::vector<std::uint32_t> everywhere;
    std::vector<std::size_t> usedCells;
    std::vector<std::uint64_t> pairs; // (first map position << 32) | second map position
};
