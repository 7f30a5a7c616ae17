// A whole conversion of a small arbitrary bitmap, on the real file system, into a
// temporary output folder: the probe, then CONVERT with sound settings.
//
// The input is the bitmap file. Its last byte also carries three switches:
//   bit 0  stretch the file to the size its header promises (when that stays under 3 MB),
//          repeating the input's own bytes, so that whole conversions are reached;
//   bit 1  an index file of the same name is there already;
//   bit 2  an earlier conversion left a stale tile, a link to a file outside the output
//          folder and a dangling link where tiles of row 0 go.
// Rules checked: exactly one message; "SUCCESS : File convert finish." only with every
// file whole and right to the byte; a bitmap shorter than its header promises writes
// nothing; an existing index is never touched; no link is written through; nothing
// outside the output folder changes.

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "BitmapProbe.h"
#include "ColorQuantizer.h"
#include "Conversion.h"
#include "FuzzCheck.h"
#include "IndexWriter.h"
#include "Messages.h"
#include "RecordingFeedback.h"
#include "TileWriter.h"
#include "WorkedExample.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMostBytes = 3u << 20;
const std::string kOldIndex(160, 'X');
const std::string kVictimText = "a file outside the output folder\n";

struct Places {
    fs::path root, in, out, outside, bitmap;
};

// One folder for the whole run: the bitmap in in/, the output in out/ (the current
// folder), the targets of the planted links in outside/.
const Places& places() {
    static Places p = [] {
        Places made;
        made.root = fs::temp_directory_path() / ("tessella-fuzz-conversion-" + std::to_string(::getpid()));
        made.in = made.root / "in";
        made.out = made.root / "out";
        made.outside = made.root / "outside";
        made.bitmap = made.in / "map.bmp";
        fs::remove_all(made.root);
        fs::create_directories(made.in);
        fs::create_directories(made.out);
        fs::create_directories(made.outside);
        FUZZ_CHECK(::chdir(made.out.c_str()) == 0, "enter the output folder");
        std::atexit([] { fs::remove_all(places().root); });
        return made;
    }();
    return p;
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every entry under a folder: "d" for a folder, "l" and the target for a link, the
// contents for a file.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        std::string name = fs::relative(it->path(), folder).string();
        if (it->is_symlink())
            entries[name] = "l" + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            entries[name] = "d";
        else
            entries[name] = "f" + readAll(it->path());
    }
    return entries;
}

uint32_t le32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

// The file as written: the input, stretched to its promised size on request.
std::string bitmapBytes(const uint8_t* data, size_t size, bool stretch) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!stretch || size < 54) return bytes;
    int64_t width = static_cast<int32_t>(le32(bytes, 18));
    int64_t height = static_cast<int32_t>(le32(bytes, 22));
    if (width <= 0 || height <= 0) return bytes;
    uint64_t promised = le32(bytes, 10) + 3u * static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (promised > kMostBytes || promised <= size) return bytes;
    std::string fill = size > 54 ? bytes.substr(54) : std::string(1, '\x80');
    while (bytes.size() < promised) bytes += fill.substr(0, promised - bytes.size());
    return bytes;
}

void plantStaleOutput(const Places& p) {
    fs::create_directories(p.out / "area01" / "layer1" / "level000");
    writeAll(p.out / "area01/layer1/level000/smpl000000.map", "stale tile");
    writeAll(p.outside / "victim", kVictimText);
    fs::create_symlink(p.outside / "victim", p.out / "area01/layer1/level000/smpl001000.map");
    fs::create_symlink(p.outside / "new-file", p.out / "area01/layer1/level000/smpl002000.map");
}

// Every file of the map, byte for byte, from the bitmap's own bytes.
void checkMap(const ConversionJob& job, const std::string& bitmap) {
    uint8_t record[kIndexRecordSize];
    buildIndexRecord(record, job);
    FUZZ_CHECK(readAll("area01.vlm") == std::string(reinterpret_cast<char*>(record), sizeof record),
               "the index file is whole and right");
    for (int32_t row = 0; row < job.tileRows; ++row) {
        for (int32_t column = 0; column < job.tileColumns; ++column) {
            char name[64];
            std::snprintf(name, sizeof name, "area01/layer1/level%03d/smpl%03d%03d.map", row, column, row);
            FUZZ_CHECK(fs::is_regular_file(fs::symlink_status(name)), "every tile is a plain file");
            std::string tile = readAll(name);
            FUZZ_CHECK(tile.size() == static_cast<size_t>(kTileFileSize), "every tile is whole");
            uint8_t neighbours[kNeighbourBlockSize];
            fillNeighbourBlock(neighbours, column, row, job.tileColumns, job.tileRows);
            TileCorner corner = tileCorner(job, column, row);
            uint8_t header[kTileHeaderSize];
            buildTileHeader(header, job, neighbours, corner.topLatitude, corner.leftLongitude);
            FUZZ_CHECK(std::memcmp(tile.data(), header, kTileHeaderSize) == 0, "tile header");
            for (int32_t j = 0; j < kTileSide; ++j) {
                uint64_t storedRow = static_cast<uint64_t>(job.bitmapHeight) - 1 - (160u * row + j);
                uint64_t at = job.pixelDataOffset + 3u * (160u * column + storedRow * job.bitmapWidth);
                uint8_t expected[kTileSide];
                ColorQuantizer::quantizePieces(reinterpret_cast<const uint8_t*>(bitmap.data() + at), 1,
                                               kTileSide, expected, kTileSide);
                FUZZ_CHECK(std::memcmp(tile.data() + kTileHeaderSize + j * kTileSide, expected, kTileSide) == 0,
                           "tile pixels come from their place in the bitmap");
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Places& p = places();
    uint8_t switches = size > 0 ? data[size - 1] : 0;
    for (const fs::directory_entry& e : fs::directory_iterator(p.out)) fs::remove_all(e.path());
    fs::remove_all(p.outside);
    fs::create_directories(p.outside);

    std::string bitmap = bitmapBytes(data, size, switches & 1);
    writeAll(p.bitmap, bitmap);
    if (switches & 2) writeAll(p.out / "area01.vlm", kOldIndex);
    if (switches & 4) plantStaleOutput(p);
    auto outBefore = snapshot(p.out);
    auto outsideBefore = snapshot(p.outside);

    ConversionJob job;
    RecordingFeedback probeFeedback;
    unsigned verdict = static_cast<unsigned>(BitmapProbe().probeBitmap(p.bitmap.c_str(), job, probeFeedback));
    if (verdict == static_cast<unsigned>(BitmapProbeResult::Accepted)) {
        std::strncpy(job.bitmapPath, p.bitmap.c_str(), sizeof job.bitmapPath - 1);
        job.bitmapAccepted = 1;
        RecordingFeedback feedback;
        ConversionOutcome outcome = runConversion(job, workedExampleSettings("FUZZ MAP"), feedback);
        FUZZ_CHECK(feedback.messages.size() == 1, "CONVERT shows exactly one message");
        const ShownMessage& shown = feedback.messages[0];
        FUZZ_CHECK(feedback.events.back() == "arrow", "the arrow cursor comes back");

        uint64_t promised = job.pixelDataOffset + 3u * static_cast<uint64_t>(job.bitmapWidth) *
                                                      static_cast<uint64_t>(job.bitmapHeight);
        if (bitmap.size() < promised) {
            FUZZ_CHECK(outcome == ConversionOutcome::BitmapUnusable, "a short bitmap is refused");
            FUZZ_CHECK(shown.text == messages::kBitmapTruncated, "with its message");
            FUZZ_CHECK(snapshot(p.out) == outBefore, "and nothing is written");
        } else if (switches & 2) {
            FUZZ_CHECK(outcome == ConversionOutcome::OutputFailed, "an existing index stops CONVERT");
            FUZZ_CHECK(shown.text == messages::kIndexExists, "with its message");
            FUZZ_CHECK(readAll("area01.vlm") == kOldIndex, "the existing index is untouched");
            for (const auto& [name, what] : snapshot(p.out))
                FUZZ_CHECK(what == "d" || (outBefore.count(name) && outBefore[name] == what),
                           "no file is written or changed, only folders made");
        } else {
            FUZZ_CHECK(outcome == ConversionOutcome::Converted, "a whole bitmap converts");
            FUZZ_CHECK(shown.text == messages::kSuccess && shown.caption.empty(), "with the success message");
            checkMap(job, bitmap);
            for (const auto& [name, what] : snapshot(p.out))
                FUZZ_CHECK(name.size() < 5 || name.compare(name.size() - 5, 5, ".part") != 0,
                           "no temporary is left");
        }
    } else {
        FUZZ_CHECK(probeFeedback.messages.size() == 1, "a refused bitmap shows one message");
    }
    FUZZ_CHECK(snapshot(p.outside) == outsideBefore, "nothing outside the output folder changes");
    FUZZ_CHECK(readAll(p.bitmap) == bitmap, "the bitmap is never written");
    FUZZ_CHECK(std::distance(fs::directory_iterator(p.in), fs::directory_iterator()) == 1,
               "nothing is written beside the bitmap");
    return 0;
}
