// Control points: a QGIS georeferencer's .points file read, the points checked against the
// transform asked for, and how far its fit leaves each of them.

#include <gdal_alg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "FileServices.h"
#include "GdalRaster.h"

namespace {

// The fewest points each transform can be fitted to, as GDAL's transformers ask.
int fewestPoints(GcpTransform transform) {
    switch (transform) {
        case GcpTransform::Poly1: return 3;
        case GcpTransform::Poly2: return 6;
        case GcpTransform::Poly3: return 10;
        case GcpTransform::ThinPlateSpline: return 3;
    }
    return 3;
}

const char* optionName(GcpTransform transform) {
    switch (transform) {
        case GcpTransform::Poly1: return "poly1";
        case GcpTransform::Poly2: return "poly2";
        case GcpTransform::Poly3: return "poly3";
        case GcpTransform::ThinPlateSpline: return "tps";
    }
    return "poly1";
}

std::string number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// Whether the points lie on one line (or on one spot): the smaller spread of their
// positions, across the line that fits them best, is nothing beside the larger one.
bool onOneLine(const std::vector<PlacedPoint>& points, bool onPicture) {
    double meanX = 0, meanY = 0;
    for (const PlacedPoint& p : points) {
        meanX += onPicture ? p.pixel : p.x;
        meanY += onPicture ? p.line : p.y;
    }
    meanX /= points.size();
    meanY /= points.size();
    double xx = 0, yy = 0, xy = 0;
    for (const PlacedPoint& p : points) {
        const double dx = (onPicture ? p.pixel : p.x) - meanX, dy = (onPicture ? p.line : p.y) - meanY;
        xx += dx * dx;
        yy += dy * dy;
        xy += dx * dy;
    }
    const double half = (xx + yy) / 2, spread = std::sqrt((xx - yy) * (xx - yy) / 4 + xy * xy);
    const double larger = half + spread, smaller = half - spread;
    return !(larger > 0) || smaller <= 1e-12 * larger;
}

std::string trimmed(const std::string& text) {
    const char* space = " \t\r";
    size_t first = text.find_first_not_of(space);
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(space) - first + 1);
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        size_t comma = line.find(',', start);
        fields.push_back(trimmed(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

bool readNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value);
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string pointsFileOf(const std::string& sourcePath) {
    const std::string path = sourcePath + ".points";
    if (sourcePath.rfind("/vsistdin", 0) == 0) return "";
    FileReading& files = platformFileReading();
    FileReading::Handle file = files.openForReading(path.c_str());
    if (file == FileReading::kNoFile) return "";
    files.close(file);
    return path;
}

ImportStatus readPointsFile(const std::string& path, const double* pictureGrid, PointsFile& read,
                            std::string& message) {
    std::string text;
    if (!readSmallFile(path, text)) {
        message = "the control points in " + path + " cannot be read";
        return ImportStatus::ControlPointsRefused;
    }
    // QGIS counts a picture without georeferencing in pixels with the line negative; one
    // with georeferencing in its own coordinates, which its grid turns back into pixels.
    double inverse[6] = {0, 1, 0, 0, 0, -1};
    if (pictureGrid && !GDALInvGeoTransform(const_cast<double*>(pictureGrid), inverse)) {
        message = "the picture's own grid cannot be inverted to place the points of " + path;
        return ImportStatus::ControlPointsRefused;
    }
    int columns[5] = {0, 1, 2, 3, 4};  // mapX, mapY, sourceX, sourceY, enable
    size_t lineNumber = 0, start = 0;
    int row = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const std::string where = path + " line " + std::to_string(lineNumber);
        if (line.rfind("#CRS:", 0) == 0) {
            read.srsDefinition = trimmed(line.substr(5));
            continue;
        }
        std::vector<std::string> fields = fieldsOf(line);
        if (fields.size() == 1 && fields[0].empty()) continue;
        std::string head = lowered(fields[0]);
        if (!head.empty() && head[0] == '#') head.erase(0, 1);
        if (head == "mapx") {
            // The header names the columns; QGIS 2 called the source ones pixelX, pixelY.
            const char* names[5] = {"mapx", "mapy", "sourcex", "sourcey", "enable"};
            const char* older[5] = {"mapx", "mapy", "pixelx", "pixely", "enable"};
            for (int c = 0; c < 5; ++c) {
                columns[c] = -1;
                for (size_t f = 0; f < fields.size(); ++f) {
                    std::string name = lowered(fields[f]);
                    if (!name.empty() && name[0] == '#') name.erase(0, 1);
                    if (name == names[c] || name == older[c]) columns[c] = static_cast<int>(f);
                }
                if (columns[c] < 0 && c < 4) {
                    const char* shown[4] = {"mapX", "mapY", "sourceX", "sourceY"};
                    message = where + " names no " + shown[c] + " column";
                    return ImportStatus::ControlPointsRefused;
                }
            }
            continue;
        }
        if (line.rfind('#', 0) == 0) continue;
        ++row;
        double values[4];
        for (int c = 0; c < 4; ++c) {
            if (columns[c] >= static_cast<int>(fields.size()) || !readNumber(fields[columns[c]], values[c])) {
                message = where + " is not a control point (mapX,mapY,sourceX,sourceY,enable): " + line;
                return ImportStatus::ControlPointsRefused;
            }
        }
        if (columns[4] >= 0 && columns[4] < static_cast<int>(fields.size()) && fields[columns[4]] == "0") {
            ++read.disabled;
            continue;
        }
        PlacedPoint point;
        point.id = std::to_string(row);
        point.x = values[0];
        point.y = values[1];
        point.pixel = inverse[0] + values[2] * inverse[1] + values[3] * inverse[2];
        point.line = inverse[3] + values[2] * inverse[4] + values[3] * inverse[5];
        read.points.push_back(point);
    }
    return ImportStatus::Ready;
}

ImportStatus checkControlPoints(const std::vector<PlacedPoint>& points, GcpTransform transform, int width,
                                int height, bool mustLieInside, std::string& message) {
    const int needed = fewestPoints(transform);
    if (static_cast<int>(points.size()) < needed) {
        message = std::string("--transform ") + optionName(transform) + " (" + transformDescription(transform) +
                  ") needs at least " + std::to_string(needed) + " control points; " +
                  std::to_string(points.size()) + (points.size() == 1 ? " is" : " are") + " given";
        return ImportStatus::ControlPointsRefused;
    }
    for (const PlacedPoint& p : points) {
        if (mustLieInside && (p.pixel < 0 || p.line < 0 || p.pixel > width || p.line > height)) {
            message = "control point " + p.id + " (pixel " + number(p.pixel) + ", line " + number(p.line) +
                      ") lies outside the picture of " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels (pixel 0 to " + std::to_string(width) + ", line 0 to " + std::to_string(height) +
                      ", from the top-left corner)";
            return ImportStatus::ControlPointsRefused;
        }
    }
    for (bool onPicture : {true, false}) {
        if (onOneLine(points, onPicture)) {
            message = std::string("the control points lie on one line ") +
                      (onPicture ? "on the picture" : "on the map") +
                      ", which places nothing beside it: give at least 3 that are not on one line";
            return ImportStatus::ControlPointsRefused;
        }
    }
    return ImportStatus::Ready;
}

ImportStatus fitControlPoints(const std::vector<PlacedPoint>& points, GcpTransform transform,
                              std::vector<ControlPointFit>& fits, std::string& message) {
    std::vector<GDAL_GCP> gcps(points.size());
    GDALInitGCPs(static_cast<int>(gcps.size()), gcps.data());
    for (size_t i = 0; i < points.size(); ++i) {
        gcps[i].dfGCPPixel = points[i].pixel;
        gcps[i].dfGCPLine = points[i].line;
        gcps[i].dfGCPX = points[i].x;
        gcps[i].dfGCPY = points[i].y;
    }
    const bool spline = transform == GcpTransform::ThinPlateSpline;
    const int count = static_cast<int>(gcps.size());
    CPLErrorReset();
    void* transformer = spline ? GDALCreateTPSTransformer(count, gcps.data(), FALSE)
                               : GDALCreateGCPTransformer(count, gcps.data(), static_cast<int>(transform) + 1, FALSE);
    GDALDeinitGCPs(count, gcps.data());
    if (!transformer) {
        message = "the " + std::to_string(count) + " control points do not fit " + transformDescription(transform) +
                  ": " + gdalMessage("GDAL could not solve it");
        return ImportStatus::ControlPointsRefused;
    }
    for (const PlacedPoint& point : points) {
        double x = point.x, y = point.y, z = 0;
        int ok = 0;
        if (spline) GDALTPSTransform(transformer, TRUE, 1, &x, &y, &z, &ok);
        else GDALGCPTransform(transformer, TRUE, 1, &x, &y, &z, &ok);
        ControlPointFit fit;
        fit.id = point.id;
        fit.pixel = point.pixel;
        fit.line = point.line;
        fit.residualPixels = ok ? std::hypot(x - point.pixel, y - point.line) : HUGE_VAL;
        fits.push_back(fit);
    }
    if (spline) GDALDestroyTPSTransformer(transformer);
    else GDALDestroyGCPTransformer(transformer);
    return ImportStatus::Ready;
}
