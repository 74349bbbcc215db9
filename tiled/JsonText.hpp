#pragma once
// JSON text to a DOM without exceptions: syntax errors come back as text with the line and
// column, nesting is capped so that nothing downstream recurses without bound, and the DOM's
// memory is capped so that a file of a few megabytes cannot become gigabytes of tree.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace tmj
{

constexpr int MaxJsonDepth = 200; // arrays and objects inside each other; Tiled needs under ten

// The most memory, in bytes, that one parsed document may take. The tree costs far more than its
// text: "{}," is 3 bytes of text and about 100 bytes of tree, so 16 MiB of empty objects once
// made 600 MB. The cost is estimated as it is built (what a 64-bit glibc allocates for each value,
// member and container, rounded up), so the parse stops before the memory is spent. A map of a
// million cells written as a JSON array costs about 32 MiB.
constexpr std::size_t MaxJsonTreeBytes = std::size_t{96} << 20;

// Parses text (a leading UTF-8 byte-order mark is skipped). On failure returns false and sets
// error to one line such as "parse error at line 3, column 5: syntax error while parsing ...";
// a tree past maxTreeBytes fails with a line that names the limit.
bool ParseJsonText(std::string_view text, nlohmann::json& out, std::string& error,
                   std::size_t maxTreeBytes = MaxJsonTreeBytes);

} // namespace tmj
