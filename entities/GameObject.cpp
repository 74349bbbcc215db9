#include "entities/GameObject.hpp"

#include "entities/MotionComponents.hpp"
#include "entities/RenderComponents.hpp"
#include "widgets/Widgets.hpp"

#include <algorithm>
#include <functional>
#include <vector>

HealthBarSink GameObject::healthBars;

namespace
{
// The slots of the objects that exist; the smallest numbers are handed out again first, so that
// they stay below the most objects that ever existed at once.
class Slots
{
public:
    std::uint32_t Take()
    {
        if (free.empty())
            return next++;
        std::pop_heap(free.begin(), free.end(), std::greater<>());
        const std::uint32_t slot = free.back();
        free.pop_back();
        return slot;
    }
    void Give(std::uint32_t slot)
    {
        free.push_back(slot);
        std::push_heap(free.begin(), free.end(), std::greater<>());
    }

private:
    std::vector<std::uint32_t> free; // a min-heap
    std::uint32_t next = 0;
};

Slots& ObjectSlots()
{
    // Never destroyed: objects held by other process-wide statics give their slots back at exit.
    static Slots* const slots = new Slots;
    return *slots;
}
} // namespace

GameObject::GameObject(int type, std::string name)
    : slot(ObjectSlots().Take()), name(std::move(name)), type(type), healthBar(vgui::ProgressBar::create())
{
    // A bar floats over the world: clicks go through it to what is under it. Its empty part is
    // dark inside a black outline, so the bar reads by its length as well as by its colour.
    healthBar->setIgnoreMouseEvents(true);
    healthBar->getRenderer()->setBackgroundColor(sf::Color(38, 20, 20, 230));
    healthBar->getRenderer()->setBorderColor(sf::Color(8, 8, 8));
    healthBar->getRenderer()->setBorders(4.f);
    if (HasHealthBar() && healthBars.show)
        healthBars.show(healthBar, this->name);
}

GameObject::~GameObject()
{
    ObjectSlots().Give(slot);
}

void GameObject::AddComponent(std::shared_ptr<Component> component)
{
    components.push_back(std::move(component));
}

void GameObject::Update(float dt)
{
    if (alive)
    {
        // By index and with a held handle: a component may attach further components.
        for (std::size_t i = 0; i < components.size(); ++i)
        {
            const auto component = components[i];
            component->Update(dt);
        }
    }
    RefreshHealthBar();
}

void GameObject::RefreshHealthBar()
{
    float scale = 0.f;
    if (type == ObjectType::Enemy)
    {
        healthBar->setPosition(getPosition().x - 33.f, getPosition().y - 30.f);
        scale = 0.25f;
    }
    else if (type == ObjectType::Base)
    {
        // The bar keeps its place above the keep, also in the frame after an upgrade.
        resized = false;
        healthBar->setPosition(getPosition().x - 58.f, getPosition().y - 100.f);
        scale = 0.5f;
    }
    else
    {
        return;
    }

    const auto* status = FindComponent<HealthSource>();
    if (!status)
        return;
    unsigned percent = 0;
    if (status->FullHealth() > 0)
        percent = static_cast<unsigned>(static_cast<float>(status->CurrentHealth()) /
                                        static_cast<float>(status->FullHealth()) * 100.f);
    const int warningPercent = healthBars.warningPercent ? healthBars.warningPercent() : 30;
    const auto warning = static_cast<unsigned>(std::max(warningPercent, 0));
    const bool healthy = percent >= warning;
    const sf::Color fill = healthy ? sf::Color::Green : sf::Color::Red;
    if (fill != healthBarFill)
    {
        healthBar->getRenderer()->setFillColor(fill);
        healthBarFill = fill;
    }
    healthBar->setScale(scale);
    healthBar->setValue(percent);
}

void GameObject::Draw(std::shared_ptr<sf::RenderWindow> window)
{
    if (!alive)
        return;
    for (std::size_t i = 0; i < components.size(); ++i)
    {
        const auto component = components[i];
        const int kind = component->GetType();
        const bool drawable = (kind == ComponentType::SpriteRender &&
                               std::dynamic_pointer_cast<SpriteRenderComponent>(component)) ||
                              kind == ComponentType::TiledLayer || kind == ComponentType::Camera;
        if (drawable)
            std::static_pointer_cast<RenderComponent>(component)->Draw(window);
    }
}

void GameObject::Destroy()
{
    if (const auto lifetime = GetComponent<LifetimeComponent>())
        lifetime->remaining = lifetime->lifetime;
    alive = false;
    if (HasHealthBar() && healthBars.hide)
        healthBars.hide(healthBar);
}
