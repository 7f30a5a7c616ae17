#include "Commands.h"

#include "BitmapChoice.h"
#include "ExitCodes.h"
#include "AutoExtents.h"
#include "MapConversion.h"
#include "Platform.h"
#include "ProbeCommand.h"
#include "Quoted.h"

namespace {

// Probes the bitmap and checks that it opens again, as the dialog does before it lets
// CONVERT run. On success the job holds the bitmap and is marked accepted.
bool acceptBitmap(const std::string& utf8Path, ConversionJob& job, UserFeedback& feedback, CommandOutput& out) {
    std::string path, reason;
    if (!conversionBitmapPath(utf8Path, path, reason)) {
        // The system cannot find it where the path leads: the probe says so in its words.
        path = utf8Path;
    }
    if (chooseBitmap(path.c_str(), job, feedback) == BitmapChoice::Accepted) return true;
    if (path.size() >= sizeof job.bitmapPath)
        out.error("the bitmap's full path is longer than " + std::to_string(sizeof job.bitmapPath - 1) +
                  " bytes: " + quoted(displayPath(path)));
    return false;
}

}  // namespace

std::string parentFolder(const std::string& path) {
#ifdef _WIN32
    size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) {
        // "C:map.bmp" lies in the current folder of drive C.
        return path.size() > 1 && path[1] == ':' ? path.substr(0, 2) : std::string();
    }
    std::string parent = path.substr(0, separator);
    if (parent.empty() || parent.back() == ':') parent += path[separator];  // a root
    return parent;
#else
    size_t separator = path.rfind('/');
    if (separator == std::string::npos) return std::string();
    return separator == 0 ? std::string("/") : path.substr(0, separator);
#endif
}

SettingsText settingsTextFor(const ConvertArguments& args, const std::string& cp932Name) {
    SettingsText texts;
    texts.mapName = cp932Name;
    texts.folderName = args.folder;
    texts.topLeftLatitude = args.topLeft.latitude;
    texts.topLeftLongitude = args.topLeft.longitude;
    texts.bottomRightLatitude = args.bottomRight.latitude;
    texts.bottomRightLongitude = args.bottomRight.longitude;
    texts.eastWestDistance = args.eastWest;
    texts.northSouthDistance = args.northSouth;
    texts.dither = args.dither;
    return texts;
}

int runConvert(const ConvertArguments& typed, const std::vector<std::string>& warnings) {
    ConvertArguments args = typed;
    MapRequest request{"convert", args.bitmap, args.name, args.folder, args.outputDir,
                       args.overwrite, args.dryRun, args.json, args.quiet};
    MapConversion map(request, warnings);
    CommandOutput& out = map.out();
    std::string autoError, autoNote;
    if (!resolveAutoExtents(args, autoError, autoNote)) {
        out.error(autoError);
        return map.finish(kExitUsage, "usage error");
    }
    if (!autoNote.empty()) out.note(autoNote);
    if (int refused = map.acceptName(); refused != kExitSuccess) return refused;

    ConversionJob& job = map.job();
    if (!acceptBitmap(args.bitmap, job, map.feedback(), out)) {
        explainRefusedBitmap(args.bitmap, out);
        return map.finish(kExitBitmapRefused, "bitmap refused");
    }
    const SettingsText texts = settingsTextFor(args, map.storedName());
    return map.run(
        [&](CheckedConversion& checked) {
            ConversionOutcome outcome = checkConversion(job, texts, map.feedback(), checked);
            if (outcome == ConversionOutcome::BitmapUnusable) explainRefusedBitmap(args.bitmap, out);
            return outcome;
        },
        conversionParentFolder(job.bitmapPath));
}
