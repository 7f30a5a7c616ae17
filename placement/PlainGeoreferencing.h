#pragma once
// Where a picture lies when there is no GDAL to ask (the Windows build): typed corners, the
// GeoTIFF tags the picture's decoder read, or a world file beside it with a .prj or --srs.
// Geographic latitude/longitude on WGS84, JGD2000 or JGD2011 only, north-up; anything
// else (a projected system, another datum, control points, a rotated grid) is refused in
// one line that names what it is and says that the Linux build's import handles it.
// The grid found is the one GDAL's reading gives for the same files, so both builds make
// the same map.

#include <cstdint>
#include <string>
#include <vector>

#include "ImportPlan.h"

// A GeoTIFF's georeferencing tags as the file holds them; empty when absent.
struct GeoTiffTags {
    std::vector<double> pixelScale;      // ModelPixelScaleTag (33550)
    std::vector<double> tiepoints;       // ModelTiepointTag (33922)
    std::vector<double> transformation;  // ModelTransformationTag (34264)
    std::vector<uint16_t> geoKeys;       // GeoKeyDirectoryTag (34735)
    std::vector<double> geoDoubles;      // GeoDoubleParamsTag (34736)
    std::string geoAscii;                // GeoAsciiParamsTag (34737)

    bool present() const { return !pixelScale.empty() || !tiepoints.empty() || !transformation.empty(); }
};

struct PlainGeoreferencing {
    LatLonGrid grid;           // the picture's pixels on WGS84 latitude/longitude
    std::string description;   // where the corners came from, as the report says it
    std::vector<std::string> warnings;
};

// Finds where the picture of width x height pixels at request.sourcePath lies: the typed
// corners of request, else tags, else a world file beside the source (.tfw, .pgw, .jgw,
// .wld, .bpw and the other names GDAL looks for) in the system of its .prj or of
// request.srs. Ready, or the refusal's status with message (one or more sentences, the
// file's name left to the caller). The statuses and messages are those of the reading
// through GDAL; what only that reading can place is refused with BadCoordinateSystem
// (another system) or NoGeoreferencing (rotation terms, not north-up, control points).
ImportStatus findPlainGeoreferencing(const ImportRequest& request, int32_t width, int32_t height,
                                     const GeoTiffTags& tags, PlainGeoreferencing& found, std::string& message);
