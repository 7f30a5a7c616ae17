// The --json output's writer: escaping, nesting, numbers at their limits.

#include <gtest/gtest.h>

#include <limits>

#include "JsonWriter.h"

namespace {

TEST(JsonWriter, StringsAreEscapedAndAlwaysValidUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"", "\"\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\maps\\a.bmp", "\"C:\\\\maps\\\\a.bmp\""},
        {"line\nnext\ttab\r", "\"line\\nnext\\ttab\\r\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x1B[0m\x7F", "\"\\u001b[0m\x7F\""},
        {"\xE6\x9D\xB1\xE4\xBA\xAC", "\"\xE6\x9D\xB1\xE4\xBA\xAC\""},   // UTF-8 passes as it is
        {"\x93\x8C", "\"\\ufffd\\ufffd\""},                              // Shift-JIS bytes
        {"a\xE6\x9D", "\"a\\ufffd\\ufffd\""},                            // cut short
        {"\xED\xA0\x80!", "\"\\ufffd!\""},                                // a surrogate
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(JsonWriter::escaped(text), json) << json;
}

TEST(JsonWriter, NestedObjectsAndArraysAreIndented) {
    JsonWriter json;
    json.beginObject()
        .field("verdict", "refused")
        .field("exit code", 3)
        .field("complete", false)
        .key("size").beginArray().number(std::numeric_limits<int64_t>::min())
        .number(std::numeric_limits<uint64_t>::max()).endArray()
        .key("empty").beginObject().endObject()
        .field("messages", std::vector<std::string>{})
        .field("lines", std::vector<std::string>{"a", "b"})
        .key("none").null()
        .endObject();
    EXPECT_EQ(json.text(),
              "{\n"
              "  \"verdict\": \"refused\",\n"
              "  \"exit code\": 3,\n"
              "  \"complete\": false,\n"
              "  \"size\": [\n"
              "    -9223372036854775808,\n"
              "    18446744073709551615\n"
              "  ],\n"
              "  \"empty\": {},\n"
              "  \"messages\": [],\n"
              "  \"lines\": [\n"
              "    \"a\",\n"
              "    \"b\"\n"
              "  ],\n"
              "  \"none\": null\n"
              "}\n");
}

}  // namespace
