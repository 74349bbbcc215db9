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
    // Tests play on a fixed wave seed, with the pointer resting at the window's corner.
    GameplayManager::instance().seedSource = [] { return 1u; };
    InputManager::instance().mouseSource = [] { return sf::Vector2i(); };
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
