#include "ReferenceTileWriter.h"

#include <vector>

#include "ColorQuantizer.h"
#include "Messages.h"
#include "OutputPaths.h"
#include "SourceRows.h"

TileWriteResult ReferenceTileWriter::writeTiles(const ConversionJob& job, UserFeedback& feedback) {
    FileReading::Handle bitmap = reading_.openForReading(job.bitmapPath);
    auto fail = [&](TileWriteResult result) {
        feedback.showMessage(tileWriteMessage(result), messages::kWarningCaption, MessageIcon::Exclamation);
        if (bitmap != FileReading::kNoFile) reading_.close(bitmap);
        return result;
    };
    if (bitmap == FileReading::kNoFile) return fail(TileWriteResult::SourceReadFailed);
    std::vector<uint8_t> tile(kTileFileSize);
    uint8_t source[kTileRowSourceBytes];
    uint8_t neighbours[kNeighbourBlockSize];
    int32_t tilesWritten = 0;

    for (int32_t row = 0; row < job.tileRows; ++row) {
        for (int32_t column = 0; column < job.tileColumns; ++column) {
            // Pixels first: a bitmap that cannot be read must not leave an empty tile behind.
            for (int32_t j = 0; j < kTileSide; ++j) {
                int64_t got = reading_.readAt(bitmap, sourceRowOffset(job, column, row, j), source, sizeof source);
                if (got != static_cast<int64_t>(sizeof source)) return fail(TileWriteResult::SourceReadFailed);
                for (int32_t x = 0; x < kTileSide; ++x)
                    tile[kTileHeaderSize + j * kTileSide + x] =
                        ColorQuantizer::quantizePixel(source[3 * x], source[3 * x + 1], source[3 * x + 2]);
            }
            fillNeighbourBlock(neighbours, column, row, job.tileColumns, job.tileRows);
            TileCorner corner = tileCorner(job, column, row);
            buildTileHeader(tile.data(), job, neighbours, corner.topLatitude, corner.leftLongitude);
            OutputPath path, part;
            formatTilePath(path, job.folderName, column, row);
            formatPartPath(part, path);
            OutputFolder::Handle file = output_.createFile(part);
            if (file == OutputFolder::kNoFile) return fail(TileWriteResult::CreateFailed);
            bool written = output_.writeAll(file, tile.data(), tile.size());
            bool closed = output_.close(file);
            if (!written || !closed) {
                output_.removeFile(part);
                return fail(TileWriteResult::WriteFailed);
            }
            if (!output_.replaceWith(part, path)) {
                output_.removeFile(part);
                return fail(TileWriteResult::CreateFailed);
            }
            feedback.showProgress(++tilesWritten, job.tileCount);
        }
    }
    reading_.close(bitmap);
    return TileWriteResult::Written;
}
