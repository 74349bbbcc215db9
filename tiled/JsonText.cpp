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
    explicit DomBuilder(json& root) : root_(root) {}

    std::string error;

    bool null() { return Put(nullptr); }
    bool boolean(bool value) { return Put(value); }
    bool number_integer(json::number_integer_t value) { return Put(value); }
    bool number_unsigned(json::number_unsigned_t value) { return Put(value); }
    bool number_float(json::number_float_t value, const json::string_t&) { return Put(value); }
    bool string(json::string_t& value) { return Put(std::move(value)); }
    bool binary(json::binary_t&) { return false; } // never produced by JSON text
    bool key(json::string_t& name)
    {
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) { return Open(json::object()); }
    bool start_array(std::size_t) { return Open(json::array()); }
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
    json& root_;
    std::vector<json*> stack_; // the open arrays and objects, outermost first
    std::string key_;

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
    template <typename T> bool Put(T&& value)
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

bool ParseJsonText(std::string_view text, json& out, std::string& error)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    out = json();
    DomBuilder builder(out);
    const bool ok = json::sax_parse(text.begin(), text.end(), &builder);
    if (ok)
        return true;
    error = builder.error.empty() ? "parse error" : builder.error;
    out = json();
    return false;
}

} // namespace tmj
