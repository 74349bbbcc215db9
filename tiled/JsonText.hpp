#pragma once
// JSON text to a DOM without exceptions: syntax errors come back as text with the line and
// column, and nesting is capped so that nothing downstream recurses without bound.

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace tmj
{

constexpr int MaxJsonDepth = 200; // arrays and objects inside each other; Tiled needs under ten

// Parses text (a leading UTF-8 byte-order mark is skipped). On failure returns false and sets
// error to one line such as "parse error at line 3, column 5: syntax error while parsing ...".
bool ParseJsonText(std::string_view text, nlohmann::json& out, std::string& error);

} // namespace tmj
