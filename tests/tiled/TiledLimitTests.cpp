// Maps made to freeze the game or exhaust its memory, the way a tester made them from altered
// copies of the assets. Each one must end in a status and a one-line message that names the limit,
// within seconds and without the memory it asks for. Every case runs in a child process of its
// own, so its time and peak memory are its own and a case that blocks is killed, not waited for.

#include "tiled/TiledMap.hpp"

#include "tests/tiled/TiledTestSupport.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace
{

constexpr long peakLimitMiB = 300;
constexpr double secondsLimit = 5.0;

class TiledLimits : public ::testing::Test
{
protected:
    fs::path dir;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("varnhold-limits-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(dir / name, std::ios::binary) << text;
        return dir / name;
    }
    // A file that claims `bytes` without holding them on disk: an endless device as a reader sees it.
    fs::path Sparse(const std::string& name, std::uintmax_t bytes) const
    {
        std::ofstream(dir / name, std::ios::binary) << "{";
        fs::resize_file(dir / name, bytes);
        return dir / name;
    }
    fs::path Fifo(const std::string& name) const
    {
        EXPECT_EQ(mkfifo((dir / name).c_str(), 0600), 0);
        return dir / name;
    }
};

json Map(json layers, json tilesets = json::array())
{
    return {{"width", 32}, {"height", 18}, {"tilewidth", 32}, {"tileheight", 32},
            {"layers", std::move(layers)}, {"tilesets", std::move(tilesets)}};
}

json ObjectLayer(json objects) { return {{"type", "objectgroup"}, {"name", "Objects"}, {"objects", std::move(objects)}}; }

json Repeated(const json& item, std::size_t count) { return json(std::vector<json>(count, item)); }

} // namespace

TEST_F(TiledLimits, HostileMapsEndInOneMessageQuicklyAndSmall)
{
    // A FIFO that someone keeps open for writing: an open() that waited would return, and a
    // reader would then wait for data that never ends. Opened read-write so that we do not block.
    const fs::path endlessFifo = Fifo("endless.tmj");
    const int writer = open(endlessFifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const std::string filler(4096, ' ');
    ASSERT_EQ(write(writer, filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));

    const std::string tilesetPadding(100 * 1024, 'x');
    Write("ground.tsj", json{{"name", "ground"}, {"image", "ground.png"}, {"tilecount", 8}, {"note", tilesetPadding}}.dump());
    Sparse("endless.tsj", std::uintmax_t{8} << 30);
    Fifo("pipe.tsj");

    struct Case
    {
        const char* name;
        fs::path file;
        tmj::Status status;
        std::string fragment;
    };
    const std::vector<Case> cases = {
        {"28 KB map holding a 2048 x 2048 zlib layer",
         Write("huge_layer.tmj",
               Map({{{"type", "tilelayer"}, {"name", "Ground"}, {"width", 2048}, {"height", 2048},
                     {"encoding", "base64"}, {"compression", "zlib"},
                     {"data", tmjtest::Base64(tmjtest::Zlib(std::vector<std::uint8_t>(std::size_t{16} << 20, 0)))}}})
                   .dump()),
         tmj::Status::InvalidMap, "layer \"Ground\": 2048 x 2048 cells take the map past the 1000000 cells"},
        {"map file of 60 MB", Sparse("big.tmj", std::uintmax_t{60} << 20), tmj::Status::InvalidMap,
         "file is larger than 16 MiB"},
        {"just under 16 MiB of empty objects",
         Write("empty_objects.tmj", [] {
             std::string text = Map(json::array()).dump();
             text.pop_back(); // '}'
             text += ",\"layers\":[{\"type\":\"objectgroup\",\"objects\":[{}";
             while (text.size() < (std::size_t{16} << 20) - 64)
                 text += ",{}";
             return text + "]}]}";
         }()),
         tmj::Status::InvalidMap, "the JSON would take more than 96 MiB in memory"},
        {"10,000 stacked 1 x 1 obstacles",
         Write("obstacles.tmj",
               Map({ObjectLayer(Repeated({{"type", "Obstacle"}, {"x", 64}, {"y", 64}, {"width", 1}, {"height", 1}},
                                         10000))})
                   .dump()),
         tmj::Status::InvalidMap, "/layers/0/objects: 10000 objects take the map past the 4096 objects"},
        {"100,000 waypoints",
         Write("waypoints.tmj", Map({ObjectLayer(Repeated({{"type", "Waypoint"}}, 100000))}).dump()),
         tmj::Status::InvalidMap, "100000 objects take the map past the 4096 objects"},
        {"objects split over many layers count together",
         Write("split.tmj", Map(Repeated(ObjectLayer(Repeated({{"type", "Obstacle"}}, 1000)), 5)).dump()),
         tmj::Status::InvalidMap, "/layers/4/objects: 1000 objects take the map past the 4096 objects"},
        {"300 layers", Write("layers.tmj", Map(Repeated(ObjectLayer(json::array()), 300)).dump()),
         tmj::Status::InvalidMap, "/layers: 300 layers take the map past the 256 layers"},
        {"an object with 300 properties",
         Write("properties.tmj",
               Map({ObjectLayer({{{"type", "Base"},
                                  {"properties", Repeated({{"name", "Health"}, {"type", "float"}, {"value", 1}}, 300)}}})})
                   .dump()),
         tmj::Status::InvalidMap, "/layers/0/objects/0/properties: 300 properties, more than the 256 one owner may have"},
        {"5,000 tilesets naming one image",
         Write("tilesets.tmj",
               Map(json::array(), Repeated({{"firstgid", 1}, {"name", "t"}, {"image", "tilesheet.png"}, {"tilecount", 1}},
                                           5000))
                   .dump()),
         tmj::Status::InvalidMap, "/tilesets: 5000 tilesets, more than the 256 this reader accepts"},
        {"one 100 KB external tileset named 256 times",
         Write("external.tmj", Map(json::array(), Repeated({{"firstgid", 1}, {"source", "ground.tsj"}}, 256)).dump()),
         tmj::Status::InvalidMap, "the map's tileset files together pass the 16 MiB"},
        {"map is a FIFO nobody writes to", Fifo("fifo.tmj"), tmj::Status::FileNotFound, "is not a regular file"},
        {"map is a FIFO with a writer", endlessFifo, tmj::Status::FileNotFound, "is not a regular file"},
        {"map links to /dev/zero",
         [&] {
             fs::create_symlink("/dev/zero", dir / "zero.tmj");
             return dir / "zero.tmj";
         }(),
         tmj::Status::FileNotFound, "is not a regular file"},
        {"tileset is a FIFO", Write("fifo_tileset.tmj", Map(json::array(), {{{"firstgid", 1}, {"source", "pipe.tsj"}}}).dump()),
         tmj::Status::FileNotFound, "/tilesets/0/source: tileset \"pipe.tsj\": is not a regular file"},
        {"tileset of 8 GB", Write("big_tileset.tmj", Map(json::array(), {{{"firstgid", 1}, {"source", "endless.tsj"}}}).dump()),
         tmj::Status::InvalidMap, "tileset \"endless.tsj\": file is larger than 4 MiB"},
    };

    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const tmjtest::ChildRun run = tmjtest::RunInChild(
            [&] {
                const tmj::Map map = tmj::Parse(c.file);
                return std::to_string(static_cast<int>(map.status)) + " " + map.message;
            },
            std::chrono::seconds(20));
        if (!run.finished)
        {
            ADD_FAILURE() << "blocked or died after " << run.seconds << " s";
            continue;
        }
        const std::string expected = std::to_string(static_cast<int>(c.status)) + " " + c.file.string() + ": ";
        EXPECT_EQ(run.output.rfind(expected, 0), 0u) << run.output;
        EXPECT_NE(run.output.find(c.fragment), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find('\n'), std::string::npos) << run.output;
        EXPECT_LT(run.seconds, secondsLimit);
        EXPECT_LT(run.peakMiB, peakLimitMiB);
    }
    close(writer);
}

// The limits are not off by one and do not refuse what a level may hold.
TEST_F(TiledLimits, MapsAtTheLimitsStillLoad)
{
    // A million cells as a plain array, the form whose JSON tree costs the most per cell.
    json ground = {{"type", "tilelayer"}, {"name", "Ground"}, {"width", 1000}, {"height", 1000},
                   {"data", std::vector<std::uint32_t>(1000000, 1)}};
    json layers = Repeated(ObjectLayer(Repeated({{"type", "Waypoint"}}, 16)), 254);
    layers.push_back(ObjectLayer(Repeated({{"type", "Waypoint"}}, 32)));
    layers.push_back(ground);
    const fs::path file = Write(
        "full.tmj",
        Map(layers, Repeated({{"firstgid", 1}, {"name", "t"}, {"image", "t.png"}, {"tilecount", 1},
                              {"properties", Repeated({{"name", "p"}, {"value", "v"}}, 256)}},
                             256))
            .dump());
    const tmjtest::ChildRun run = tmjtest::RunInChild(
        [&] {
            const tmj::Map map = tmj::Parse(file);
            std::size_t objects = 0;
            for (const tmj::Layer& layer : map.layers)
                objects += layer.objects.size();
            return std::to_string(static_cast<int>(map.status)) + " " + std::to_string(map.layers.size()) + " " +
                   std::to_string(objects) + " " + std::to_string(map.layers.back().data.size()) + " " +
                   std::to_string(map.tilesets.size()) + map.message;
        },
        std::chrono::seconds(20));
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "0 256 4096 1000000 256");
    EXPECT_LT(run.peakMiB, peakLimitMiB);
}
