#include "ui/Hud.hpp"

#include "entities/GameObjectManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/Economy.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "gameplay/Tables.hpp"
#include "gameplay/Waves.hpp"
#include "services/AssetManager.hpp"
#include "services/AssetsLocation.hpp"
#include "services/GameCounters.hpp"
#include "services/InputManager.hpp"
#include "ui/Numbers.hpp"
#include "ui/SettingsPanel.hpp"
#include "ui/StandIns.hpp"
#include "widgets/Widgets.hpp"

#include <cctype>
#include <cstdio>
#include <iostream>
#include <list>
#include <string>

namespace
{
// The widgets every HUD form has had.
const WidgetName BulletButton{"BulletTowerButton", WidgetType::BitmapButton};
const WidgetName SmallRocketButton{"RocketTowerSmallButton", WidgetType::BitmapButton};
const WidgetName BigRocketButton{"RocketTowerBigButton", WidgetType::BitmapButton};
const WidgetName RepairButton{"RepairButton", WidgetType::BitmapButton};
const WidgetName Money{"MoneyText", WidgetType::TextArea};
const WidgetName Score{"ScoreText", WidgetType::TextArea};
const WidgetName Wave{"WaveText", WidgetType::TextArea};
const WidgetName MoneyAdd{"MoneyAddText", WidgetType::TextArea};
const WidgetName ScoreAdd{"ScoreAddText", WidgetType::TextArea};
// Beside them, optional in the form.
const WidgetName WaveStatus{"WaveStatusText", WidgetType::TextArea, Need::Optional};
const WidgetName NextWave{"NextWaveText", WidgetType::TextArea, Need::Optional};
const WidgetName Keep{"KeepText", WidgetType::TextArea, Need::Optional};
const WidgetName KeepBar{"KeepBar", WidgetType::ProgressBar, Need::Optional};
const WidgetName SelectionFrame{"SelectionFrame", WidgetType::Any, Need::Optional};
const WidgetName Feedback{"FeedbackText", WidgetType::TextArea, Need::Optional};
const WidgetName PauseOverlay{"PauseOverlay", WidgetType::Any, Need::Optional};
const WidgetName PauseButton{"PauseButton", WidgetType::Button, Need::Optional};
const WidgetName ResumeButton{"ResumeButton", WidgetType::Button, Need::Optional};
const WidgetName SpeedButton{"SpeedButton", WidgetType::Button, Need::Optional};
const WidgetName SettingsButton{"SettingsButton", WidgetType::Button, Need::Optional};
const WidgetName LeaveButton{"LeaveGameButton", WidgetType::Button, Need::Optional};
const WidgetName KeepHit{"KeepHitText", WidgetType::TextArea, Need::Optional};
// The level and difficulty of the game, and the Start button of a game that waits for it.
const WidgetName DifficultyLine{"DifficultyText", WidgetType::TextArea, Need::Optional};
const WidgetName StartWave{"StartWaveButton", WidgetType::Button, Need::Optional};

// The tower buttons by kind, from BulletTower on.
const WidgetName* const TowerButtons[] = {&BulletButton, &SmallRocketButton, &BigRocketButton};

constexpr float FeedbackOffsetX = 16.f, FeedbackOffsetY = -44.f; // from the pointer, pixels
// The keep's loss shows above its health bar (which stands 100 pixels above the keep) and rises
// this far while it shows; the bars flash for FlashSeconds, in beats of FlashBeat.
constexpr float KeepHitAbove = 106.f, KeepHitRise = 26.f, FlashSeconds = 0.45f, FlashBeat = 0.15f;
const sf::Color FlashBackground(255, 96, 72), FlashBorder(255, 244, 214);

std::string OneDecimal(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value));
    return text;
}

void ShowChange(vgui::TextArea* text, std::int32_t change)
{
    if (!text)
        return;
    text->setVisible(true);
    text->setText(SignedChange(change));
    text->getRenderer()->setTextColor(change > 0 ? sf::Color::Green : sf::Color::Red);
}

// What the running wave still holds, by kind: "32 weak, 3 middle to come".
std::string StillToCome(const std::list<std::int32_t>& queue)
{
    std::int64_t byKind[3] = {};
    for (const std::int32_t kind : queue)
    {
        if (EnemyTypeOf(kind))
            ++byKind[kind];
    }
    std::string line;
    for (const int kind : {WeakEnemy, MiddleEnemy, HardEnemy})
    {
        if (byKind[kind] == 0)
            continue;
        std::string name = EnemyTypeOf(kind)->name;
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        line += (line.empty() ? "" : ", ") + WholeNumber(byKind[kind]) + " " + name;
    }
    return (line.empty() ? "None" : line) + " to come";
}
} // namespace

Hud::Hud(vgui::Gui& gui, ScreenHost& host, SettingsPanel& settings, const std::string& settingsPath,
         const std::int32_t& healthWarningPercent)
    : Screen(gui), host(host), settings(settings), healthWarningPercent(healthWarningPercent),
      card(gui, [this] { RepairBase(); }), enemyCard(gui), hints(gui, settingsPath)
{
}

const std::vector<WidgetName>& Hud::Names() const
{
    static const std::vector<WidgetName> names = {
        BulletButton, SmallRocketButton, BigRocketButton, RepairButton, Money,          Score,
        Wave,         MoneyAdd,          ScoreAdd,        WaveStatus,   NextWave,       Keep,
        KeepBar,      SelectionFrame,    Feedback,        PauseOverlay, PauseButton,    ResumeButton,
        SpeedButton,  SettingsButton,    LeaveButton,     KeepHit,      DifficultyLine, StartWave};
    return names;
}

void Hud::Connect()
{
    for (const int kind : {BulletTower, SmallRocketTower, BigRocketTower})
    {
        if (const auto button = gui.get<vgui::BitmapButton>(TowerButtons[kind - BulletTower]->name))
            button->onPress([this, kind] { SelectTower(kind); });
    }
    if (const auto repair = gui.get<vgui::BitmapButton>(RepairButton.name))
        repair->onPress([this] { RepairBase(); });
    for (const WidgetName* hidden : {&Wave, &MoneyAdd, &ScoreAdd})
        ShowText(gui, hidden->name, false);

    auto& gameplay = GameplayManager::instance();
    if (const auto pause = gui.get<vgui::Button>(PauseButton.name))
        pause->onPress([&gameplay] { gameplay.paused = !gameplay.paused; });
    if (const auto resume = gui.get<vgui::Button>(ResumeButton.name))
        resume->onPress([&gameplay] { gameplay.paused = false; });
    if (const auto speed = gui.get<vgui::Button>(SpeedButton.name))
        speed->onPress([&gameplay] { gameplay.speed = gameplay.speed % GameplayManager::FastestSpeed + 1; });
    if (const auto button = gui.get<vgui::Button>(SettingsButton.name))
        button->onPress([this] { settings.Open(); });
    if (const auto leave = gui.get<vgui::Button>(LeaveButton.name))
        leave->onPress([this] { host.LeaveGame(); });
    if (const auto start = gui.get<vgui::Button>(StartWave.name))
        start->onPress([&gameplay] { gameplay.wavesHeld = false; });
    SetText(gui, DifficultyLine.name,
            std::string(DifficultyOf(gameplay.difficulty).name) + " - " + gameplay.level.name);
    card.Connect();
    enemyCard.Connect();
    hints.Connect();
    ShowText(gui, KeepHit.name, false);
    hudBarLook.reset();
    keepBarLook.reset();
}

void Hud::UpdateCards(float dt)
{
    // The tower button under the pointer, if any, for the card of its kind.
    const auto& input = InputManager::instance();
    const auto hit = input.mouseSource ? gui.widgetAt(input.mouseSource()) : nullptr;
    int kind = NoTower;
    sf::FloatRect box;
    for (const int each : {BulletTower, SmallRocketTower, BigRocketTower})
    {
        const auto button = gui.get<vgui::Widget>(TowerButtons[each - BulletTower]->name);
        if (hit && button == hit)
        {
            kind = each;
            box = sf::FloatRect(button->getAbsolutePosition(), button->getSize());
        }
    }
    card.Update(dt, kind, box);
    enemyCard.Update(dt);
}

bool Hud::BuildStandIn(const std::string& formFile, const std::string& error)
{
    ShowStandInHud(gui, "\"" + formFile + "\" could not be loaded, so a plain bar stands in: " + error);
    return true;
}

void Hud::SelectTower(int kind)
{
    const auto& cursor = GameplayManager::instance().cursorInput;
    if (!cursor)
        return;
    // Pressed right after a click on the world with this kind (in the same poll, before the click
    // is handled): that click takes this choice, and this one is for the tower after it.
    if (cursor->click && cursor->click->kind == kind && cursor->selectedTower == kind)
    {
        cursor->click->chosenAgain = true;
        return;
    }
    cursor->selectedTower = cursor->selectedTower == kind ? 0 : kind;
    // Choosing a tower closes an open card at once: a click that follows in the same poll is the
    // world's.
    if (cursor->selectedTower != NoTower)
        card.Close();
}

void Hud::RepairBase()
{
    const auto base = GameObjectManager::instance().FindByName("Base");
    if (!base)
        return;
    const auto status = base->GetComponent<StatusComponent>();
    if (!status)
        return;
    auto& counters = GameCounters::instance();
    const auto& config = GameConfig::instance();
    // A repair that buys nothing says why at the pointer.
    if (status->health == status->maxHealth || counters.money < config.repairPrice)
    {
        counters.Refuse(status->health == status->maxHealth ? "The keep is whole" : "Not enough gold",
                        InputManager::instance().MousePosition());
        return;
    }
    counters.ChangeMoney(-config.repairPrice);
    const auto amount = static_cast<std::uint32_t>(config.repairAmount);
    status->health += amount;
    status->maxHealth += amount;
}

std::shared_ptr<const sf::Texture> Hud::Icon(const std::string& path)
{
    auto& icon = icons[path];
    if (!icon)
    {
        // Read by the asset manager, within the game's texture budget.
        icon = AssetManager::instance().SharedTexture(path);
        if (icon->getSize().x == 0)
            std::cerr << "Could not load HUD icon \"" << path << "\"" << std::endl;
    }
    return icon;
}

void Hud::Update(float dt)
{
    UpdateControls();
    GameObject* keep = nullptr;
    for (const auto& object : GameObjectManager::instance().objects)
    {
        if (object->type == ObjectType::Base)
        {
            keep = object.get();
            break;
        }
    }
    UpdateStatus(keep);
    UpdateKeepHit(dt, keep);
    UpdateSelectionFrame();
    UpdateFeedback(dt);
    hints.Update(card.OpenedOnTower(), card.Box());

    const auto& counters = GameCounters::instance();
    SetText(gui, Money.name, WholeNumber(counters.money));
    SetText(gui, Score.name, WholeNumber(counters.score));

    struct IconRule
    {
        const WidgetName& button;
        std::int32_t price;
        const char* affordable;
        const char* otherwise;
    };
    const auto towerRule = [](int kind)
    {
        const TowerType& type = *TowerTypeOf(kind);
        return IconRule{*TowerButtons[kind - BulletTower], TowerPrice(kind), type.iconAffordable, type.icon};
    };
    const IconRule rules[] = {
        towerRule(BulletTower),
        towerRule(SmallRocketTower),
        towerRule(BigRocketTower),
        {RepairButton, GameConfig::instance().repairPrice, "hud_life_repair_active.png",
         "hud_life_repair.png"},
    };
    for (const auto& rule : rules)
    {
        if (const auto button = gui.get<vgui::BitmapButton>(rule.button.name))
            button->setImage(
                Icon(AssetPath(counters.money >= rule.price ? rule.affordable : rule.otherwise)));
    }
    UpdateTransientTexts(dt);
}

void Hud::UpdateTransientTexts(float dt)
{
    auto& counters = GameCounters::instance();
    if (counters.waveTextActive)
    {
        const auto text = gui.get<vgui::TextArea>(Wave.name);
        if (counters.waveTextTimer > 0.f)
        {
            if (text)
            {
                text->setVisible(true);
                text->setText("Wave Nr: " + std::to_string(counters.wave));
            }
            counters.waveTextTimer -= dt;
        }
        else
        {
            if (text)
                text->setVisible(false);
            counters.waveTextActive = false;
        }
    }

    if (counters.changeTextActive)
    {
        const auto moneyText = gui.get<vgui::TextArea>(MoneyAdd.name);
        const auto scoreText = gui.get<vgui::TextArea>(ScoreAdd.name);
        if (counters.changeTextTimer > 0.f)
        {
            ShowChange(moneyText.get(), counters.moneyChange);
            ShowChange(scoreText.get(), counters.scoreChange);
            counters.changeTextTimer -= dt;
        }
        else
        {
            if (moneyText)
                moneyText->setVisible(false);
            if (scoreText)
                scoreText->setVisible(false);
            counters.changeTextActive = false;
            counters.moneyChange = 0;
            counters.scoreChange = 0;
        }
    }
}

void Hud::UpdateControls()
{
    const auto& gameplay = GameplayManager::instance();
    if (const auto overlay = gui.get<vgui::Widget>(PauseOverlay.name))
    {
        const bool show = gameplay.paused && gameplay.running;
        // Over the health bars that came with the level and its enemies; the settings stay on top.
        if (show && !overlay->isVisible())
        {
            overlay->moveToFront();
            settings.MoveToFront();
        }
        overlay->setVisible(show);
    }
    if (const auto speed = gui.get<vgui::Button>(SpeedButton.name))
        speed->setText(std::to_string(gameplay.speed) + "x");
    if (const auto pause = gui.get<vgui::Button>(PauseButton.name))
        pause->setText(gameplay.paused ? "Go" : "II");
    if (const auto start = gui.get<vgui::Button>(StartWave.name))
        start->setVisible(gameplay.wavesHeld && gameplay.running);
}

void Hud::UpdateStatus(const GameObject* keep)
{
    const std::int32_t wave = GameCounters::instance().wave;
    if (const auto text = gui.get<vgui::TextArea>(WaveStatus.name))
        text->setText(wave > 0 ? "Wave " + std::to_string(wave) : "Get ready");
    if (const auto text = gui.get<vgui::TextArea>(NextWave.name))
    {
        std::string line;
        if (GameplayManager::instance().wavesHeld)
            line = "Press N to start";
        else if (const auto spawner = GameplayManager::instance().spawner.lock())
        {
            if (const auto seconds = spawner->SecondsToNextWave())
                line = (wave > 0 ? "Next wave in " : "First wave in ") + OneDecimal(*seconds) + " s";
            else
                line = StillToCome(spawner->queue);
        }
        text->setText(line);
    }
    const auto* status = keep ? keep->FindComponent<StatusComponent>() : nullptr;
    if (const auto text = gui.get<vgui::TextArea>(Keep.name))
        text->setText(status ? "Keep " + WholeNumber(status->health) + " / " + WholeNumber(status->maxHealth)
                             : "Keep");
    if (const auto bar = gui.get<vgui::ProgressBar>(KeepBar.name); bar && status && status->maxHealth > 0)
    {
        const auto percent = static_cast<unsigned>(static_cast<float>(status->health) /
                                                   static_cast<float>(status->maxHealth) * 100.f);
        bar->setValue(percent);
        // The same warning as the keep's own bar; the numbers beside it say it without colour.
        const bool healthy = static_cast<int>(percent) >= healthWarningPercent;
        bar->getRenderer()->setFillColor(healthy ? sf::Color(63, 163, 77) : sf::Color(200, 60, 50));
    }
}

void Hud::UpdateKeepHit(float dt, GameObject* keep)
{
    auto& hit = GameCounters::instance().keepHit;
    const bool showing = hit.timer > 0.f;
    const float age = GameCounters::KeepHitSeconds - hit.timer;
    const bool flash = showing && age < FlashSeconds && static_cast<int>(age / FlashBeat) % 2 == 0;
    if (showing)
        hit.timer -= dt;

    // The bar in the top bar and the one over the keep light up, then take their own look again.
    const auto flashBar = [flash](vgui::Widget* bar, std::optional<BarLook>& look)
    {
        if (!bar)
            return;
        auto* renderer = bar->getRenderer();
        if (!flash)
        {
            if (look)
            {
                renderer->setBackgroundColor(look->background);
                renderer->setBorderColor(look->border);
                look.reset();
            }
            return;
        }
        if (!look)
            look = BarLook{renderer->getBackgroundColor(), renderer->getBorderColor()};
        renderer->setBackgroundColor(FlashBackground);
        renderer->setBorderColor(FlashBorder);
    };
    flashBar(gui.get<vgui::ProgressBar>(KeepBar.name).get(), hudBarLook);
    flashBar(keep && keep->healthBar ? keep->healthBar.get() : nullptr, keepBarLook);

    const auto text = gui.get<vgui::TextArea>(KeepHit.name);
    if (!text)
        return;
    text->setVisible(showing);
    if (!showing)
        return;
    const std::string lost = "-" + WholeNumber(hit.lost);
    if (text->getText() != lost)
        text->setText(lost);
    const sf::Vector2f size = text->getSize();
    text->setPosition(OnPictureBelowTopBar(
        hit.at - sf::Vector2f(size.x / 2.f,
                              KeepHitAbove + size.y + KeepHitRise * age / GameCounters::KeepHitSeconds),
        size));
    text->moveToFront();
}

void Hud::UpdateSelectionFrame()
{
    const auto frame = gui.get<vgui::Widget>(SelectionFrame.name);
    if (!frame)
        return;
    const auto& cursor = GameplayManager::instance().cursorInput;
    const int selected = cursor ? cursor->selectedTower : NoTower;
    const auto button =
        TowerTypeOf(selected) ? gui.get<vgui::Widget>(TowerButtons[selected - BulletTower]->name) : nullptr;
    frame->setVisible(button != nullptr);
    if (!button)
        return;
    // The frame sits in the button's panel, a few pixels around it.
    const sf::Vector2f margin = (frame->getSize() - button->getSize()) / 2.f;
    frame->setPosition(button->getPosition() - margin);
}

void Hud::UpdateFeedback(float dt)
{
    auto& refusal = GameCounters::instance().refusal;
    const auto text = gui.get<vgui::TextArea>(Feedback.name);
    if (refusal.timer <= 0.f || refusal.text.empty())
    {
        if (text)
            text->setVisible(false);
        return;
    }
    refusal.timer -= dt;
    if (!text)
        return;
    if (text->getText() != refusal.text)
        text->setText(refusal.text);
    // Beside the pointer, inside the picture and below the top bar.
    text->setPosition(
        OnPictureBelowTopBar(refusal.at + sf::Vector2f(FeedbackOffsetX, FeedbackOffsetY), text->getSize()));
    text->setVisible(true);
    text->moveToFront(); // over the health bars that came after the HUD
}
