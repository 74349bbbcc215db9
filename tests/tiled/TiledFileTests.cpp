#include "tests/tiled/TiledTestSupport.hpp"
#include "tiled/TiledMap.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <random>

namespace fs = std::filesystem;
using nlohmann::json;

namespace
{

const fs::path dataDir = fs::path(VARNHOLD_TEST_DATA) / "tiled";

void ExpectFailure(const tmj::Map& map, const fs::path& file, tmj::Status status, const std::string& fragment)
{
    EXPECT_EQ(map.status, status) << map.message;
    EXPECT_EQ(map.message.rfind(file.string() + ": ", 0), 0u) << map.message;
    EXPECT_NE(map.message.find(fragment), std::string::npos) << map.message;
    EXPECT_EQ(map.message.find('\n'), std::string::npos) << map.message;
    EXPECT_TRUE(map.layers.empty());
    EXPECT_TRUE(map.tilesets.empty());
}

// A scratch folder for maps written by the test, removed afterwards.
class TiledFiles : public ::testing::Test
{
protected:
    fs::path dir;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("varnhold-tiled-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir / "sets");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path Write(const fs::path& name, const std::string& text)
    {
        std::ofstream(dir / name, std::ios::binary) << text;
        return dir / name;
    }
};

} // namespace

TEST(TiledFixtures, MapWithExternalAndEmbeddedTilesets)
{
    const tmj::Map map = tmj::Parse(dataDir / "external.tmj");
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    EXPECT_TRUE(map.warnings.empty());
    ASSERT_EQ(map.tilesets.size(), 2u);

    const tmj::Tileset& ground = map.tilesets[0];
    EXPECT_EQ(ground.firstGid, 1u);
    EXPECT_EQ(ground.name, "ground");
    EXPECT_EQ(ground.source, fs::path("tilesets/ground.tsj"));
    EXPECT_EQ(ground.image, "../images/ground.png") << "as written in the tileset's file";
    EXPECT_EQ(ground.imageRelativeToMap, fs::path("images/ground.png")) << "as seen from the map's folder";
    EXPECT_EQ(ground.tileCount, 64);
    EXPECT_EQ(ground.imageWidth, 256);
    EXPECT_EQ(ground.properties.GetString("Kind"), "grass");
    ASSERT_EQ(ground.tiles.size(), 1u);
    EXPECT_EQ(ground.tiles[0].id, 9u);
    EXPECT_EQ(ground.tiles[0].type, "Water");
    EXPECT_EQ(ground.tiles[0].properties.GetFloat("Speed"), 0.5);
    EXPECT_EQ(ground.tiles[0].animation.size(), 2u);

    const tmj::Tileset& props = map.tilesets[1];
    EXPECT_TRUE(props.source.empty());
    EXPECT_EQ(props.imageRelativeToMap, fs::path(props.image));

    const tmj::Layer& layer = map.layers.at(0);
    EXPECT_EQ(layer.properties.GetInt("RenderOrder"), 1);
    ASSERT_EQ(layer.data.size(), 12u);
    EXPECT_EQ(layer.data[6], tmj::FlipHorizontal | 10u);
    EXPECT_EQ(map.FindTileset(tmj::TileId(layer.data[6])), &ground);
    EXPECT_EQ(map.FindTileset(layer.data[7]), &props);
    EXPECT_EQ(map.FindTileset(layer.data[9]), nullptr) << "67 lies past the props tileset's two tiles";

    const auto& objects = map.layers.at(1).objects;
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].type, "Base");
    EXPECT_EQ(objects[0].properties.GetFloat("Health"), 750.0);
    EXPECT_EQ(objects[1].properties.GetInt("Waypoint"), 3);
    EXPECT_DOUBLE_EQ(objects[1].x, 10.5);
}

TEST(TiledFixtures, ExternalTilesetProblemsNameTheTileset)
{
    ExpectFailure(tmj::Parse(dataDir / "missing_tileset.tmj"), dataDir / "missing_tileset.tmj",
                  tmj::Status::FileNotFound,
                  "/tilesets/0/source: tileset \"tilesets/nope.tsj\": the file does not exist");
    ExpectFailure(tmj::Parse(dataDir / "broken_tileset.tmj"), dataDir / "broken_tileset.tmj",
                  tmj::Status::MalformedJson,
                  "tileset \"tilesets/broken.tsj\": parse error at line 1, column");
    ExpectFailure(tmj::Parse(dataDir / "xml_tileset.tmj"), dataDir / "xml_tileset.tmj",
                  tmj::Status::Unsupported, "export or embed it as JSON");
    ExpectFailure(tmj::Parse(dataDir / "folder_tileset.tmj"), dataDir / "folder_tileset.tmj",
                  tmj::Status::FileNotFound, "it is not a regular file");
    ExpectFailure(tmj::Parse(dataDir / "array_tileset.tmj"), dataDir / "array_tileset.tmj",
                  tmj::Status::InvalidMap, "tilesets/array.tsj#: expected an object, got an array");
}

TEST(TiledFixtures, UnreadableMapFiles)
{
    ExpectFailure(tmj::Parse(dataDir / "no_such_map.tmj"), dataDir / "no_such_map.tmj",
                  tmj::Status::FileNotFound, "the file does not exist");
    ExpectFailure(tmj::Parse(dataDir / "tilesets"), dataDir / "tilesets", tmj::Status::FileNotFound,
                  "it is not a regular file");
    ExpectFailure(tmj::Parse(dataDir / "empty.tmj"), dataDir / "empty.tmj", tmj::Status::MalformedJson,
                  "line 1, column 1");
    ExpectFailure(tmj::Parse(dataDir / "truncated.tmj"), dataDir / "truncated.tmj",
                  tmj::Status::MalformedJson, "parse error at line 3");
}

TEST(TiledFixtures, ByteOrderMarkAndNonAsciiNames)
{
    const tmj::Map map = tmj::Parse(dataDir / "bom.tmj");
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    EXPECT_EQ(map.layers.at(0).name, "Stra\xC3\x9F"
                                     "e \xE2\x86\x92 \xE5\x9F\x8E");
    EXPECT_EQ(map.layers.at(0).width, 1) << "a layer without a size takes the map's";
}

TEST_F(TiledFiles, TilesetImagePathsResolveThroughTheTilesetsFolder)
{
    Write("sets/units.tsj", json{{"name", "units"},
                                 {"image", "../art/units.png"},
                                 {"tilecount", 4},
                                 {"tiles", {{{"id", 0}, {"image", "icons/a.png"}}}}}
                                .dump());
    Write("sets/deep.tsj", json{{"name", "deep"}, {"image", "./x/../y.png"}, {"tilecount", 1}}.dump());
    json map = tmjtest::SmallMap();
    map["tilesets"] = {{{"firstgid", 1}, {"source", "sets/units.tsj"}},
                       {{"firstgid", 5}, {"source", "sets/deep.tsj"}},
                       {{"firstgid", 6}, {"source", (dir / "sets" / "deep.tsj").string()}}};
    const fs::path file = Write("level.tmj", map.dump());
    const tmj::Map read = tmj::Parse(file);
    ASSERT_EQ(read.status, tmj::Status::OK) << read.message;
    EXPECT_EQ(read.tilesets[0].imageRelativeToMap, fs::path("art/units.png"));
    EXPECT_EQ(read.tilesets[0].tiles.at(0).imageRelativeToMap, fs::path("sets/icons/a.png"));
    EXPECT_EQ(read.tilesets[1].imageRelativeToMap, fs::path("sets/y.png"));
    EXPECT_EQ(read.tilesets[2].imageRelativeToMap, dir / "sets" / "y.png")
        << "an absolute source stays absolute";

    // ParseString resolves the same names against the folder it is given.
    const tmj::Map fromText = tmj::ParseString(map.dump(), dir);
    ASSERT_EQ(fromText.status, tmj::Status::OK) << fromText.message;
    EXPECT_EQ(fromText.tilesets[0].imageRelativeToMap, fs::path("art/units.png"));
    EXPECT_EQ(tmj::ParseString(map.dump(), dir / "sets").status, tmj::Status::FileNotFound);
}

TEST_F(TiledFiles, ProblemsInsideATilesetFileCarryItsName)
{
    Write("sets/bad.tsj", json{{"name", "bad"}, {"tilecount", "many"}}.dump());
    json map = tmjtest::SmallMap();
    map["tilesets"] = {{{"firstgid", 1}, {"source", "sets/bad.tsj"}}};
    const fs::path file = Write("level.tmj", map.dump());
    ExpectFailure(tmj::Parse(file), file, tmj::Status::InvalidMap,
                  "sets/bad.tsj#/tilecount: expected an integer in 0..268435455, got \"many\"");
}

TEST_F(TiledFiles, DevicesAreNotReadAsTilesets)
{
    // A source naming an endless device must fail at once, not read until memory runs out.
    json map = tmjtest::SmallMap();
    map["tilesets"] = {{{"firstgid", 1}, {"source", "/dev/zero"}}};
    const fs::path file = Write("level.tmj", map.dump());
    ExpectFailure(tmj::Parse(file), file, tmj::Status::FileNotFound, "it is not a regular file");
}

TEST_F(TiledFiles, GzipFileFromDiskMatchesTheArrayForm)
{
    const std::vector<std::uint32_t> cells = {0x80000002u, 0, 3, 4, 0x80000000u, 0x40000001u};
    json map = tmjtest::SmallMap();
    map["layers"].push_back(tmjtest::TileLayer("Array", cells));
    json packed = tmjtest::TileLayer("Gzip", tmjtest::Base64(tmjtest::Gzip(tmjtest::LittleEndian(cells))));
    packed["encoding"] = "base64";
    packed["compression"] = "gzip";
    map["layers"].push_back(packed);
    const tmj::Map read = tmj::Parse(Write("level.tmj", map.dump(2)));
    ASSERT_EQ(read.status, tmj::Status::OK) << read.message;
    EXPECT_EQ(read.layers.at(0).data, cells);
    EXPECT_EQ(read.layers.at(1).data, cells);
    EXPECT_EQ(tmj::TileId(read.layers[1].data[4]), 0u) << "flags alone are still an empty cell";
}
