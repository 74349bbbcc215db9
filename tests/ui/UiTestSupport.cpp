#include "tests/ui/UiTestSupport.hpp"

#include "ui/UIManager.hpp"

#include <sstream>

namespace testing_support
{

void ResetUi()
{
    ResetGameplay();
    UIManager::instance().Reset();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace testing_support
