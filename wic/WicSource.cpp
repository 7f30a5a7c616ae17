#include "WicSource.h"

#include <algorithm>

#include "FileServices.h"
#include "PlainGeoreferencing.h"
#include "WicCom.h"
#include "WicGeoTiffTags.h"
#include "WicPixels.h"

namespace {

// Picture rows read at a time: a fifth of a strip keeps the buffers small.
constexpr int32_t kRowsPerRead = 32;

// The picture's bytes, read through the file services' handle at the stream's position.
class InputStream final : public OffsetStream {
public:
    InputStream(FileReading& files, FileReading::Handle file, uint64_t size)
        : OffsetStream(size), files_(files), file_(file) {}

protected:
    HRESULT readAt(uint64_t offset, void* data, ULONG size, ULONG& done) override {
        done = 0;
        int64_t got = files_.readAt(file_, offset, data, size);
        if (got < 0) return HRESULT_FROM_WIN32(static_cast<DWORD>(files_.lastError()));
        done = static_cast<ULONG>(got);
        return S_OK;
    }

private:
    FileReading& files_;
    FileReading::Handle file_;
};

WICBitmapInterpolationMode interpolationOf(Resampling resampling) {
    switch (resampling) {
        case Resampling::Nearest: return WICBitmapInterpolationModeNearestNeighbor;
        case Resampling::Bilinear: return WICBitmapInterpolationModeLinear;
        case Resampling::Cubic: return WICBitmapInterpolationModeCubic;
    }
    return WICBitmapInterpolationModeNearestNeighbor;
}

bool isMissing(int error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace

struct WicSource::Wic {
    FileReading& files = platformFileReading();
    FileReading::Handle file = FileReading::kNoFile;
    FileIdentity identity;
    std::string path;
    std::unique_ptr<InputStream> stream;
    WicSession session;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    IWICBitmapScaler* scaler = nullptr;
    IWICBitmapSource* pixels = nullptr;  // one of the above, not held on its own
    WicPixels layout;
    std::vector<uint8_t> copied;
    std::vector<uint8_t> samples8;
    std::vector<uint16_t> samples16;
    std::vector<uint8_t> bgr;  // kRowsPerRead rows of the part of a strip read
    std::vector<uint8_t> row;

    ~Wic() {
        release(scaler);
        release(converter);
        release(frame);
        release(decoder);
        if (file != FileReading::kNoFile) files.close(file);
    }
};

ImportStatus openImportSource(const ImportRequest& request, std::unique_ptr<ImportSource>& source,
                              std::string& message) {
    std::unique_ptr<WicSource> opened;
    ImportStatus status = WicSource::open(request, opened, message);
    source = std::move(opened);
    return status;
}

// Cutting a window out of the picture, stretching deep samples, warping by control points
// and resampling to a chosen grid are GDAL's work.
std::string optionBeyondReader(const ImportRequest& request) {
    if (request.window) return "--window";
    if (request.stretch) return "--stretch";
    if (!request.controlPoints.empty()) return "--gcp";
    if (request.transform) return "--transform";
    if (request.size) return request.size->byResolution() ? "--resolution" : "--size";
    return "";
}

WicSource::WicSource() : wic_(std::make_unique<Wic>()) {}
WicSource::~WicSource() = default;

ImportStatus WicSource::open(const ImportRequest& request, std::unique_ptr<WicSource>& result, std::string& message) {
    std::unique_ptr<WicSource> source(new WicSource());
    Wic& w = *source->wic_;
    ImportPlan& plan = source->plan_;
    const std::string& path = request.sourcePath;
    w.path = path;
    auto refuse = [&](ImportStatus status, const std::string& why) {
        message = path + ": " + why;
        return status;
    };
    auto unreadable = [&](const char* what, HRESULT hr) {
        return refuse(ImportStatus::SourceUnreadable,
                      "the Windows Imaging Component cannot read it: " + hresultText(what, hr));
    };

    // Regular files only, never waiting on a pipe; the handle is what the decoder reads.
    w.file = w.files.openForReading(path.c_str());
    if (w.file == FileReading::kNoFile) {
        const int error = w.files.lastError();
        std::string why = "it cannot be opened (" + systemErrorText(error) + ")";
        return refuse(ImportStatus::SourceUnreadable, isMissing(error) ? "no such file: " + why : why);
    }
    if (!w.files.identify(w.file, w.identity)) w.identity = FileIdentity{};
    const int64_t size = w.files.fileSize(w.file);
    w.stream = std::make_unique<InputStream>(w.files, w.file, size < 0 ? 0 : static_cast<uint64_t>(size));

    std::string failure;
    if (!w.session.start(failure)) return refuse(ImportStatus::SourceUnreadable, failure);
    IWICImagingFactory& factory = w.session.factory();
    HRESULT hr = factory.CreateDecoderFromStream(w.stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, &w.decoder);
    if (FAILED(hr)) return unreadable("finding its decoder", hr);
    if (FAILED(hr = w.decoder->GetFrame(0, &w.frame))) return unreadable("reading its first picture", hr);
    UINT width = 0, height = 0;
    if (FAILED(hr = w.frame->GetSize(&width, &height))) return unreadable("reading its size", hr);
    plan.sourceWidth = static_cast<int32_t>(width);
    plan.sourceHeight = static_cast<int32_t>(height);

    WICPixelFormatGUID native{};
    if (FAILED(hr = w.frame->GetPixelFormat(&native))) return unreadable("reading its pixel format", hr);
    IWICPalette* palette = nullptr;
    if (SUCCEEDED(factory.CreatePalette(&palette)) && FAILED(w.frame->CopyPalette(palette))) release(palette);
    const bool chosen = choosePixels(native, palette, w.layout);
    release(palette);
    if (!chosen) return refuse(ImportStatus::UnsupportedPixels, "its palette cannot be read");

    PlainGeoreferencing found;
    ImportStatus status =
        findPlainGeoreferencing(request, plan.sourceWidth, plan.sourceHeight, readGeoTiffTags(*w.frame), found, message);
    if (status != ImportStatus::Ready) return refuse(status, message);
    plan.georeferencing = found.description;
    plan.warnings.insert(plan.warnings.end(), found.warnings.begin(), found.warnings.end());
    status = planMap(found.grid, request, plan, message);
    if (status != ImportStatus::Ready) return refuse(status, message);

    // Palette indices cannot be blended: a smooth scale reads the palette's colours.
    const bool scaled = plan.fitted.scaled;
    if (scaled && request.resampling != Resampling::Nearest && w.layout.layout.kind == SampleLayout::Kind::Palette)
        copyAsBgra(w.layout);
    w.pixels = w.frame;
    if (w.layout.converted) {
        if (FAILED(hr = factory.CreateFormatConverter(&w.converter)) ||
            FAILED(hr = w.converter->Initialize(w.frame, w.layout.copyFormat, WICBitmapDitherTypeNone, nullptr, 0.0,
                                                WICBitmapPaletteTypeCustom)))
            return unreadable("converting its pixels", hr);
        w.pixels = w.converter;
    }
    if (scaled) {
        if (FAILED(hr = factory.CreateBitmapScaler(&w.scaler)) ||
            FAILED(hr = w.scaler->Initialize(w.pixels, static_cast<UINT>(plan.fitted.width),
                                             static_cast<UINT>(plan.fitted.height),
                                             interpolationOf(request.resampling))))
            return unreadable("scaling it", hr);
        w.pixels = w.scaler;
    }
    result = std::move(source);
    return ImportStatus::Ready;
}

int32_t WicSource::readStrip(int32_t row, int32_t firstColumn, int32_t columnCount, RowSink& sink) {
    Wic& w = *wic_;
    const FittedGrid& fitted = plan_.fitted;
    // A scaled picture shows source pixels everywhere; a padded one from its top-left corner.
    Strip strip;
    if (!stripOf(row, firstColumn, columnCount, fitted.scaled ? fitted.width : fitted.keptWidth,
                 fitted.scaled ? fitted.height : fitted.keptHeight, strip))
        return 0;
    const int32_t x0 = strip.x0, y0 = strip.y0, width = strip.width;
    const int32_t shownWidth = strip.shownWidth, shownHeight = strip.shownHeight;
    w.row.resize(static_cast<size_t>(width) * 3);
    for (int32_t first = 0; first < kTileSide; first += kRowsPerRead) {
        const int32_t shownRows = std::clamp(shownHeight - first, 0, kRowsPerRead);
        if (shownWidth > 0 && shownRows > 0 && !readPixels(x0, y0 + first, shownWidth, shownRows)) return 0;
        for (int32_t r = 0; r < kRowsPerRead; ++r) {
            // White where no source pixel shows: the whole row below the picture, else
            // only east of it.
            const size_t shownBytes = r < shownRows ? 3 * static_cast<size_t>(shownWidth) : 0;
            std::fill(w.row.begin() + static_cast<std::ptrdiff_t>(shownBytes), w.row.end(), 0xFF);
            if (shownBytes > 0)
                std::copy_n(w.bgr.begin() + static_cast<std::ptrdiff_t>(r * shownBytes), shownBytes, w.row.begin());
            sink.takeRow(first + r, w.row.data());
        }
    }
    return columnCount;
}

bool WicSource::readPixels(int32_t x0, int32_t y0, int32_t width, int32_t rows) {
    Wic& w = *wic_;
    const UINT stride = (static_cast<UINT>(width) * static_cast<UINT>(w.layout.bitsPerPixel) + 7) / 8;
    w.copied.resize(static_cast<size_t>(stride) * rows);
    const WICRect rect{x0, y0, width, rows};
    HRESULT hr = w.pixels->CopyPixels(&rect, stride, static_cast<UINT>(w.copied.size()), w.copied.data());
    if (FAILED(hr)) {
        readError_ = "the Windows Imaging Component could not read the pixels: " + hresultText("decoding", hr);
        return false;
    }
    w.bgr.resize(static_cast<size_t>(width) * rows * 3);
    for (int32_t r = 0; r < rows; ++r) {
        prepareSamples(w.layout, w.copied.data() + static_cast<size_t>(r) * stride, width, w.samples8, w.samples16);
        uint8_t* out = w.bgr.data() + static_cast<size_t>(r) * width * 3;
        if (w.layout.deep) convertToBgr(w.samples16.data(), width, w.layout.layout, out);
        else convertToBgr(w.samples8.data(), width, w.layout.layout, out);
    }
    return true;
}

void WicSource::inputFiles(std::vector<FileIdentity>& files) const {
    if (wic_->identity.device != 0 || wic_->identity.file != 0) files.push_back(wic_->identity);
}

bool WicSource::unchanged() {
    FileIdentity now;
    return wic_->files.identify(wic_->file, now) && now == wic_->identity &&
           wic_->files.identifyPath(wic_->path.c_str(), now) && now == wic_->identity;
}
