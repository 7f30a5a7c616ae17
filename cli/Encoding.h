#pragma once
// Text at the edge of the command line. Arguments and the terminal are UTF-8; the map
// formats and the conversion's messages are code page 932 (Shift-JIS).

#include <optional>
#include <string>
#include <string_view>

enum class EncodeStatus {
    Ok,
    InvalidUtf8,  // the argument is not UTF-8 at all
    NotInCp932,   // a character that code page 932 cannot hold
};

struct EncodeResult {
    EncodeStatus status = EncodeStatus::Ok;
    std::string bytes;      // the CP932 bytes when status is Ok
    std::string offending;  // the first character that could not be encoded (UTF-8)
};

// A name typed in UTF-8 as the CP932 bytes the files store. A character is taken only if
// it comes back unchanged from CP932, so every platform accepts the same names and the
// navigation program shows exactly what was typed.
EncodeResult utf8ToCp932(std::string_view utf8);

// CP932 bytes for display; a byte sequence that is not CP932 (such as a character split
// by a cut) shows as U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view text);

// Length in bytes of the UTF-8 character that starts at text[0] (1 for a stray byte).
size_t utf8CharacterLength(std::string_view text);

// The platform's strict converters: nullopt when any character cannot be converted.
std::optional<std::string> convertUtf8ToCp932(std::string_view utf8);
std::optional<std::string> convertCp932ToUtf8(std::string_view cp932);
