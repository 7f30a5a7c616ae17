#include "MapRecords.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "BigEndian.h"
#include "GridRule.h"
#include "IndexFormat.h"
#include "TileFormat.h"

namespace {

std::string textField(const uint8_t* field, int length) {
    const uint8_t* end = std::find(field, field + length, 0);
    return std::string(field, end);
}

bool allZero(const uint8_t* bytes, int length) {
    return std::all_of(bytes, bytes + length, [](uint8_t b) { return b == 0; });
}

// After the text's first zero, the field holds only zeros.
bool zeroFilled(const uint8_t* field, int length) {
    const uint8_t* end = std::find(field, field + length, 0);
    return allZero(end, static_cast<int>(field + length - end));
}

std::string number(int64_t value) { return std::to_string(value); }

void add(std::vector<FormatViolation>& violations, const char* field, std::string text) {
    violations.push_back({field, std::move(text)});
}

void checkSize(size_t size, size_t expected, const char* what, std::vector<FormatViolation>& v) {
    if (size != expected)
        add(v, "size", number(static_cast<int64_t>(size)) + " bytes; " + what + " is " +
                           number(static_cast<int64_t>(expected)));
}

}  // namespace

const std::vector<FieldSpan>& indexFieldSpans() {
    using namespace index_format;
    static const std::vector<FieldSpan> spans = {
        {kMapNameOffset, kMapNameLength, "map name"},
        {kFolderNameOffset, kFolderNameLength, "folder name"},
        {kPrefixOffset, kTextFileOffset - kPrefixOffset, "tile prefix"},
        {kTextFileOffset, kTextFileLength, "text file name"},
        {kTileCountOffset, 4, "tile count"},
        {kTileColumnsOffset, 4, "tile columns"},
        {kTileRowsOffset, 4, "tile rows"},
        {kConstantsOffset, 8, "constants"},
        {kEastWestOffset, 4, "east-west distance"},
        {kNorthSouthOffset, 4, "north-south distance"},
        {kTileSideOffset, 4, "tile side"},
        {kZeroOffset, kZeroLength, "reserved zero"},
        {kTopLeftLatitudeOffset, 4, "top-left latitude"},
        {kTopLeftLongitudeOffset, 4, "top-left longitude"},
        {kBottomRightLatitudeOffset, 4, "bottom-right latitude"},
        {kBottomRightLongitudeOffset, 4, "bottom-right longitude"},
    };
    return spans;
}

const std::vector<FieldSpan>& tileFieldSpans() {
    using namespace tile_format;
    static const std::vector<FieldSpan> spans = {
        {0, kMagicLength, "magic"},
        {kMagicLength, kFlagOffset - kMagicLength, "reserved zero"},
        {kFlagOffset, 1, "flag"},
        {kMapNameOffset, kMapNameLength, "map name"},
        {kNeighbourOffset + kOwnColumn * kSlotSize, kSlotSize, "slot 0 (own column)"},
        {kNeighbourOffset + kOwnRow * kSlotSize, kSlotSize, "slot 1 (own row)"},
        {kNeighbourOffset + kEastColumn * kSlotSize, kSlotSize, "slot 2 (column to the east)"},
        {kNeighbourOffset + kWestColumn * kSlotSize, kSlotSize, "slot 3 (column to the west)"},
        {kNeighbourOffset + kSouthRow * kSlotSize, kSlotSize, "slot 4 (row to the south)"},
        {kNeighbourOffset + kNorthRow * kSlotSize, kSlotSize, "slot 5 (row to the north)"},
        {kNeighbourOffset + 6 * kSlotSize, 2 * kSlotSize, "slots 6 and 7 (empty)"},
        {kConstantsOffset, 4, "constants"},
        {kEastWestOffset, 4, "east-west distance"},
        {kNorthSouthOffset, 4, "north-south distance"},
        {kTileSideOffset, 4, "tile side"},
        {kMapTopLatitudeOffset, 4, "map top latitude"},
        {kMapLeftLongitudeOffset, 4, "map left longitude"},
        {kTileTopLatitudeOffset, 4, "tile top latitude"},
        {kTileLeftLongitudeOffset, 4, "tile left longitude"},
        {kPixelCountOffset, 4, "pixel count"},
        {kZeroTailOffset, kTileHeaderSize - kZeroTailOffset, "reserved zero tail"},
    };
    return spans;
}

std::vector<std::string> differingFields(const std::vector<FieldSpan>& spans, const uint8_t* a,
                                         const uint8_t* b) {
    std::vector<std::string> names;
    for (const FieldSpan& span : spans)
        if (std::memcmp(a + span.offset, b + span.offset, static_cast<size_t>(span.length)) != 0)
            names.push_back(span.name);
    return names;
}

bool folderNameUsable(const std::string& folderName) {
    return !folderName.empty() && folderName.size() < kFolderNameSize &&
           std::all_of(folderName.begin(), folderName.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

bool decodeIndex(const uint8_t* bytes, size_t size, IndexFields& f,
                 std::vector<FormatViolation>& v) {
    using namespace index_format;
    checkSize(size, kIndexRecordSize, "an index file", v);
    if (size < static_cast<size_t>(kIndexRecordSize)) return false;

    f.mapName = textField(bytes + kMapNameOffset, kMapNameLength);
    f.folderName = textField(bytes + kFolderNameOffset, kFolderNameLength);
    f.tilePrefix = textField(bytes + kPrefixOffset, kTextFileOffset - kPrefixOffset);
    f.textFileName = textField(bytes + kTextFileOffset, kTextFileLength);
    f.tileCount = getBigEndian32(bytes + kTileCountOffset);
    f.tileColumns = getBigEndian32(bytes + kTileColumnsOffset);
    f.tileRows = getBigEndian32(bytes + kTileRowsOffset);
    for (int i = 0; i < 4; ++i) f.constants[i] = getBigEndian16(bytes + kConstantsOffset + 2 * i);
    f.eastWestDistance = getBigEndian32(bytes + kEastWestOffset);
    f.northSouthDistance = getBigEndian32(bytes + kNorthSouthOffset);
    f.tileWidth = getBigEndian16(bytes + kTileSideOffset);
    f.tileHeight = getBigEndian16(bytes + kTileSideOffset + 2);
    f.topLeftLatitude = getBigEndian32(bytes + kTopLeftLatitudeOffset);
    f.topLeftLongitude = getBigEndian32(bytes + kTopLeftLongitudeOffset);
    f.bottomRightLatitude = getBigEndian32(bytes + kBottomRightLatitudeOffset);
    f.bottomRightLongitude = getBigEndian32(bytes + kBottomRightLongitudeOffset);

    if (f.mapName.empty()) add(v, "map name", "empty");
    if (!zeroFilled(bytes + kMapNameOffset, kMapNameLength))
        add(v, "map name", "bytes other than zero after the name's end");
    if (!folderNameUsable(f.folderName))
        add(v, "folder name", "not 1 to 8 characters of a-z and 0-9");
    if (!zeroFilled(bytes + kFolderNameOffset, kFolderNameLength))
        add(v, "folder name", "bytes other than zero after the name's end");
    if (f.tilePrefix != kTilePrefix || !zeroFilled(bytes + kPrefixOffset, kTextFileOffset - kPrefixOffset))
        add(v, "tile prefix", "not \"smpl\" followed by zeros");
    if (f.textFileName != f.folderName + kTextFileSuffix ||
        !zeroFilled(bytes + kTextFileOffset, kTextFileLength))
        add(v, "text file name", "not the folder name and \".txt\" followed by zeros");
    const bool columnsFit = f.tileColumns != 0 && f.tileColumns <= static_cast<uint32_t>(kLargestGridSide);
    const bool rowsFit = f.tileRows != 0 && f.tileRows <= static_cast<uint32_t>(kLargestGridSide);
    if (!columnsFit)
        add(v, "tile columns", number(f.tileColumns) + "; a map has 1 to " + number(kLargestGridSide) + " columns");
    if (!rowsFit)
        add(v, "tile rows", number(f.tileRows) + "; a map has 1 to " + number(kLargestGridSide) + " rows");
    if (columnsFit && rowsFit && !gridFits(f.tileColumns, f.tileRows))
        add(v, "tile grid", number(int64_t{f.tileColumns} * f.tileRows) + " tiles; a map has at most " +
                                number(kLargestTileCount));
    if (f.tileCount != static_cast<uint32_t>(uint64_t{f.tileColumns} * f.tileRows))
        add(v, "tile count", number(f.tileCount) + ", not columns x rows (" +
                                 number(int64_t{f.tileColumns} * f.tileRows) + ")");
    for (int i = 0; i < 4; ++i)
        if (f.constants[i] != kConstants[i]) {
            add(v, "constants", "not 8, 1, 1, 25");
            break;
        }
    if (f.eastWestDistance == 0) add(v, "east-west distance", "zero");
    if (f.northSouthDistance == 0) add(v, "north-south distance", "zero");
    if (f.tileWidth != kTileSide || f.tileHeight != kTileSide)
        add(v, "tile side", number(f.tileWidth) + " x " + number(f.tileHeight) + ", not " + number(kTileSide) + " x " +
                                 number(kTileSide));
    if (!allZero(bytes + kZeroOffset, kZeroLength)) add(v, "reserved zero", "bytes other than zero");
    if (f.topLeftLatitude <= f.bottomRightLatitude)
        add(v, "top-left latitude", "not north of the bottom-right latitude");
    if (f.topLeftLongitude >= f.bottomRightLongitude)
        add(v, "top-left longitude", "not west of the bottom-right longitude");
    return true;
}

ConversionJob jobFromIndex(const IndexFields& f, const uint8_t* storedMapName) {
    ConversionJob job;
    std::memcpy(job.mapName, storedMapName, index_format::kMapNameLength);
    std::memcpy(job.folderName, f.folderName.data(), std::min<size_t>(f.folderName.size(), kFolderNameSize - 1));
    job.tileColumns = static_cast<int32_t>(f.tileColumns);
    job.tileRows = static_cast<int32_t>(f.tileRows);
    job.tileCount = job.tileColumns * job.tileRows;
    job.bitmapWidth = job.tileColumns * kTileSide;
    job.bitmapHeight = job.tileRows * kTileSide;
    job.topLeftLatitude = f.topLeftLatitude;
    job.topLeftLongitude = f.topLeftLongitude;
    job.bottomRightLatitude = f.bottomRightLatitude;
    job.bottomRightLongitude = f.bottomRightLongitude;
    job.eastWestDistance = f.eastWestDistance;
    job.northSouthDistance = f.northSouthDistance;
    return job;
}

namespace {

// A slot holds nothing, or three digits and a zero.
bool slotWellFormed(const uint8_t* slot) {
    if (allZero(slot, tile_format::kSlotSize)) return true;
    for (int i = 0; i < 3; ++i)
        if (slot[i] < '0' || slot[i] > '9') return false;
    return slot[3] == 0;
}

int32_t slotNumber(const std::string& text) {
    if (text.size() != 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(text);
}

}  // namespace

int64_t countIndicesAbove230(const uint8_t* pixels, size_t count) {
    // Counted without branches so the compiler can do many at once.
    int64_t total = 0;
    size_t i = 0;
    while (i < count) {
        size_t end = std::min(count, i + 4096);
        uint32_t block = 0;
        for (; i < end; ++i) block += pixels[i] > 230 ? 1u : 0u;
        total += block;
    }
    return total;
}

bool decodeTile(const uint8_t* bytes, size_t size, TileFields& f, std::vector<FormatViolation>& v) {
    using namespace tile_format;
    checkSize(size, kTileFileSize, "a tile file", v);
    if (size < static_cast<size_t>(kTileHeaderSize)) return false;

    f.magic.assign(reinterpret_cast<const char*>(bytes), kMagicLength);
    f.mapName = textField(bytes + kMapNameOffset, kMapNameLength);
    for (int s = 0; s < kSlotCount; ++s) f.slots[s] = textField(bytes + kNeighbourOffset + s * kSlotSize, kSlotSize);
    std::memcpy(f.constants.data(), bytes + kConstantsOffset, 4);
    f.eastWestDistance = getBigEndian32(bytes + kEastWestOffset);
    f.northSouthDistance = getBigEndian32(bytes + kNorthSouthOffset);
    f.tileWidth = getBigEndian16(bytes + kTileSideOffset);
    f.tileHeight = getBigEndian16(bytes + kTileSideOffset + 2);
    f.mapTopLatitude = getBigEndian32(bytes + kMapTopLatitudeOffset);
    f.mapLeftLongitude = getBigEndian32(bytes + kMapLeftLongitudeOffset);
    f.tileTopLatitude = getBigEndian32(bytes + kTileTopLatitudeOffset);
    f.tileLeftLongitude = getBigEndian32(bytes + kTileLeftLongitudeOffset);
    f.pixelCount = getBigEndian32(bytes + kPixelCountOffset);
    f.column = slotNumber(f.slots[kOwnColumn]);
    f.row = slotNumber(f.slots[kOwnRow]);

    size_t stored = std::min(size, static_cast<size_t>(kTileFileSize)) - kTileHeaderSize;
    f.pixelsStored = static_cast<int64_t>(stored);
    f.histogram.fill(0);
    for (size_t i = 0; i < stored; ++i) ++f.histogram[bytes[kTileHeaderSize + i]];

    if (std::memcmp(bytes, kMagic, kMagicLength) != 0) add(v, "magic", "not \"VeMo00000100\"");
    if (!allZero(bytes + kMagicLength, kFlagOffset - kMagicLength))
        add(v, "reserved zero", "bytes other than zero");
    if (bytes[kFlagOffset] != 0) add(v, "flag", "not zero");
    if (!zeroFilled(bytes + kMapNameOffset, kMapNameLength))
        add(v, "map name", "bytes other than zero after the name's end");
    for (int s = 0; s < kSlotCount; ++s) {
        const uint8_t* slot = bytes + kNeighbourOffset + s * kSlotSize;
        bool mustBeEmpty = s >= 6, mustHoldNumber = s == kOwnColumn || s == kOwnRow;
        if (!slotWellFormed(slot) || (mustBeEmpty && !allZero(slot, kSlotSize)) ||
            (mustHoldNumber && allZero(slot, kSlotSize)))
            add(v, "neighbour slots",
                "slot " + number(s) + (mustBeEmpty ? " is not empty" : " is not three digits and a zero"));
    }
    if (std::memcmp(bytes + kConstantsOffset, kConstants, sizeof kConstants) != 0)
        add(v, "constants", "not 08 01 00 19");
    if (f.tileWidth != kTileSide || f.tileHeight != kTileSide)
        add(v, "tile side", number(f.tileWidth) + " x " + number(f.tileHeight) + ", not " + number(kTileSide) + " x " +
                                 number(kTileSide));
    if (f.pixelCount != static_cast<uint32_t>(kTilePixels))
        add(v, "pixel count", number(f.pixelCount) + ", not " + number(kTilePixels));
    if (!allZero(bytes + kZeroTailOffset, kTileHeaderSize - kZeroTailOffset))
        add(v, "reserved zero tail", "bytes other than zero");
    int64_t above = 0;
    for (int i = 231; i < 256; ++i) above += f.histogram[i];
    if (above > 0)
        add(v, "pixels", number(above) + " pixels hold an index above 230, the highest the palette has");
    return true;
}

std::string degreesMinutesSeconds(uint32_t milliseconds) {
    uint32_t degrees = milliseconds / 3600000, rest = milliseconds % 3600000;
    uint32_t minutes = rest / 60000, seconds = rest % 60000 / 1000, fraction = rest % 1000;
    char text[40];
    if (fraction == 0)
        std::snprintf(text, sizeof text, "%u:%02u:%02u", degrees, minutes, seconds);
    else
        std::snprintf(text, sizeof text, "%u:%02u:%02u.%03u", degrees, minutes, seconds, fraction);
    return text;
}

std::string decimalDegrees(uint32_t milliseconds) {
    // Ten-millionths of a degree, rounded: milliseconds x 10^7 / 3,600,000 = x 25 / 9.
    uint64_t units = (uint64_t{milliseconds} * 50 + 9) / 18;
    char text[40];
    std::snprintf(text, sizeof text, "%llu.%07llu", static_cast<unsigned long long>(units / 10000000),
                  static_cast<unsigned long long>(units % 10000000));
    return text;
}

std::string metres(uint32_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}
