#include "tiled/JsonText.hpp"

#include <vector>

namespace tmj
{
namespace
{

using nlohmann::json;

// Builds the DOM from nlohmann's SAX events. Unlike json::parse it hands us the syntax error as
// a value (not an exception) and lets us stop at a nesting depth of our choosing.
class DomBuilder
{
public:
    DomBuilder(json& root, std::size_t budget) : root_(root), budget_(budget) {}

    std::string error;

    bool null() { return Charge(0) && Put(nullptr); }
    bool boolean(bool value) { return Charge(0) && Put(value); }
    bool number_integer(json::number_integer_t value) { return Charge(0) && Put(value); }
    bool number_unsigned(json::number_unsigned_t value) { return Charge(0) && Put(value); }
    bool number_float(json::number_float_t value, const json::string_t&) { return Charge(0) && Put(value); }
    bool string(json::string_t& value) { return Charge(StringBytes(value.size())) && Put(std::move(value)); }
    bool binary(json::binary_t&) { return false; } // never produced by JSON text
    bool key(json::string_t& name)
    {
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) { return Charge(objectBytes) && Open(json::object()); }
    bool start_array(std::size_t) { return Charge(arrayBytes) && Open(json::array()); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex)
    {
        error = ex.what();
        // "[json.exception.parse_error.101] parse error at line 1, column 2: ..." -> from "parse error"
        const auto close = error.find("] ");
        if (error.rfind("[json.exception.", 0) == 0 && close != std::string::npos)
            error.erase(0, close + 2);
        return false;
    }

private:
    // What glibc hands out on a 64-bit machine for each part of the tree (16-byte chunks with
    // 8 bytes of header, at least 32), rounded up. Overcounting a little is fine; a repeated key,
    // which replaces a member, is even counted twice.
    static constexpr std::size_t slotBytes = 32;   // a value in an array: 16 bytes, twice for growth
    static constexpr std::size_t memberBytes = 96; // a map node: links, key string, value
    static constexpr std::size_t objectBytes = 64; // the std::map an object value points to
    static constexpr std::size_t arrayBytes = 32;  // the std::vector an array value points to
    static constexpr std::size_t stringBytes = 48; // the std::string a string value points to

    json& root_;
    std::vector<json*> stack_; // the open arrays and objects, outermost first
    std::string key_;
    std::size_t budget_;
    std::size_t used_ = 0;

    // Text past the short-string buffer gets a heap block of its own.
    static std::size_t StringBytes(std::size_t length)
    {
        return stringBytes + (length > 15 ? length + 24 : 0);
    }

    // Counts a value's own cost plus the place it takes in its parent.
    bool Charge(std::size_t bytes)
    {
        if (!stack_.empty())
            bytes +=
                stack_.back()->is_array() ? slotBytes : memberBytes + StringBytes(key_.size()) - stringBytes;
        if (bytes > budget_ - used_)
        {
            error = "the JSON would take more than " + std::to_string(budget_ >> 20) +
                    " MiB in memory once read; no map needs that much";
            return false;
        }
        used_ += bytes;
        return true;
    }

    // Places a value in the innermost open container (or as the root) and returns where it went.
    json* Insert(json&& value)
    {
        if (stack_.empty())
        {
            root_ = std::move(value);
            return &root_;
        }
        json& parent = *stack_.back();
        if (parent.is_array())
        {
            parent.push_back(std::move(value));
            return &parent.back();
        }
        json& slot = parent[key_]; // a repeated key: the last one wins
        slot = std::move(value);
        return &slot;
    }
    template <typename T>
    bool Put(T&& value)
    {
        Insert(json(std::forward<T>(value)));
        return true;
    }
    bool Open(json&& container)
    {
        if (stack_.size() >= static_cast<std::size_t>(MaxJsonDepth))
        {
            error = "JSON nested deeper than " + std::to_string(MaxJsonDepth) + " levels";
            return false;
        }
        stack_.push_back(Insert(std::move(container)));
        return true;
    }
    bool Close()
    {
        stack_.pop_back();
        return true;
    }
};

} // namespace

bool ParseJsonText(std::string_view text, json& out, std::string& error, std::size_t maxTreeBytes)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    out = json();
    DomBuilder builder(out, maxTreeBytes);
    const bool ok = json::sax_parse(text.begin(), text.end(), &builder);
    if (ok)
        return true;
    error = builder.error.empty() ? "parse error" : builder.error;
    out = json();
    return false;
}

} // namespace tmj
