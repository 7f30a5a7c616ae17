#include "BmpOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>


namespace {

constexpr int32_t kSide = 160;
constexpr int kHeadersSize = 54;

void putLittle16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void putLittle32(uint8_t* at, uint32_t value) {
    putLittle16(at, value & 0xFFFF);
    putLittle16(at + 2, value >> 16);
}

bool writeAll(int fd, const uint8_t* data, size_t size, off_t offset);

// Writes each picture row of a strip where it lies in the bottom-up file, as it comes.
class RowWriter : public PixelSource::RowSink {
public:
    RowWriter(int fd, int32_t rowBytes, int32_t height) : fd_(fd), rowBytes_(rowBytes), height_(height) {}
    void startStrip(int32_t row) { firstPictureRow_ = row * kSide; }
    void takeRow(int32_t pixelRow, const uint8_t* pixels) override {
        if (error_ != 0) return;
        off_t offset = kHeadersSize + static_cast<off_t>(height_ - 1 - (firstPictureRow_ + pixelRow)) * rowBytes_;
        if (!writeAll(fd_, pixels, static_cast<size_t>(rowBytes_), offset)) error_ = errno;
    }
    int error() const { return error_; }

private:
    int fd_;
    int32_t rowBytes_, height_;
    int32_t firstPictureRow_ = 0;
    int error_ = 0;
};

bool writeAll(int fd, const uint8_t* data, size_t size, off_t offset) {
    while (size > 0) {
        ssize_t written = pwrite(fd, data, size, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

}  // namespace

BmpWriteResult writeBmp(const std::string& path, PixelSource& source, int32_t width, int32_t height,
                        const std::function<void(int32_t, int32_t)>& progress) {
    BmpWriteResult result;
    const int32_t rowBytes = 3 * width;  // a multiple of 4: width is a multiple of 160
    const uint64_t pixelBytes = static_cast<uint64_t>(rowBytes) * static_cast<uint64_t>(height);
    if (pixelBytes + kHeadersSize > 0xFFFFFFFFu) {
        result.status = BmpWriteStatus::TooLarge;
        return result;
    }
    if (access(path.c_str(), F_OK) == 0) {
        result.status = BmpWriteStatus::AlreadyExists;
        return result;
    }
    const std::string part = path + ".part";
    int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        result = {BmpWriteStatus::CreateFailed, errno};
        return result;
    }
    auto fail = [&](BmpWriteStatus status, int error) {
        ::close(fd);
        unlink(part.c_str());
        result = {status, error};
        return result;
    };

    uint8_t headers[kHeadersSize] = {'B', 'M'};
    putLittle32(headers + 2, static_cast<uint32_t>(pixelBytes + kHeadersSize));
    putLittle32(headers + 10, kHeadersSize);
    putLittle32(headers + 14, 40);
    putLittle32(headers + 18, static_cast<uint32_t>(width));
    putLittle32(headers + 22, static_cast<uint32_t>(height));  // positive: bottom-up
    putLittle16(headers + 26, 1);
    putLittle16(headers + 28, 24);
    putLittle32(headers + 34, static_cast<uint32_t>(pixelBytes));
    if (!writeAll(fd, headers, sizeof headers, 0)) return fail(BmpWriteStatus::WriteFailed, errno);

    const int32_t columns = width / kSide, rows = height / kSide;
    RowWriter writer(fd, rowBytes, height);
    for (int32_t row = 0; row < rows; ++row) {
        writer.startStrip(row);
        int32_t delivered = source.readStrip(row, 0, columns, writer);
        if (writer.error() != 0) return fail(BmpWriteStatus::WriteFailed, writer.error());
        if (delivered != columns) return fail(BmpWriteStatus::ReadFailed, 0);
        if (progress) progress(row + 1, rows);
    }
    if (!source.unchanged()) return fail(BmpWriteStatus::ReadFailed, 0);
    if (fsync(fd) != 0) return fail(BmpWriteStatus::WriteFailed, errno);
    if (::close(fd) != 0) {
        int error = errno;
        unlink(part.c_str());
        return {BmpWriteStatus::WriteFailed, error};
    }
    // link() refuses to replace a file that appeared meanwhile.
    if (link(part.c_str(), path.c_str()) != 0) {
        int error = errno;
        unlink(part.c_str());
        return {error == EEXIST ? BmpWriteStatus::AlreadyExists : BmpWriteStatus::CreateFailed, error};
    }
    unlink(part.c_str());
    return result;
}
