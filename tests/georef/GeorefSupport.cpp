#include "GeorefSupport.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

int patternSample(int x, int y, int band) { return (x * 7 + y * 3 + band * 50) % 256; }

void makeRaster(const std::string& path, const RasterRecipe& recipe, const SampleAt& sample) {
    startGdal();
    GDALDataType type = recipe.float32 ? GDT_Float32 : recipe.uint16 ? GDT_UInt16 : GDT_Byte;
    GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDatasetUniquePtr raster(mem->Create("", recipe.width, recipe.height, recipe.bands, type, nullptr));
    ASSERT_TRUE(raster);
    std::vector<double> row(static_cast<size_t>(recipe.width));
    for (int b = 1; b <= recipe.bands; ++b) {
        for (int y = 0; y < recipe.height; ++y) {
            for (int x = 0; x < recipe.width; ++x) {
                int value = sample(x, y, b);
                if (!recipe.palette.empty()) value %= static_cast<int>(recipe.palette.size());
                row[static_cast<size_t>(x)] = value;
            }
            ASSERT_EQ(CE_None, raster->GetRasterBand(b)->RasterIO(GF_Write, 0, y, recipe.width, 1, row.data(),
                                                                   recipe.width, 1, GDT_Float64, 0, 0, nullptr));
        }
    }
    if (recipe.exifOrientation)
        raster->SetMetadataItem("EXIF_Orientation", std::to_string(recipe.exifOrientation).c_str());
    if (recipe.pixelIsPoint) raster->SetMetadataItem(GDALMD_AREA_OR_POINT, GDALMD_AOP_POINT);
    if (recipe.noData)
        for (int b = 1; b <= recipe.bands; ++b) raster->GetRasterBand(b)->SetNoDataValue(*recipe.noData);
    if (!recipe.gcps.empty()) {
        std::vector<GDAL_GCP> gcps(recipe.gcps.size());
        GDALInitGCPs(static_cast<int>(gcps.size()), gcps.data());
        for (size_t i = 0; i < gcps.size(); ++i) {
            gcps[i].dfGCPPixel = recipe.gcps[i].pixel;
            gcps[i].dfGCPLine = recipe.gcps[i].line;
            gcps[i].dfGCPX = recipe.gcps[i].x;
            gcps[i].dfGCPY = recipe.gcps[i].y;
        }
        OGRSpatialReference srs;
        srs.SetFromUserInput(recipe.srs.c_str());
        raster->SetGCPs(static_cast<int>(gcps.size()), gcps.data(), &srs);
        GDALDeinitGCPs(static_cast<int>(gcps.size()), gcps.data());
    }
    if (recipe.bands == 4 || recipe.bands == 2)
        raster->GetRasterBand(recipe.bands)->SetColorInterpretation(GCI_AlphaBand);
    if (!recipe.palette.empty()) {
        GDALColorTable table;
        for (size_t i = 0; i < recipe.palette.size(); ++i) {
            GDALColorEntry entry{recipe.palette[i][0], recipe.palette[i][1], recipe.palette[i][2], recipe.palette[i][3]};
            table.SetColorEntry(static_cast<int>(i), &entry);
        }
        raster->GetRasterBand(1)->SetColorTable(&table);
        raster->GetRasterBand(1)->SetColorInterpretation(GCI_PaletteIndex);
    }
    if (!recipe.geoTransform.empty()) {
        std::vector<double> gt = recipe.geoTransform;
        raster->SetGeoTransform(gt.data());
    }
    if (!recipe.srs.empty() && recipe.gcps.empty()) {
        OGRSpatialReference srs;
        srs.SetFromUserInput(recipe.srs.c_str());
        raster->SetSpatialRef(&srs);
    }
    std::vector<char*> options;
    for (const std::string& option : recipe.options) options.push_back(const_cast<char*>(option.c_str()));
    options.push_back(nullptr);
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(recipe.driver.c_str());
    ASSERT_NE(nullptr, driver);
    GDALDatasetUniquePtr written(driver->CreateCopy(path.c_str(), raster.get(), FALSE, options.data(), nullptr, nullptr));
    ASSERT_TRUE(written) << CPLGetLastErrorMsg();
}

namespace {
class PictureSink : public PixelSource::RowSink {
public:
    PictureSink(std::vector<uint8_t>& picture, int32_t width, int32_t row)
        : picture_(picture), width_(width), row_(row) {}
    void takeRow(int32_t pixelRow, const uint8_t* pixels) override {
        std::copy(pixels, pixels + 3 * width_,
                  picture_.begin() + (static_cast<ptrdiff_t>(row_) * 160 + pixelRow) * 3 * width_);
    }

private:
    std::vector<uint8_t>& picture_;
    int32_t width_, row_;
};
}  // namespace

std::vector<uint8_t> readPicture(GeoSource& source) {
    const FittedGrid& grid = source.plan().fitted;
    std::vector<uint8_t> picture(static_cast<size_t>(grid.width) * grid.height * 3);
    for (int32_t row = 0; row < grid.height / 160; ++row) {
        PictureSink sink(picture, grid.width, row);
        EXPECT_EQ(grid.width / 160, source.readStrip(row, 0, grid.width / 160, sink)) << source.readError();
    }
    return picture;
}

Warped gdalwarp(const std::string& path, const std::string& arguments, const std::string& out) {
    std::remove(out.c_str());
    EXPECT_EQ(0, run("gdalwarp -q -of VRT -t_srs EPSG:4326 -dstalpha " + arguments + " '" + path + "' '" + out + "'"));
    Warped warped;
    GDALDatasetUniquePtr raster(GDALDataset::Open(out.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    EXPECT_TRUE(raster);
    if (!raster) return warped;
    double gt[6];
    raster->GetGeoTransform(gt);
    warped.grid = {gt[3], gt[0], -gt[5], gt[1], raster->GetRasterXSize(), raster->GetRasterYSize()};
    raster.reset();
    for (int b = 0; b < 4; ++b) warped.bands[b] = readBand(out, b + 1);
    return warped;
}

int pixelsApart(const std::vector<uint8_t>& picture, int32_t width, const Warped& want, int tolerance) {
    int apart = 0;
    for (int32_t y = 0; y < want.grid.height; ++y) {
        for (int32_t x = 0; x < want.grid.width; ++x) {
            const size_t at = static_cast<size_t>(y) * want.grid.width + x;
            const double alpha = want.bands[3][at];
            const uint8_t* got = &picture[(static_cast<size_t>(y) * width + x) * 3];
            for (int b = 0; b < 3; ++b) {
                const double expected = (want.bands[b][at] * alpha + 255 * (255 - alpha)) / 255;
                if (std::fabs(got[2 - b] - expected) > tolerance + 0.5) {
                    if (++apart <= 3) ADD_FAILURE() << "pixel " << x << "," << y << " band " << b + 1 << ": "
                                                   << int(got[2 - b]) << ", gdalwarp " << expected;
                    break;
                }
            }
        }
    }
    return apart;
}

std::vector<uint8_t> bmpPixelBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 54) return {};
    uint32_t offset = bytes[10] | bytes[11] << 8 | bytes[12] << 16 | static_cast<uint32_t>(bytes[13]) << 24;
    return std::vector<uint8_t>(bytes.begin() + offset, bytes.end());
}

std::vector<double> readBand(const std::string& path, int band) {
    startGdal();
    GDALDatasetUniquePtr raster(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    EXPECT_TRUE(raster) << path;
    if (!raster) return {};
    std::vector<double> values(static_cast<size_t>(raster->GetRasterXSize()) * raster->GetRasterYSize());
    EXPECT_EQ(CE_None, raster->GetRasterBand(band)->RasterIO(GF_Read, 0, 0, raster->GetRasterXSize(),
                                                             raster->GetRasterYSize(), values.data(),
                                                             raster->GetRasterXSize(), raster->GetRasterYSize(),
                                                             GDT_Float64, 0, 0, nullptr));
    return values;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

int run(const std::string& command) { return std::system(command.c_str()); }
