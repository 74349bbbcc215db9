#include "tests/tiled/TiledTestSupport.hpp"
#include "tiled/TiledMap.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using nlohmann::json;
using namespace tmjtest;

namespace
{

tmj::Map Read(const json& map)
{
    return tmj::ParseString(map.dump());
}

json WithLayer(json layer)
{
    json map = SmallMap();
    map["layers"].push_back(std::move(layer));
    return map;
}

// The map's status and, on failure, that the message is one line that starts with the source
// and names the location.
void ExpectFailure(const tmj::Map& map, tmj::Status status, const std::string& fragment)
{
    EXPECT_EQ(map.status, status) << map.message;
    EXPECT_EQ(map.message.rfind("<memory>: ", 0), 0u) << map.message;
    EXPECT_NE(map.message.find(fragment), std::string::npos) << map.message;
    EXPECT_EQ(map.message.find('\n'), std::string::npos) << map.message;
    EXPECT_TRUE(map.layers.empty());
    EXPECT_TRUE(map.tilesets.empty());
}

const std::vector<std::uint32_t> sixCells = {1, 2, 0x80000002u, 0, 0xE0000002u, 0x10000008u};

json PropertyObject(json properties)
{
    return WithLayer({{"type", "objectgroup"},
                      {"name", "Objects"},
                      {"objects", {{{"id", 1}, {"type", "Base"}, {"properties", std::move(properties)}}}}});
}

} // namespace

TEST(TiledMapHeader, ReadsASmallValidMap)
{
    const tmj::Map map = Read(WithLayer(TileLayer("Ground", sixCells)));
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    EXPECT_TRUE(map.message.empty());
    EXPECT_EQ(map.width, 3);
    EXPECT_EQ(map.height, 2);
    EXPECT_EQ(map.tileWidth, 16);
    ASSERT_EQ(map.layers.size(), 1u);
    EXPECT_EQ(map.layers[0].name, "Ground");
    EXPECT_EQ(map.layers[0].data, sixCells);
}

TEST(TiledMapHeader, RequiredSizesMustBePositiveIntegers)
{
    for (const char* key : {"width", "height", "tilewidth", "tileheight"})
    {
        for (const json& bad : {json(0), json(-3), json("4"), json(4.5), json(nullptr), json(4294967296u)})
        {
            json map = SmallMap();
            map[key] = bad;
            ExpectFailure(Read(map), tmj::Status::InvalidMap,
                          std::string("/") + key + ": expected an integer");
        }
        json map = SmallMap();
        map.erase(key);
        ExpectFailure(Read(map), tmj::Status::InvalidMap,
                      std::string("/") + key + ": required field is missing");
    }
}

TEST(TiledMapHeader, UnsupportedFeaturesSaySo)
{
    json map = SmallMap();
    map["infinite"] = true;
    ExpectFailure(Read(map), tmj::Status::Unsupported, "infinite");
    map = SmallMap();
    map["orientation"] = "isometric";
    ExpectFailure(Read(map), tmj::Status::Unsupported, "\"isometric\"");
    json layer = TileLayer("Ground", "AAAA");
    layer["encoding"] = "base64";
    layer["compression"] = "zstd";
    ExpectFailure(Read(WithLayer(layer)), tmj::Status::Unsupported,
                  "/layers/0/compression: layer \"Ground\": zstd");
    json chunked = {{"type", "tilelayer"}, {"name", "Ground"}, {"chunks", json::array()}};
    ExpectFailure(Read(WithLayer(chunked)), tmj::Status::Unsupported, "/layers/0/chunks");
}

TEST(TiledMapHeader, VersionMayBeANumberOrAString)
{
    json map = SmallMap();
    map["version"] = 1.2;
    EXPECT_EQ(Read(map).status, tmj::Status::OK);
    map["version"] = "1.10";
    EXPECT_EQ(Read(map).status, tmj::Status::OK);
    map.erase("version");
    EXPECT_EQ(Read(map).status, tmj::Status::OK);
    map["version"] = true;
    ExpectFailure(Read(map), tmj::Status::InvalidMap, "/version");
}

TEST(TiledMapHeader, MalformedJsonReportsLineAndColumn)
{
    ExpectFailure(tmj::ParseString("{\n  \"width\": 3,\n  \"height\": }"), tmj::Status::MalformedJson,
                  "line 3, column 13");
    ExpectFailure(tmj::ParseString(""), tmj::Status::MalformedJson, "line 1, column 1");
    ExpectFailure(tmj::ParseString("{\"width\": 3"), tmj::Status::MalformedJson, "parse error");
    ExpectFailure(tmj::ParseString("{} trailing"), tmj::Status::MalformedJson, "parse error");
    ExpectFailure(tmj::ParseString("[1, 2]"), tmj::Status::InvalidMap, "not a map object");
    ExpectFailure(tmj::ParseString("\"map\""), tmj::Status::InvalidMap, "not a map object");
    // Deep nesting stops early instead of recursing through it later.
    ExpectFailure(tmj::ParseString(std::string(100000, '[') + std::string(100000, ']')),
                  tmj::Status::InvalidMap, "nested deeper");
}

TEST(TiledMapHeader, AcceptsAByteOrderMark)
{
    const tmj::Map map = tmj::ParseString("\xEF\xBB\xBF" + WithLayer(TileLayer("Ground", sixCells)).dump());
    EXPECT_EQ(map.status, tmj::Status::OK) << map.message;
}

TEST(TiledMapHeader, AFailureLateInTheFileDropsEverythingReadBefore)
{
    json map = WithLayer(TileLayer("Ground", sixCells));
    map["layers"].push_back({{"type", "spline"}});
    ExpectFailure(Read(map), tmj::Status::InvalidMap, "/layers/1/type: unknown layer type \"spline\"");
}

TEST(TiledMapHeader, MessagesStayOnOneLine)
{
    json map = WithLayer(TileLayer("Line\none", {1, 2}));
    const tmj::Map read = Read(map);
    ExpectFailure(read, tmj::Status::InvalidMap, "layer \"Line one\"");
}

TEST(TileLayerData, ArrayBase64ZlibAndGzipGiveIdenticalCells)
{
    const auto bytes = LittleEndian(sixCells);
    struct Form
    {
        const char* compression;
        std::vector<std::uint8_t> payload;
    };
    for (const Form& form : {Form{"", bytes}, Form{"zlib", Zlib(bytes)}, Form{"gzip", Gzip(bytes)}})
    {
        json layer = TileLayer("Ground", Base64(form.payload));
        layer["encoding"] = "base64";
        if (*form.compression != '\0')
            layer["compression"] = form.compression;
        const tmj::Map map = Read(WithLayer(layer));
        ASSERT_EQ(map.status, tmj::Status::OK) << form.compression << ": " << map.message;
        EXPECT_EQ(map.layers[0].data, sixCells) << form.compression;
    }
    json csv = TileLayer("Ground", sixCells);
    csv["encoding"] = "csv";
    EXPECT_EQ(Read(WithLayer(csv)).layers.at(0).data, sixCells);
}

TEST(TileLayerData, CellCountMustMatchWidthTimesHeight)
{
    ExpectFailure(Read(WithLayer(TileLayer("Ground", {1, 2, 3, 4, 5}))), tmj::Status::InvalidMap,
                  "/layers/0/data: layer \"Ground\": holds 5 cells, expected 3 x 2 = 6");
    ExpectFailure(Read(WithLayer(TileLayer("Ground", {1, 2, 3, 4, 5, 6, 7}))), tmj::Status::InvalidMap,
                  "holds 7 cells");
    json layer = TileLayer("Ground", Base64(LittleEndian({1, 2, 3, 4, 5})));
    layer["encoding"] = "base64";
    ExpectFailure(Read(WithLayer(layer)), tmj::Status::InvalidMap,
                  "/layers/0/data: layer \"Ground\": data holds 20");
    layer["compression"] = "zlib";
    layer["data"] = Base64(Zlib(LittleEndian({1, 2, 3, 4, 5, 6, 7})));
    ExpectFailure(Read(WithLayer(layer)), tmj::Status::InvalidMap, "more than the expected 24 bytes");
}

TEST(TileLayerData, HugeSizeWithATinyArrayIsRefusedBeforeAllocating)
{
    json map = SmallMap();
    map["layers"].push_back({{"type", "tilelayer"},
                             {"name", "Ground"},
                             {"width", 100000},
                             {"height", 100000},
                             {"data", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}});
    ExpectFailure(
        Read(map), tmj::Status::InvalidMap,
        "/layers/0: layer \"Ground\": 100000 x 100000 cells: a layer is at most 4096 cells wide and high");
    map["width"] = 100000; // a layer without a size takes the map's, which is refused first
    ExpectFailure(Read(map), tmj::Status::InvalidMap, "/width: expected an integer in 1..4096, got 100000");
    // The same through the compressed path, where the size is only known after inflating.
    json layer = {{"type", "tilelayer"},
                  {"name", "Ground"},
                  {"width", 1000},
                  {"height", 1000},
                  {"encoding", "base64"},
                  {"compression", "gzip"},
                  {"data", Base64(Gzip(LittleEndian({1, 2, 3})))}};
    ExpectFailure(Read(WithLayer(layer)), tmj::Status::InvalidMap, "inflates to 12 bytes, expected 4000000");
}

TEST(TileLayerData, CapCountsAllLayersTogether)
{
    json map = SmallMap();
    map["width"] = 1000;
    map["height"] = 400; // 400,000 cells per layer: two fit in a million, the third does not
    json layer = {{"type", "tilelayer"},
                  {"encoding", "base64"},
                  {"compression", "zlib"},
                  {"data", Base64(Zlib(std::vector<std::uint8_t>(std::size_t{1600000}, 0)))}};
    for (const char* name : {"A", "B", "C"})
    {
        layer["name"] = name;
        map["layers"].push_back(layer);
    }
    ExpectFailure(Read(map), tmj::Status::InvalidMap,
                  "/layers/2: layer \"C\": 1000 x 400 cells take the map past the 1000000 cells");
    map["layers"].erase(2);
    EXPECT_EQ(Read(map).status, tmj::Status::OK);
}

TEST(TileLayerData, EntriesThatAreNotTileIdsNameLayerAndIndex)
{
    for (const json& bad : {json(-1), json(2.5), json("2"), json(4294967296u), json(nullptr), json(2.0)})
    {
        json cells = sixCells;
        cells[4] = bad;
        json map = WithLayer(TileLayer("Sky", sixCells));
        map["layers"].push_back(TileLayer("Ground", cells));
        ExpectFailure(Read(map), tmj::Status::InvalidMap,
                      "/layers/1/data/4: layer \"Ground\": cell 4 is " + bad.dump() + ", not a tile id");
    }
    json cells = sixCells;
    cells[5] = 4294967295u;
    EXPECT_EQ(Read(WithLayer(TileLayer("Ground", cells))).layers.at(0).data[5], 0xFFFFFFFFu);
}

TEST(TileLayerData, CorruptBase64AndUnknownEncodingsAreReported)
{
    json layer = TileLayer("Ground", "AAAA*AAA");
    layer["encoding"] = "base64";
    ExpectFailure(Read(WithLayer(layer)), tmj::Status::InvalidMap,
                  "/layers/0/data: layer \"Ground\": bad base64");
    layer["data"] = sixCells;
    ExpectFailure(Read(WithLayer(layer)), tmj::Status::InvalidMap, "expected a base64 string");
    layer["encoding"] = "hex";
    ExpectFailure(Read(WithLayer(layer)), tmj::Status::Unsupported, "unknown encoding \"hex\"");
    json plain = TileLayer("Ground", "AAAA");
    ExpectFailure(Read(WithLayer(plain)), tmj::Status::InvalidMap, "expected an array of tile ids");
}

TEST(GlobalIds, FlagsAreKeptAndClearedForLookup)
{
    EXPECT_EQ(tmj::TileId(0x80000002u), 2u);
    EXPECT_EQ(tmj::TileId(0xE0000002u), 2u);
    EXPECT_EQ(tmj::TileId(0x10000002u), 2u);
    EXPECT_EQ(tmj::TileId(0x80000000u), 0u);
    const tmj::Map map = Read(WithLayer(TileLayer("Ground", sixCells)));
    ASSERT_EQ(map.status, tmj::Status::OK);
    const std::uint32_t flipped = map.layers[0].data[2];
    EXPECT_EQ(flipped & tmj::FlipHorizontal, tmj::FlipHorizontal);
    EXPECT_EQ(flipped & (tmj::FlipVertical | tmj::FlipDiagonal), 0u);
    EXPECT_EQ(map.FindTileset(tmj::TileId(flipped)), &map.tilesets[0]);
    EXPECT_EQ(map.FindTileset(tmj::TileId(0x10000008u)), &map.tilesets[0]);
}

TEST(GlobalIds, IdsOutsideEveryTilesetFindNone)
{
    json map = SmallMap();
    map["tilesets"] = {{{"firstgid", 5}, {"name", "a"}, {"image", "a.png"}, {"tilecount", 4}},
                       {{"firstgid", 9}, {"name", "b"}, {"image", "b.png"}, {"tilecount", 2}},
                       {{"firstgid", 20}, {"name", "empty"}, {"image", "c.png"}, {"tilecount", 0}}};
    const tmj::Map read = Read(map);
    ASSERT_EQ(read.status, tmj::Status::OK) << read.message;
    EXPECT_EQ(read.FindTileset(0), nullptr);
    EXPECT_EQ(read.FindTileset(4), nullptr) << "below the first firstgid";
    EXPECT_EQ(read.FindTileset(5)->name, "a");
    EXPECT_EQ(read.FindTileset(8)->name, "a");
    EXPECT_EQ(read.FindTileset(9)->name, "b");
    EXPECT_EQ(read.FindTileset(10)->name, "b");
    EXPECT_EQ(read.FindTileset(11), nullptr) << "between ranges";
    EXPECT_EQ(read.FindTileset(20), nullptr) << "a tileset of no tiles holds nothing";
    EXPECT_EQ(read.FindTileset(0x0FFFFFFF), nullptr);
    EXPECT_EQ(tmj::Map{}.FindTileset(1), nullptr) << "no tilesets at all";

    tmj::Tileset last;
    last.firstGid = 0xF0000000u;
    last.tileCount = 0x7FFFFFFF; // the end lies past 2^32: must not wrap round to small ids
    EXPECT_TRUE(last.Contains(0xFFFFFFFFu));
    EXPECT_FALSE(last.Contains(5));
}

TEST(GlobalIds, FirstgidMustBeAPlainId)
{
    json map = SmallMap();
    map["tilesets"][0]["firstgid"] = 0;
    ExpectFailure(Read(map), tmj::Status::InvalidMap, "/tilesets/0/firstgid");
    map["tilesets"][0]["firstgid"] = 0x10000000;
    ExpectFailure(Read(map), tmj::Status::InvalidMap, "/tilesets/0/firstgid");
    map["tilesets"][0].erase("firstgid");
    ExpectFailure(Read(map), tmj::Status::InvalidMap, "/tilesets/0/firstgid: required");
}

TEST(Objects, ClassComesFromTypeThenClass)
{
    json objects = {{{"id", 1}, {"type", "Base"}},
                    {{"id", 2}, {"class", "Spawner"}},
                    {{"id", 3}, {"type", "Waypoint"}, {"class", "Obstacle"}},
                    {{"id", 4}},
                    {{"id", 5}, {"type", ""}, {"class", "Base"}}};
    const tmj::Map map = Read(WithLayer({{"type", "objectgroup"}, {"objects", objects}}));
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    const auto& read = map.layers[0].objects;
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(read[0].type, "Base");
    EXPECT_EQ(read[1].type, "Spawner");
    EXPECT_EQ(read[2].type, "Waypoint");
    EXPECT_EQ(read[3].type, "");
    EXPECT_EQ(read[4].type, "") << "an empty type is still the type";
}

TEST(Objects, GeometryAcceptsIntegersAndDecimals)
{
    json object = {{"id", 7},
                   {"name", "Gate"},
                   {"x", 10},
                   {"y", 20.5},
                   {"width", 33},
                   {"height", 0},
                   {"rotation", 90},
                   {"point", true},
                   {"gid", 0x80000003u},
                   {"polygon", {{{"x", 0}, {"y", 0}}, {{"x", 4.5}, {"y", -2}}}}};
    const tmj::Map map = Read(WithLayer({{"type", "objectgroup"}, {"objects", {object}}}));
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    const tmj::Object& read = map.layers[0].objects.at(0);
    EXPECT_EQ(read.id, 7);
    EXPECT_DOUBLE_EQ(read.x, 10.0);
    EXPECT_DOUBLE_EQ(read.y, 20.5);
    EXPECT_DOUBLE_EQ(read.width, 33.0);
    EXPECT_DOUBLE_EQ(read.rotation, 90.0);
    EXPECT_TRUE(read.point);
    EXPECT_EQ(read.gid, 0x80000003u);
    ASSERT_EQ(read.polygon.size(), 2u);
    EXPECT_DOUBLE_EQ(read.polygon[1].x, 4.5);
    object["x"] = "10";
    ExpectFailure(Read(WithLayer({{"type", "objectgroup"}, {"objects", {object}}})), tmj::Status::InvalidMap,
                  "/layers/0/objects/0/x: expected a number");
}

TEST(Layers, GroupsKeepTheirChildrenInOrder)
{
    json inner = {
        {"type", "group"},
        {"name", "Inner"},
        {"layers", {{{"type", "objectgroup"}, {"name", "Deep"}, {"objects", {{{"type", "Base"}}}}}}}};
    json group = {{"type", "group"},
                  {"name", "Outer"},
                  {"properties", {{{"name", "RenderOrder"}, {"type", "int"}, {"value", 3}}}},
                  {"layers", {TileLayer("Ground", sixCells), inner}}};
    json map = WithLayer(group);
    map["layers"].push_back({{"type", "imagelayer"},
                             {"name", "Sky"},
                             {"image", "sky.png"},
                             {"visible", false},
                             {"opacity", 0.5},
                             {"offsetx", 3}});
    const tmj::Map read = Read(map);
    ASSERT_EQ(read.status, tmj::Status::OK) << read.message;
    ASSERT_EQ(read.layers.size(), 2u);
    const tmj::Layer& outer = read.layers[0];
    EXPECT_EQ(outer.type, tmj::LayerType::Group);
    EXPECT_EQ(outer.properties.GetInt("RenderOrder"), 3);
    ASSERT_EQ(outer.layers.size(), 2u);
    EXPECT_EQ(outer.layers[0].data, sixCells);
    ASSERT_EQ(outer.layers[1].layers.size(), 1u);
    EXPECT_EQ(outer.layers[1].layers[0].objects.at(0).type, "Base");
    const tmj::Layer& sky = read.layers[1];
    EXPECT_EQ(sky.type, tmj::LayerType::ImageLayer);
    EXPECT_EQ(sky.image, "sky.png");
    EXPECT_FALSE(sky.visible);
    EXPECT_DOUBLE_EQ(sky.opacity, 0.5);
    EXPECT_DOUBLE_EQ(sky.offsetX, 3.0);
}

TEST(Properties, EveryTiledTypeReads)
{
    const json list = {
        {{"name", "Name"}, {"value", "untyped is a string"}},
        {{"name", "Count"}, {"type", "int"}, {"value", -7}},
        {{"name", "Rate"}, {"type", "float"}, {"value", 1.25}},
        {{"name", "Whole"}, {"type", "float"}, {"value", 1}},
        {{"name", "On"}, {"type", "bool"}, {"value", true}},
        {{"name", "Tint"}, {"type", "color"}, {"value", "#80ff1020"}},
        {{"name", "Opaque"}, {"type", "color"}, {"value", "#ff1020"}},
        {{"name", "Unset"}, {"type", "color"}, {"value", ""}},
        {{"name", "Path"}, {"type", "file"}, {"value", "../a.png"}},
        {{"name", "Target"}, {"type", "object"}, {"value", 12}},
        {{"name", "Stats"}, {"type", "class"}, {"propertytype", "Stats"}, {"value", {{"hp", 3}}}}};
    const tmj::Map map = Read(PropertyObject(list));
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    EXPECT_TRUE(map.warnings.empty());
    const tmj::Properties& p = map.layers[0].objects[0].properties;
    ASSERT_EQ(p.list.size(), list.size());
    EXPECT_EQ(p.GetString("Name"), "untyped is a string");
    EXPECT_EQ(p.GetInt("Count"), -7);
    EXPECT_EQ(p.GetFloat("Count"), -7.0) << "an int reads as a float too";
    EXPECT_EQ(p.GetFloat("Rate"), 1.25);
    EXPECT_EQ(p.GetFloat("Whole"), 1.0) << "Tiled writes whole floats as integers";
    EXPECT_EQ(p.GetInt("Rate"), std::nullopt) << "a float does not read as an int";
    EXPECT_EQ(p.GetBool("On"), true);
    const tmj::Color tint = p.GetColor("Tint").value();
    EXPECT_EQ((std::vector<int>{tint.a, tint.r, tint.g, tint.b}), (std::vector<int>{0x80, 0xff, 0x10, 0x20}));
    EXPECT_EQ(p.GetColor("Opaque").value().a, 255);
    EXPECT_EQ(p.GetColor("Opaque").value().r, 0xff);
    EXPECT_EQ(p.GetColor("Unset").value().a, 0);
    EXPECT_EQ(p.Find("Path")->type, tmj::PropertyType::File);
    EXPECT_EQ(p.Find("Path")->stringValue, "../a.png");
    EXPECT_EQ(p.GetString("Path"), std::nullopt) << "a file is not a string property";
    EXPECT_EQ(p.Find("Target")->type, tmj::PropertyType::Object);
    EXPECT_EQ(p.Find("Target")->intValue, 12);
    EXPECT_EQ(p.Find("Stats")->type, tmj::PropertyType::Class);
    EXPECT_EQ(p.Find("Stats")->propertyType, "Stats");
    EXPECT_EQ(json::parse(p.Find("Stats")->stringValue), json({{"hp", 3}}));
    EXPECT_EQ(p.Find("health"), nullptr) << "names are case-sensitive";
}

TEST(Properties, LastDuplicateWins)
{
    const json list = {{{"name", "Waypoint"}, {"type", "int"}, {"value", 1}},
                       {{"name", "Other"}, {"type", "int"}, {"value", 5}},
                       {{"name", "Waypoint"}, {"type", "int"}, {"value", 2}}};
    const tmj::Map map = Read(PropertyObject(list));
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    const tmj::Properties& p = map.layers[0].objects[0].properties;
    EXPECT_EQ(p.list.size(), 3u) << "the list keeps file order";
    EXPECT_EQ(p.GetInt("Waypoint"), 2);
    // A later duplicate of another type hides the earlier one rather than falling back to it.
    const tmj::Map retyped = Read(PropertyObject(
        {{{"name", "Waypoint"}, {"type", "int"}, {"value", 1}}, {{"name", "Waypoint"}, {"value", "2"}}}));
    EXPECT_EQ(retyped.layers[0].objects[0].properties.GetInt("Waypoint"), std::nullopt);
    EXPECT_EQ(retyped.layers[0].objects[0].properties.GetString("Waypoint"), "2");
}

TEST(Properties, MismatchedValuesKeepTheMapButReadAsAbsent)
{
    const json list = {{{"name", "Health"}, {"type", "int"}, {"value", 2.5}},
                       {{"name", "WaveSize"}, {"type", "int"}, {"value", 12.0}},
                       {{"name", "Texture"}, {"type", "string"}, {"value", 3}},
                       {{"name", "On"}, {"type", "bool"}, {"value", "yes"}},
                       {{"name", "Tint"}, {"type", "color"}, {"value", "red"}},
                       {{"name", "Odd"}, {"type", "enum"}, {"value", "x"}},
                       {{"name", "Empty"}, {"type", "float"}}};
    const tmj::Map map = Read(PropertyObject(list));
    ASSERT_EQ(map.status, tmj::Status::OK) << map.message;
    const tmj::Properties& p = map.layers[0].objects[0].properties;
    const tmj::Property* health = p.Find("Health");
    ASSERT_NE(health, nullptr);
    EXPECT_FALSE(health->valid);
    EXPECT_EQ(health->type, tmj::PropertyType::Int);
    EXPECT_EQ(health->intValue, 0) << "nothing of 2.5 leaks into the value";
    EXPECT_EQ(health->floatValue, 0.0);
    EXPECT_EQ(p.GetInt("Health"), std::nullopt);
    EXPECT_EQ(p.GetFloat("Health"), std::nullopt);
    EXPECT_EQ(p.GetInt("WaveSize"), 12) << "a whole number written with .0 is still an int";
    EXPECT_EQ(p.GetString("Texture"), std::nullopt);
    EXPECT_EQ(p.Find("Texture")->stringValue, "");
    EXPECT_EQ(p.GetBool("On"), std::nullopt);
    EXPECT_EQ(p.GetColor("Tint"), std::nullopt);
    EXPECT_FALSE(p.Find("Odd")->valid);
    EXPECT_FALSE(p.Find("Empty")->valid);
    ASSERT_EQ(map.warnings.size(), 6u);
    EXPECT_EQ(map.warnings[0], "<memory>: /layers/0/objects/0/properties/0/value: property \"Health\" is "
                               "declared int but holds 2.5; "
                               "it reads as absent");
    EXPECT_NE(map.warnings[4].find("/properties/5/type: property \"Odd\" has unknown type \"enum\""),
              std::string::npos)
        << map.warnings[4];
    EXPECT_NE(map.warnings[5].find("/properties/6: property \"Empty\" is declared float but holds no value"),
              std::string::npos)
        << map.warnings[5];
}

TEST(Properties, StructuralFaultsFailTheMap)
{
    ExpectFailure(Read(PropertyObject({{{"type", "int"}, {"value", 1}}})), tmj::Status::InvalidMap,
                  "/layers/0/objects/0/properties/0/name: required field is missing");
    ExpectFailure(Read(PropertyObject({{{"name", "A"}, {"type", 4}, {"value", 1}}})), tmj::Status::InvalidMap,
                  "/properties/0/type: expected a string");
    ExpectFailure(Read(PropertyObject({7})), tmj::Status::InvalidMap, "/properties/0: expected an object");
    ExpectFailure(Read(PropertyObject("x")), tmj::Status::InvalidMap, "/properties: expected an array");
}

TEST(Properties, OldObjectFormWithPropertyTypes)
{
    json map = SmallMap();
    map["properties"] = {{"Rate", 2}, {"Size", 4}, {"Name", "n"}, {"On", true}, {"Half", 0.5}, {"a/b", 1}};
    map["propertytypes"] = {{"Rate", "float"}, {"Size", "int"}, {"Name", "string"}, {"On", "bool"}};
    const tmj::Map read = Read(map);
    ASSERT_EQ(read.status, tmj::Status::OK) << read.message;
    EXPECT_EQ(read.properties.GetFloat("Rate"), 2.0);
    EXPECT_EQ(read.properties.Find("Rate")->type, tmj::PropertyType::Float);
    EXPECT_EQ(read.properties.GetInt("Size"), 4);
    EXPECT_EQ(read.properties.GetString("Name"), "n");
    EXPECT_EQ(read.properties.GetBool("On"), true);
    EXPECT_EQ(read.properties.GetFloat("Half"), 0.5) << "no declared type: taken from the value";
    map["propertytypes"]["a/b"] = "bool";
    const tmj::Map wrong = Read(map);
    ASSERT_EQ(wrong.warnings.size(), 1u);
    EXPECT_NE(wrong.warnings[0].find("/properties/a~1b: property \"a/b\" is declared bool"),
              std::string::npos)
        << wrong.warnings[0];
}

TEST(Tilesets, EmbeddedTilesetFieldsAndTiles)
{
    json map = SmallMap();
    map["tilesets"] = {
        {{"firstgid", 1},
         {"name", "ground"},
         {"image", "../assets/ground.png"},
         {"imagewidth", 256},
         {"imageheight", 128},
         {"tilewidth", 32},
         {"tileheight", 32},
         {"tilecount", 32},
         {"columns", 8},
         {"margin", 1},
         {"spacing", 2},
         {"tiles", {{{"id", 3}, {"class", "Water"}, {"animation", {{{"tileid", 4}, {"duration", 100}}}}}}}}};
    const tmj::Map read = Read(map);
    ASSERT_EQ(read.status, tmj::Status::OK) << read.message;
    const tmj::Tileset& t = read.tilesets.at(0);
    EXPECT_EQ(t.name, "ground");
    EXPECT_EQ(t.image, "../assets/ground.png");
    EXPECT_EQ(t.imageRelativeToMap, std::filesystem::path("../assets/ground.png"));
    EXPECT_TRUE(t.source.empty());
    EXPECT_EQ(t.imageWidth, 256);
    EXPECT_EQ(t.columns, 8);
    EXPECT_EQ(t.spacing, 2);
    ASSERT_EQ(t.tiles.size(), 1u);
    EXPECT_EQ(t.tiles[0].type, "Water");
    EXPECT_EQ(t.tiles[0].animation.at(0).tileId, 4u);
    map["tilesets"][0]["tilecount"] = -1;
    ExpectFailure(Read(map), tmj::Status::InvalidMap, "/tilesets/0/tilecount");
}

// Counts that add up over the whole map: what one owner may hold is not what the map may hold.
TEST(Limits, CountsAddUpOverTheWholeMap)
{
    auto objects = [](std::size_t count, std::size_t properties)
    {
        const json object = {{"properties", std::vector<json>(properties, {{"name", "p"}, {"value", "v"}})}};
        return WithLayer({{"type", "objectgroup"}, {"objects", std::vector<json>(count, object)}});
    };
    json groups = SmallMap();
    groups["layers"] =
        std::vector<json>(2, {{"type", "group"}, {"layers", std::vector<json>(150, {{"type", "group"}})}});
    json tiles = SmallMap();
    tiles["tilesets"] =
        std::vector<json>(2, {{"firstgid", 1}, {"tiles", std::vector<json>(40000, {{"id", 0}})}});
    const std::pair<json, std::string> cases[] = {
        {groups, "/layers/1/layers: 150 layers take the map past the 256 layers"},
        {tiles, "/tilesets/1/tiles: 40000 tile entries take the map past the 65536 tile entries"},
        {objects(400, 251),
         "/objects/398/properties: 251 properties take the map past the 100000 properties"},
        {objects(1, 257), "/objects/0/properties: 257 properties, more than the 256 one owner may have"},
    };
    for (const auto& [map, fragment] : cases)
        ExpectFailure(Read(map), tmj::Status::InvalidMap, fragment);
    EXPECT_EQ(Read(objects(390, 256)).status, tmj::Status::OK) << "99,840 properties, 256 on each object";

    const tmj::Map warned =
        Read(PropertyObject(std::vector<json>(150, {{"name", "H"}, {"type", "int"}, {"value", 0.5}})));
    ASSERT_EQ(warned.warnings.size(), tmj::MaxWarnings + 1);
    EXPECT_EQ(warned.warnings.back(), "<memory>: 50 more warnings left out");
}

// Every count the reader limits: a map at the limit loads, one more fails and names the limit.
TEST(Limits, EachCountLoadsAtItsLimitAndFailsOneBeyond)
{
    const auto map = [](const char* key, json value)
    {
        json made = SmallMap();
        made[key] = std::move(value);
        return made;
    };
    const auto layers = [&](std::size_t count)
    {
        return map("layers", std::vector<json>(count, {{"type", "group"}}));
    };
    const auto objects = [](std::size_t count)
    {
        return WithLayer({{"type", "objectgroup"}, {"objects", std::vector<json>(count, json::object())}});
    };
    const auto tilesets = [&](std::size_t count)
    {
        return map("tilesets", std::vector<json>(count, {{"firstgid", 1}, {"tilecount", 1}}));
    };
    const auto tiles = [&](std::size_t count)
    {
        return map("tilesets", {{{"firstgid", 1}, {"tiles", std::vector<json>(count, {{"id", 0}})}}});
    };
    const auto ownProperties = [](std::size_t count)
    {
        return PropertyObject(std::vector<json>(count, {{"name", "p"}, {"value", "v"}}));
    };
    // 400 objects of 250 properties, and one more object with `extra` of them.
    const auto allProperties = [](std::size_t extra)
    {
        const json property = {{"name", "p"}, {"value", "v"}};
        std::vector<json> many(400, {{"properties", std::vector<json>(250, property)}});
        many.push_back({{"properties", std::vector<json>(extra, property)}});
        return WithLayer({{"type", "objectgroup"}, {"objects", many}});
    };
    const auto side = [&](int width)
    {
        return map("layers", {{{"type", "tilelayer"},
                               {"width", width},
                               {"height", 1},
                               {"data", std::vector<int>(static_cast<std::size_t>(width), 0)}}});
    };
    // A million cells in one layer, and one more in a second layer.
    const auto cells = [&](bool oneMore)
    {
        json both = {{{"type", "tilelayer"},
                      {"width", 1000},
                      {"height", 1000},
                      {"data", std::vector<int>(1'000'000, 0)}}};
        if (oneMore)
            both.push_back({{"type", "tilelayer"}, {"width", 1}, {"height", 1}, {"data", {0}}});
        return map("layers", both);
    };
    struct Case
    {
        json atLimit, beyond;
        std::string fragment;
    };
    const Case cases[] = {
        {layers(tmj::MaxLayers), layers(tmj::MaxLayers + 1), "past the 256 layers"},
        {objects(tmj::MaxObjects), objects(tmj::MaxObjects + 1), "past the 4096 objects"},
        {tilesets(tmj::MaxTilesets), tilesets(tmj::MaxTilesets + 1), "more than the 256 this reader accepts"},
        {tiles(tmj::MaxTileEntries), tiles(tmj::MaxTileEntries + 1), "past the 65536 tile entries"},
        {ownProperties(tmj::MaxPropertiesPerOwner), ownProperties(tmj::MaxPropertiesPerOwner + 1),
         "more than the 256 one owner may have"},
        {allProperties(0), allProperties(1), "past the 100000 properties"},
        {side(tmj::MaxLayerSide), side(tmj::MaxLayerSide + 1), "a layer is at most 4096 cells"},
        {cells(false), cells(true), "past the 1000000 cells"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.fragment);
        const tmj::Map loaded = Read(c.atLimit);
        EXPECT_EQ(loaded.status, tmj::Status::OK) << loaded.message;
        ExpectFailure(Read(c.beyond), tmj::Status::InvalidMap, c.fragment);
    }
}
