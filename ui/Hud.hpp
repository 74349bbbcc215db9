#pragma once
// The heads-up display: the counters, the tower and repair buttons with their affordability icons,
// the wave announcement and the money and score change texts; beside them the status line (the
// running wave, what it still holds or the time to the next one, the keep's hit points), the
// frame around the chosen tower's button, the text that says at the pointer why a click did
// nothing, the pause and speed buttons with the pause overlay, the tower card (also for a HUD
// tower button), the enemy card, the keep's flash and loss when an enemy reaches it, and the
// first games' hints. It reads the game's counters directly.

#include "ui/EnemyCard.hpp"
#include "ui/Hints.hpp"
#include "ui/Screen.hpp"
#include "ui/TowerCard.hpp"

#include <SFML/Graphics/Texture.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

class GameObject;
class SettingsPanel;

class Hud : public Screen
{
public:
    // Borrows the UI manager's settings panel, settings path and health warning, which outlive
    // the HUD.
    Hud(vgui::Gui& gui, ScreenHost& host, SettingsPanel& settings, const std::string& settingsPath,
        const std::int32_t& healthWarningPercent);
    const std::vector<WidgetName>& Names() const override;
    void Connect() override;
    // The HUD has no way on of its own: a form that loaded stays as it is, and one that could not
    // be loaded gets a plain bar with the same widgets instead.
    std::vector<ScreenAction> WaysOn() override { return {}; }
    bool BuildStandIn(const std::string& formFile, const std::string& error) override;
    // The per-frame refresh, with the game's time of the frame.
    void Update(float dt);
    // The tower buttons: select kind, or clear the selection when it is already chosen.
    void SelectTower(int kind);
    // The repair button: hit points for gold, or at the pointer why not.
    void RepairBase();
    TowerCard& Card() { return card; }
    const Hints& GetHints() const { return hints; }
    // The cards by where the pointer rests (real time), while the game runs unpaused.
    void UpdateCards(float dt);

private:
    void UpdateControls();
    void UpdateStatus(const GameObject* keep);
    void UpdateSelectionFrame();
    void UpdateFeedback(float dt);
    void UpdateTransientTexts(float dt);
    void UpdateKeepHit(float dt, GameObject* keep);
    // HUD icons are read once per file and then shared.
    std::shared_ptr<const sf::Texture> Icon(const std::string& path);

    ScreenHost& host;
    SettingsPanel& settings;
    const std::int32_t& healthWarningPercent;
    TowerCard card;
    EnemyCard enemyCard;
    Hints hints;
    std::map<std::string, std::shared_ptr<const sf::Texture>> icons;
    // The bars' own colours, put back when a flash ends.
    struct BarLook
    {
        sf::Color background, border;
    };
    std::optional<BarLook> hudBarLook, keepBarLook;
};
