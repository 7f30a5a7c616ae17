#pragma once
// One JSON document, built value by value, for the commands' --json output:
//
//     JsonWriter json;
//     json.beginObject().field("verdict", "accepted").key("size").beginArray();
//     json.number(800).number(640).endArray().endObject();
//     writeStandardOutput(json.text());
//
// Objects and arrays are indented by two spaces per level. Strings are escaped as JSON
// requires; bytes that are not UTF-8 show as U+FFFD, so the document stays valid
// whatever a path or a name held. Keys and values must alternate inside objects; the
// writer does not check the shape beyond that.

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The name of the next value in an object.
    JsonWriter& key(std::string_view name);

    JsonWriter& string(std::string_view utf8);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    // A number already written as decimal text (digits, at most one point), such as
    // "35.6666667", put in as it is.
    JsonWriter& decimal(std::string_view digits);
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    JsonWriter& number(T value) {
        if constexpr (std::is_signed_v<T>) return signedNumber(value);
        else return unsignedNumber(value);
    }

    // key(name) and the value, in one.
    JsonWriter& field(std::string_view name, std::string_view utf8) { return key(name).string(utf8); }
    JsonWriter& field(std::string_view name, const char* utf8) { return key(name).string(utf8); }
    JsonWriter& field(std::string_view name, bool value) { return key(name).boolean(value); }
    template <std::integral T>
        requires(!std::same_as<T, bool>)
    JsonWriter& field(std::string_view name, T value) {
        return key(name).number(value);
    }
    // An array of strings.
    JsonWriter& field(std::string_view name, const std::vector<std::string>& utf8);

    // The document so far, with a newline after the last closing bracket.
    std::string text() const { return out_ + "\n"; }

    // A string as a JSON string literal, quotes included.
    static std::string escaped(std::string_view utf8);

private:
    JsonWriter& signedNumber(int64_t value);
    JsonWriter& unsignedNumber(uint64_t value);
    JsonWriter& open(char bracket);
    JsonWriter& close(char bracket);
    // The comma and line break before a value or key in a container.
    void beforeItem();
    void newLine();

    std::string out_;
    std::vector<int> counts_;  // items so far in each open container
    bool afterKey_ = false;
};
