#include "ImportReport.h"

#include <cstdio>
#include <filesystem>

#include "ConversionJob.h"
#include "ShellWord.h"

namespace {

std::string convertLine(const ReportNames& names, const MapCorners& c, const MapExtents& e) {
    return "tessella convert " + shellWord(names.bitmap) + " --name " + shellWord(names.mapName) + " --folder " +
           shellWord(names.folder) + " --top-left " + cornerArgument(c.topLeftLatitude, c.topLeftLongitude) +
           " --bottom-right " + cornerArgument(c.bottomRightLatitude, c.bottomRightLongitude) + " --east-west " +
           std::to_string(e.eastWestMetres) + " --north-south " + std::to_string(e.northSouthMetres);
}

std::string dialogAngle(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%3u %2u %2u", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
    return text;
}

std::string metresText(double metres) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f m", metres);
    return text;
}

}  // namespace

ReportNames defaultReportNames(const std::string& source) {
    return {source, std::filesystem::path(source).replace_extension(".bmp").string(), "NAME", "FOLDER"};
}

std::string dmsText(uint32_t ms) {
    char text[40];
    if (ms % 1000 == 0) {
        std::snprintf(text, sizeof text, "%u:%02u:%02u", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
    } else {
        std::snprintf(text, sizeof text, "%u:%02u:%02u.%03u", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                      ms % 1000);
    }
    return text;
}

std::string cornerArgument(uint32_t latitude, uint32_t longitude) {
    if (latitude % 1000 == 0 && longitude % 1000 == 0) return dmsText(latitude) + "," + dmsText(longitude);
    char text[64];
    std::snprintf(text, sizeof text, "%.9f,%.9f", degreesOf(latitude), degreesOf(longitude));
    return text;
}

std::string importReport(const ImportPlan& plan, FitMode fit, const ReportNames& names) {
    const FittedGrid& f = plan.fitted;
    const MapCorners& c = plan.corners;
    std::string text = names.source + ": " + std::to_string(plan.sourceWidth) + " x " +
                       std::to_string(plan.sourceHeight) + " pixels; corners from " + plan.georeferencing + "\n";
    text += "Map picture: " + std::to_string(f.width) + " x " + std::to_string(f.height) + " pixels (" +
            std::to_string(f.width / kTileSide) + " x " + std::to_string(f.height / kTileSide) + " tiles)";
    const int32_t gridWidth = plan.warped && fit == FitMode::Scale ? f.width : f.keptWidth;
    const int32_t gridHeight = plan.warped && fit == FitMode::Scale ? f.height : f.keptHeight;
    if (fit == FitMode::Pad && (f.width != gridWidth || f.height != gridHeight)) {
        text += ", white added: " + std::to_string(f.width - gridWidth) + " columns east, " +
                std::to_string(f.height - gridHeight) + " rows south";
    } else if (fit == FitMode::Crop && plan.warped == false &&
               (f.width != plan.sourceWidth || f.height != plan.sourceHeight)) {
        text += ", cropped: " + std::to_string(plan.sourceWidth - f.width) + " columns east, " +
                std::to_string(plan.sourceHeight - f.height) + " rows south";
    } else if (f.scaled) {
        text += ", scaled from " + std::to_string(f.keptWidth) + " x " + std::to_string(f.keptHeight);
    }
    if (plan.unsizedWidth > 0) {
        text += "; the picture" + std::string(plan.warped ? ", warped" : "") + (plan.window ? ", in its window" : "") +
                ", was " + std::to_string(plan.unsizedWidth) + " x " + std::to_string(plan.unsizedHeight) +
                " pixels before --resolution or --size";
    }
    text += "\n";
    if (!plan.paddingNote.empty()) text += "Note: " + plan.paddingNote + "\n";
    text += "Top-left:     " + dmsText(c.topLeftLatitude) + " N, " + dmsText(c.topLeftLongitude) + " E\n";
    text += "Bottom-right: " + dmsText(c.bottomRightLatitude) + " N, " + dmsText(c.bottomRightLongitude) + " E\n";
    if (plan.window) {
        const GeoWindow& w = *plan.window;
        text += "Window:       " + cornerArgument(static_cast<uint32_t>(millisecondsOfArc(w.topLeft.latitude)),
                                                  static_cast<uint32_t>(millisecondsOfArc(w.topLeft.longitude))) +
                " to " + cornerArgument(static_cast<uint32_t>(millisecondsOfArc(w.bottomRight.latitude)),
                                        static_cast<uint32_t>(millisecondsOfArc(w.bottomRight.longitude))) +
                ", snapped outward to whole pixels\n";
    }
    // Each control point, where it is on the picture and how far the fit leaves it.
    if (!plan.controlPoints.empty()) {
        text += "Control points: " + std::to_string(plan.controlPoints.size()) +
                ", fitted by " + transformDescription(plan.transform) + "; residuals in pixels:\n";
        for (const ControlPointFit& point : plan.controlPoints) {
            char line[160];
            std::snprintf(line, sizeof line, "  %-12s at pixel %.1f, line %.1f: %.2f%s\n",
                          point.id.empty() ? "(no id)" : point.id.c_str(), point.pixel, point.line,
                          point.residualPixels, point.residualPixels > 1.0 ? " (over one pixel)" : "");
            text += line;
        }
    }
    // Typed extents are the user's; the rest are measured.
    auto measuredAgainst = [](int64_t measured) { return " m, as typed (the corners measure " + std::to_string(measured) + " m)\n"; };
    text += "East-west:    " + std::to_string(plan.extents.eastWestMetres) +
            (plan.eastWestTyped ? measuredAgainst(plan.measuredExtents.eastWestMetres)
                                : std::string(" m, along the parallel halfway between the two latitudes (WGS84)\n"));
    text += "North-south:  " + std::to_string(plan.extents.northSouthMetres) +
            (plan.northSouthTyped ? measuredAgainst(plan.measuredExtents.northSouthMetres)
                                  : std::string(" m, along the meridian between the two latitudes (WGS84)\n"));
    text += "\nThe same settings for convert:\n  " + convertLine(names, c, plan.extents) + "\n";

    // The dialog's fields take whole seconds.
    MapCorners rounded{roundedToSecond(c.topLeftLatitude), roundedToSecond(c.topLeftLongitude),
                       roundedToSecond(c.bottomRightLatitude), roundedToSecond(c.bottomRightLongitude)};
    MapExtents roundedExtents = extentsOf(rounded);
    text += "\nIn the dialog (degrees, minutes, seconds):\n";
    text += "  top-left      " + dialogAngle(rounded.topLeftLatitude) + "   " + dialogAngle(rounded.topLeftLongitude);
    if (rounded.topLeftLatitude != c.topLeftLatitude || rounded.topLeftLongitude != c.topLeftLongitude) {
        text += "   (rounded to whole seconds: moves " +
                metresText(distanceMetres(c.topLeftLatitude, c.topLeftLongitude, rounded.topLeftLatitude,
                                          rounded.topLeftLongitude)) + ")";
    }
    text += "\n  bottom-right  " + dialogAngle(rounded.bottomRightLatitude) + "   " +
            dialogAngle(rounded.bottomRightLongitude);
    if (rounded.bottomRightLatitude != c.bottomRightLatitude ||
        rounded.bottomRightLongitude != c.bottomRightLongitude) {
        text += "   (rounded to whole seconds: moves " +
                metresText(distanceMetres(c.bottomRightLatitude, c.bottomRightLongitude,
                                          rounded.bottomRightLatitude, rounded.bottomRightLongitude)) + ")";
    }
    text += "\n  east-west " + std::to_string(roundedExtents.eastWestMetres) + " m, north-south " +
            std::to_string(roundedExtents.northSouthMetres) + " m\n";
    return text;
}
