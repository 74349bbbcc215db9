#include "app/Game.hpp"

#include "app/FrameTrace.hpp"
#include "entities/RenderManager.hpp"
#include "gameplay/Cursor.hpp"
#include "gameplay/GameplayManager.hpp"
#include "services/AssetFiles.hpp"
#include "services/AssetManager.hpp"
#include "services/AssetsLocation.hpp"
#include "services/GameStateManager.hpp"
#include "services/InputManager.hpp"
#include "services/Settings.hpp"
#include "ui/HighscoreFile.hpp"
#include "ui/RecordsFile.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/System/Clock.hpp>

#include <chrono>

Game::Game(std::shared_ptr<sf::RenderWindow> window, InputManager& inputManager, AssetManager& assetManager,
           GameStateManager& gameStateManager, UIManager& uiManager)
    : window(std::move(window)), inputManager(inputManager), assetManager(assetManager),
      gameStateManager(gameStateManager), uiManager(uiManager)
{
}

bool Game::Init()
{
    window->create(sf::VideoMode(WorldWidth, WorldHeight, 32), WindowTitle, sf::Style::Default,
                   sf::ContextSettings());
    window->setFramerateLimit(60);
    window->setVerticalSyncEnabled(true);
    SetWindowIcon();

    // Saves cut short by a killed game leave temporary files beside the record and the settings.
    for (const std::string* saved :
         {&uiManager.highscorePath, &uiManager.settingsPath, &uiManager.recordsPath})
    {
        if (!saved->empty())
            RemoveStaleTemporaries(*saved);
    }
    (void)RecordsFile::ReadAtStart(uiManager.recordsPath);
    auto& settings = Settings::instance();
    settings.Load(SeededPath(uiManager.settingsPath));
    settings.ApplyVolume();
    uiManager.applyWindowMode = [this]
    {
        ApplyWindowMode();
    };
    if (settings.fullscreen)
        ApplyWindowMode();

    // The widget root needs its window before the first state loads a screen.
    uiManager.window = window;
    uiManager.gui->setTarget(*window);
    uiManager.screenClickGuard = sf::milliseconds(300);
    FitViewToWindow();

    gameStateManager.AddState("MainMenu", &mainMenu);
    gameStateManager.AddState("GamePlay", &gamePlay);
    gameStateManager.ChangeState("MainMenu");

    inputManager.window = window;
    window->setKeyRepeatEnabled(false);
    inputManager.BindDefaults();

    RenderManager::instance().SeedLayers();

    LoadGameAssets(assetManager);
    // The widgets draw their text with the game's one font.
    uiManager.gui->setFont(assetManager.fonts["arial"]);
    return true;
}

void Game::ApplyWindowMode()
{
    const bool fullscreen = Settings::instance().fullscreen;
    const sf::VideoMode mode =
        fullscreen ? sf::VideoMode::getDesktopMode() : sf::VideoMode(WorldWidth, WorldHeight, 32);
    window->create(mode, WindowTitle, fullscreen ? sf::Style::Fullscreen : sf::Style::Default,
                   sf::ContextSettings());
    window->setFramerateLimit(60);
    window->setVerticalSyncEnabled(true);
    window->setKeyRepeatEnabled(false);
    SetWindowIcon();
    FitViewToWindow();
}

void Game::SetWindowIcon()
{
    // The desktop's menu entry and the window show the same picture; without it, the desktop's own.
    std::string problem;
    const std::string bytes = ReadImageFile(AssetPath("icon_64.png"), AssetLimits::MaxSpriteSide, problem);
    sf::Image icon;
    if (!bytes.empty() && icon.loadFromMemory(bytes.data(), bytes.size()))
        window->setIcon(icon.getSize().x, icon.getSize().y, icon.getPixelsPtr());
}

void Game::DrawFrameCounter(float dt)
{
    if (dt > 0.f)
        framesPerSecond += (1.f / dt - framesPerSecond) * 0.1f; // smoothed over about ten frames
    const auto font = assetManager.fonts.find("arial");
    if (!Settings::instance().showFps || font == assetManager.fonts.end())
        return;
    sf::Text text(std::to_string(static_cast<int>(framesPerSecond + 0.5f)) + " fps", *font->second, 16);
    text.setFillColor(sf::Color(232, 207, 138));
    text.setOutlineColor(sf::Color::Black);
    text.setOutlineThickness(1.f);
    text.setPosition(8.f, static_cast<float>(WorldHeight) - 26.f);
    window->draw(text);
}

void Game::Frame(float dt)
{
    Frame(dt, FrameOptions());
}

void Game::Frame(float dt, const FrameOptions& options)
{
    using Clock = std::chrono::steady_clock;
    const auto milliseconds = [](Clock::duration d)
    {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    const auto started = Clock::now();

    // The state sees the input of the previous frame's poll: flags are cleared only now.
    gameStateManager.currentState->Update(dt);
    inputManager.Update();
    const auto updated = Clock::now();

    if (options.poll)
    {
        options.poll(*this);
    }
    else
    {
        sf::Event event;
        while (window->pollEvent(event))
            HandleEvent(event);
    }

    // What a click at the pointer would reach, for the build preview and the tower card.
    inputManager.pointerOverWidgets =
        inputManager.mouseSource && uiManager.gui->widgetAt(inputManager.mouseSource()) != nullptr;
    const auto polled = Clock::now();
    if (options.picture == FrameOptions::Picture::Placed)
    {
        RenderManager::instance().PlaceSprites();
    }
    else
    {
        window->clear(sf::Color::Black);
        gameStateManager.currentState->Draw(window);
        DrawFrameCounter(dt);
        if (options.picture == FrameOptions::Picture::Shown)
            window->display();
    }
    if (options.times)
    {
        options.times->updateMs = milliseconds(updated - started);
        options.times->pictureMs = milliseconds(Clock::now() - polled);
    }
}

void Game::HandleEvent(const sf::Event& event)
{
    // Button handlers run inside the widget root's handleEvent and may change the state at once.
    inputManager.HandleEvent(event);
    const bool usedByWidgets = uiManager.gui->handleEvent(event);
    // A click on a widget (the HUD, a button) is not also a click on the world under it; one on
    // the world is told to the cursor with the tower kind chosen when it came.
    if (usedByWidgets && event.type == sf::Event::MouseButtonPressed)
        inputManager.ClaimPress(event.mouseButton.button);
    else if (event.type == sf::Event::MouseButtonPressed && event.mouseButton.button == sf::Mouse::Left)
    {
        if (const auto& cursor = GameplayManager::instance().cursorInput)
            cursor->click = InputComponent::Click{cursor->selectedTower};
    }
    if (event.type == sf::Event::Resized)
        FitViewToWindow();
    if (event.type == sf::Event::Closed)
        window->close();
}

sf::View LetterboxView(sf::Vector2u windowSize)
{
    sf::View view(sf::FloatRect(0.f, 0.f, static_cast<float>(WorldWidth), static_cast<float>(WorldHeight)));
    if (windowSize.x == 0 || windowSize.y == 0)
        return view;
    const float windowShape = static_cast<float>(windowSize.x) / static_cast<float>(windowSize.y);
    const float worldShape = static_cast<float>(WorldWidth) / static_cast<float>(WorldHeight);
    if (windowShape > worldShape)
    {
        const float width = worldShape / windowShape; // bars left and right
        view.setViewport(sf::FloatRect((1.f - width) / 2.f, 0.f, width, 1.f));
    }
    else
    {
        const float height = windowShape / worldShape; // bars above and below
        view.setViewport(sf::FloatRect(0.f, (1.f - height) / 2.f, 1.f, height));
    }
    return view;
}

void Game::FitViewToWindow()
{
    const sf::View view = LetterboxView(window->getSize());
    window->setView(view);
    uiManager.gui->setView(view);
}

void Game::Run()
{
    if (!Init())
        return;
    // Tests that play the binary from outside read what each frame did here.
    const auto trace = FrameTrace::FromEnvironment();
    if (const auto start = StartCounters::FromEnvironment())
    {
        gamePlay.startMoney = start->money;
        gamePlay.startScore = start->score;
    }
    sf::Clock clock;
    while (window->isOpen())
    {
        const float dt = clock.restart().asSeconds();
        Frame(dt);
        if (trace)
            trace->Write(*this, dt);
    }
    if (gameStateManager.currentState)
        gameStateManager.currentState->Exit();
}
