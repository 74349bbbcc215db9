// Maps made to freeze the game or fill its memory, as a tester made them from altered copies of
// the assets. Each runs in a child process of its own (its own peak memory; killed at the hang
// ceiling if it blocks) and must end in its status and a one-line message naming the limit, small.

#include "tests/support/ChildProcess.hpp"
#include "tests/tiled/TiledTestSupport.hpp"
#include "tiled/TiledMap.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace
{

class TiledLimits : public ::testing::Test
{
protected:
    fs::path dir = fs::temp_directory_path() / ("varnhold-limits-" + std::to_string(std::random_device{}()));

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    fs::path Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(dir / name, std::ios::binary) << text;
        return dir / name;
    }
    // Claims `bytes` without holding them on disk: an endless device as a size check sees it.
    fs::path Sparse(const std::string& name, std::uintmax_t bytes) const
    {
        fs::resize_file(Write(name, "{"), bytes);
        return dir / name;
    }
    fs::path Fifo(const std::string& name) const
    {
        EXPECT_EQ(mkfifo((dir / name).c_str(), 0600), 0);
        return dir / name;
    }
    // The map's status and message, read in a child.
    static std::string ParseInChild(const fs::path& file)
    {
        return testing_support::EndsSmall(
            [&]
            {
                const tmj::Map map = tmj::Parse(file);
                return std::to_string(static_cast<int>(map.status)) + " " + map.message;
            });
    }
};

json Map(json layers, json tilesets = json::array())
{
    return {{"width", 32},      {"height", 18},     {"tilewidth", 32},
            {"tileheight", 32}, {"layers", layers}, {"tilesets", tilesets}};
}

json Objects(const json& object, std::size_t count)
{
    return {{"type", "objectgroup"}, {"objects", std::vector<json>(count, object)}};
}

} // namespace

TEST_F(TiledLimits, HostileMapsEndInOneMessageAndStaySmall)
{
    // A FIFO someone keeps open for writing: an open() that waited would return, then the reads
    // would wait for an end that never comes. Opened read-write here so that we do not block.
    const fs::path endless = Fifo("endless.tmj");
    const int writer = open(endless.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_EQ(write(writer, "{\"width\": ", 10), 10);
    fs::create_symlink("/dev/zero", dir / "zero.tmj");
    Write(
        "ground.tsj",
        json{{"name", "g"}, {"image", "g.png"}, {"tilecount", 8}, {"pad", std::string(100000, 'x')}}.dump());
    Sparse("endless.tsj", std::uintmax_t{8} << 30);
    Fifo("pipe.tsj");
    std::string emptyObjects =
        "{\"width\":1,\"height\":1,\"tilewidth\":1,\"tileheight\":1,\"layers\":[{\"type\":"
        "\"objectgroup\",\"objects\":[{}";
    emptyObjects.reserve(16 << 20);
    while (emptyObjects.size() < (16u << 20) - 16)
        emptyObjects += ",{}";
    auto external = [](const std::string& source, std::size_t count)
    {
        return Map(json::array(), std::vector<json>(count, {{"firstgid", 1}, {"source", source}})).dump();
    };

    const auto notFound = tmj::Status::FileNotFound;
    const auto invalid = tmj::Status::InvalidMap;
    const struct
    {
        fs::path file;
        tmj::Status status;
        std::string fragment;
    } cases[] = {
        {Write("layer.tmj",
               Map({{{"type", "tilelayer"},
                     {"name", "G"},
                     {"width", 2048},
                     {"height", 2048},
                     {"encoding", "base64"},
                     {"compression", "zlib"},
                     {"data", tmjtest::Base64(tmjtest::Zlib(std::vector<std::uint8_t>(16 << 20)))}}})
                   .dump()),
         invalid, "/layers/0: layer \"G\": 2048 x 2048 cells take the map past the 1000000 cells"},
        {Sparse("60mb.tmj", std::uintmax_t{60} << 20), invalid, "the file is larger than 16 MiB"},
        {Write("empty_objects.tmj", emptyObjects + "]}]}"), invalid, "the JSON would take more than 96 MiB"},
        {Write("obstacles.tmj",
               Map({Objects({{"type", "Obstacle"}, {"width", 1}, {"height", 1}}, 10000)}).dump()),
         invalid, "/layers/0/objects: 10000 objects take the map past the 4096 objects"},
        {Write("waypoints.tmj", Map({Objects({{"type", "Waypoint"}}, 100000)}).dump()), invalid,
         "100000 objects take the map past the 4096 objects"},
        {Write("tilesets.tmj",
               Map({}, std::vector<json>(5000, {{"firstgid", 1}, {"image", "t.png"}})).dump()),
         invalid, "/tilesets: 5000 tilesets, more than the 256"},
        {Write("external.tmj", external("ground.tsj", 256)), invalid,
         "tileset \"ground.tsj\": the map's tileset files together pass the 16 MiB"},
        {endless, notFound, ": it is not a regular file"},
        {Fifo("quiet.tmj"), notFound, ": it is not a regular file"},
        {dir / "zero.tmj", notFound, ": it is not a regular file"},
        {Write("fifo_set.tmj", external("pipe.tsj", 1)), notFound,
         "/tilesets/0/source: tileset \"pipe.tsj\": it is not a regular file"},
        {Write("big_set.tmj", external("endless.tsj", 1)), invalid,
         "tileset \"endless.tsj\": the file is larger than 4 MiB"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.file.filename());
        const std::string output = ParseInChild(c.file);
        EXPECT_EQ(output.rfind(std::to_string(static_cast<int>(c.status)) + " " + c.file.string() + ": ", 0),
                  0u)
            << output;
        EXPECT_NE(output.find(c.fragment), std::string::npos) << output;
        EXPECT_EQ(output.find('\n'), std::string::npos) << output;
    }
    close(writer);
}

// At every limit at once the map still loads: no limit is off by one, and the tree of a million
// cells written as a plain array (the costliest form) fits the JSON budget.
TEST_F(TiledLimits, AMapAtEveryLimitStillLoads)
{
    std::vector<json> layers(254, Objects({{"type", "Waypoint"}}, 16));
    layers.push_back(Objects({{"type", "Waypoint"}}, 32));
    layers.push_back(
        {{"type", "tilelayer"}, {"width", 1000}, {"height", 1000}, {"data", std::vector<int>(1000000, 1)}});
    const json tileset = {
        {"firstgid", 1}, {"tilecount", 1}, {"properties", std::vector<json>(256, {{"name", "p"}})}};
    const fs::path file = Write("full.tmj", Map(layers, std::vector<json>(256, tileset)).dump());
    EXPECT_EQ(ParseInChild(file), "0 ");
}
