#pragma once
/// A small streaming JSON writer for the command line's --json output.
/// Texts are written as given when they are valid UTF-8; invalid bytes are
/// replaced by U+FFFD so that the output is always valid JSON.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle::cli {

class JsonWriter {
public:
    /// `pretty` indents nested values by two spaces.
    explicit JsonWriter(std::ostream& out, bool pretty = false) : m_out(out), m_pretty(pretty) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    /// The key of the next value inside an object.
    JsonWriter& key(std::string_view name);

    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(const std::string& text) { return value(std::string_view(text)); }
    JsonWriter& value(std::int64_t number);
    JsonWriter& value(std::uint64_t number);
    JsonWriter& value(int number) { return value(static_cast<std::int64_t>(number)); }
    JsonWriter& value(unsigned number) { return value(static_cast<std::uint64_t>(number)); }
    JsonWriter& value(double number);
    JsonWriter& value(bool flag);
    JsonWriter& null();

    /// key + value in one call.
    template <typename T> JsonWriter& field(std::string_view name, const T& v) { return key(name).value(v); }

    /// `text` as a JSON string literal (with quotes).
    static std::string quote(std::string_view text);

private:
    void beforeValue();
    void newline();

    std::ostream& m_out;
    bool m_pretty;
    struct Level {
        bool isObject;
        bool empty = true;
    };
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};

} // namespace orvelle::cli
