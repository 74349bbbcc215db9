#include "services/InputManager.hpp"

InputManager& InputManager::instance()
{
    static InputManager manager;
    return manager;
}

InputManager::InputManager()
    : mouseSource(
          []
          {
              const auto& window = InputManager::instance().window;
              return window ? sf::Mouse::getPosition(*window) : sf::Vector2i();
          })
{
}

void InputManager::HandleEvent(sf::Event event)
{
    switch (event.type)
    {
    case sf::Event::KeyPressed:
        keyPressed[event.key.code] = true;
        keyDown[event.key.code] = true;
        break;
    case sf::Event::KeyReleased:
        keyReleased[event.key.code] = true;
        keyDown[event.key.code] = false;
        break;
    case sf::Event::MouseButtonPressed:
        beforePress[event.mouseButton.button] = {IsMouseButtonPressed(event.mouseButton.button),
                                                 leftPressPixel};
        mousePressed[event.mouseButton.button] = true;
        mouseDown[event.mouseButton.button] = true;
        if (event.mouseButton.button == sf::Mouse::Left)
            leftPressPixel = sf::Vector2i(event.mouseButton.x, event.mouseButton.y);
        break;
    case sf::Event::MouseButtonReleased:
        mouseReleased[event.mouseButton.button] = true;
        mouseDown[event.mouseButton.button] = false;
        break;
    case sf::Event::LostFocus:
        focusLost = true;
        break;
    default:
        break;
    }
}

void InputManager::Update()
{
    for (auto* flags : {&keyPressed, &keyReleased})
        for (auto& entry : *flags)
            entry.second = false;
    for (auto* flags : {&mousePressed, &mouseReleased})
        for (auto& entry : *flags)
            entry.second = false;
    leftPressPixel.reset();
    focusLost = false;
}

void InputManager::SpendClicks()
{
    for (auto* flags : {&mousePressed, &mouseReleased})
        for (auto& entry : *flags)
            entry.second = false;
    leftPressPixel.reset();
}

void InputManager::ClaimPress(sf::Mouse::Button button)
{
    const BeforePress before = beforePress[button];
    mousePressed[button] = before.pressed;
    if (button == sf::Mouse::Left)
        leftPressPixel = before.leftPixel;
    focusLost = false;
}

void InputManager::Bind(int action, int player, sf::Keyboard::Key key)
{
    bindings.push_back(std::make_shared<Binding>(Binding{player, action, key}));
}

void InputManager::BindDefaults()
{
    Bind(MoveUp, FirstPlayer, sf::Keyboard::Up);
    Bind(MoveDown, FirstPlayer, sf::Keyboard::Down);
    Bind(MoveLeft, FirstPlayer, sf::Keyboard::Left);
    Bind(MoveRight, FirstPlayer, sf::Keyboard::Right);
    Bind(ActionKey, FirstPlayer, sf::Keyboard::Numpad0);
    Bind(MoveUp, SecondPlayer, sf::Keyboard::W);
    Bind(MoveDown, SecondPlayer, sf::Keyboard::S);
    Bind(MoveLeft, SecondPlayer, sf::Keyboard::A);
    Bind(MoveRight, SecondPlayer, sf::Keyboard::D);
    Bind(ActionKey, SecondPlayer, sf::Keyboard::Space);
}

bool InputManager::IsMouseButtonPressed(sf::Mouse::Button button) const
{
    const auto found = mousePressed.find(button);
    return found != mousePressed.end() && found->second;
}

bool InputManager::IsKeyPressed(sf::Keyboard::Key key) const
{
    const auto found = keyPressed.find(key);
    return found != keyPressed.end() && found->second;
}

bool InputManager::IsActionPressed(int action, int player) const
{
    for (const auto& binding : bindings)
    {
        if (binding->player == player && binding->action == action)
        {
            const auto found = keyPressed.find(binding->key);
            return found != keyPressed.end() && found->second;
        }
    }
    return false;
}

sf::Vector2f InputManager::ToWorld(sf::Vector2i pixel) const
{
    if (window && window->isOpen())
        return window->mapPixelToCoords(pixel);
    return {static_cast<float>(pixel.x), static_cast<float>(pixel.y)};
}

sf::Vector2f InputManager::MousePosition() const
{
    return ToWorld(mouseSource());
}

sf::Vector2f InputManager::ClickPosition() const
{
    if (leftPressPixel && IsMouseButtonPressed(sf::Mouse::Left))
        return ToWorld(*leftPressPixel);
    return MousePosition();
}
