#pragma once
// A reader for maps saved by the Tiled editor in its JSON format (.tmj) with embedded or
// external JSON tilesets (.tsj/.json). It never throws and never reads out of bounds: every
// failure ends up as a status and a one-line message on the returned Map.

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
    InvalidMap,
    Unsupported,
};

// Global tile id flags kept in the top four bits of a cell.
constexpr std::uint32_t FlipHorizontal = 0x80000000u;
constexpr std::uint32_t FlipVertical = 0x40000000u;
constexpr std::uint32_t FlipDiagonal = 0x20000000u;
constexpr std::uint32_t RotateHexagonal120 = 0x10000000u;
constexpr std::uint32_t FlagMask = 0xF0000000u;

// The tile id of a cell with its flags cleared (0: empty cell).
constexpr std::uint32_t TileId(std::uint32_t gid) { return gid & ~FlagMask; }

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
    PropertyType type = PropertyType::String;
    std::string stringValue;  // string, file, class (the class's JSON as text)
    std::int64_t intValue = 0; // int, object (object id)
    double floatValue = 0.0;   // float (also set for int)
    bool boolValue = false;
    Color colorValue;
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

struct Tileset
{
    std::uint32_t firstGid = 0;
    std::string name;
    std::string image;                       // as written in the file that holds the tileset
    std::filesystem::path imageRelativeToMap; // the image path as seen from the map's folder
    std::filesystem::path source;            // external tileset file as written in the map, or empty
    int imageWidth = 0, imageHeight = 0;
    int tileWidth = 0, tileHeight = 0;
    int tileCount = 0, columns = 0, margin = 0, spacing = 0;
    Properties properties;

    // Whether the (flag-free) id lies in firstGid .. firstGid + tileCount - 1.
    bool Contains(std::uint32_t tileId) const;
};

struct Map
{
    Status status = Status::OK;
    std::string message; // one line: what and where; empty when status is OK

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
// The same from text already in memory; relative paths resolve against baseDir.
Map ParseString(const std::string& json, const std::filesystem::path& baseDir = {});

} // namespace tmj
