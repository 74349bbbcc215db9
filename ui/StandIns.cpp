#include "ui/StandIns.hpp"

#include "gameplay/Economy.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/Tables.hpp"
#include "widgets/Widgets.hpp"

namespace
{
const sf::Color Ink(242, 232, 213), Gold(200, 162, 74), Slate(21, 27, 37), Field(30, 40, 56);

// A read-only text of the stand-in; it lets clicks through to what lies under it.
std::shared_ptr<vgui::TextArea> Text(const std::string& text, sf::Vector2f at, sf::Vector2f size,
                                     unsigned textSize, bool clickable = false)
{
    auto area = vgui::TextArea::create();
    area->setPosition(at);
    area->setSize(size);
    area->setTextSize(textSize);
    area->setText(text);
    area->setReadOnly(true);
    area->setIgnoreMouseEvents(!clickable);
    area->getRenderer()->setTextColor(Ink);
    area->getRenderer()->setBackgroundColor(Field);
    area->getRenderer()->setBorderColor(Field);
    return area;
}

template <class Kind>
std::shared_ptr<Kind> Pressable(const std::string& text, sf::Vector2f at, sf::Vector2f size,
                                unsigned textSize)
{
    auto button = Kind::create(text);
    button->setPosition(at);
    button->setSize(size);
    button->setTextSize(textSize);
    return button;
}
} // namespace

void ShowStandInHud(vgui::Gui& gui, const std::string& message)
{
    auto bar = vgui::Panel::create({1280.f, 80.f});
    bar->getRenderer()->setBackgroundColor(Slate);
    bar->getRenderer()->setBorderColor(Gold);
    const auto label = [&](const char* text, float x)
    {
        bar->add(Text(text, {x, 8.f}, {64.f, 30.f}, 16));
    };
    label("Gold", 8.f);
    bar->add(Text("0", {76.f, 8.f}, {96.f, 30.f}, 20), "MoneyText");
    bar->add(Text("", {76.f, 42.f}, {96.f, 30.f}, 16), "MoneyAddText");
    label("Score", 180.f);
    bar->add(Text("0", {248.f, 8.f}, {96.f, 30.f}, 20), "ScoreText");
    bar->add(Text("", {248.f, 42.f}, {96.f, 30.f}, 16), "ScoreAddText");
    bar->add(Text("", {352.f, 8.f}, {180.f, 30.f}, 18), "WaveStatusText");
    bar->add(Text("", {352.f, 42.f}, {180.f, 30.f}, 16), "NextWaveText");
    bar->add(Text("", {540.f, 8.f}, {200.f, 30.f}, 18), "KeepText");
    bar->add(Text("", {540.f, 42.f}, {200.f, 30.f}, 16), "WaveText");
    bar->add(Pressable<vgui::Button>("II", {748.f, 12.f}, {56.f, 56.f}, 20), "PauseButton");
    bar->add(Pressable<vgui::Button>("1x", {810.f, 12.f}, {56.f, 56.f}, 20), "SpeedButton");
    const std::pair<const char*, std::int32_t> buttons[] = {
        {"BulletTowerButton", TowerPrice(BulletTower)},
        {"RocketTowerSmallButton", TowerPrice(SmallRocketTower)},
        {"RocketTowerBigButton", TowerPrice(BigRocketTower)},
        {"RepairButton", GameConfig::instance().repairPrice},
    };
    float x = 880.f;
    for (const auto& [name, price] : buttons)
    {
        auto button = Pressable<vgui::BitmapButton>(std::to_string(price), {x, 8.f}, {92.f, 64.f}, 16);
        button->setImageScaling(0.75f);
        bar->add(button, name);
        x += 100.f;
    }
    gui.add(bar, "StandInTopBar");

    // Along the bottom: what was wrong, and the way to the settings and out of the game.
    auto strip = vgui::Panel::create({1280.f, 40.f});
    strip->setPosition(0.f, 680.f);
    strip->getRenderer()->setBackgroundColor(Slate);
    strip->getRenderer()->setBorderColor(Gold);
    strip->add(Text(message, {8.f, 4.f}, {940.f, 32.f}, 14), "StandInMessage");
    strip->add(Pressable<vgui::Button>("Settings", {956.f, 4.f}, {150.f, 32.f}, 16), "SettingsButton");
    strip->add(Pressable<vgui::Button>("Leave game", {1114.f, 4.f}, {158.f, 32.f}, 16), "LeaveGameButton");
    gui.add(strip, "StandInBottomBar");
    auto feedback = Text("", {0.f, 0.f}, {320.f, 32.f}, 18);
    feedback->setVisible(false);
    gui.add(feedback, "FeedbackText");
}

std::shared_ptr<vgui::Panel> StandInSettingsPanel(const std::string& message)
{
    // Over the whole screen, as the form's panel is: the screen under it takes no click meanwhile.
    auto cover = vgui::Panel::create({1280.f, 720.f});
    cover->getRenderer()->setBackgroundColor(sf::Color(6, 9, 14, 170));
    cover->getRenderer()->setBorderColor(sf::Color::Transparent);
    auto panel = vgui::Panel::create({520.f, 440.f});
    panel->setPosition(380.f, 140.f);
    panel->getRenderer()->setBackgroundColor(Slate);
    panel->getRenderer()->setBorderColor(Gold);
    auto title = vgui::Label::create("Settings");
    title->setPosition(20.f, 12.f);
    title->setSize(480.f, 40.f);
    title->setTextSize(28);
    title->getRenderer()->setTextColor(Gold);
    title->getRenderer()->setBackgroundColor(sf::Color::Transparent);
    title->getRenderer()->setBorderColor(sf::Color::Transparent);
    panel->add(title);
    panel->add(Text(message, {20.f, 60.f}, {480.f, 96.f}, 14));
    panel->add(Text("Effects volume: 100", {20.f, 168.f}, {300.f, 44.f}, 20), "VolumeText");
    panel->add(Pressable<vgui::Button>("-", {340.f, 168.f}, {70.f, 44.f}, 24), "VolumeDownButton");
    panel->add(Pressable<vgui::Button>("+", {430.f, 168.f}, {70.f, 44.f}, 24), "VolumeUpButton");
    panel->add(Pressable<vgui::Button>("Fullscreen: off", {20.f, 224.f}, {480.f, 44.f}, 20),
               "FullscreenButton");
    panel->add(Pressable<vgui::Button>("Frames per second: off", {20.f, 280.f}, {480.f, 44.f}, 20),
               "FpsButton");
    panel->add(Pressable<vgui::Button>("Back", {110.f, 360.f}, {300.f, 52.f}, 22), "SettingsCloseButton");
    cover->add(panel);
    return cover;
}
