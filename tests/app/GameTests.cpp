// Clicks as a hurried hand makes them, through the frame loop's own order (update, clear the
// flags, the events of this frame handed to the game, draw): the pointer jumps and the button
// goes down in the same poll. What a click does is decided where the pointer is when it clicks,
// a click on the HUD never reaches the world, one click upgrades one thing, and the world stays
// under the pointer at any window size.

#include "app/Game.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "gameplay/BuildSpots.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "gameplay/StatusComponent.hpp"
#include "services/AssetManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "services/Settings.hpp"
#include "tests/app/AppTestSupport.hpp"
#include "ui/Hints.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <optional>
#include <vector>

namespace
{
constexpr float Step = 1.f / 60.f;

sf::Event Mouse(sf::Event::EventType type, sf::Vector2i at)
{
    sf::Event event{};
    event.type = type;
    if (type == sf::Event::MouseMoved)
    {
        event.mouseMove.x = at.x;
        event.mouseMove.y = at.y;
    }
    else
    {
        event.mouseButton.button = sf::Mouse::Left;
        event.mouseButton.x = at.x;
        event.mouseButton.y = at.y;
    }
    return event;
}

class Clicks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::ResetWorld();
        testing_support::LoadAssets();
        // The shipped level without the obstacle that keeps the strip under the top bar free:
        // the bar's own widgets must keep its clicks from the world.
        std::ifstream in(testing_support::SourceAssets() / "game.tmj");
        nlohmann::json map = nlohmann::json::parse(in);
        for (auto& layer : map["layers"])
        {
            if (layer.contains("objects"))
                std::erase_if(
                    layer["objects"].get_ref<nlohmann::json::array_t&>(), [](const nlohmann::json& object)
                    { return object.value("y", -1.0) == 0.0 && object.value("width", 0.0) == 1280.0; });
        }
        scratch.WriteAsset("game.tmj", map.dump());
        driver = std::make_unique<testing_support::GameDriver>(sf::Vector2u(WorldWidth, WorldHeight), true);
        window = driver->window;
        game = driver->game.get();
        InputManager::instance().mouseSource = [this]
        {
            return pointer;
        };
        game->FitViewToWindow();
        driver->StartGame();
        UIManager::instance().money = 1000;
        Frame({});
    }
    void TearDown() override
    {
        testing_support::ResetWorld();
        driver.reset();
    }

    // One frame whose poll brought these events, after its update: the pointer moved to where
    // the last of them was while the frame was being updated.
    void Frame(const std::vector<sf::Event>& events)
    {
        driver->Frame(Step,
                      [this, &events]
                      {
                          for (const sf::Event& event : events)
                          {
                              if (event.type == sf::Event::MouseMoved)
                                  pointer = {event.mouseMove.x, event.mouseMove.y};
                              game->HandleEvent(event);
                          }
                      });
    }
    // The pointer jumps to the pixel and clicks in the same poll; the next frame acts on it.
    void HurriedClick(sf::Vector2i at)
    {
        Frame({Mouse(sf::Event::MouseMoved, at), Mouse(sf::Event::MouseButtonPressed, at),
               Mouse(sf::Event::MouseButtonReleased, at)});
        Frame({});
    }
    static std::vector<std::shared_ptr<GameObject>> Towers()
    {
        std::vector<std::shared_ptr<GameObject>> towers;
        for (const auto& object : GameObjectManager::instance().objects)
            if (object->type == ObjectType::Tower)
                towers.push_back(object);
        return towers;
    }
    static int Selected() { return UIManager::instance().cursorInput->selectedTower; }

    testing_support::ScratchGame scratch;
    std::unique_ptr<testing_support::GameDriver> driver;
    std::shared_ptr<sf::RenderWindow> window;
    Game* game = nullptr;
    sf::Vector2i pointer{640, 700};
};

const sf::Vector2i bulletButton{926, 40};
} // namespace

TEST_F(Clicks, AHurriedClickActsWhereThePointerIsAndNeverThroughTheHud)
{
    auto& ui = UIManager::instance();
    // On the HUD's button: the tower kind is chosen, nothing is built under the bar.
    HurriedClick(bulletButton);
    EXPECT_EQ(Selected(), 1);
    EXPECT_TRUE(Towers().empty());
    EXPECT_EQ(ui.money, 1000);

    // From the bar straight to free grass: the tower stands exactly there.
    HurriedClick({300, 330});
    ASSERT_EQ(Towers().size(), 1u);
    EXPECT_EQ(Towers()[0]->getPosition(), sf::Vector2f(300.f, 330.f));
    EXPECT_EQ(ui.money, 950);

    // From grass straight onto that tower, the road, the keep and the bar: nothing is built.
    for (const sf::Vector2i at :
         {sf::Vector2i(310, 335), sf::Vector2i(220, 300), sf::Vector2i(1180, 420), sf::Vector2i(640, 40)})
    {
        HurriedClick(bulletButton);
        ASSERT_EQ(Selected(), 1);
        HurriedClick(at);
        EXPECT_EQ(Towers().size(), 1u) << at.x << ", " << at.y;
        EXPECT_EQ(ui.money, 950);
        HurriedClick(bulletButton); // drops the selection again
    }

    // From the tower straight to grass beside it: built at once, not refused for where it was.
    HurriedClick(bulletButton);
    Frame({Mouse(sf::Event::MouseMoved, {300, 330})});
    HurriedClick({520, 400});
    EXPECT_EQ(Towers().size(), 2u);
}

TEST_F(Clicks, OneClickUpgradesTheOneTowerUnderThePointer)
{
    auto& ui = UIManager::instance();
    for (const sf::Vector2i at : {sf::Vector2i(300, 330), sf::Vector2i(364, 330)})
    {
        HurriedClick(bulletButton);
        HurriedClick(at);
    }
    const auto towers = Towers();
    ASSERT_EQ(towers.size(), 2u);
    const auto level = [&towers](int i)
    {
        return towers[static_cast<std::size_t>(i)]->GetComponent<UpgradeStateComponent>()->level;
    };
    ASSERT_EQ(ui.money, 900);

    // The cursor's 64 x 64 box touches both towers; only the one under the pointer is upgraded.
    HurriedClick({350, 330});
    EXPECT_EQ(level(0), 1);
    EXPECT_EQ(level(1), 2);
    EXPECT_EQ(ui.money, 825);

    // On the edge the two share, one click still buys one upgrade.
    for (int frame = 0; frame < 60; ++frame)
        Frame({}); // the upgraded tower's short lock runs out
    HurriedClick({332, 330});
    EXPECT_EQ(level(0) + level(1), 4);
    EXPECT_EQ(ui.money, level(0) == 2 ? 825 - 75 : 825 - 150) << "the price of the one upgrade";
}

TEST_F(Clicks, TheWorldStaysUnderThePointerInAWiderWindow)
{
    // Twice as wide as high: the 1280 x 720 world is shown 1280 wide with bars of 320 each side.
    window->setSize({1920, 720});
    game->FitViewToWindow();
    const auto world = [this](sf::Vector2i pixel)
    {
        pointer = pixel;
        return InputManager::instance().MousePosition();
    };
    EXPECT_EQ(world({960, 360}), sf::Vector2f(640.f, 360.f));
    EXPECT_LT(world({100, 360}).x, 0.f) << "the left bar is outside the world";

    // The HUD's button and the ground both take the click where they are drawn.
    HurriedClick({320 + bulletButton.x, bulletButton.y});
    EXPECT_EQ(Selected(), 1);
    HurriedClick({320 + 300, 330});
    ASSERT_EQ(Towers().size(), 1u);
    EXPECT_EQ(Towers()[0]->getPosition(), sf::Vector2f(300.f, 330.f));
}

// The player's keys beside the design's HUD: a form with only the design's widgets (no pause or
// speed button, no overlay) loads without a word, and the keys still pause, speed up, select and
// drop.
TEST_F(Clicks, TheKeysNeedNoNewWidgetsInTheForms)
{
    scratch.WriteAsset("hud.txt", R"(
        TextArea.MoneyText { Text = "0"; }
        TextArea.ScoreText { Position = (200, 0); Text = "0"; }
        BitmapButton.BulletTowerButton { Position = (880, 8); Size = (92, 64); }
        BitmapButton.RocketTowerSmallButton { Position = (980, 8); Size = (92, 64); }
        BitmapButton.RocketTowerBigButton { Position = (1080, 8); Size = (92, 64); }
        BitmapButton.RepairButton { Position = (1180, 8); Size = (92, 64); }
        TextArea.MoneyAddText { Position = (0, 84); }
        TextArea.ScoreAddText { Position = (200, 84); }
        TextArea.WaveText { Position = (400, 8); }
    )");
    testing::internal::CaptureStderr();
    UIManager::instance().LoadScreen("../assets/hud.txt", HudScreen);
    const auto key = [this](sf::Keyboard::Key code)
    {
        sf::Event event{};
        event.type = sf::Event::KeyPressed;
        event.key.code = code;
        Frame({event});
        Frame({});
    };
    auto& gameplay = GameplayManager::instance();
    key(sf::Keyboard::P);
    EXPECT_TRUE(gameplay.paused);
    key(sf::Keyboard::Escape);
    EXPECT_FALSE(gameplay.paused) << "Escape with nothing selected pauses and resumes";
    key(sf::Keyboard::F);
    EXPECT_EQ(gameplay.speed, 2);
    key(sf::Keyboard::Num3);
    EXPECT_EQ(Selected(), 3);
    key(sf::Keyboard::Escape);
    EXPECT_EQ(Selected(), 0);
    EXPECT_FALSE(gameplay.paused) << "Escape dropped the selection only";
    key(sf::Keyboard::Num1);
    EXPECT_EQ(Selected(), 1);
    HurriedClick({640, 700});
    EXPECT_EQ(Towers().size(), 1u) << "1 and a click build as the HUD's button and a click do";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(Clicks, TheSecondClickOfADoubleClickNeverPressesTheNextScreensButton)
{
    auto& ui = UIManager::instance();
    // The lose screen takes clicks at once; the menu its button loads ignores them for a minute,
    // longer than any machine takes between the two clicks of one double click.
    ui.screenClickGuard = sf::Time::Zero;
    ui.LoadScreen("../assets/loseScreen.txt", LoseScreen);
    ui.screenClickGuard = sf::seconds(60.f);
    const auto returnButton = ui.gui->get<vgui::Button>("ReturnButton");
    ASSERT_TRUE(returnButton);
    const sf::Vector2f centre = testing_support::CentreOf(*returnButton);
    const sf::Vector2i at(static_cast<int>(centre.x), static_cast<int>(centre.y));
    // A double click: the first click leaves the game for the menu, the second lands on the
    // menu at the same spot (its Exit button on the shipped forms) within the same moment.
    for (int click = 0; click < 2; ++click)
    {
        game->HandleEvent(Mouse(sf::Event::MouseButtonPressed, at));
        game->HandleEvent(Mouse(sf::Event::MouseButtonReleased, at));
    }
    EXPECT_EQ(ui.currentScreen, MainMenuScreen);
    EXPECT_TRUE(window->isOpen());
}

namespace
{
sf::Event KeyDown(sf::Keyboard::Key code)
{
    sf::Event event{};
    event.type = sf::Event::KeyPressed;
    event.key.code = code;
    return event;
}
std::vector<sf::Event> ClickAt(sf::Vector2i at)
{
    return {Mouse(sf::Event::MouseMoved, at), Mouse(sf::Event::MouseButtonPressed, at),
            Mouse(sf::Event::MouseButtonReleased, at)};
}
std::vector<sf::Event> operator+(std::vector<sf::Event> first, const std::vector<sf::Event>& then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}
} // namespace

// What a hand faster than a frame sends comes in one poll, and is handled in its order: a click
// on grass builds, whatever follows it in the same poll (the tower's button or key again, for
// the next tower, which then stays chosen), and a click that follows the tower's button builds
// even where a card stood when the poll began.
TEST_F(Clicks, ClicksInOnePollAreHandledInTheirOrder)
{
    auto& ui = UIManager::instance();
    HurriedClick(bulletButton);
    ASSERT_EQ(Selected(), 1);
    Frame(ClickAt({300, 330}) + ClickAt(bulletButton));
    Frame({});
    ASSERT_EQ(Towers().size(), 1u);
    EXPECT_EQ(Selected(), 1) << "the button after the click chose the next tower";
    EXPECT_EQ(ui.money, 950);

    Frame(ClickAt({620, 200}) + std::vector<sf::Event>{KeyDown(sf::Keyboard::Num1)});
    Frame({});
    EXPECT_EQ(Towers().size(), 2u);
    EXPECT_EQ(Selected(), 1);
    Frame({KeyDown(sf::Keyboard::Escape)});
    Frame({});
    ASSERT_EQ(Selected(), 0);

    // The first tower's card, by resting on it; then the button and grass under the card.
    Frame({Mouse(sf::Event::MouseMoved, {300, 330})});
    for (int frame = 0; frame < 40; ++frame)
        Frame({});
    const auto card = ui.gui->get<vgui::Widget>("TowerCard");
    ASSERT_TRUE(card && card->isVisible());
    // Free grass under the card, off its buttons.
    const sf::FloatRect under(card->getAbsolutePosition(), card->getSize());
    std::optional<sf::Vector2i> grass;
    for (float y = under.top + 8.f; y < under.top + under.height && !grass; y += 8.f)
        for (float x = under.left + 8.f; x < under.left + under.width && !grass; x += 8.f)
            if (GroundFreeAt({x, y}) && !ui.gui->widgetAt({static_cast<int>(x), static_cast<int>(y)}))
                grass = sf::Vector2i(static_cast<int>(x), static_cast<int>(y));
    ASSERT_TRUE(grass) << "no free grass under the card";
    Frame(ClickAt(bulletButton) + ClickAt(*grass));
    Frame({});
    EXPECT_EQ(Towers().size(), 3u);
}

// The preview and the click ask one question: wherever the pointer is, the ground the preview
// judges is the ground the contact rules let a tower stand on when the world steps there.
TEST_F(Clicks, ThePreviewAsksWhatTheClickAsks)
{
    for (const sf::Vector2i at : {sf::Vector2i(300, 330), sf::Vector2i(364, 330)})
    {
        HurriedClick(bulletButton);
        HurriedClick(at);
    }
    ASSERT_EQ(Towers().size(), 2u);
    HurriedClick(bulletButton);
    int free = 0, blocked = 0;
    for (int y = 10; y < 720; y += 47)
    {
        for (int x = 10; x < 1280; x += 61)
        {
            Frame({Mouse(sf::Event::MouseMoved, {x, y})});
            Frame({}); // the world stepped with the cursor there
            const bool rules = GameConfig::instance().buildAllowed;
            EXPECT_EQ(GroundFreeAt({static_cast<float>(x), static_cast<float>(y)}), rules) << x << ", " << y;
            (rules ? free : blocked) += 1;
        }
    }
    EXPECT_GT(free, 60);
    EXPECT_GT(blocked, 60);
    // Over the HUD a click is the HUD's: no preview, no build.
    Frame({Mouse(sf::Event::MouseMoved, {640, 40})});
    EXPECT_EQ(UIManager::instance().cursorInput->Verdict(), BuildVerdict::OverWidgets);
}

// A card opened by a click takes a place where it hides no tower; where every place would hide
// one, a click on a tower under the card still reaches the tower.
TEST_F(Clicks, ACardHidesNoTowerItCanAvoidAndLetsClicksThroughToTheOnesItCannot)
{
    auto& ui = UIManager::instance();
    auto& config = GameConfig::instance();
    const auto card = ui.gui->get<vgui::Widget>("TowerCard");
    ASSERT_TRUE(card);
    const auto box = [](const GameObject& tower)
    {
        return tower.GetComponent<BoxCollisionComponent>()->rect;
    };
    config.BuildTower(1, 300.f, 330.f);
    config.BuildTower(1, 540.f, 400.f); // where the card opened beside the first before
    Frame({});
    HurriedClick({300, 330});
    ASSERT_TRUE(card->isVisible());
    const sf::FloatRect shown(card->getAbsolutePosition(), card->getSize());
    for (const auto& tower : Towers())
        EXPECT_FALSE(shown.intersects(box(*tower)) && tower != Towers()[0]);
    HurriedClick({540, 400});
    EXPECT_EQ(Towers()[1]->GetComponent<UpgradeStateComponent>()->level, 2);

    // A tower ringed by others: its card must cover one of them.
    for (int frame = 0; frame < 60; ++frame)
        Frame({Mouse(sf::Event::MouseMoved, {640, 700})}); // away: the card closes
    const sf::Vector2f centre(800.f, 420.f);
    config.BuildTower(1, centre.x, centre.y);
    for (const sf::Vector2f step :
         {sf::Vector2f(1, 0), sf::Vector2f(-1, 0), sf::Vector2f(0, 1), sf::Vector2f(0, -1),
          sf::Vector2f(1, 1), sf::Vector2f(-1, 1), sf::Vector2f(1, -1), sf::Vector2f(-1, -1),
          sf::Vector2f(2, 0), sf::Vector2f(-2, 0), sf::Vector2f(0, 2), sf::Vector2f(0, -2)})
        config.BuildTower(1, centre.x + 130.f * step.x, centre.y + 130.f * step.y);
    Frame({});
    const auto ring = Towers();
    const auto middle = *std::find_if(
        ring.begin(), ring.end(), [&centre](const auto& tower) { return tower->getPosition() == centre; });
    HurriedClick(sf::Vector2i(centre));
    ASSERT_TRUE(card->isVisible());
    const sf::FloatRect over(card->getAbsolutePosition(), card->getSize());
    std::shared_ptr<GameObject> hidden;
    for (const auto& tower : ring)
    {
        sf::FloatRect both;
        if (tower != middle && over.intersects(box(*tower), both) && both.width > 10.f && both.height > 10.f)
            hidden = tower;
    }
    ASSERT_TRUE(hidden) << "no tower under the card";
    sf::FloatRect both;
    over.intersects(box(*hidden), both);
    const sf::Vector2i onIt(static_cast<int>(both.left + both.width / 2.f),
                            static_cast<int>(both.top + both.height / 2.f));
    ASSERT_FALSE(ui.gui->widgetAt(onIt)) << "only the card's buttons take clicks";
    HurriedClick(onIt);
    EXPECT_EQ(hidden->GetComponent<UpgradeStateComponent>()->level, 2);
}

// The first games' hints, each at its place and gone once its lesson is done (and remembered):
// choose a tower by its key, build where the hint points (a bend: two legs in reach), rest on the
// tower, the speed key; the settings bring them back.
TEST_F(Clicks, TheHintsTeachOneLessonAfterAnotherAndAreRemembered)
{
    auto& ui = UIManager::instance();
    auto& settings = Settings::instance();
    UIManager::instance().money = 150;
    Frame({});
    const auto text = ui.gui->get<vgui::TextArea>("HintText");
    ASSERT_TRUE(text);
    const auto shown = [&ui]
    {
        return static_cast<Hint>(ui.ShownHint().first);
    };
    ASSERT_EQ(shown(), Hint::ChooseTower);
    EXPECT_TRUE(text->isVisible());
    const sf::Vector2f hintCentre = text->getAbsolutePosition() + text->getSize() / 2.f;
    EXPECT_NE(ui.gui->widgetAt(sf::Vector2i(hintCentre)), text) << "a hint takes no clicks";

    Frame({KeyDown(sf::Keyboard::Num1)});
    Frame({});
    ASSERT_EQ(shown(), Hint::BuildInBend);
    const sf::Vector2f spot = ui.ShownHint().second;
    EXPECT_GE(LegsInReach(spot), 2);
    EXPECT_TRUE(GroundFreeAt(spot));
    EXPECT_FALSE(CoversRoad({text->getAbsolutePosition(), text->getSize()})) << "over the road";
    EXPECT_TRUE(settings.HintDone("chooseTower"));

    HurriedClick(sf::Vector2i(spot));
    ASSERT_EQ(Towers().size(), 1u);
    Frame({});
    EXPECT_TRUE(settings.HintDone("buildInBend"));
    ASSERT_EQ(shown(), Hint::RestOnTower);
    Frame({Mouse(sf::Event::MouseMoved, sf::Vector2i(spot))});
    for (int frame = 0; frame < 40; ++frame)
        Frame({});
    EXPECT_TRUE(settings.HintDone("restOnTower"));
    Frame({Mouse(sf::Event::MouseMoved, {640, 700})});
    for (int frame = 0; frame < 60; ++frame)
        Frame({});
    ASSERT_EQ(shown(), Hint::SpeedAndPause);
    Frame({KeyDown(sf::Keyboard::F)});
    Frame({});
    EXPECT_EQ(shown(), Hint::None);
    EXPECT_FALSE(text->isVisible());
    const std::string saved = testing_support::ReadFile((scratch.assets() / "settings.json").string());
    for (const char* lesson : {"chooseTower", "buildInBend", "restOnTower", "speedAndPause"})
        EXPECT_NE(saved.find(lesson), std::string::npos) << lesson << " in " << saved;

    // Paused, the settings: all hints back.
    Frame({KeyDown(sf::Keyboard::P)});
    Frame({});
    testing_support::PressButton(*ui.gui, "SettingsButton");
    testing_support::PressButton(*ui.gui, "HintsButton");
    EXPECT_TRUE(settings.hintsDone.empty());
    EXPECT_EQ(testing_support::ReadFile((scratch.assets() / "settings.json").string()).find("restOnTower"),
              std::string::npos);
}

namespace
{
class FrameState : public GameState
{
public:
    void Init() override {}
    void Exit() override {}
    void Update(float dt) override
    {
        log.push_back("Update");
        lastDt = dt;
        sawClick = InputManager::instance().IsMouseButtonPressed(sf::Mouse::Left);
    }
    void Draw(std::shared_ptr<sf::RenderWindow>) override
    {
        log.push_back("Draw");
        clickWhenDrawing = InputManager::instance().IsMouseButtonPressed(sf::Mouse::Left);
    }
    std::vector<std::string> log;
    float lastDt = 0.f;
    bool sawClick = false;
    bool clickWhenDrawing = false;
};
} // namespace

TEST(GameFrame, UpdateSeesThePreviousPollThenFlagsClearBeforeDrawing)
{
    testing_support::ResetWorld();
    auto window = std::make_shared<sf::RenderWindow>(sf::VideoMode(320, 240), "frame");
    auto& ui = UIManager::instance();
    ui.gui->setTarget(*window);
    Game game(window, InputManager::instance(), AssetManager::instance(), GameStateManager::instance(), ui);
    FrameState state;
    GameStateManager::instance().AddState("Probe", &state);
    GameStateManager::instance().ChangeState("Probe");

    // A click that arrived in the previous frame's poll.
    sf::Event click{};
    click.type = sf::Event::MouseButtonPressed;
    click.mouseButton.button = sf::Mouse::Left;
    InputManager::instance().HandleEvent(click);

    game.Frame(0.25f);
    EXPECT_EQ(state.log, (std::vector<std::string>{"Update", "Draw"}));
    EXPECT_FLOAT_EQ(state.lastDt, 0.25f);
    EXPECT_TRUE(state.sawClick);
    EXPECT_FALSE(state.clickWhenDrawing);
    game.Frame(0.f);
    EXPECT_FALSE(state.sawClick);
    EXPECT_TRUE(window->isOpen());
    testing_support::ResetWorld();
}
