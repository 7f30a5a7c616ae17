#include "Encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// Number of bytes of the CP932 character whose first byte is lead.
size_t cp932CharacterLength(unsigned char lead) {
    bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    return doubleByte ? 2 : 1;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

struct Sign {
    uint32_t codePoint;
    std::string_view cp932;
};

constexpr Sign kJapaneseInputSigns[] = {
    {0x301C, "\x81\x60"},  // WAVE DASH
    {0x2016, "\x81\x61"},  // DOUBLE VERTICAL LINE
    {0x2212, "\x81\x7C"},  // MINUS SIGN
    {0x00A2, "\x81\x91"},  // CENT SIGN
    {0x00A3, "\x81\x92"},  // POUND SIGN
    {0x00AC, "\x81\xCA"},  // NOT SIGN
    {0x2014, "\x81\x5C"},  // EM DASH
};

bool isControl(uint32_t codePoint) { return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F); }

}  // namespace

uint32_t utf8CodePoint(std::string_view character) {
    size_t length = utf8CharacterLength(character);
    if (length == 0) return 0;
    auto lead = static_cast<unsigned char>(character[0]);
    if (length == 1) return lead;
    uint32_t value = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) value = (value << 6) | (static_cast<unsigned char>(character[i]) & 0x3F);
    return value;
}

std::string_view japaneseInputSign(uint32_t codePoint) {
    for (const Sign& sign : kJapaneseInputSigns)
        if (sign.codePoint == codePoint) return sign.cp932;
    return {};
}

size_t cp932CutLength(std::string_view cp932, size_t limit) {
    size_t length = 0;
    while (length < cp932.size()) {
        size_t next = length + cp932CharacterLength(static_cast<unsigned char>(cp932[length]));
        if (next > limit) break;
        length = next;
    }
    return std::min(length, cp932.size());
}

size_t utf8CharacterLength(std::string_view text) {
    if (text.empty()) return 0;
    auto lead = static_cast<unsigned char>(text[0]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length > text.size()) return 1;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
    return length;
}

bool isValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        uint32_t codePoint;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07;
        } else {
            return false;  // continuation byte, overlong two-byte lead, or beyond U+10FFFF
        }
        if (i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if ((length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000) ||
            codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

EncodeResult utf8ToCp932(std::string_view utf8) {
    EncodeResult result;
    if (!isValidUtf8(utf8)) {
        result.status = EncodeStatus::InvalidUtf8;
        return result;
    }
    // Character by character, so the first one that fails can be named.
    for (size_t i = 0; i < utf8.size();) {
        size_t length = utf8CharacterLength(utf8.substr(i));
        std::string_view character = utf8.substr(i, length);
        uint32_t codePoint = utf8CodePoint(character);
        if (isControl(codePoint)) {
            result.status = EncodeStatus::Control;
            result.bytes.clear();
            result.offending = std::string(character);
            return result;
        }
        if (std::string_view sign = japaneseInputSign(codePoint); !sign.empty()) {
            result.bytes += sign;
            i += length;
            continue;
        }
        std::optional<std::string> encoded = convertUtf8ToCp932(character);
        std::optional<std::string> back;
        if (encoded) back = convertCp932ToUtf8(*encoded);
        if (!encoded || !back || *back != character) {
            result.status = EncodeStatus::NotInCp932;
            result.bytes.clear();
            result.offending = std::string(character);
            return result;
        }
        result.bytes += *encoded;
        i += length;
    }
    return result;
}

std::string cp932ToUtf8(std::string_view cp932) {
    if (std::optional<std::string> whole = convertCp932ToUtf8(cp932)) return *whole;
    std::string out;
    for (size_t i = 0; i < cp932.size();) {
        size_t length = cp932CharacterLength(static_cast<unsigned char>(cp932[i]));
        if (i + length > cp932.size()) length = cp932.size() - i;
        std::optional<std::string> decoded = convertCp932ToUtf8(cp932.substr(i, length));
        out += decoded && length == cp932CharacterLength(static_cast<unsigned char>(cp932[i]))
                   ? *decoded
                   : std::string(kReplacement);
        i += length;
    }
    return out;
}

namespace {

void appendEscaped(std::string& out, std::string_view bytes) {
    for (char c : bytes) {
        char text[8];
        std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
        out += text;
    }
}

}  // namespace

std::string escapedText(std::string_view bytes, TextEncoding encoding) {
    std::string out;
    for (size_t i = 0; i < bytes.size();) {
        std::string_view rest = bytes.substr(i);
        size_t length = encoding == TextEncoding::Utf8 ? utf8CharacterLength(rest)
                                                       : cp932CharacterLength(static_cast<unsigned char>(rest[0]));
        std::string_view character = rest.substr(0, length);
        std::optional<std::string> utf8;
        if (character.size() == length) {
            if (encoding == TextEncoding::Cp932) utf8 = convertCp932ToUtf8(character);
            else if (isValidUtf8(character)) utf8 = std::string(character);
        }
        if (!utf8 || utf8->empty()) {
            // Not a character: its first byte shown, and the next read afresh.
            appendEscaped(out, character.substr(0, 1));
            ++i;
            continue;
        }
        if (isControl(utf8CodePoint(*utf8))) appendEscaped(out, character);
        else out += *utf8;
        i += length;
    }
    return out;
}
