#include "ReferenceTileWriter.h"

#include <string>
#include <vector>

#include "ColorQuantizer.h"
#include "Messages.h"
#include "OutputPaths.h"
#include "SourceRows.h"
#include "TileWriter.h"

int ReferenceTileWriter::writeTiles(const ConversionJob& job, UserFeedback& feedback) {
    FileServices::Handle bitmap = files_.openForReading(job.bitmapPath);
    if (bitmap == FileServices::kNoFile) {
        feedback.showMessage(messages::kCannotReadBitmap, messages::kWarningCaption,
                             MessageIcon::Exclamation);
        return kBitmapReadFailed;
    }
    std::vector<uint8_t> pixels(kTilePixels);
    uint8_t source[kTileRowSourceBytes];
    uint8_t neighbours[kNeighbourBlockSize];
    uint8_t header[kTileHeaderSize];
    int32_t tilesWritten = 0;

    auto fail = [&](const std::string& tilePath, const char* text, int result) {
        if (!tilePath.empty()) files_.removeFile(tilePath.c_str());
        feedback.showMessage(text, messages::kWarningCaption, MessageIcon::Exclamation);
        files_.close(bitmap);
        return result;
    };

    for (int32_t row = 0; row < job.tileRows; ++row) {
        std::string levelFolder = levelFolderPath(job.folderName, row);
        for (int32_t column = 0; column < job.tileColumns; ++column) {
            std::string tilePath = tileFilePath(levelFolder, column, row);
            // Pixels first: a bitmap that cannot be read must not leave an empty tile behind.
            for (int32_t j = 0; j < kTileSide; ++j) {
                int64_t got = files_.readAt(bitmap, sourceRowOffset(job, column, row, j), source,
                                            sizeof source);
                if (got != static_cast<int64_t>(sizeof source))
                    return fail({}, messages::kCannotReadBitmap, kBitmapReadFailed);
                for (int32_t x = 0; x < kTileSide; ++x)
                    pixels[j * kTileSide + x] = ColorQuantizer::quantizePixel(
                        source[3 * x], source[3 * x + 1], source[3 * x + 2]);
            }
            FileServices::Handle tile = files_.replaceFile(tilePath.c_str());
            if (tile == FileServices::kNoFile)
                return fail({}, messages::kCannotCreateOutput, kTileCreateFailed);
            fillNeighbourBlock(neighbours, column, row, job.tileColumns, job.tileRows);
            TileCorner corner = tileCorner(job, column, row);
            buildTileHeader(header, job, neighbours, corner.topLatitude, corner.leftLongitude);
            bool written = files_.writeAll(tile, header, sizeof header) &&
                           files_.writeAll(tile, pixels.data(), pixels.size());
            bool closed = files_.close(tile);
            if (!written || !closed) return fail(tilePath, messages::kCannotWriteOutput, kTileWriteFailed);
            feedback.showProgress(++tilesWritten, job.tileCount);
        }
    }
    files_.close(bitmap);
    return kTilesWritten;
}
