#include "ui/InfoPage.hpp"

#include "widgets/Widgets.hpp"

namespace
{
const WidgetName Return{"ReturnButton", WidgetType::Button, Need::WayOn};
} // namespace

InfoPage::InfoPage(vgui::Gui& gui, ScreenHost& host) : Screen(gui), host(host)
{
}

const std::vector<WidgetName>& InfoPage::Names() const
{
    static const std::vector<WidgetName> names = {Return};
    return names;
}

void InfoPage::Connect()
{
    if (const auto back = gui.get<vgui::Button>(Return.name))
        back->onPress([this] { BackToMenu(host, gui); });
}

std::vector<ScreenAction> InfoPage::WaysOn()
{
    return BackOrExit(host, gui);
}
