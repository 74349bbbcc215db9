#include "entities/BroadPhase.hpp"

#include "entities/CollisionComponents.hpp"
#include "entities/CollisionFilter.hpp"
#include "entities/GameObject.hpp"
#include "entities/MotionComponents.hpp"
#include "entities/ShapeOverlap.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
using Shape = ColliderShape;
using Entry = BroadPhase::Entry;

// The grid covers the window and a wide margin around it; anything further out is clamped into
// the border cells (clamping keeps "bounds meet => they share a cell").
constexpr double CellSize = 64.;    // pixels
constexpr double GridLeft = -1024.; // pixels
constexpr double GridTop = -1024.;  // pixels
constexpr int GridColumns = 80;
constexpr int GridRows = 64;
// A collider over more cells than this is paired with everything instead (a long obstacle).
constexpr int MaxCellsPerEntry = 64;

// Room for the rounding of the shape tests' own arithmetic: bounds only decide which pairs are
// tested, so they may be a little too large but never too small.
float Slack(float value)
{
    return 0.5f + std::abs(value) * 1e-5f;
}

// As the collider's SetColliding does; a stock shape's is known.
void SetColliding(const Entry& entry)
{
    if (entry.type.stock)
        entry.collider->colliding = true;
    else
        entry.collider->SetColliding();
}

int CellOf(float value, double origin, int count)
{
    const double cell = std::floor((static_cast<double>(value) - origin) / CellSize);
    return static_cast<int>(std::clamp(cell, 0., static_cast<double>(count - 1)));
}

} // namespace

void BroadPhase::Bound(Entry& entry)
{
    const CollisionComponent& collider = *entry.collider;
    float x0 = 0.f, y0 = 0.f, x1 = 0.f, y1 = 0.f;
    switch (entry.type.shape)
    {
    case Shape::Box:
    {
        const sf::FloatRect& rect = static_cast<const BoxCollisionComponent&>(collider).rect;
        x0 = std::min(rect.left, rect.left + rect.width);
        x1 = std::max(rect.left, rect.left + rect.width);
        y0 = std::min(rect.top, rect.top + rect.height);
        y1 = std::max(rect.top, rect.top + rect.height);
        break;
    }
    case Shape::Circle:
    {
        const auto& circle = static_cast<const CircleCollisionComponent&>(collider).shape;
        const float r = std::abs(circle.getRadius());
        x0 = circle.getPosition().x - r;
        x1 = circle.getPosition().x + r;
        y0 = circle.getPosition().y - r;
        y1 = circle.getPosition().y + r;
        break;
    }
    case Shape::Point:
    {
        const sf::Vector2f p = static_cast<const PointCollisionComponent&>(collider).point;
        x0 = x1 = p.x;
        y0 = y1 = p.y;
        break;
    }
    case Shape::Pixel:
    {
        // The pixel test truncates the sprite's global bounds to whole pixels first.
        const auto& pixels = static_cast<const PixelCollisionComponent&>(collider);
        const sf::FloatRect bounds = pixels.sprite->getGlobalBounds();
        entry.view = static_cast<std::uint32_t>(views.size());
        views.push_back(pixels.mask ? ViewOf(*pixels.sprite, bounds, *pixels.mask, pixels.opaque)
                                    : PixelView::None());
        constexpr float limit = 1e9f;
        const bool representable = std::abs(bounds.left) < limit && std::abs(bounds.top) < limit &&
                                   std::abs(bounds.width) < limit && std::abs(bounds.height) < limit;
        if (!representable)
        {
            entry.everywhere = true;
            return;
        }
        const int left = static_cast<int>(bounds.left), right = left + static_cast<int>(bounds.width);
        const int top = static_cast<int>(bounds.top), bottom = top + static_cast<int>(bounds.height);
        x0 = static_cast<float>(std::min(left, right));
        x1 = static_cast<float>(std::max(left, right));
        y0 = static_cast<float>(std::min(top, bottom));
        y1 = static_cast<float>(std::max(top, bottom));
        break;
    }
    case Shape::Other:
        return;
    }
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1))
    {
        entry.everywhere = true;
        return;
    }
    entry.minX = x0 - Slack(x0);
    entry.maxX = x1 + Slack(x1);
    entry.minY = y0 - Slack(y0);
    entry.maxY = y1 + Slack(y1);
    entry.cellX0 = CellOf(entry.minX, GridLeft, GridColumns);
    entry.cellX1 = CellOf(entry.maxX, GridLeft, GridColumns);
    entry.cellY0 = CellOf(entry.minY, GridTop, GridRows);
    entry.cellY1 = CellOf(entry.maxY, GridTop, GridRows);
    if ((entry.cellX1 - entry.cellX0 + 1) * (entry.cellY1 - entry.cellY0 + 1) > MaxCellsPerEntry)
        entry.everywhere = true;
}

void BroadPhase::Detect(const std::map<std::shared_ptr<CollisionComponent>, std::string>& colliders,
                        std::vector<Contact>& contacts)
{
    contacts.clear();
    entries.clear();
    views.clear();
    everywhere.clear();
    constexpr auto Lists = static_cast<std::size_t>(GridColumns * GridRows * 2);
    if (cells.size() != Lists)
    {
        cells.assign(Lists, {});
        cursors.assign(Lists, 0);
    }

    // Live colliders in map order; their index is their place in the plain detection's walk.
    for (const auto& [collider, tag] : colliders)
    {
        if (!collider->GetOwner()->alive)
            continue;
        Entry entry{};
        entry.collider = collider.get();
        entry.type = collider->contactClass;
        if (entry.type.shape == Shape::Other || !entry.type.hasBody)
            continue; // never tested against anything
        entry.family = entry.type.shape == Shape::Pixel ? 1 : 0;
        entry.shape = ShapeDataOf(*entry.collider, entry.type.shape);
        Bound(entry);
        entries.push_back(entry);
    }
    // The views are all made now: their addresses stay put until the next detection.
    for (Entry& entry : entries)
    {
        if (entry.type.shape == Shape::Pixel)
            entry.shape.view = &views[entry.view];
    }

    // Each list holds its entries in ascending order, as they are added in order.
    auto& used = usedCells;
    used.clear();
    std::size_t cellItems = 0;
    for (std::uint32_t i = 0; i < entries.size(); ++i)
    {
        const Entry& entry = entries[i];
        if (entry.everywhere)
        {
            everywhere.push_back(i);
            continue;
        }
        const CellItem item{entry.minX,
                            entry.maxX,
                            entry.minY,
                            entry.maxY,
                            static_cast<std::int16_t>(entry.cellX0),
                            static_cast<std::int16_t>(entry.cellY0),
                            entry.type.Index(),
                            i};
        for (int y = entry.cellY0; y <= entry.cellY1; ++y)
        {
            for (int x = entry.cellX0; x <= entry.cellX1; ++x)
            {
                const auto list = static_cast<std::size_t>(y * GridColumns + x) * 2 + entry.family;
                auto& cell = cells[list];
                if (cell.empty())
                    used.push_back(list);
                cell.push_back(item);
                ++cellItems;
            }
        }
    }

    // The plain detection's order: by the first collider's place, then by the second's. So the
    // entries are walked in order, each gathering its later partners, which are then sorted.
    // Room for the partners found in one cell, which holds at most every cell item.
    found.resize(cellItems);
    std::size_t pairCount = 0;
    for (std::uint32_t i = 0; i < entries.size(); ++i)
    {
        const Entry& a = entries[i];
        partners.clear();
        if (a.everywhere)
        {
            for (std::uint32_t other = i + 1; other < entries.size(); ++other)
            {
                if (MayTouch(a.type, entries[other].type))
                    partners.push_back(other);
            }
        }
        else
        {
            // A pair of grid entries is taken in one cell only: the one at the larger of their
            // first columns and the larger of their first rows, which both cover whenever their
            // bounds meet. Only the list of the entry's own family can hold partners.
            const bool* const touches = MayTouchRow(a.type);
            for (int y = a.cellY0; y <= a.cellY1; ++y)
            {
                for (int x = a.cellX0; x <= a.cellX1; ++x)
                {
                    const auto list = static_cast<std::size_t>(y * GridColumns + x) * 2 + a.family;
                    const auto& cell = cells[list];
                    // Entries before this one in the list have all been walked: it is next.
                    const std::uint32_t at = cursors[list]++;
                    // Most pairs fail here: the tests are combined and every item is written,
                    // the count only moving on for a partner, so that the loop does not branch.
                    std::uint32_t* out = found.data();
                    std::size_t count = 0;
                    for (std::size_t q = at + 1; q < cell.size(); ++q)
                    {
                        const CellItem& b = cell[q];
                        const bool owner = (std::max(a.cellX0, static_cast<int>(b.cellX0)) == x) &
                                           (std::max(a.cellY0, static_cast<int>(b.cellY0)) == y);
                        const bool meet =
                            (a.minX <= b.maxX) & (b.minX <= a.maxX) & (a.minY <= b.maxY) & (b.minY <= a.maxY);
                        out[count] = b.index;
                        count += static_cast<std::size_t>(owner & meet & touches[b.kind]);
                    }
                    partners.insert(partners.end(), out, out + count);
                }
            }
            for (const std::uint32_t other : everywhere)
            {
                if (other > i && MayTouch(a.type, entries[other].type))
                    partners.push_back(other);
            }
            std::sort(partners.begin(), partners.end());
        }
        pairCount += partners.size();
        for (const std::uint32_t other : partners)
        {
            const Entry& b = entries[other];
            bool aIsFirst = true;
            if (!TestShapes(a.shape, b.shape, aIsFirst))
                continue;
            SetColliding(a);
            SetColliding(b);
            if (aIsFirst)
                contacts.push_back({a.collider, b.collider});
            else
                contacts.push_back({b.collider, a.collider});
        }
    }
    for (const std::size_t list : used)
    {
        cells[list].clear();
        cursors[list] = 0;
    }
    candidates = pairCount;
}
