#pragma once
// Builders for map JSON and encoded tile data shared by the reader's tests, and a way to run a
// case in a child process that measures its time and memory.

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tmjtest
{

// A valid 3 x 2 map of 16-pixel tiles with one tileset (ids 1..8) and no layers.
nlohmann::json SmallMap();
nlohmann::json TileLayer(const std::string& name, nlohmann::json data);

std::string Base64(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> LittleEndian(const std::vector<std::uint32_t>& cells);
std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> Gzip(const std::vector<std::uint8_t>& bytes);

// What `work` did in a child process of its own.
struct ChildRun
{
    bool finished = false; // returned within the time given (else it was killed)
    std::string output;    // what `work` returned
    double seconds = 0;
    long peakMiB = 0; // the child's own peak resident memory
};

// Forks, runs `work` in the child and hands back its result with the time it took and its peak
// memory (from wait4, so neither the test process nor an earlier case counts). A child still
// running after `timeout` is killed: a case that blocks fails instead of hanging the suite.
ChildRun RunInChild(const std::function<std::string()>& work, std::chrono::milliseconds timeout);

} // namespace tmjtest
