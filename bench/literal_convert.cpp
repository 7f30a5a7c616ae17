// literal_convert BITMAP OUTPUT_DIR FOLDER
// The conversion done literally as the recipe reads, one thread: for each tile, delete an
// existing file, create it, write the header, then for each of its 160 pixel rows seek,
// read 480 bytes, convert them and write 160 bytes; close. 483 system calls a tile.
// The correctness and speed baseline of the comparison (POSIX only).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "BenchJob.h"
#include "ColorQuantizer.h"
#include "OutputPaths.h"
#include "SourceRows.h"
#include "IndexFormat.h"
#include "TileFormat.h"

int main(int argc, char** argv) {
    bench::Arguments args;
    ConversionJob job;
    CheckedConversion checked;
    if (!bench::parseArguments(argc, argv, args) || !bench::prepareJob(args, job, checked)) return 1;
    // The folders and the index, written in place as the recipe reads.
    ::mkdir(job.folderName, 0755);
    ::mkdir(layerFolderPath(job.folderName).c_str(), 0755);
    for (int32_t row = 0; row < job.tileRows; ++row) ::mkdir(levelFolderPath(job.folderName, row).c_str(), 0755);
    uint8_t record[kIndexRecordSize];
    buildIndexRecord(record, job);
    int index = ::open(indexFilePath(job.folderName).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (index < 0 || ::write(index, record, sizeof record) != sizeof record) return 1;
    ::close(index);
    int bitmap = ::open(job.bitmapPath, O_RDONLY);
    if (bitmap < 0) return 1;
    uint8_t source[kTileRowSourceBytes];
    uint8_t indices[kTileSide];
    uint8_t neighbours[kNeighbourBlockSize];
    uint8_t header[kTileHeaderSize];
    for (int32_t row = 0; row < job.tileRows; ++row) {
        std::string level = levelFolderPath(job.folderName, row);
        for (int32_t column = 0; column < job.tileColumns; ++column) {
            std::string path = tileFilePath(level, column, row);
            struct stat info;
            if (::stat(path.c_str(), &info) == 0) ::unlink(path.c_str());
            int tile = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (tile < 0) return 1;
            fillNeighbourBlock(neighbours, column, row, job.tileColumns, job.tileRows);
            TileCorner corner = tileCorner(job, column, row);
            buildTileHeader(header, job, neighbours, corner.topLatitude, corner.leftLongitude);
            if (::write(tile, header, sizeof header) != sizeof header) return 1;
            for (int32_t j = 0; j < kTileSide; ++j) {
                ::lseek(bitmap, static_cast<off_t>(sourceRowOffset(job, column, row, j)), SEEK_SET);
                if (::read(bitmap, source, sizeof source) != sizeof source) return 1;
                ColorQuantizer::quantizePieces(source, 1, kTileSide, indices, kTileSide);
                if (::write(tile, indices, sizeof indices) != sizeof indices) return 1;
            }
            ::close(tile);
        }
    }
    ::close(bitmap);
    return 0;
}
