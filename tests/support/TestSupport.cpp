#include "tests/support/TestSupport.hpp"

#include "app/services/AssetManager.hpp"
#include "app/Game.hpp"
#include "app/GamePlay.hpp"
#include "app/services/GameStateManager.hpp"
#include "app/services/InputManager.hpp"
#include "app/services/SoundManager.hpp"
#include "entities/CollisionComponents.hpp"
#include "entities/GameObjectManager.hpp"
#include "entities/PhysicsManager.hpp"
#include "entities/RenderComponents.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/GameConfig.hpp"
#include "gameplay/GameplayManager.hpp"
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
    // The game's own clearing when a game is left.
    GamePlay().Exit();
    auto& objects = GameObjectManager::instance();
    objects.camera.reset();
    objects.nextId = 0;

    auto& render = RenderManager::instance();
    render.layers.clear();
    for (int layer = 0; layer <= 4; ++layer)
        render.layers.emplace_back(layer, true);
    render.selectedLayer = 0;

    auto& gameplay = GameplayManager::instance();
    gameplay.running = false;
    gameplay.cursorInput.reset();
    gameplay.seedSource = [] { return 1u; };

    auto& config = GameConfig::instance();
    config.buildAllowed = true;

    auto& ui = UIManager::instance();
    ui.gui->removeAllWidgets();
    ui.playerName = "Player 1";
    ui.money = 0;
    ui.score = 0;
    ui.wave = 0;
    ui.waveTextActive = false;
    ui.waveTextTimer = 2.f;
    ui.changeTextActive = false;
    ui.moneyChange = 0;
    ui.scoreChange = 0;
    ui.changeTextTimer = 1.f;
    ui.currentScreen = MainMenuScreen;
    ui.cursorInput.reset();
    ui.highscorePath = "../assets/highscore.json";

    auto& input = InputManager::instance();
    input.keyDown.clear();
    input.keyPressed.clear();
    input.keyReleased.clear();
    input.mouseDown.clear();
    input.mousePressed.clear();
    input.mouseReleased.clear();
    input.bindings.clear();
    input.mouseSource = [] { return sf::Vector2i(); };

    SoundManager::instance().playing.clear();
    CameraComponent::moveOffset = {};
    GameStateManager::instance().currentState = nullptr;
    GameStateManager::instance().states.clear();
}

bool StepWorld(float dt)
{
    GamePlay state;
    state.Update(dt);
    return GameplayManager::instance().running;
}

sf::Vector2f CentreOf(const vgui::Widget& widget)
{
    sf::Vector2f corner = widget.getPosition();
    for (const vgui::Container* parent = widget.getParent(); parent != nullptr; parent = parent->getParent())
        corner += parent->getPosition();
    return corner + widget.getSize() / 2.f;
}

} // namespace testing_support
