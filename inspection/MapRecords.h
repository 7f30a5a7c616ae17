#pragma once
// The index file and the tile files read back: every field decoded and named, through
// the layouts of IndexFormat.h and TileFormat.h, and whatever the format does not allow
// named as such.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ConversionJob.h"

// One place where stored bytes break the format: the field's name and what is wrong.
struct FormatViolation {
    std::string field;
    std::string text;
};

// A named stretch of a record, for telling which field a byte belongs to.
struct FieldSpan {
    int offset;
    int length;
    const char* name;
};

// The fields of the index and of a tile header, in file order.
const std::vector<FieldSpan>& indexFieldSpans();
const std::vector<FieldSpan>& tileFieldSpans();

// Names of the fields in which the two records differ, in file order.
std::vector<std::string> differingFields(const std::vector<FieldSpan>& spans, const uint8_t* a,
                                         const uint8_t* b);

struct IndexFields {
    std::string mapName;       // the stored bytes up to the first zero (Shift-JIS)
    std::string folderName;    // up to the first zero
    std::string tilePrefix;
    std::string textFileName;
    uint32_t tileCount = 0;
    uint32_t tileColumns = 0;
    uint32_t tileRows = 0;
    std::array<uint16_t, 4> constants{};
    uint32_t eastWestDistance = 0;    // tenths of a metre
    uint32_t northSouthDistance = 0;
    uint16_t tileWidth = 0;
    uint16_t tileHeight = 0;
    uint32_t topLeftLatitude = 0;     // milliseconds of arc
    uint32_t topLeftLongitude = 0;
    uint32_t bottomRightLatitude = 0;
    uint32_t bottomRightLongitude = 0;
};

// Decodes an index file's bytes. False when there are fewer than 160 (the fields then
// hold nothing); violations names everything else the format does not allow, including
// a size other than 160.
bool decodeIndex(const uint8_t* bytes, size_t size, IndexFields& fields,
                 std::vector<FormatViolation>& violations);

// Whether the folder name can lead to tile files: 1 to 8 of a-z and 0-9.
bool folderNameUsable(const std::string& folderName);

// The job that would have written this index: what the writer's own functions need to
// recompute every byte of the map. Only for an index whose folder name is usable and
// whose grid fits (gridFits of GridRule.h).
ConversionJob jobFromIndex(const IndexFields& fields, const uint8_t* storedMapName);

struct TileFields {
    std::string magic;                  // the 12 stored bytes
    std::string mapName;                // up to the first zero (Shift-JIS)
    std::array<std::string, 8> slots;   // each slot's text up to its first zero
    std::array<uint8_t, 4> constants{};
    uint32_t eastWestDistance = 0;
    uint32_t northSouthDistance = 0;
    uint16_t tileWidth = 0;
    uint16_t tileHeight = 0;
    uint32_t mapTopLatitude = 0;
    uint32_t mapLeftLongitude = 0;
    uint32_t tileTopLatitude = 0;
    uint32_t tileLeftLongitude = 0;
    uint32_t pixelCount = 0;
    int32_t column = -1;                // from the slots; -1 when they hold no number
    int32_t row = -1;
    int64_t pixelsStored = 0;           // palette indices present in the file
    std::array<int64_t, 256> histogram{};  // how many pixels hold each index
};

// Decodes a tile file's bytes. False when there are fewer than 160 (no header).
bool decodeTile(const uint8_t* bytes, size_t size, TileFields& fields,
                std::vector<FormatViolation>& violations);

// Counts the indices above 230 among count pixels.
int64_t countIndicesAbove230(const uint8_t* pixels, size_t count);

// An angle in milliseconds of arc as D:M:S (seconds with three decimals when they have
// a fraction) and as decimal degrees (seven decimals).
std::string degreesMinutesSeconds(uint32_t milliseconds);
std::string decimalDegrees(uint32_t milliseconds);
// Tenths of a metre as metres with one decimal.
std::string metres(uint32_t tenths);
