#pragma once
// Text at the edge of the command line. Arguments and the terminal are UTF-8; the map
// formats and the conversion's messages are code page 932 (Shift-JIS).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class EncodeStatus {
    Ok,
    InvalidUtf8,  // the argument is not UTF-8 at all
    NotInCp932,   // a character that code page 932 cannot hold
    Control,      // a control character (U+0000 to U+001F, U+007F to U+009F)
};

struct EncodeResult {
    EncodeStatus status = EncodeStatus::Ok;
    std::string bytes;      // the CP932 bytes when status is Ok
    std::string offending;  // the first character that could not be encoded (UTF-8)
};

// A name typed in UTF-8 as the CP932 bytes the files store. A character is taken only if
// it comes back unchanged from CP932, so every platform accepts the same names and the
// navigation program shows exactly what was typed; besides those, the characters that
// Japanese input methods type for CP932's signs on systems other than Windows (the wave
// dash U+301C, the double vertical line U+2016, the minus sign U+2212, the cent, pound
// and not signs U+00A2, U+00A3, U+00AC, the em dash U+2014) are written as Windows
// writes the same signs typed there.
EncodeResult utf8ToCp932(std::string_view utf8);

// The bytes of the signs above, or "" for any other code point.
std::string_view japaneseInputSign(uint32_t codePoint);

// The longest start of CP932 bytes that is at most limit bytes and ends between two
// characters, never after the first byte of a double-byte one.
size_t cp932CutLength(std::string_view cp932, size_t limit);

// CP932 bytes for display; a byte sequence that is not CP932 (such as a character split
// by a cut) shows as U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

// Text from a file, or a file's name, as a line of a report may show it: each character
// of its encoding in UTF-8, but control characters (U+0000 to U+001F, U+007F to U+009F)
// and bytes that are no character of the encoding as \xNN, each byte, so that what a
// file holds cannot end a report line or steer the terminal.
enum class TextEncoding { Utf8, Cp932 };
std::string escapedText(std::string_view bytes, TextEncoding encoding);

// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view text);

// Length in bytes of the UTF-8 character that starts at text[0] (1 for a stray byte).
size_t utf8CharacterLength(std::string_view text);

// The code point of the UTF-8 character that starts at text[0] (a stray byte's value).
uint32_t utf8CodePoint(std::string_view text);

// The platform's strict converters: nullopt when any character cannot be converted.
std::optional<std::string> convertUtf8ToCp932(std::string_view utf8);
std::optional<std::string> convertCp932ToUtf8(std::string_view cp932);
