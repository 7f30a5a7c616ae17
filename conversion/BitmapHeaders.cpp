#include "BitmapHeaders.h"

#include "BigEndian.h"

HeaderReading readBitmapHeaders(const uint8_t* bytes, size_t count, HeaderLayout layout, BitmapHeaders& headers) {
    headers = BitmapHeaders{};
    if (count < 2 || bytes[0] != 'B' || bytes[1] != 'M') return HeaderReading::NotBitmap;
    const bool declared = layout == HeaderLayout::Declared;
    // The size field's own end: before it the kind is unknown, and the 40-byte one is assumed.
    if (count < kBitmapFileHeaderSize + 4u) return HeaderReading::EndsInHeaders;
    headers.headerSize = getLittleEndian32(bytes + 14);
    const bool core = declared && headers.core();
    const size_t end = kBitmapFileHeaderSize + (core ? kBitmapCoreHeaderSize : kBitmapInfoHeaderSize);
    if (count < end) return HeaderReading::EndsInHeaders;
    if (declared && !core && headers.headerSize < kBitmapInfoHeaderSize) return HeaderReading::UnknownHeader;

    headers.fileSize = getLittleEndian32(bytes + 2);
    headers.pixelDataOffset = getLittleEndian32(bytes + 10);
    if (core) {
        headers.width = getLittleEndian16(bytes + 18);
        headers.height = getLittleEndian16(bytes + 20);
        headers.planes = getLittleEndian16(bytes + 22);
        headers.bitsPerPixel = getLittleEndian16(bytes + 24);
        return HeaderReading::Read;  // no compression field: never compressed
    }
    headers.width = static_cast<int32_t>(getLittleEndian32(bytes + 18));
    headers.height = static_cast<int32_t>(getLittleEndian32(bytes + 22));
    headers.planes = getLittleEndian16(bytes + 26);
    headers.bitsPerPixel = getLittleEndian16(bytes + 28);
    headers.compression = getLittleEndian32(bytes + 30);
    return HeaderReading::Read;
}

HeaderReading readBitmapHeaders(FileReading& files, FileReading::Handle file, HeaderLayout layout,
                                BitmapHeaders& headers) {
    uint8_t bytes[kBitmapHeadersSize] = {};
    const int64_t read = files.readAt(file, 0, bytes, sizeof bytes);
    return readBitmapHeaders(bytes, read > 0 ? static_cast<size_t>(read) : 0, layout, headers);
}

UnsupportedKind unsupportedKind(const BitmapHeaders& headers) {
    if (headers.core()) return UnsupportedKind::CoreHeader;
    if (headers.bitsPerPixel != 24) return UnsupportedKind::NotTrueColour;
    if (headers.compression != 0) return UnsupportedKind::Compressed;
    if (headers.topDown()) return UnsupportedKind::TopDown;
    return UnsupportedKind::None;
}

bool impossibleSize(const BitmapHeaders& headers) { return headers.width <= 0 || headers.height == 0; }
