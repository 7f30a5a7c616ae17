#include "GeoTiffGrid.h"

#include <cmath>
#include <optional>

namespace {

// GeoKeys and their values.
constexpr uint16_t kModelType = 1024;         // 1 projected, 2 geographic, 3 geocentric
constexpr uint16_t kRasterType = 1025;        // 1 PixelIsArea, 2 PixelIsPoint
constexpr uint16_t kCitation = 1026;
constexpr uint16_t kGeographicType = 2048;
constexpr uint16_t kGeodeticDatum = 2050;
constexpr uint16_t kPrimeMeridian = 2051;
constexpr uint16_t kAngularUnits = 2054;
constexpr uint16_t kProjectedType = 3072;
constexpr uint16_t kProjectedCitation = 3073;
constexpr uint16_t kUserDefined = 32767;
constexpr uint16_t kPixelIsPoint = 2;
constexpr uint16_t kDegree = 9102;
constexpr uint16_t kGreenwich = 8901;
// Where a key's value is held: in the entry itself, or in the ASCII parameters.
constexpr uint16_t kInEntry = 0;
constexpr uint16_t kAsciiParams = 34737;

// The GeoKey directory: a header of four shorts (version, revision, minor revision,
// number of keys), then four shorts a key (id, where, count, value or offset).
class GeoKeys {
public:
    explicit GeoKeys(const GeoTiffTags& tags) : tags_(tags) {}

    bool present() const { return tags_.geoKeys.size() >= 4; }

    std::optional<uint16_t> shortKey(uint16_t id) const {
        const uint16_t* entry = find(id);
        if (!entry || entry[1] != kInEntry) return std::nullopt;
        return entry[3];
    }

    std::string asciiKey(uint16_t id) const {
        const uint16_t* entry = find(id);
        if (!entry || entry[1] != kAsciiParams || entry[3] >= tags_.geoAscii.size()) return "";
        std::string text = tags_.geoAscii.substr(entry[3], entry[2]);
        while (!text.empty() && (text.back() == '|' || text.back() == '\0')) text.pop_back();
        return text;
    }

private:
    const uint16_t* find(uint16_t id) const {
        const std::vector<uint16_t>& keys = tags_.geoKeys;
        if (!present()) return nullptr;
        for (size_t i = 0, at = 4; i < keys[3] && at + 4 <= keys.size(); ++i, at += 4)
            if (keys[at] == id) return &keys[at];
        return nullptr;
    }

    const GeoTiffTags& tags_;
};

// A user-defined geographic system on one of the three datums, in degrees from Greenwich:
// the EPSG system GDAL matches it to.
std::optional<NamedSystem> userDefinedGeographic(const GeoKeys& keys) {
    const std::optional<uint16_t> datum = keys.shortKey(kGeodeticDatum);
    const std::optional<uint16_t> meridian = keys.shortKey(kPrimeMeridian);
    const std::optional<uint16_t> units = keys.shortKey(kAngularUnits);
    if ((meridian && *meridian != kGreenwich) || (units && *units != kDegree) || !datum) return std::nullopt;
    switch (*datum) {
        case 6326: return systemOfEpsgCode(4326);
        case 6612: return systemOfEpsgCode(4612);
        case 1128: return systemOfEpsgCode(6668);
        default: return std::nullopt;
    }
}

NamedSystem keysSystem(const GeoKeys& keys) {
    const std::optional<uint16_t> model = keys.shortKey(kModelType);
    if (model == 2) {
        const std::optional<uint16_t> code = keys.shortKey(kGeographicType);
        const std::optional<uint16_t> units = keys.shortKey(kAngularUnits);
        if (!code || *code == kUserDefined) {
            if (std::optional<NamedSystem> known = userDefinedGeographic(keys)) return *known;
            std::string citation = keys.asciiKey(2049);
            return {SystemKind::Geographic, citation.empty() ? "a user-defined geographic system" : citation};
        }
        NamedSystem system = systemOfEpsgCode(*code);
        if (system.kind == SystemKind::LatLon && units && *units != kDegree) system.kind = SystemKind::Geographic;
        if (system.kind == SystemKind::Other) system.kind = SystemKind::Geographic;
        return system;
    }
    if (model == 1) {
        const std::optional<uint16_t> code = keys.shortKey(kProjectedType);
        if (code && *code != kUserDefined) {
            NamedSystem system = systemOfEpsgCode(*code);
            system.kind = SystemKind::Projected;
            return system;
        }
        std::string citation = keys.asciiKey(kProjectedCitation);
        if (citation.empty()) citation = keys.asciiKey(kCitation);
        return {SystemKind::Projected, citation.empty() ? "a user-defined projected system" : citation};
    }
    if (model == 3) return {SystemKind::Other, "a geocentric system"};
    std::string citation = keys.asciiKey(kCitation);
    return {SystemKind::Other, citation.empty() ? "a local system of unnamed units" : citation};
}

}  // namespace

void readGeoTiffTags(const GeoTiffTags& tags, GeoTiffPlacement& placement) {
    placement = GeoTiffPlacement{};
    const GeoKeys keys(tags);
    double* t = placement.grid.t;
    const std::vector<double>& scale = tags.pixelScale;
    const std::vector<double>& tie = tags.tiepoints;
    if (scale.size() >= 2 && scale[0] != 0 && scale[1] != 0) {
        if (tie.size() >= 6) {
            t[1] = scale[0];
            t[2] = t[4] = 0;
            t[5] = -std::fabs(scale[1]);
            t[0] = tie[3] - tie[0] * t[1];
            t[3] = tie[4] - tie[1] * t[5];
            placement.hasGrid = true;
        }
    } else if (tags.transformation.size() == 16) {
        const std::vector<double>& m = tags.transformation;
        t[0] = m[3];
        t[1] = m[0];
        t[2] = m[1];
        t[3] = m[7];
        t[4] = m[4];
        t[5] = m[5];
        placement.hasGrid = true;
    }
    if (placement.hasGrid && keys.shortKey(kRasterType) == kPixelIsPoint) {
        t[0] -= t[1] * 0.5 + t[2] * 0.5;
        t[3] -= t[4] * 0.5 + t[5] * 0.5;
    }
    if (!placement.hasGrid && tie.size() >= 6) placement.controlPoints = static_cast<int>(tie.size() / 6);
    if (keys.present()) {
        placement.hasSystem = true;
        placement.system = keysSystem(keys);
    }
}
