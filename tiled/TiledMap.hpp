#pragma once
// A reader for maps saved by the Tiled editor in its JSON format (.tmj) with embedded or
// external JSON tilesets (.tsj/.json). It never throws and never reads out of bounds: every
// failure ends up as a status and a one-line message on the returned Map.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tmj
{

enum class Status
{
    OK,
    FileNotFound,
    MalformedJson,
    InvalidMap, // also: a map past one of the limits below
    Unsupported,
};

// What the reader accepts at most. Varnhold's level is 32 x 18 tiles in two tile layers with 37
// objects; every limit is a hundred times that or more, and each stops a file of a few kilobytes
// or megabytes from freezing the game or taking gigabytes (a 28 KB map once held a 2048 x 2048
// layer; a 60 MB one held millions of empty objects). A map past a limit fails with
// Status::InvalidMap and a message that names the limit and where it was passed.
// Files, in bytes, checked before reading. Only regular files are read at all: a FIFO or a
// device fails with Status::FileNotFound ("it is not a regular file").
constexpr std::uintmax_t MaxMapFileBytes = std::uintmax_t{16} << 20;      // 16 MiB
constexpr std::uintmax_t MaxTilesetFileBytes = std::uintmax_t{4} << 20;   // 4 MiB, each external tileset
constexpr std::uintmax_t MaxTilesetBytesInAll = std::uintmax_t{16} << 20; // all external tilesets of a map
// Tile layers, in cells, checked before anything is allocated or inflated. Every cell becomes a
// sprite in the game, so the cap is on all tile layers of the map together.
constexpr int MaxLayerSide = 4096;               // the width and the height of the map and of each layer
constexpr std::uint64_t MaxMapCells = 1'000'000; // in all tile layers together
// Counts over the whole map (layers inside groups and tiles of external tilesets included).
constexpr std::size_t MaxLayers = 256;
// Every object becomes a game object (obstacles collide, waypoints are sorted on each insertion),
// so 10,000 stacked obstacles or 100,000 waypoints must not get through.
constexpr std::size_t MaxObjects = 4096;
constexpr std::size_t MaxTilesets = 256;       // every tileset's image is a texture to load
constexpr std::size_t MaxTileEntries = 65'536; // per-tile data ("tiles") of all tilesets
constexpr std::size_t MaxPropertiesPerOwner =
    256;                                       // custom properties of one map, layer, object, tileset or tile
constexpr std::size_t MaxProperties = 100'000; // custom properties in all
constexpr std::size_t MaxWarnings = 100; // lines kept in Map::warnings, plus one saying more were left out
// The parsed JSON is held in memory while it is read: see MaxJsonTreeBytes (96 MiB) in
// tiled/JsonText.hpp; an external tileset's JSON may take a third of that.

// Global tile id flags kept in the top four bits of a cell.
constexpr std::uint32_t FlipHorizontal = 0x80000000u;
constexpr std::uint32_t FlipVertical = 0x40000000u;
constexpr std::uint32_t FlipDiagonal = 0x20000000u;
constexpr std::uint32_t RotateHexagonal120 = 0x10000000u;
constexpr std::uint32_t FlagMask = 0xF0000000u;

// The tile id of a cell with its flags cleared (0: empty cell).
constexpr std::uint32_t TileId(std::uint32_t gid)
{
    return gid & ~FlagMask;
}

enum class PropertyType
{
    String,
    Int,
    Float,
    Bool,
    Color,
    File,
    Object,
    Class,
};

struct Color
{
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

struct Property
{
    std::string name;
    PropertyType type = PropertyType::String; // as declared in the file
    // False when the value does not fit the declared type (an int written 2.5, a bool written
    // "yes", an unknown type name). The value fields then keep their defaults, every Get* below
    // treats the property as absent, and Map::warnings says where it is. Find still returns it,
    // so a caller can tell "absent" from "present but unusable".
    bool valid = true;
    std::string propertyType;  // the custom type's name for class (and enum) properties, else empty
    std::string stringValue;   // string, file, color (as written), class (the class's JSON as text)
    std::int64_t intValue = 0; // int, object (object id)
    double floatValue = 0.0;   // float (also set for int)
    bool boolValue = false;
    Color colorValue; // "#AARRGGBB" or "#RRGGBB"; "" (Tiled's unset colour) is transparent black
};

// Custom properties in file order. Lookups by exact, case-sensitive name; the last of
// duplicate names wins.
class Properties
{
public:
    std::vector<Property> list;

    const Property* Find(const std::string& name) const;
    // Each returns the value only when the property exists with that Tiled type
    // (GetFloat also accepts an int property's value, as Tiled writes whole floats as integers).
    std::optional<std::int64_t> GetInt(const std::string& name) const;
    std::optional<double> GetFloat(const std::string& name) const;
    std::optional<std::string> GetString(const std::string& name) const;
    std::optional<bool> GetBool(const std::string& name) const;
    std::optional<Color> GetColor(const std::string& name) const;
};

struct Point
{
    double x = 0, y = 0;
};

struct Object
{
    int id = 0;
    std::string name;
    std::string type; // "type", or "class" when "type" is absent
    double x = 0, y = 0, width = 0, height = 0, rotation = 0;
    bool point = false;
    bool ellipse = false;
    std::uint32_t gid = 0;
    bool visible = true;
    std::vector<Point> polygon;  // relative to (x, y); empty unless the object is a polygon
    std::vector<Point> polyline; // relative to (x, y); empty unless the object is a polyline
    Properties properties;
};

enum class LayerType
{
    TileLayer,
    ObjectGroup,
    ImageLayer,
    Group,
};

struct Layer
{
    LayerType type = LayerType::TileLayer;
    int id = 0;
    std::string name;
    bool visible = true;
    double opacity = 1.0;
    double offsetX = 0, offsetY = 0;
    int width = 0, height = 0;       // tile layers: cells per row and rows
    std::vector<std::uint32_t> data; // tile layers: width x height global ids with flags, row-major
    std::vector<Object> objects;     // object groups
    std::vector<Layer> layers;       // groups
    std::string image;               // image layers
    Properties properties;
};

struct AnimationFrame
{
    std::uint32_t tileId = 0; // local id within the tileset
    int duration = 0;         // milliseconds
};

// Per-tile data of a tileset; only tiles that carry something appear.
struct Tile
{
    std::uint32_t id = 0; // local id within the tileset
    std::string type;     // "type", or "class" when "type" is absent
    std::string image;    // collection-of-images tilesets: as written in the tileset's file
    std::filesystem::path imageRelativeToMap;
    int imageWidth = 0, imageHeight = 0;
    std::vector<AnimationFrame> animation;
    Properties properties;
};

struct Tileset
{
    std::uint32_t firstGid = 0;
    std::string name;
    std::string image;                        // as written in the file that holds the tileset
    std::filesystem::path imageRelativeToMap; // the image path as seen from the map's folder
    std::filesystem::path source;             // external tileset file as written in the map, or empty
    int imageWidth = 0, imageHeight = 0;
    int tileWidth = 0, tileHeight = 0;
    int tileCount = 0, columns = 0, margin = 0, spacing = 0;
    std::vector<Tile> tiles;
    Properties properties;

    // Whether the (flag-free) id lies in firstGid .. firstGid + tileCount - 1.
    bool Contains(std::uint32_t tileId) const;
};

struct Map
{
    Status status = Status::OK;
    std::string message; // one line: what and where; empty when status is OK
    // Problems that do not stop the map from loading, one line each in the same form as
    // message (today: custom properties whose value does not fit their declared type). At most
    // MaxWarnings lines, then one that says how many more were left out.
    std::vector<std::string> warnings;

    int width = 0, height = 0;
    int tileWidth = 0, tileHeight = 0;
    std::string orientation = "orthogonal";
    std::vector<Layer> layers; // top-level layers in file order
    std::vector<Tileset> tilesets;
    Properties properties;

    // The first tileset whose range holds the (flag-free) id, or null.
    const Tileset* FindTileset(std::uint32_t tileId) const;
};

// Reads a map file. On failure the map carries the status and message and whatever was read
// before the failure is dropped (no layers, no tilesets).
Map Parse(const std::filesystem::path& path);
// The same from text already in memory; relative paths resolve against baseDir. Messages
// start with "<memory>" where Parse puts the file's path.
Map ParseString(const std::string& json, const std::filesystem::path& baseDir = {});

} // namespace tmj
