// Map names from UTF-8 to code page 932, and the conversion's texts back for display.

#include <gtest/gtest.h>

#include <tuple>

#include "Encoding.h"
#include "Messages.h"

namespace {

struct NameCase {
    std::string utf8;
    EncodeStatus status;
    std::string cp932;      // when Ok
    std::string offending;  // when NotInCp932
};

TEST(Encoding, NamesBecomeCp932OrNameTheFirstCharacterThatCannot) {
    const NameCase cases[] = {
        {"SAMPLE MAP", EncodeStatus::Ok, "SAMPLE MAP", ""},
        {"", EncodeStatus::Ok, "", ""},
        {"\xE6\x9D\xB1\xE4\xBA\xAC\xE6\xB9\xBE", EncodeStatus::Ok, "\x93\x8C\x8B\x9E\x98\x70", ""},  // 東京湾
        {"\xEF\xBD\xB1", EncodeStatus::Ok, "\xB1", ""},  // half-width katakana A: one byte
        {"\xE2\x91\xA0", EncodeStatus::Ok, "\x87\x40", ""},  // circled one, a CP932 extension
        {"\xEF\xBD\x9E", EncodeStatus::Ok, "\x81\x60", ""},  // full-width tilde
        // What Japanese input methods type for CP932's signs outside Windows: written as
        // Windows writes the signs typed there, on every platform.
        {"A\xE3\x80\x9C", EncodeStatus::Ok, "A\x81\x60", ""},  // wave dash
        {"\xE2\x80\x96", EncodeStatus::Ok, "\x81\x61", ""},     // double vertical line
        {"\xE2\x88\x92", EncodeStatus::Ok, "\x81\x7C", ""},     // minus sign
        {"\xC2\xA2\xC2\xA3\xC2\xAC", EncodeStatus::Ok, "\x81\x91\x81\x92\x81\xCA", ""},  // cent, pound, not
        {"\xE2\x80\x94", EncodeStatus::Ok, "\x81\x5C", ""},     // em dash
        {"\xE2\x80\x95\xEF\xBD\x9E", EncodeStatus::Ok, "\x81\x5C\x81\x60", ""},  // Windows' own forms
        // Control characters never reach the files.
        {"Tab\there", EncodeStatus::Control, "", "\t"},
        {std::string("nul\0", 4), EncodeStatus::Control, "", std::string(1, '\0')},
        {"del\x7F", EncodeStatus::Control, "", "\x7F"},
        {"c1\xC2\x85", EncodeStatus::Control, "", "\xC2\x85"},  // next line, U+0085
        {"Map \xEC\x84\x9C\xEC\x9A\xB8", EncodeStatus::NotInCp932, "", "\xEC\x84\x9C"},  // Hangul
        {"\xF0\x9F\x97\xBE", EncodeStatus::NotInCp932, "", "\xF0\x9F\x97\xBE"},  // emoji
        {"caf\xC3\xA9", EncodeStatus::NotInCp932, "", "\xC3\xA9"},  // e acute
        {"\xC0\x80", EncodeStatus::InvalidUtf8, "", ""},          // overlong zero
        {"\xED\xA0\x80", EncodeStatus::InvalidUtf8, "", ""},      // surrogate
        {"abc\x80", EncodeStatus::InvalidUtf8, "", ""},           // stray continuation
        {"\xE6\x9D", EncodeStatus::InvalidUtf8, "", ""},          // cut short
        {"\x93\x8C", EncodeStatus::InvalidUtf8, "", ""},          // already Shift-JIS
        {"\xF4\x90\x80\x80", EncodeStatus::InvalidUtf8, "", ""},  // beyond U+10FFFF
    };
    for (const NameCase& c : cases) {
        EncodeResult result = utf8ToCp932(c.utf8);
        EXPECT_EQ(result.status, c.status) << c.utf8;
        if (c.status == EncodeStatus::Ok) EXPECT_EQ(result.bytes, c.cp932) << c.utf8;
        else EXPECT_TRUE(result.bytes.empty()) << c.utf8;
        EXPECT_EQ(result.offending, c.offending) << c.utf8;
    }
}

TEST(Encoding, CutsFallBetweenCharacters) {
    const std::string tokyo = "\x93\x8C\x8B\x9E";  // 東京
    const std::tuple<std::string, size_t, size_t> cases[] = {
        {tokyo, 4, 4}, {tokyo, 3, 2}, {tokyo, 2, 2}, {tokyo, 1, 0}, {tokyo, 10, 4},
        {"A" + tokyo, 2, 1}, {"A" + tokyo, 3, 3},
        {"\xB1\xB2\xB3", 2, 2},           // half-width katakana: one byte each
        {"AB\x93", 4, 3}, {"AB\x93", 3, 2},  // never after a lead byte
        {"", 5, 0},
    };
    for (const auto& [cp932, limit, length] : cases) EXPECT_EQ(cp932CutLength(cp932, limit), length) << limit;
}

TEST(Encoding, JapaneseWarningsDisplayInUtf8) {
    EXPECT_EQ(cp932ToUtf8(messages::kIndexExists),
              "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xEF\xBC\x9A\xE5\x90\x8C\xE5\x90\x8D\xE3\x83\x95"
              "\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\x8C\xE3\x81\x82\xE3\x82\x8A\xE3\x80\x81"
              "\xE4\xBD\x9C\xE6\x88\x90\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93");
    EXPECT_EQ(cp932ToUtf8(messages::kCannotCreateOutput),
              "\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\xEF\xBC\x9A\xE5\x87\xBA\xE5\x8A\x9B\xE3\x83\x95"
              "\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\xAE\xE4\xBD\x9C\xE6\x88\x90\xE3\x81\xAB"
              "\xE5\xA4\xB1\xE6\x95\x97\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F");
    EXPECT_EQ(cp932ToUtf8(messages::kSuccess), messages::kSuccess);
}

TEST(Encoding, ACharacterSplitByACutShowsAsReplacement) {
    // "東京" cut after three bytes keeps the lead byte of the second character.
    EXPECT_EQ(cp932ToUtf8("\x93\x8C\x8B"), "\xE6\x9D\xB1\xEF\xBF\xBD");
    EXPECT_EQ(cp932ToUtf8("A\x8B"), "A\xEF\xBF\xBD");
    EXPECT_EQ(cp932ToUtf8(""), "");
}

TEST(Encoding, EveryCp932NameComesBackAsTyped) {
    // Round trip over the lead bytes of the Kanji rows: what is accepted reads back the same.
    for (int lead = 0x88; lead <= 0x9F; ++lead) {
        std::string cp932 = {static_cast<char>(lead), '\x9F'};
        std::string utf8 = cp932ToUtf8(cp932);
        EncodeResult back = utf8ToCp932(utf8);
        ASSERT_EQ(back.status, EncodeStatus::Ok) << lead;
        EXPECT_EQ(back.bytes, cp932) << lead;
    }
}

struct EscapeCase {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    std::string shown;
};

TEST(Encoding, ReportTextShowsControlsAndStrayBytesAsHex) {
    const EscapeCase cases[] = {
        {"plain", "area01.vlm", TextEncoding::Utf8, "area01.vlm"},
        {"line break forging a line", "a.map\nverdict: sound", TextEncoding::Utf8, "a.map\\x0Averdict: sound"},
        {"carriage return, escape, delete", "x\r\x1b[2Jy\x7f", TextEncoding::Utf8, "x\\x0D\\x1B[2Jy\\x7F"},
        {"zero byte", std::string("a\0b", 3), TextEncoding::Utf8, "a\\x00b"},
        {"Japanese kept", "\xE5\x9C\xB0\xE5\x9B\xB3", TextEncoding::Utf8, "\xE5\x9C\xB0\xE5\x9B\xB3"},
        {"not UTF-8", "a\xFF\xC3", TextEncoding::Utf8, "a\\xFF\\xC3"},
        {"C1 control in UTF-8", "a\xC2\x9B", TextEncoding::Utf8, "a\\xC2\\x9B"},
        {"Shift-JIS name", "\x92\x6E\x90\x7D", TextEncoding::Cp932, "\xE5\x9C\xB0\xE5\x9B\xB3"},
        {"Shift-JIS with a line break", "MAP\n\x92\x6E", TextEncoding::Cp932, "MAP\\x0A\xE5\x9C\xB0"},
        {"lead byte cut off", "AB\x92", TextEncoding::Cp932, "AB\\x92"},
        {"lead byte before a control", "\x92\x0A", TextEncoding::Cp932, "\\x92\\x0A"},
        {"no character in Shift-JIS", "\xFD", TextEncoding::Cp932, "\\xFD"},
    };
    for (const EscapeCase& c : cases) EXPECT_EQ(escapedText(c.bytes, c.encoding), c.shown) << c.name;
}

}  // namespace
