#include "tiled/TiledMap.hpp"

#include "files/RegularFile.hpp"
#include "tiled/JsonText.hpp"
#include "tiled/TileData.hpp"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

namespace tmj
{

const Property* Properties::Find(const std::string& name) const
{
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->name == name)
            return &*it;
    return nullptr;
}

std::optional<std::int64_t> Properties::GetInt(const std::string& name) const
{
    const Property* p = Find(name);
    if (p == nullptr || !p->valid || p->type != PropertyType::Int)
        return std::nullopt;
    return p->intValue;
}

std::optional<double> Properties::GetFloat(const std::string& name) const
{
    const Property* p = Find(name);
    if (p == nullptr || !p->valid || (p->type != PropertyType::Float && p->type != PropertyType::Int))
        return std::nullopt;
    return p->floatValue;
}

std::optional<std::string> Properties::GetString(const std::string& name) const
{
    const Property* p = Find(name);
    if (p == nullptr || !p->valid || p->type != PropertyType::String)
        return std::nullopt;
    return p->stringValue;
}

std::optional<bool> Properties::GetBool(const std::string& name) const
{
    const Property* p = Find(name);
    if (p == nullptr || !p->valid || p->type != PropertyType::Bool)
        return std::nullopt;
    return p->boolValue;
}

std::optional<Color> Properties::GetColor(const std::string& name) const
{
    const Property* p = Find(name);
    if (p == nullptr || !p->valid || p->type != PropertyType::Color)
        return std::nullopt;
    return p->colorValue;
}

bool Tileset::Contains(std::uint32_t tileId) const
{
    // 64-bit so that firstGid + tileCount cannot wrap.
    const std::uint64_t id = tileId;
    return tileCount > 0 && id >= firstGid &&
           id < static_cast<std::uint64_t>(firstGid) + static_cast<std::uint64_t>(tileCount);
}

const Tileset* Map::FindTileset(std::uint32_t tileId) const
{
    for (const Tileset& tileset : tilesets)
        if (tileset.Contains(tileId))
            return &tileset;
    return nullptr;
}

namespace
{

namespace fs = std::filesystem;
using nlohmann::json;

constexpr std::int64_t IntMax = std::numeric_limits<int>::max();

std::string Child(const std::string& where, std::string_view key)
{
    // JSON pointer escaping: "~" -> "~0", "/" -> "~1".
    std::string out = where + "/";
    for (char c : key)
    {
        if (c == '~')
            out += "~0";
        else if (c == '/')
            out += "~1";
        else
            out += c;
    }
    return out;
}

std::string Child(const std::string& where, std::size_t index)
{
    return where + "/" + std::to_string(index);
}

// A short picture of a JSON value for messages.
std::string Describe(const json& value)
{
    if (value.is_object())
        return "an object";
    if (value.is_array())
        return "an array";
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    if (text.size() > 40)
        text = text.substr(0, 37) + "...";
    return text;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Messages are one line whatever a file or path holds.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return text;
}

// Missing files, folders and devices count as "not found"; a file we found but cannot take is invalid.
Status StatusOf(files::FileRead result)
{
    return result == files::FileRead::TooLarge || result == files::FileRead::Unreadable
               ? Status::InvalidMap
               : Status::FileNotFound;
}

bool EndsWithNoCase(const std::string& text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
    {
        char c = text[text.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

// Walks one map's JSON. The first failure is kept and every step returns false from then on;
// nothing here throws, and members are only ever reached through find().
class Reader
{
public:
    Reader(std::string displayPath, fs::path baseDir, Map& map)
        : display_(std::move(displayPath)), baseDir_(std::move(baseDir)), map_(map)
    {
    }

    // Once the map is read: one line for the warnings that were left out.
    void CloseWarnings()
    {
        if (droppedWarnings_ > 0)
            map_.warnings.push_back(
                OneLine(display_ + ": " + std::to_string(droppedWarnings_) + " more warnings left out"));
    }

    bool ReadText(std::string_view text)
    {
        json root;
        std::string error;
        if (!ParseJsonText(text, root, error))
            return Fail(error.rfind("parse error", 0) == 0 ? Status::MalformedJson : Status::InvalidMap, "",
                        error);
        return ReadMap(root);
    }

    bool Fail(Status status, const std::string& where, const std::string& what)
    {
        if (failed_)
            return false;
        failed_ = true;
        map_.status = status;
        map_.message = OneLine(display_ + ": " + (where.empty() ? "" : where + ": ") + what);
        return false;
    }

private:
    std::string display_;
    fs::path baseDir_;
    Map& map_;
    bool failed_ = false;
    // What the map holds so far, against the limits in TiledMap.hpp.
    std::uint64_t cells_ = 0;
    std::size_t layers_ = 0;
    std::size_t objects_ = 0;
    std::size_t tileEntries_ = 0;
    std::size_t properties_ = 0;
    std::uintmax_t tilesetBytes_ = 0; // read from external tileset files
    std::size_t droppedWarnings_ = 0;

    void Warn(const std::string& where, const std::string& what)
    {
        if (map_.warnings.size() < MaxWarnings)
            map_.warnings.push_back(OneLine(display_ + ": " + where + ": " + what));
        else
            ++droppedWarnings_;
    }

    // Counts `more` items of one kind and fails once the map would hold more than `limit`.
    bool Count(std::size_t& sofar, std::size_t more, std::size_t limit, const std::string& where,
               const std::string& what)
    {
        if (more > limit - sofar)
            return Fail(Status::InvalidMap, where,
                        std::to_string(more) + " " + what + " take the map past the " +
                            std::to_string(limit) + " " + what + " this reader accepts");
        sofar += more;
        return true;
    }

    // --- checked field access -------------------------------------------------------------

    static const json* Field(const json& object, std::string_view key)
    {
        if (!object.is_object())
            return nullptr;
        const auto it = object.find(key);
        return it == object.end() ? nullptr : &*it;
    }

    bool Missing(const std::string& where, std::string_view key, bool required)
    {
        if (required)
            return Fail(Status::InvalidMap, Child(where, key), "required field is missing");
        return true;
    }

    bool Expected(const std::string& where, const std::string& what, const json& got)
    {
        return Fail(Status::InvalidMap, where, "expected " + what + ", got " + Describe(got));
    }

    bool GetString(const json& object, std::string_view key, const std::string& where, std::string& out,
                   bool required = false)
    {
        const json* value = Field(object, key);
        if (value == nullptr)
            return Missing(where, key, required);
        if (!value->is_string())
            return Expected(Child(where, key), "a string", *value);
        out = value->get_ref<const std::string&>();
        return true;
    }

    bool GetBool(const json& object, std::string_view key, const std::string& where, bool& out)
    {
        const json* value = Field(object, key);
        if (value == nullptr)
            return true;
        if (!value->is_boolean())
            return Expected(Child(where, key), "true or false", *value);
        out = value->get<bool>();
        return true;
    }

    bool GetNumber(const json& object, std::string_view key, const std::string& where, double& out)
    {
        const json* value = Field(object, key);
        if (value == nullptr)
            return true;
        if (!value->is_number())
            return Expected(Child(where, key), "a number", *value);
        out = value->get<double>();
        return true;
    }

    static bool IntegerIn(const json& value, std::int64_t min, std::int64_t max, std::int64_t& out)
    {
        if (value.is_number_unsigned())
        {
            const auto v = value.get<std::uint64_t>();
            if (v > static_cast<std::uint64_t>(max))
                return false;
            out = static_cast<std::int64_t>(v);
        }
        else if (value.is_number_integer())
            out = value.get<std::int64_t>();
        else
            return false;
        return out >= min && out <= max;
    }

    bool GetInteger(const json& object, std::string_view key, const std::string& where, std::int64_t& out,
                    std::int64_t min, std::int64_t max, bool required)
    {
        const json* value = Field(object, key);
        if (value == nullptr)
            return Missing(where, key, required);
        if (!IntegerIn(*value, min, max, out))
            return Expected(Child(where, key),
                            "an integer in " + std::to_string(min) + ".." + std::to_string(max), *value);
        return true;
    }

    bool GetInt(const json& object, std::string_view key, const std::string& where, int& out,
                std::int64_t min, std::int64_t max = IntMax, bool required = false)
    {
        std::int64_t value = out;
        if (!GetInteger(object, key, where, value, min, max, required))
            return false;
        out = static_cast<int>(value);
        return true;
    }

    bool GetUint32(const json& object, std::string_view key, const std::string& where, std::uint32_t& out)
    {
        std::int64_t value = out;
        if (!GetInteger(object, key, where, value, 0, 0xFFFFFFFF, false))
            return false;
        out = static_cast<std::uint32_t>(value);
        return true;
    }

    // An array member, or null when absent; anything else fails.
    bool GetArray(const json& object, std::string_view key, const std::string& where, const json*& out)
    {
        out = Field(object, key);
        if (out != nullptr && !out->is_array())
            return Expected(Child(where, key), "an array", *out);
        return true;
    }

    bool RequireObject(const json& value, const std::string& where)
    {
        return value.is_object() || Expected(where, "an object", value);
    }

    // "type", or "class" when "type" is absent (Tiled 1.9 wrote the class as "class").
    bool GetClass(const json& object, const std::string& where, std::string& out)
    {
        if (Field(object, "type") != nullptr)
            return GetString(object, "type", where, out);
        return GetString(object, "class", where, out);
    }

    // --- map --------------------------------------------------------------------------------

    bool ReadMap(const json& root)
    {
        if (!root.is_object())
            return Fail(Status::InvalidMap, "",
                        "the file's root is " + Describe(root) + ", not a map object");
        std::string orientation = "orthogonal";
        if (!GetString(root, "orientation", "", orientation))
            return false;
        if (orientation != "orthogonal")
            return Fail(Status::Unsupported, "/orientation",
                        Quoted(orientation) + " maps are not supported, only orthogonal ones");
        bool infinite = false;
        if (!GetBool(root, "infinite", "", infinite))
            return false;
        if (infinite)
            return Fail(Status::Unsupported, "/infinite",
                        "infinite maps are not supported; turn off \"Infinite\" in the map's properties");
        if (const json* version = Field(root, "version");
            version != nullptr && !version->is_number() && !version->is_string())
            return Expected("/version", "a number or a string", *version);
        map_.orientation = orientation;
        if (!GetInt(root, "width", "", map_.width, 1, MaxLayerSide, true) ||
            !GetInt(root, "height", "", map_.height, 1, MaxLayerSide, true) ||
            !GetInt(root, "tilewidth", "", map_.tileWidth, 1, IntMax, true) ||
            !GetInt(root, "tileheight", "", map_.tileHeight, 1, IntMax, true))
            return false;
        return ReadProperties(root, "", map_.properties) && ReadTilesets(root) &&
               ReadLayers(root, "", map_.layers);
    }

    // --- layers -----------------------------------------------------------------------------

    bool ReadLayers(const json& owner, const std::string& where, std::vector<Layer>& out)
    {
        const json* layers = nullptr;
        if (!GetArray(owner, "layers", where, layers))
            return false;
        if (layers == nullptr)
            return true;
        const std::string base = Child(where, "layers");
        if (!Count(layers_, layers->size(), MaxLayers, base, "layers"))
            return false;
        out.reserve(layers->size());
        for (std::size_t i = 0; i < layers->size(); ++i)
        {
            Layer layer;
            if (!ReadLayer((*layers)[i], Child(base, i), layer))
                return false;
            out.push_back(std::move(layer));
        }
        return true;
    }

    bool ReadLayer(const json& node, const std::string& where, Layer& layer)
    {
        if (!RequireObject(node, where))
            return false;
        std::string type;
        if (!GetString(node, "type", where, type, true) || !GetInt(node, "id", where, layer.id, 0) ||
            !GetString(node, "name", where, layer.name) || !GetBool(node, "visible", where, layer.visible) ||
            !GetNumber(node, "opacity", where, layer.opacity) ||
            !GetNumber(node, "offsetx", where, layer.offsetX) ||
            !GetNumber(node, "offsety", where, layer.offsetY) ||
            !ReadProperties(node, where, layer.properties))
            return false;
        if (type == "tilelayer")
        {
            layer.type = LayerType::TileLayer;
            return ReadTileData(node, where, layer);
        }
        if (type == "objectgroup")
        {
            layer.type = LayerType::ObjectGroup;
            return ReadObjects(node, where, layer.objects);
        }
        if (type == "imagelayer")
        {
            layer.type = LayerType::ImageLayer;
            return GetString(node, "image", where, layer.image);
        }
        if (type == "group")
        {
            layer.type = LayerType::Group;
            return ReadLayers(node, where, layer.layers);
        }
        return Fail(Status::InvalidMap, Child(where, "type"), "unknown layer type " + Quoted(type));
    }

    bool ReadTileData(const json& node, const std::string& where, Layer& layer)
    {
        layer.width = map_.width;
        layer.height = map_.height;
        if (!GetInt(node, "width", where, layer.width, 1) || !GetInt(node, "height", where, layer.height, 1))
            return false;
        const std::string named = "layer " + Quoted(layer.name) + ": ";
        const std::string size =
            std::to_string(layer.width) + " x " + std::to_string(layer.height) + " cells";
        if (layer.width > MaxLayerSide || layer.height > MaxLayerSide)
            return Fail(Status::InvalidMap, where,
                        named + size + ": a layer is at most " + std::to_string(MaxLayerSide) +
                            " cells wide and high");
        const std::string dataWhere = Child(where, "data");
        const json* data = Field(node, "data");
        if (data == nullptr)
        {
            if (Field(node, "chunks") != nullptr)
                return Fail(Status::Unsupported, Child(where, "chunks"),
                            "layers in chunks (infinite maps) are not supported");
            return Fail(Status::InvalidMap, dataWhere, "required field is missing");
        }
        const std::uint64_t count =
            static_cast<std::uint64_t>(layer.width) * static_cast<std::uint64_t>(layer.height);
        if (count > MaxMapCells - cells_)
            return Fail(Status::InvalidMap, where,
                        named + size + " take the map past the " + std::to_string(MaxMapCells) +
                            " cells this reader accepts");
        cells_ += count;
        const auto cellCount = static_cast<std::size_t>(count);

        std::string encoding = "csv";
        std::string compression;
        if (!GetString(node, "encoding", where, encoding) ||
            !GetString(node, "compression", where, compression))
            return false;
        if (encoding == "csv")
        {
            if (!data->is_array())
                return Expected(dataWhere, "an array of tile ids", *data);
            if (data->size() != cellCount)
                return Fail(Status::InvalidMap, dataWhere,
                            named + "holds " + std::to_string(data->size()) + " cells, expected " +
                                std::to_string(layer.width) + " x " + std::to_string(layer.height) + " = " +
                                std::to_string(count));
            layer.data.resize(cellCount);
            for (std::size_t i = 0; i < cellCount; ++i)
            {
                std::int64_t gid = 0;
                if (!IntegerIn((*data)[i], 0, 0xFFFFFFFF, gid))
                    return Fail(Status::InvalidMap, Child(dataWhere, i),
                                named + "cell " + std::to_string(i) + " is " + Describe((*data)[i]) +
                                    ", not a tile id (an integer in 0..4294967295)");
                layer.data[i] = static_cast<std::uint32_t>(gid);
            }
            return true;
        }
        if (encoding != "base64")
            return Fail(Status::Unsupported, Child(where, "encoding"),
                        named + "unknown encoding " + Quoted(encoding));
        Compression method = Compression::None;
        if (compression == "zlib")
            method = Compression::Zlib;
        else if (compression == "gzip")
            method = Compression::Gzip;
        else if (compression == "zstd")
            return Fail(
                Status::Unsupported, Child(where, "compression"),
                named + "zstd compression is not supported; save the map with zlib, gzip or no compression");
        else if (!compression.empty())
            return Fail(Status::Unsupported, Child(where, "compression"),
                        named + "unknown compression " + Quoted(compression));
        if (!data->is_string())
            return Expected(dataWhere, "a base64 string", *data);
        std::string error;
        if (!DecodeTileData(data->get_ref<const std::string&>(), method, cellCount, layer.data, error))
            return Fail(Status::InvalidMap, dataWhere, named + error);
        return true;
    }

    // --- objects ----------------------------------------------------------------------------

    bool ReadObjects(const json& node, const std::string& where, std::vector<Object>& out)
    {
        const json* objects = nullptr;
        if (!GetArray(node, "objects", where, objects))
            return false;
        if (objects == nullptr)
            return true;
        const std::string base = Child(where, "objects");
        if (!Count(objects_, objects->size(), MaxObjects, base, "objects"))
            return false;
        out.reserve(objects->size());
        for (std::size_t i = 0; i < objects->size(); ++i)
        {
            Object object;
            if (!ReadObject((*objects)[i], Child(base, i), object))
                return false;
            out.push_back(std::move(object));
        }
        return true;
    }

    bool ReadObject(const json& node, const std::string& where, Object& object)
    {
        return RequireObject(node, where) && GetInt(node, "id", where, object.id, 0) &&
               GetString(node, "name", where, object.name) && GetClass(node, where, object.type) &&
               GetNumber(node, "x", where, object.x) && GetNumber(node, "y", where, object.y) &&
               GetNumber(node, "width", where, object.width) &&
               GetNumber(node, "height", where, object.height) &&
               GetNumber(node, "rotation", where, object.rotation) &&
               GetBool(node, "point", where, object.point) &&
               GetBool(node, "ellipse", where, object.ellipse) && GetUint32(node, "gid", where, object.gid) &&
               GetBool(node, "visible", where, object.visible) &&
               ReadPoints(node, "polygon", where, object.polygon) &&
               ReadPoints(node, "polyline", where, object.polyline) &&
               ReadProperties(node, where, object.properties);
    }

    bool ReadPoints(const json& node, std::string_view key, const std::string& where, std::vector<Point>& out)
    {
        const json* points = nullptr;
        if (!GetArray(node, key, where, points))
            return false;
        if (points == nullptr)
            return true;
        const std::string base = Child(where, key);
        for (std::size_t i = 0; i < points->size(); ++i)
        {
            Point point;
            const json& p = (*points)[i];
            const std::string at = Child(base, i);
            if (!RequireObject(p, at) || !GetNumber(p, "x", at, point.x) || !GetNumber(p, "y", at, point.y))
                return false;
            out.push_back(point);
        }
        return true;
    }

    // --- tilesets ---------------------------------------------------------------------------

    bool ReadTilesets(const json& root)
    {
        const json* tilesets = nullptr;
        if (!GetArray(root, "tilesets", "", tilesets))
            return false;
        if (tilesets == nullptr)
            return true;
        if (tilesets->size() > MaxTilesets)
            return Fail(Status::InvalidMap, "/tilesets",
                        std::to_string(tilesets->size()) + " tilesets, more than the " +
                            std::to_string(MaxTilesets) + " this reader accepts");
        map_.tilesets.reserve(tilesets->size());
        for (std::size_t i = 0; i < tilesets->size(); ++i)
        {
            Tileset tileset;
            if (!ReadTilesetEntry((*tilesets)[i], Child("/tilesets", i), tileset))
                return false;
            map_.tilesets.push_back(std::move(tileset));
        }
        return true;
    }

    bool ReadTilesetEntry(const json& node, const std::string& where, Tileset& tileset)
    {
        std::int64_t firstGid = 0;
        // Ids live in the low 28 bits; the top four are flip flags.
        if (!RequireObject(node, where) ||
            !GetInteger(node, "firstgid", where, firstGid, 1, 0x0FFFFFFF, true))
            return false;
        tileset.firstGid = static_cast<std::uint32_t>(firstGid);
        std::string source;
        if (!GetString(node, "source", where, source))
            return false;
        if (source.empty())
            return ReadTilesetBody(node, where, tileset, nullptr);

        tileset.source = source;
        const std::string at = Child(where, "source");
        if (EndsWithNoCase(source, ".tsx"))
            return Fail(Status::Unsupported, at,
                        "tileset " + Quoted(source) +
                            " is in Tiled's XML format; export or embed it as JSON");
        std::string text;
        const files::FileRead read =
            files::ReadRegularFile(baseDir_ / tileset.source, MaxTilesetFileBytes, text);
        if (read != files::FileRead::Ok)
            return Fail(StatusOf(read), at,
                        "tileset " + Quoted(source) + ": " + files::Describe(read, MaxTilesetFileBytes));
        // The same file named many times is read many times: count every reading.
        if (text.size() > MaxTilesetBytesInAll - tilesetBytes_)
            return Fail(Status::InvalidMap, at,
                        "tileset " + Quoted(source) + ": the map's tileset files together pass the " +
                            std::to_string(MaxTilesetBytesInAll >> 20) + " MiB this reader accepts");
        tilesetBytes_ += text.size();
        json root;
        std::string error;
        if (!ParseJsonText(text, root, error, MaxJsonTreeBytes / 3))
            return Fail(error.rfind("parse error", 0) == 0 ? Status::MalformedJson : Status::InvalidMap, at,
                        "tileset " + Quoted(source) + ": " + error);
        // Locations inside the tileset's own file read "tiles.tsj#/tilecount".
        const fs::path folder = tileset.source.parent_path();
        return ReadTilesetBody(root, source + "#", tileset, &folder);
    }

    // folder: where the tileset's file lies as seen from the map, or null for an embedded tileset.
    bool ReadTilesetBody(const json& node, const std::string& where, Tileset& tileset, const fs::path* folder)
    {
        if (!RequireObject(node, where) || !GetString(node, "name", where, tileset.name) ||
            !GetString(node, "image", where, tileset.image) ||
            !GetInt(node, "imagewidth", where, tileset.imageWidth, 0) ||
            !GetInt(node, "imageheight", where, tileset.imageHeight, 0) ||
            !GetInt(node, "tilewidth", where, tileset.tileWidth, 0) ||
            !GetInt(node, "tileheight", where, tileset.tileHeight, 0) ||
            !GetInt(node, "tilecount", where, tileset.tileCount, 0, 0x0FFFFFFF) ||
            !GetInt(node, "columns", where, tileset.columns, 0) ||
            !GetInt(node, "margin", where, tileset.margin, 0) ||
            !GetInt(node, "spacing", where, tileset.spacing, 0) ||
            !ReadProperties(node, where, tileset.properties))
            return false;
        tileset.imageRelativeToMap = SeenFromMap(tileset.image, folder);

        const json* tiles = nullptr;
        if (!GetArray(node, "tiles", where, tiles))
            return false;
        if (tiles == nullptr)
            return true;
        const std::string base = Child(where, "tiles");
        if (!Count(tileEntries_, tiles->size(), MaxTileEntries, base, "tile entries"))
            return false;
        for (std::size_t i = 0; i < tiles->size(); ++i)
        {
            Tile tile;
            const json& t = (*tiles)[i];
            const std::string at = Child(base, i);
            std::int64_t id = 0;
            if (!RequireObject(t, at) || !GetInteger(t, "id", at, id, 0, 0x0FFFFFFF, true) ||
                !GetClass(t, at, tile.type) || !GetString(t, "image", at, tile.image) ||
                !GetInt(t, "imagewidth", at, tile.imageWidth, 0) ||
                !GetInt(t, "imageheight", at, tile.imageHeight, 0) || !ReadAnimation(t, at, tile.animation) ||
                !ReadProperties(t, at, tile.properties))
                return false;
            tile.id = static_cast<std::uint32_t>(id);
            tile.imageRelativeToMap = SeenFromMap(tile.image, folder);
            tileset.tiles.push_back(std::move(tile));
        }
        return true;
    }

    static fs::path SeenFromMap(const std::string& image, const fs::path* folder)
    {
        if (image.empty() || folder == nullptr)
            return fs::path(image);
        return (*folder / fs::path(image)).lexically_normal();
    }

    bool ReadAnimation(const json& node, const std::string& where, std::vector<AnimationFrame>& out)
    {
        const json* frames = nullptr;
        if (!GetArray(node, "animation", where, frames))
            return false;
        if (frames == nullptr)
            return true;
        const std::string base = Child(where, "animation");
        for (std::size_t i = 0; i < frames->size(); ++i)
        {
            AnimationFrame frame;
            const json& f = (*frames)[i];
            const std::string at = Child(base, i);
            if (!RequireObject(f, at) || !GetUint32(f, "tileid", at, frame.tileId) ||
                !GetInt(f, "duration", at, frame.duration, 0))
                return false;
            out.push_back(frame);
        }
        return true;
    }

    // --- custom properties ------------------------------------------------------------------

    bool ReadProperties(const json& owner, const std::string& where, Properties& out)
    {
        const json* properties = Field(owner, "properties");
        if (properties == nullptr)
            return true;
        const std::string base = Child(where, "properties");
        if (properties->is_array() || properties->is_object())
        {
            if (properties->size() > MaxPropertiesPerOwner)
                return Fail(Status::InvalidMap, base,
                            std::to_string(properties->size()) + " properties, more than the " +
                                std::to_string(MaxPropertiesPerOwner) + " one owner may have");
            if (!Count(properties_, properties->size(), MaxProperties, base, "properties"))
                return false;
        }
        if (properties->is_array())
        {
            for (std::size_t i = 0; i < properties->size(); ++i)
            {
                const json& p = (*properties)[i];
                const std::string at = Child(base, i);
                Property property;
                std::string type = "string"; // Tiled leaves out the type of string properties
                if (!RequireObject(p, at) || !GetString(p, "name", at, property.name, true) ||
                    !GetString(p, "type", at, type) ||
                    !GetString(p, "propertytype", at, property.propertyType))
                    return false;
                SetValue(property, type, Field(p, "value"), at, Child(at, "value"));
                out.list.push_back(std::move(property));
            }
            return true;
        }
        if (properties->is_object())
        {
            // The old form: {"name": value, ...} with the types in "propertytypes".
            static const json noTypes;
            const json* types = Field(owner, "propertytypes");
            for (const auto& [name, value] : properties->items())
            {
                Property property;
                property.name = name;
                std::string type;
                if (const json* t = Field(types != nullptr ? *types : noTypes, name);
                    t != nullptr && t->is_string())
                    type = t->get_ref<const std::string&>();
                else
                    type = value.is_boolean()          ? "bool"
                           : value.is_number_integer() ? "int"
                           : value.is_number()         ? "float"
                                                       : "string";
                SetValue(property, type, &value, Child(base, name), Child(base, name));
                out.list.push_back(std::move(property));
            }
            return true;
        }
        return Expected(base, "an array of properties", *properties);
    }

    // A value that does not fit the declared type leaves the property invalid (and its value
    // fields at their defaults) with a warning; the map still loads.
    // where: the property (its type's "type" member in the array form); at: its value.
    void SetValue(Property& property, const std::string& type, const json* value, const std::string& where,
                  const std::string& at)
    {
        static const json nothing;
        const json& v = value != nullptr ? *value : nothing;
        bool fits = false;
        if (type == "string" || type == "file")
        {
            property.type = type == "string" ? PropertyType::String : PropertyType::File;
            if ((fits = v.is_string()))
                property.stringValue = v.get_ref<const std::string&>();
        }
        else if (type == "int" || type == "object")
        {
            property.type = type == "int" ? PropertyType::Int : PropertyType::Object;
            std::int64_t whole = 0;
            if (IntegerIn(v, type == "int" ? std::numeric_limits<std::int64_t>::min() : 0,
                          std::numeric_limits<std::int64_t>::max(), whole))
                fits = true;
            else if (v.is_number_float())
            {
                // 3.0 is still a whole number; 2.5 is not an int.
                const double d = v.get<double>();
                if (std::trunc(d) == d && std::fabs(d) < 9.0e15 && (d >= 0 || type == "int"))
                {
                    whole = static_cast<std::int64_t>(d);
                    fits = true;
                }
            }
            if (fits)
            {
                property.intValue = whole;
                property.floatValue = static_cast<double>(whole);
            }
        }
        else if (type == "float")
        {
            property.type = PropertyType::Float;
            if ((fits = v.is_number()))
                property.floatValue = v.get<double>();
        }
        else if (type == "bool")
        {
            property.type = PropertyType::Bool;
            if ((fits = v.is_boolean()))
                property.boolValue = v.get<bool>();
        }
        else if (type == "color")
        {
            property.type = PropertyType::Color;
            if (v.is_string())
            {
                const std::string& text = v.get_ref<const std::string&>();
                fits = ParseColor(text, property.colorValue);
                if (fits)
                    property.stringValue = text;
            }
        }
        else if (type == "class")
        {
            property.type = PropertyType::Class;
            if ((fits = v.is_object()))
                property.stringValue = v.dump(-1, ' ', false, json::error_handler_t::replace);
        }
        else
        {
            Warn(where == at ? where : Child(where, "type"), "property " + Quoted(property.name) +
                                                                 " has unknown type " + Quoted(type) +
                                                                 "; it reads as absent");
            property.valid = false;
            return;
        }
        if (!fits)
        {
            property.valid = false;
            Warn(value != nullptr ? at : where,
                 "property " + Quoted(property.name) + " is declared " + type + " but holds " +
                     (value != nullptr ? Describe(v) : std::string("no value")) + "; it reads as absent");
        }
    }

    static bool ParseColor(const std::string& text, Color& out)
    {
        if (text.empty())
        {
            out = Color{0, 0, 0, 0}; // Tiled's "no colour"
            return true;
        }
        if (text[0] != '#' || (text.size() != 7 && text.size() != 9))
            return false;
        std::uint8_t bytes[4] = {255, 0, 0, 0};
        const std::size_t count = (text.size() - 1) / 2;
        for (std::size_t i = 0; i < count; ++i)
        {
            int value = 0;
            for (std::size_t k = 0; k < 2; ++k)
            {
                const char c = text[1 + i * 2 + k];
                int digit = -1;
                if (c >= '0' && c <= '9')
                    digit = c - '0';
                else if (c >= 'a' && c <= 'f')
                    digit = c - 'a' + 10;
                else if (c >= 'A' && c <= 'F')
                    digit = c - 'A' + 10;
                if (digit < 0)
                    return false;
                value = value * 16 + digit;
            }
            bytes[i + (count == 3 ? 1 : 0)] = static_cast<std::uint8_t>(value);
        }
        out = Color{bytes[1], bytes[2], bytes[3], bytes[0]}; // #AARRGGBB
        return true;
    }
};

// The one place where anything thrown below us (allocation failure, a library surprise) is
// caught; whatever happens, the caller gets a Map with a status.
Map Guarded(const std::string& display, const fs::path& baseDir, const fs::path* file, std::string_view text)
{
    Map map;
    Reader reader(display, baseDir, map);
    try
    {
        if (file != nullptr)
        {
            std::string content;
            const files::FileRead read = files::ReadRegularFile(*file, MaxMapFileBytes, content);
            if (read != files::FileRead::Ok)
                reader.Fail(StatusOf(read), "", files::Describe(read, MaxMapFileBytes));
            else
                reader.ReadText(content);
        }
        else
            reader.ReadText(text);
        reader.CloseWarnings();
    }
    catch (const std::exception& e)
    {
        reader.Fail(Status::InvalidMap, "", std::string("unexpected error: ") + e.what());
    }
    catch (...)
    {
        reader.Fail(Status::InvalidMap, "", "unexpected error");
    }
    if (map.status != Status::OK)
    {
        Map failed;
        failed.status = map.status;
        failed.message = std::move(map.message);
        return failed;
    }
    return map;
}

} // namespace

Map Parse(const std::filesystem::path& path)
{
    return Guarded(path.string(), path.parent_path(), &path, {});
}

Map ParseString(const std::string& json, const std::filesystem::path& baseDir)
{
    return Guarded("<memory>", baseDir, nullptr, json);
}

} // namespace tmj
