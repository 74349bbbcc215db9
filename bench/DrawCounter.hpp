#pragma once
// Counts the GL draw calls of the process: the graphics library's every sprite, vertex array and
// widget ends in one glDrawArrays, which this executable intercepts and forwards.

#include <cstdint>

std::uint64_t DrawCallsSoFar();
