#include "ui/LevelSelectPage.hpp"

#include "services/InputManager.hpp"
#include "services/Settings.hpp"
#include "ui/Numbers.hpp"
#include "ui/SettingsPanel.hpp"
#include "widgets/Widgets.hpp"

#include <SFML/Graphics/Texture.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
const WidgetName Return{"ReturnButton", WidgetType::Button, Need::WayOn};
const WidgetName PlayButton{"PlayLevelButton", WidgetType::Button, Need::Optional};
const WidgetName Cards{"LevelCards", WidgetType::Any, Need::Optional};
const WidgetName Prototype{"LevelCard", WidgetType::Any, Need::Optional};
const WidgetName Easy{"EasyButton", WidgetType::Button, Need::Optional};
const WidgetName Normal{"NormalButton", WidgetType::Button, Need::Optional};
const WidgetName Hard{"HardButton", WidgetType::Button, Need::Optional};
const WidgetName ChosenLook{"ChosenDifficultyLook", WidgetType::Button, Need::Optional};
const WidgetName Description{"DifficultyText", WidgetType::TextArea, Need::Optional};
const WidgetName PreviousPage{"PreviousPageButton", WidgetType::Button, Need::Optional};
const WidgetName NextPage{"NextPageButton", WidgetType::Button, Need::Optional};
const WidgetName PageText{"PageText", WidgetType::TextArea, Need::Optional};

// The difficulty buttons, in the order of the table.
const WidgetName* const DifficultyButtons[] = {&Easy, &Normal, &Hard};

// The parts of the prototype card, by name, and where a card has them when there is none.
struct Part
{
    const char* name;
    sf::FloatRect rect;
};
const sf::Vector2f DefaultCardSize{285.f, 232.f};
const Part Frame{"CardFrame", {0.f, 0.f, 285.f, 232.f}};
const Part ChosenFrame{"CardFrameChosen", {0.f, 0.f, 285.f, 232.f}};
const Part PicturePart{"CardPicture", {12.f, 12.f, 261.f, 147.f}};
const Part NamePart{"CardName", {12.f, 164.f, 261.f, 26.f}};
const Part InfoPart{"CardInfo", {12.f, 191.f, 261.f, 18.f}};
const Part RecordPart{"CardRecord", {12.f, 209.f, 261.f, 18.f}};
const Part WarningPart{"CardWarning", {12.f, 107.f, 261.f, 52.f}};
const Part RefusalPart{"CardRefusal", {12.f, 83.f, 261.f, 76.f}};
const Part ButtonPart{"CardButton", {0.f, 0.f, 285.f, 232.f}};
// The area the cards fill when the form names none.
const sf::FloatRect DefaultCardArea{40.f, 100.f, 1200.f, 480.f};
constexpr float CardGap = 16.f;

const sf::Color Ink(242, 232, 213), Muted(159, 170, 185), Gold(200, 162, 74), Amber(232, 176, 74),
    Alarm(224, 122, 95), Slate(86, 101, 125), Night(22, 31, 45);

using Look = std::shared_ptr<vgui::Renderer::Data>;

// A look made in code: a widget's own renderer, set up and kept.
template <class Setup>
Look MadeLook(Setup setup)
{
    const auto panel = vgui::Panel::create();
    setup(*panel->getRenderer());
    return panel->getRenderer()->data;
}

// The prototype's part of that name, when the form has the prototype and the part.
vgui::Widget::Ptr PrototypePart(vgui::Gui& gui, const Part& part)
{
    const auto prototype = gui.get<vgui::Container>(Prototype.name);
    return prototype ? prototype->get(part.name) : nullptr;
}

sf::FloatRect RectOf(vgui::Gui& gui, const Part& part)
{
    if (const auto widget = PrototypePart(gui, part))
        return {widget->getPosition(), widget->getSize()};
    return part.rect;
}

// The prototype part's look, or one made in code.
template <class Setup>
Look LookOf(vgui::Gui& gui, const Part& part, Setup setup)
{
    if (const auto widget = PrototypePart(gui, part))
        return widget->getRenderer()->data;
    return MadeLook(setup);
}

unsigned TextSizeOf(vgui::Gui& gui, const Part& part, unsigned fallback)
{
    const auto widget = PrototypePart(gui, part);
    if (const auto label = std::dynamic_pointer_cast<vgui::Label>(widget))
        return label->getTextSize();
    if (const auto area = std::dynamic_pointer_cast<vgui::TextArea>(widget))
        return area->getTextSize();
    return fallback;
}

vgui::Label::Ptr CardLabel(vgui::Gui& gui, const Part& part, unsigned textSize, sf::Color color)
{
    auto label = vgui::Label::create();
    const sf::FloatRect rect = RectOf(gui, part);
    label->setPosition(rect.left, rect.top);
    label->setSize(rect.width, rect.height);
    label->setTextSize(TextSizeOf(gui, part, textSize));
    label->setRenderer(LookOf(gui, part,
                              [color](vgui::Renderer& look)
                              {
                                  look.setTextColor(color);
                                  look.setBackgroundColor(sf::Color::Transparent);
                              }));
    label->setIgnoreMouseEvents(true);
    return label;
}

std::string Percent(float factor)
{
    return std::to_string(static_cast<int>(std::lround(std::abs(factor - 1.f) * 100.f))) + "%";
}

std::string Waves(int shift)
{
    return std::to_string(std::abs(shift)) + (std::abs(shift) == 1 ? " wave" : " waves");
}
} // namespace

std::string DifficultyDescription(Difficulty difficulty)
{
    const DifficultyNumbers& row = DifficultyOf(difficulty);
    const DifficultyNumbers& normal = DifficultyOf(Difficulty::Normal);
    std::string text = std::string(row.name) + ": " + std::to_string(row.startGold) + " gold to start";
    if (row.enemyHealthPercent != normal.enemyHealthPercent)
        text += ", enemies with " + std::to_string(row.enemyHealthPercent) + "% of their hit points";
    if (row.killGoldPercent != normal.killGoldPercent)
        text += ", " + std::to_string(row.killGoldPercent) + "% of the gold for a kill";
    if (row.spawnPauseFactor > 1.f)
        text += ", " + Percent(row.spawnPauseFactor) + " more time between enemies";
    else if (row.spawnPauseFactor < 1.f)
        text += ", " + Percent(row.spawnPauseFactor) + " less time between enemies";
    const auto shift = [](const char* kind, int by)
    {
        return by == 0 ? std::string() : std::string(kind) + Waves(by) + (by > 0 ? " later" : " sooner");
    };
    const std::string middle = shift("middle enemies ", row.middleWaveShift);
    const std::string hard = shift("hard ones ", row.hardWaveShift);
    if (!middle.empty() || !hard.empty())
        text += ", " + middle + (!middle.empty() && !hard.empty() ? " and " : "") + hard;
    if (row.waitsForStart)
        text += ", and the first wave waits for Start (N)";
    if (difficulty == Difficulty::Normal)
        text += ", the game as it has always been";
    return text + ".";
}

std::string FindingOnCard(const LevelEntry& level, const std::string& finding)
{
    const std::string prefix = level.id.file + ": ";
    return finding.rfind(prefix, 0) == 0 ? finding.substr(prefix.size()) : finding;
}

LevelSelectPage::LevelSelectPage(vgui::Gui& gui, ScreenHost& host, const std::string& recordsPath,
                                 const std::string& settingsPath)
    : Screen(gui), host(host), recordsPath(recordsPath), settingsPath(settingsPath)
{
}

const std::vector<WidgetName>& LevelSelectPage::Names() const
{
    static const std::vector<WidgetName> names = {Return,      PlayButton,   Cards,    Prototype,
                                                  Easy,        Normal,       Hard,     ChosenLook,
                                                  Description, PreviousPage, NextPage, PageText};
    return names;
}

std::vector<ScreenAction> LevelSelectPage::WaysOn()
{
    return {{"Back to the menu",
             [this]
             {
                 BackToMenu(host, gui);
             }},
            {"Play", [this]
             {
                 PlayChosen();
             }}};
}

void LevelSelectPage::Connect()
{
    cards.clear();
    cardWidgets.clear();
    const sf::FloatRect picture = RectOf(gui, PicturePart);
    levels = ListLevels(true, {static_cast<unsigned>(std::max(picture.width, 1.f)),
                               static_cast<unsigned>(std::max(picture.height, 1.f))});
    records = RecordsFile::Read(recordsPath);
    const auto& settings = Settings::instance();
    difficulty = DifficultyNamed(settings.difficulty).value_or(Difficulty::Normal);
    chosen = 0;
    for (std::size_t i = 0; i < levels.size(); ++i)
        if (levels[i].id.key == settings.level)
            chosen = i;

    if (const auto back = gui.get<vgui::Button>(Return.name))
        back->onPress([this] { BackToMenu(host, gui); });
    if (const auto play = gui.get<vgui::Button>(PlayButton.name))
        play->onPress([this] { PlayChosen(); });
    for (const Difficulty each : Difficulties)
    {
        const auto button = gui.get<vgui::Button>(DifficultyButtons[static_cast<int>(each)]->name);
        buttonLooks[static_cast<std::size_t>(each)] = button ? button->getRenderer()->data : nullptr;
        if (button)
            button->onPress([this, each] { ChooseDifficulty(each); });
    }
    if (const auto previous = gui.get<vgui::Button>(PreviousPage.name))
        previous->onPress(
            [this]
            {
                if (page > 0)
                    Choose((page - 1) * perPage);
            });
    if (const auto next = gui.get<vgui::Button>(NextPage.name))
        next->onPress(
            [this]
            {
                if ((page + 1) * perPage < levels.size())
                    Choose((page + 1) * perPage);
            });
    page = chosen / std::max<std::size_t>(perPage, 1);
    ShowPage();
    ShowDifficulty();
}

std::shared_ptr<vgui::Container> LevelSelectPage::CardArea()
{
    if (const auto area = gui.get<vgui::Container>(Cards.name))
        return area;
    auto area = vgui::Group::create({DefaultCardArea.width, DefaultCardArea.height});
    area->setPosition(DefaultCardArea.left, DefaultCardArea.top);
    gui.add(area, Cards.name);
    return area;
}

void LevelSelectPage::ShowPage()
{
    const auto area = CardArea();
    for (const auto& widget : cardWidgets)
        area->remove(widget);
    cardWidgets.clear();
    cards.clear();

    const auto prototype = gui.get<vgui::Container>(Prototype.name);
    const sf::Vector2f cardSize = prototype ? prototype->getSize() : DefaultCardSize;
    const sf::Vector2f areaSize = area->getSize();
    columns = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::floor((areaSize.x + CardGap) / (cardSize.x + CardGap))));
    const std::size_t rows = std::max<std::size_t>(
        1, static_cast<std::size_t>(std::floor((areaSize.y + CardGap) / (cardSize.y + CardGap))));
    perPage = columns * rows;
    page = std::min(chosen / perPage, levels.empty() ? 0 : (levels.size() - 1) / perPage);
    // The cards of a page spread over the area's width, rows from the top.
    const float stepX =
        columns > 1 ? (areaSize.x - cardSize.x) / static_cast<float>(columns - 1) : cardSize.x + CardGap;
    const float stepY = cardSize.y + CardGap;

    const Look frameLook = LookOf(gui, Frame,
                                  [](vgui::Renderer& look)
                                  {
                                      look.setBackgroundColor(Night);
                                      look.setBorderColor(Slate);
                                      look.setBorders(2.f);
                                  });
    const Look warningLook = LookOf(gui, WarningPart,
                                    [](vgui::Renderer& look)
                                    {
                                        look.setBackgroundColor(sf::Color(10, 14, 20, 220));
                                        look.setTextColor(Amber);
                                        look.setBorderColor(sf::Color(10, 14, 20, 220));
                                    });
    const Look refusalLook = LookOf(gui, RefusalPart,
                                    [](vgui::Renderer& look)
                                    {
                                        look.setBackgroundColor(sf::Color(10, 14, 20, 230));
                                        look.setTextColor(Alarm);
                                        look.setBorderColor(sf::Color(10, 14, 20, 230));
                                    });
    const Look buttonLook = LookOf(gui, ButtonPart,
                                   [](vgui::Renderer& look)
                                   {
                                       look.setBackgroundColor(sf::Color::Transparent);
                                       look.setBorderColor(sf::Color::Transparent);
                                   });

    const std::size_t first = page * perPage;
    for (std::size_t i = first; i < std::min(levels.size(), first + perPage); ++i)
    {
        const LevelEntry& level = levels[i];
        const std::size_t slot = i - first;
        auto card = vgui::Group::create(cardSize);
        card->setPosition(static_cast<float>(slot % columns) * stepX,
                          static_cast<float>(slot / columns) * stepY);

        auto frame = vgui::Panel::create({RectOf(gui, Frame).width, RectOf(gui, Frame).height});
        frame->setPosition(RectOf(gui, Frame).left, RectOf(gui, Frame).top);
        frame->setRenderer(frameLook);
        card->add(frame, "CardFrame");

        const sf::FloatRect pictureRect = RectOf(gui, PicturePart);
        auto picture = vgui::Picture::create(level.picture);
        picture->setPosition(pictureRect.left, pictureRect.top);
        picture->setSize(pictureRect.width, pictureRect.height);
        picture->setIgnoreMouseEvents(true);
        card->add(picture, "CardPicture");

        auto name = CardLabel(gui, NamePart, 20, level.plan.playable ? Ink : Muted);
        name->setText(level.id.name);
        card->add(name, "CardName");

        auto info = CardLabel(gui, InfoPart, 14, Muted);
        std::string road;
        if (level.tileSize > 0)
            road = "road " +
                   std::to_string(
                       static_cast<int>(std::lround(level.roadLength / static_cast<float>(level.tileSize)))) +
                   " tiles";
        info->setText(std::to_string(level.spawners) + (level.spawners == 1 ? " spawner" : " spawners") +
                      (road.empty() ? "" : ", " + road));
        card->add(info, "CardInfo");

        auto record = CardLabel(gui, RecordPart, 14, Gold);
        card->add(record, "CardRecord");
        cards.push_back({i, frame, record});

        // What the check found: a refusal greys the card, warnings are shown and the level plays.
        const std::vector<std::string>& notes =
            level.plan.playable ? level.plan.findings : level.plan.refusals;
        if (!notes.empty())
        {
            const Part& part = level.plan.playable ? WarningPart : RefusalPart;
            const sf::FloatRect rect = RectOf(gui, part);
            auto note = vgui::TextArea::create();
            note->setPosition(rect.left, rect.top);
            note->setSize(rect.width, rect.height);
            note->setTextSize(TextSizeOf(gui, part, 13));
            note->setReadOnly(true);
            note->setIgnoreMouseEvents(true);
            note->setRenderer(level.plan.playable ? warningLook : refusalLook);
            const std::string count = std::to_string(notes.size());
            note->setText(level.plan.playable
                              ? (notes.size() == 1 ? "Warning: " : count + " warnings, the first: ") +
                                    FindingOnCard(level, notes.front())
                              : "Cannot be played: " + FindingOnCard(level, notes.front()));
            card->add(note, "CardNote");
        }

        const sf::FloatRect buttonRect = RectOf(gui, ButtonPart);
        auto button = vgui::Button::create();
        button->setPosition(buttonRect.left, buttonRect.top);
        button->setSize(buttonRect.width, buttonRect.height);
        button->setRenderer(buttonLook);
        // A click chooses the card; a click on the chosen card plays it.
        button->onPress(
            [this, i]
            {
                if (i == chosen)
                    PlayChosen();
                else
                    Choose(i);
            });
        card->add(button, "CardButton");

        area->add(card, "Card" + std::to_string(i));
        cardWidgets.push_back(card);
    }

    const std::size_t pages = levels.empty() ? 1 : (levels.size() + perPage - 1) / perPage;
    SetText(gui, PageText.name,
            pages > 1 ? "Page " + std::to_string(page + 1) + " of " + std::to_string(pages) : std::string());
    if (const auto previous = gui.get(PreviousPage.name))
        previous->setVisible(pages > 1 && page > 0);
    if (const auto next = gui.get(NextPage.name))
        next->setVisible(pages > 1 && page + 1 < pages);
    Choose(chosen);
    ShowCardTexts();
}

void LevelSelectPage::ShowCardTexts()
{
    for (const Card& card : cards)
    {
        const RecordTable table = records.Table(levels[card.level].id.key, difficulty);
        card.record->setText(table.empty()
                                 ? "No game yet on " + std::string(DifficultyOf(difficulty).name)
                                 : "Best " + WholeNumber(table.front().score) + ", wave " +
                                       std::to_string(table.front().wave) + " (" + table.front().name + ")");
    }
}

void LevelSelectPage::Choose(std::size_t index)
{
    if (levels.empty())
        return;
    index = std::min(index, levels.size() - 1);
    const bool samePage = index / perPage == page;
    chosen = index;
    if (!samePage)
    {
        ShowPage();
        return;
    }
    const Look frameLook = LookOf(gui, Frame,
                                  [](vgui::Renderer& look)
                                  {
                                      look.setBackgroundColor(Night);
                                      look.setBorderColor(Slate);
                                      look.setBorders(2.f);
                                  });
    const Look chosenLook = LookOf(gui, ChosenFrame,
                                   [](vgui::Renderer& look)
                                   {
                                       look.setBackgroundColor(sf::Color(36, 48, 66));
                                       look.setBorderColor(Gold);
                                       look.setBorders(3.f);
                                   });
    for (const Card& card : cards)
        card.frame->setRenderer(card.level == chosen ? chosenLook : frameLook);
    if (const auto play = gui.get<vgui::Button>(PlayButton.name))
        play->setEnabled(levels[chosen].plan.playable);
}

void LevelSelectPage::ChooseDifficulty(Difficulty chosenDifficulty)
{
    difficulty = chosenDifficulty;
    auto& settings = Settings::instance();
    if (settings.difficulty != DifficultyOf(difficulty).key)
    {
        settings.difficulty = DifficultyOf(difficulty).key;
        SaveSettings(settingsPath);
    }
    ShowDifficulty();
    ShowCardTexts();
}

void LevelSelectPage::ShowDifficulty()
{
    SetText(gui, Description.name, DifficultyDescription(difficulty));
    MarkChosenDifficulty(gui, {Easy.name, Normal.name, Hard.name}, ChosenLook.name, buttonLooks, difficulty);
}

void LevelSelectPage::PlayChosen()
{
    if (chosen >= levels.size() || !levels[chosen].plan.playable)
        return;
    auto& settings = Settings::instance();
    settings.level = levels[chosen].id.key;
    settings.difficulty = DifficultyOf(difficulty).key;
    SaveSettings(settingsPath);
    host.Play();
}

void LevelSelectPage::Update()
{
    const auto& input = InputManager::instance();
    if (levels.empty())
        return;
    if (input.IsKeyPressed(sf::Keyboard::Escape))
    {
        BackToMenu(host, gui);
        return;
    }
    if (input.IsKeyPressed(sf::Keyboard::Enter))
    {
        PlayChosen();
        return;
    }
    std::size_t next = chosen;
    if (input.IsKeyPressed(sf::Keyboard::Right) && next + 1 < levels.size())
        ++next;
    if (input.IsKeyPressed(sf::Keyboard::Left) && next > 0)
        --next;
    if (input.IsKeyPressed(sf::Keyboard::Down) && next + columns < levels.size())
        next += columns;
    if (input.IsKeyPressed(sf::Keyboard::Up) && next >= columns)
        next -= columns;
    if (next != chosen)
        Choose(next);
}

bool LevelSelectPage::BuildStandIn(const std::string& formFile, const std::string& loadError)
{
    gui.removeAllWidgets();
    auto backdrop = vgui::Panel::create({1280.f, 720.f});
    backdrop->getRenderer()->setBackgroundColor(sf::Color(13, 19, 28));
    backdrop->getRenderer()->setBorderColor(sf::Color(13, 19, 28));
    gui.add(backdrop, "BuiltInBackdrop");

    auto title = vgui::Label::create("Choose a level");
    title->setPosition(40.f, 28.f);
    title->setSize(800.f, 56.f);
    title->setTextSize(40);
    title->getRenderer()->setTextColor(Gold);
    title->setIgnoreMouseEvents(true);
    gui.add(title, "BuiltInTitle");

    const auto button = [this](const WidgetName& name, const std::string& text, sf::FloatRect rect)
    {
        auto made = vgui::Button::create(text);
        made->setPosition(rect.left, rect.top);
        made->setSize(rect.width, rect.height);
        made->setTextSize(20);
        made->getRenderer()->setBackgroundColor(sf::Color(46, 59, 78));
        made->getRenderer()->setTextColor(Ink);
        made->getRenderer()->setBorderColor(Slate);
        made->getRenderer()->setBorders(2.f);
        gui.add(made, name.name);
    };
    button(Easy, "Easy", {40.f, 600.f, 120.f, 44.f});
    button(Normal, "Normal", {170.f, 600.f, 120.f, 44.f});
    button(Hard, "Hard", {300.f, 600.f, 120.f, 44.f});
    button(PreviousPage, "<", {1040.f, 40.f, 44.f, 44.f});
    button(NextPage, ">", {1196.f, 40.f, 44.f, 44.f});
    button(Return, "Back", {880.f, 600.f, 160.f, 52.f});
    button(PlayButton, "Play", {1060.f, 600.f, 180.f, 52.f});

    auto description = vgui::TextArea::create();
    description->setPosition(40.f, 652.f);
    description->setSize(820.f, 60.f);
    description->setTextSize(15);
    description->setReadOnly(true);
    description->getRenderer()->setBackgroundColor(sf::Color::Transparent);
    description->getRenderer()->setBorderColor(sf::Color::Transparent);
    description->getRenderer()->setTextColor(Muted);
    gui.add(description, Description.name);

    auto pageText = vgui::TextArea::create();
    pageText->setPosition(1088.f, 48.f);
    pageText->setSize(104.f, 30.f);
    pageText->setTextSize(15);
    pageText->setReadOnly(true);
    pageText->getRenderer()->setBackgroundColor(sf::Color::Transparent);
    pageText->getRenderer()->setBorderColor(sf::Color::Transparent);
    pageText->getRenderer()->setTextColor(Muted);
    gui.add(pageText, PageText.name);

    auto problem = vgui::Label::create("\"" + formFile + "\" could not be loaded: " + loadError);
    problem->setPosition(40.f, 78.f);
    problem->setSize(1200.f, 20.f);
    problem->setTextSize(13);
    problem->getRenderer()->setTextColor(Alarm);
    problem->setIgnoreMouseEvents(true);
    gui.add(problem, "BuiltInProblem");
    return true;
}
