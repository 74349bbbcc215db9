# The game's code: one static library that the game, the tests, the benchmark and the tools link.
add_library(varnhold STATIC
    app/AssetManager.cpp
    app/AssetsLocation.cpp
    app/Game.cpp
    app/GamePlay.cpp
    app/GameStateManager.cpp
    app/InputManager.cpp
    app/MainMenu.cpp
    app/SoundManager.cpp
    entities/BroadPhase.cpp
    entities/CollisionComponents.cpp
    entities/Component.cpp
    entities/GameObject.cpp
    entities/GameObjectManager.cpp
    entities/InputComponent.cpp
    entities/MotionComponents.cpp
    entities/PhysicsManager.cpp
    entities/Reclaim.cpp
    entities/RenderComponents.cpp
    entities/RenderManager.cpp
    entities/ShapeTests.cpp
    entities/TileBatches.cpp
    gameplay/Factories.cpp
    gameplay/GameConfig.cpp
    gameplay/GameplayManager.cpp
    gameplay/LevelLoader.cpp
    gameplay/StatusComponent.cpp
    gameplay/Targeting.cpp
    gameplay/Waves.cpp
    ui/HighscoreFile.cpp
    ui/Hud.cpp
    ui/Screens.cpp
    ui/UIManager.cpp
)
target_include_directories(varnhold PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(varnhold PUBLIC
    varnwidgets varntiled
    sfml-graphics sfml-window sfml-system sfml-audio
    nlohmann_json::nlohmann_json)
varnhold_warnings(varnhold)
