#include "tests/support/TestSupport.hpp"

#include "app/Game.hpp"
#include "app/GamePlay.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
#include "services/AssetManager.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "services/Settings.hpp"
#include "services/SoundManager.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Window/Context.hpp>

#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace testing_support
{

fs::path SourceAssets()
{
    return fs::path(VARNHOLD_SOURCE_DIR) / "assets";
}

ScratchGame::ScratchGame() : previousDir(fs::current_path())
{
    std::random_device seed;
    rootDir = fs::temp_directory_path() / ("varnhold-test-" + std::to_string(seed()));
    fs::create_directories(rootDir / "run");
    fs::copy(SourceAssets(), rootDir / "assets", fs::copy_options::recursive);
    fs::current_path(rootDir / "run");
}

ScratchGame::~ScratchGame()
{
    std::error_code ignored;
    fs::current_path(previousDir, ignored);
    fs::remove_all(rootDir, ignored);
}

void ScratchGame::WriteAsset(const std::string& name, const std::string& content) const
{
    std::ofstream file(assets() / name, std::ios::binary | std::ios::trunc);
    file << content;
}

void ScratchGame::RemoveAsset(const std::string& name) const
{
    fs::remove(assets() / name);
}

void KeepGlContext()
{
    // Every texture made without an active context opens and drops one of its own, with a new
    // X connection each time; under Xvfb that now and then fails to open the display.
    static sf::Context context;
    (void)context.setActive(true);
}

void LoadAssets()
{
    KeepGlContext();
    LoadGameAssets(AssetManager::instance());
}

void ResetWorld()
{
    // The game's own clearing when a game is left (it also breaks the colliders' partner
    // cycles), then every manager back to the start of the process by its own Reset.
    GamePlay().Exit();
    GameObjectManager::instance().Reset();
    PhysicsManager::instance().Reset();
    RenderManager::instance().Reset();
    RenderManager::instance().SeedLayers();
    GameplayManager::instance().Reset();
    GameConfig::instance().Reset();
    UIManager::instance().Reset();
    InputManager::instance().Reset();
    SoundManager::instance().Reset();
    GameStateManager::instance().Reset();
    Settings::instance().Reset();
    // Tests play on a fixed wave seed, with the pointer resting at the window's corner.
    GameplayManager::instance().seedSource = []
    {
        return 1u;
    };
    InputManager::instance().mouseSource = []
    {
        return sf::Vector2i();
    };
}

bool StepWorld(float dt)
{
    GamePlay state;
    state.Update(dt);
    return GameplayManager::instance().running;
}

GameDriver::GameDriver(sf::Vector2u windowSize, bool visible)
    : window(std::make_shared<sf::RenderWindow>(sf::VideoMode(windowSize.x, windowSize.y), "test game",
                                                visible ? sf::Style::Default : sf::Style::None)),
      game(std::make_unique<Game>(window, InputManager::instance(), AssetManager::instance(),
                                  GameStateManager::instance(), UIManager::instance()))
{
    window->setVisible(visible);
    auto& ui = UIManager::instance();
    ui.window = window;
    ui.gui->setTarget(*window);
    if (const auto font = AssetManager::instance().fonts.find("arial");
        font != AssetManager::instance().fonts.end())
        ui.gui->setFont(font->second);
    InputManager::instance().window = window;
    GameStateManager::instance().AddState("MainMenu", &game->mainMenu);
    GameStateManager::instance().AddState("GamePlay", &game->gamePlay);
}

GameDriver::~GameDriver()
{
    // The state objects go with the Game: the states' switch must not keep pointing at them.
    GameStateManager::instance().Reset();
    InputManager::instance().window.reset();
    UIManager::instance().window.reset();
}

void GameDriver::StartGame()
{
    GameStateManager::instance().ChangeState("GamePlay");
}

void GameDriver::Frame(float dt, const std::vector<sf::Event>& events)
{
    FrameOptions options;
    options.picture = picture;
    options.poll = [&events](Game& played)
    {
        for (const sf::Event& event : events)
            played.HandleEvent(event);
    };
    game->Frame(dt, options);
}

void GameDriver::Frame(float dt, const std::function<void()>& poll)
{
    FrameOptions options;
    options.picture = picture;
    options.poll = [&poll](Game&)
    {
        poll();
    };
    game->Frame(dt, options);
}

std::shared_ptr<sf::Texture> Picture(sf::Vector2u size,
                                     const std::function<sf::Color(unsigned, unsigned)>& paint)
{
    sf::Image image;
    image.create(size.x, size.y, sf::Color::Transparent);
    for (unsigned x = 0; x < size.x; ++x)
        for (unsigned y = 0; y < size.y; ++y)
            image.setPixel(x, y, paint(x, y));
    auto texture = std::make_shared<sf::Texture>();
    (void)texture->loadFromImage(image);
    return texture;
}

std::shared_ptr<sf::Texture> Solid(sf::Vector2u size, sf::Color colour)
{
    return Picture(size, [colour](unsigned, unsigned) { return colour; });
}

sf::Vector2f CentreOf(const vgui::Widget& widget)
{
    sf::Vector2f corner = widget.getPosition();
    for (const vgui::Container* parent = widget.getParent(); parent != nullptr; parent = parent->getParent())
        corner += parent->getPosition();
    return corner + widget.getSize() / 2.f;
}

} // namespace testing_support
