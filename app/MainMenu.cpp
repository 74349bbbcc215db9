#include "app/MainMenu.hpp"

#include "services/AssetsLocation.hpp"
#include "ui/UIManager.hpp"
#include "widgets/Widgets.hpp"

void MainMenu::Init()
{
    UIManager::instance().LoadScreen(AssetPath("mainMenu.txt"), ScreenKind::MainMenuScreen);
}

void MainMenu::Update(float)
{
    UIManager::instance().UpdateMenu();
}

void MainMenu::Draw(std::shared_ptr<sf::RenderWindow>)
{
    UIManager::instance().gui->draw();
}
