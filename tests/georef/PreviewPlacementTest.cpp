// The preview of a map, placed on the ground: GDAL opens the PNG with the world file and
// .aux.xml written beside it, and the corners it reads are the index's. A preview that
// fails leaves none of the three.

#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <csignal>
#include <filesystem>

#include "MadeMap.h"
#include "MapFiles.h"
#include "MapPreview.h"
#include "MapRecords.h"

namespace fs = std::filesystem;

namespace {

SettingsText settingsWithCorners(AngleText north, AngleText west, AngleText south, AngleText east) {
    SettingsText settings = workedExampleSettings();
    settings.topLeftLatitude = north;
    settings.topLeftLongitude = west;
    settings.bottomRightLatitude = south;
    settings.bottomRightLongitude = east;
    return settings;
}

IndexFields readIndex(const fs::path& index) {
    uint8_t record[160];
    ReadResult read = readFileStart(index, record, sizeof record);
    IndexFields fields;
    std::vector<FormatViolation> violations;
    EXPECT_EQ(read.status, ReadStatus::Read);
    EXPECT_TRUE(decodeIndex(record, read.size, fields, violations));
    return fields;
}

double degrees(uint32_t milliseconds) { return milliseconds / 3600000.0; }

// GDAL opens png on WGS84 latitude/longitude, longitude along the rows, its top-left
// corner on the index's and a pixel of scale x scale of the map's. Its east and south
// edges are the index's, or lie within the last block when scale cuts it short.
void expectPlacedOnIndex(const fs::path& png, const fs::path& index, int32_t scale) {
    GDALAllRegister();
    GDALDatasetUniquePtr opened(GDALDataset::Open(png.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    ASSERT_TRUE(opened) << png;
    const OGRSpatialReference* srs = opened->GetSpatialRef();
    ASSERT_NE(srs, nullptr) << "no coordinate system read beside " << png;
    EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "4326");
    EXPECT_EQ(srs->GetDataAxisToSRSAxisMapping(), (std::vector<int>{2, 1}));
    double gt[6];
    ASSERT_EQ(opened->GetGeoTransform(gt), CE_None) << "no world file read beside " << png;
    EXPECT_EQ(gt[2], 0.0);
    EXPECT_EQ(gt[4], 0.0);

    const IndexFields f = readIndex(index);
    const int32_t width = static_cast<int32_t>(f.tileColumns) * 160, height = static_cast<int32_t>(f.tileRows) * 160;
    const double west = degrees(f.topLeftLongitude), north = degrees(f.topLeftLatitude);
    const double east = degrees(f.bottomRightLongitude), south = degrees(f.bottomRightLatitude);
    const double tolerance = 1e-9;
    EXPECT_NEAR(gt[0], west, tolerance);
    EXPECT_NEAR(gt[3], north, tolerance);
    EXPECT_NEAR(gt[1], (east - west) / width * scale, tolerance);
    EXPECT_NEAR(gt[5], -(north - south) / height * scale, tolerance);
    const double pngEast = gt[0] + gt[1] * opened->GetRasterXSize();
    const double pngSouth = gt[3] + gt[5] * opened->GetRasterYSize();
    if (width % scale == 0) {
        EXPECT_NEAR(pngEast, east, tolerance);
    }
    EXPECT_GE(pngEast, east - tolerance);
    EXPECT_LT(pngEast, east + gt[1]);
    if (height % scale == 0) {
        EXPECT_NEAR(pngSouth, south, tolerance);
    }
    EXPECT_LE(pngSouth, south + tolerance);
    EXPECT_GT(pngSouth, south + gt[5]);
}

TEST(PreviewPlacement, GdalReadsTheIndexsCornersFromTheFilesBesideThePng) {
    struct Case {
        int32_t width, height;
        SettingsText settings;
        std::vector<int32_t> scales;
    };
    const Case cases[] = {
        {480, 480, workedExampleSettings(), {1, 2, 160}},
        {800, 640, settingsWithCorners({"43", "0", "0"}, {"141", "0", "0"}, {"42", "30", "0"}, {"142", "0", "0"}),
         {1, 3, 7}},
        {640, 960, settingsWithCorners({"35", "10", "30"}, {"135", "20", "15"}, {"34", "50", "0"}, {"135", "35", "45"}),
         {4, 5}},
    };
    for (const Case& c : cases) {
        MadeMap map(c.width, c.height, c.settings);
        for (int32_t scale : c.scales) {
            SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " at scale " + std::to_string(scale));
            PreviewReport report = previewMap(map.index(), map.file("map.png"), scale);
            ASSERT_EQ(report.outcome, PreviewOutcome::Written) << report.failure;
            EXPECT_TRUE(fs::is_regular_file(map.file("map.pgw")));
            expectPlacedOnIndex(map.file("map.png"), map.index(), scale);
        }
    }
}

// Neither the PNG nor a file beside it, nor a temporary, stands in folder.
void expectNothingOfThePreview(const fs::path& folder) {
    for (const char* name : {"map.png", "map.pgw", "map.png.aux.xml"})
        EXPECT_FALSE(fs::is_regular_file(folder / name)) << name;
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

TEST(PreviewPlacement, AFailedOrStoppedPreviewLeavesNoneOfTheThree) {
    struct Case {
        const char* what;
        const char* folderAt;  // a folder made where one of the files goes, or null
        bool stopped;
        PreviewOutcome outcome;
    };
    const Case cases[] = {
        {"a folder where the world file goes", "map.pgw", false, PreviewOutcome::ImageFailed},
        {"a folder where the .aux.xml goes", "map.png.aux.xml", false, PreviewOutcome::ImageFailed},
        {"a folder where the PNG goes", "map.png", false, PreviewOutcome::ImageFailed},
        {"a stop", nullptr, true, PreviewOutcome::Interrupted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MadeMap map(480, 480);
        if (c.folderAt != nullptr) fs::create_directory(map.file(c.folderAt));
        volatile std::sig_atomic_t stop = c.stopped ? SIGINT : 0;
        PreviewReport report = previewMap(map.index(), map.file("map.png"), 1, &stop);
        EXPECT_EQ(report.outcome, c.outcome) << report.failure;
        if (c.folderAt != nullptr) {
            EXPECT_NE(report.failure.find(c.folderAt), std::string::npos) << report.failure;
            fs::remove(map.file(c.folderAt));
        }
        expectNothingOfThePreview(map.file(""));
    }
}

}  // namespace
