#include "AutoExtents.h"

#include <cstdint>

#include "Angles.h"
#include "MapExtents.h"

bool resolveAutoExtents(ConvertArguments& args, std::string& error, std::string& note) {
    if (!isAutoDistance(args.eastWest) && !isAutoDistance(args.northSouth)) return true;
    MapCorners corners{angleFromText(args.topLeft.latitude, kLatitudeDegreesMaxLength),
                       angleFromText(args.topLeft.longitude, kLongitudeDegreesMaxLength),
                       angleFromText(args.bottomRight.latitude, kLatitudeDegreesMaxLength),
                       angleFromText(args.bottomRight.longitude, kLongitudeDegreesMaxLength)};
    const uint32_t quarter = 90u * 3600000, half = 180u * 3600000;
    if (!(corners.topLeftLatitude > corners.bottomRightLatitude) ||
        !(corners.topLeftLongitude < corners.bottomRightLongitude) || corners.topLeftLatitude > quarter ||
        corners.bottomRightLongitude > half) {
        error = "auto extents need a top-left corner north and west of the bottom-right one, within 90 degrees "
                "of latitude and 180 of longitude";
        return false;
    }
    MapExtents extents = extentsOf(corners);
    for (int64_t metres : {extents.eastWestMetres, extents.northSouthMetres}) {
        if (metres < 1 || metres > 9999999) {
            error = "the auto extent of " + std::to_string(metres) + " m is outside 1 to 9999999 m";
            return false;
        }
    }
    note = "extents worked out on WGS84:";
    if (isAutoDistance(args.eastWest)) {
        args.eastWest = std::to_string(extents.eastWestMetres);
        note += " --east-west " + args.eastWest;
    }
    if (isAutoDistance(args.northSouth)) {
        args.northSouth = std::to_string(extents.northSouthMetres);
        note += " --north-south " + args.northSouth;
    }
    return true;
}
