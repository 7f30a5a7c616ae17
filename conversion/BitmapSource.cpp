#include "BitmapSource.h"

#include <algorithm>

#include "BitmapHeaders.h"
#include "TileBatch.h"

namespace {

// Size aimed at for one read when whole stored rows are read together.
constexpr size_t kReadBlockBytes = 1u << 20;

uint64_t storedRowBytes(const ConversionJob& job) { return 3u * static_cast<uint64_t>(job.bitmapWidth); }

size_t rowsPerWholeRead(const ConversionJob& job) {
    uint64_t rows = kReadBlockBytes / storedRowBytes(job);
    return static_cast<size_t>(std::clamp<uint64_t>(rows, 1, kTileSide));
}

bool wholeWidthBatches(const ConversionJob& job) { return job.tileColumns <= kMaxTilesPerBatch; }

// Whether the headers in the file still describe the bitmap the job was given.
bool sameHeaders(FileReading& files, FileReading::Handle file, const ConversionJob& job) {
    BitmapHeaders headers;
    return readBitmapHeaders(files, file, HeaderLayout::Conversion, headers) == HeaderReading::Read &&
           headers.pixelDataOffset == job.pixelDataOffset && headers.width == job.bitmapWidth &&
           headers.height == job.bitmapHeight && headers.bitsPerPixel == 24 && headers.compression == 0;
}

BitmapData dataOf(FileReading& files, FileReading::Handle file, const ConversionJob& job) {
    int64_t size = files.fileSize(file);
    if (size < 0 || !sameHeaders(files, file, job)) return BitmapData::Unreadable;
    // Width and height are positive once accepted; their product times 3 fits in 64 bits
    // unsigned (below 2^31 * 2^31 * 3), and so does the sum with a 32-bit offset.
    uint64_t pixelBytes = 3u * static_cast<uint64_t>(job.bitmapWidth) * static_cast<uint64_t>(job.bitmapHeight);
    uint64_t needed = job.pixelDataOffset + pixelBytes;
    bool complete = needed >= pixelBytes && static_cast<uint64_t>(size) >= needed;
    return complete ? BitmapData::Complete : BitmapData::Short;
}

}  // namespace

BitmapData checkBitmapData(const ConversionJob& job, FileReading& files) {
    FileReading::Handle file = files.openForReading(job.bitmapPath);
    if (file == FileReading::kNoFile) return BitmapData::Unreadable;
    BitmapData data = dataOf(files, file, job);
    files.close(file);
    return data;
}

BitmapData BitmapSource::open(const ConversionJob& job) {
    close();
    job_ = &job;
    file_ = files_.openForReading(job.bitmapPath);
    if (file_ == FileReading::kNoFile) return BitmapData::Unreadable;
    if (!files_.identify(file_, identity_)) return BitmapData::Unreadable;
    return dataOf(files_, file_, job);
}

bool BitmapSource::allocate() {
    const ConversionJob& job = *job_;
    size_t bytes = wholeWidthBatches(job) ? rowsPerWholeRead(job) * static_cast<size_t>(storedRowBytes(job))
                                          : static_cast<size_t>(kTileRowSourceBytes) * kMaxTilesPerBatch;
    return block_.allocate(bytes);
}

void BitmapSource::close() {
    if (file_ != FileReading::kNoFile) files_.close(file_);
    file_ = FileReading::kNoFile;
}

bool BitmapSource::unchanged() {
    // The open file must be as it was, and the path must still lead to it: a bitmap
    // rewritten, grown, cut or replaced during the run gives a map of two pictures.
    FileIdentity now, named;
    return files_.identify(file_, now) && now == identity_ && files_.identifyPath(job_->bitmapPath, named) &&
           named == identity_;
}

int32_t BitmapSource::readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) {
    const ConversionJob& job = *job_;
    // Stored row k of the strip is picture row 159 - k of its tiles.
    const uint64_t rowBytes = storedRowBytes(job);
    const bool wholeWidth = firstColumn == 0 && columnCount == job.tileColumns && wholeWidthBatches(job);
    const size_t stretchBytes = static_cast<size_t>(kTileRowSourceBytes) * columnCount;
    const uint64_t firstStoredRow =
        static_cast<uint64_t>(job.bitmapHeight) - static_cast<uint64_t>(kTileSide) * (row + 1);
    const uint64_t stretchStart = job.pixelDataOffset + rowBytes * firstStoredRow +
                                  static_cast<uint64_t>(kTileRowSourceBytes) * firstColumn;
    // Bytes from one stored row to the next in the read block.
    const size_t blockStride = wholeWidth ? static_cast<size_t>(rowBytes) : stretchBytes;
    const size_t rowsPerRead = wholeWidth ? rowsPerWholeRead(job) : 1;

    for (int32_t k = 0; k < kTileSide;) {
        size_t rows = std::min(rowsPerRead, static_cast<size_t>(kTileSide - k));
        size_t wanted = wholeWidth ? rows * blockStride : stretchBytes;
        int64_t got = files_.readAt(file_, stretchStart + rowBytes * static_cast<uint64_t>(k), block_.data(), wanted);
        if (got != static_cast<int64_t>(wanted)) {
            // A tile is complete only if every one of its 160 stretches arrived: possible
            // when all that is missing lies in the last stored row, past the tile's own
            // stretch (a bitmap cut short in its last row).
            size_t delivered = got > 0 ? static_cast<size_t>(got) : 0;
            size_t wholeRows = delivered / blockStride;
            for (size_t r = 0; r < wholeRows; ++r)
                sink.takeRow(kTileSide - 1 - (k + static_cast<int32_t>(r)), block_.data() + r * blockStride);
            if (k + static_cast<int32_t>(wholeRows) != kTileSide - 1) return 0;
            int32_t complete = std::min(columnCount, static_cast<int32_t>((delivered % blockStride) / kTileRowSourceBytes));
            sink.takeRow(0, block_.data() + wholeRows * blockStride);
            return complete;
        }
        for (size_t r = 0; r < rows; ++r)
            sink.takeRow(kTileSide - 1 - (k + static_cast<int32_t>(r)), block_.data() + r * blockStride);
        k += static_cast<int32_t>(rows);
    }
    return columnCount;
}
