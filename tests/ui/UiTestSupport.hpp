#pragma once
// Helpers for the tests of the screens and of the whole game: the UI manager back to the start of
// the process with everything beneath it, and reading what a test printed. Links only the UI and
// what lies beneath it.

#include "tests/gameplay/GameplayTestSupport.hpp"
#include "tests/widgets/WidgetTestSupport.hpp"

#include <string>
#include <vector>

namespace testing_support
{

// The UI manager (counters, name, widget root, paths) and everything beneath it back to the
// start of the process.
void ResetUi();

// Splits captured stream text into its lines (without the line ends).
std::vector<std::string> Lines(const std::string& text);

} // namespace testing_support
