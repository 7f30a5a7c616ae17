#include "CoordinateSystemText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A name as PROJ compares names: case, spaces and punctuation left out.
std::string simplified(const std::string& name) {
    std::string text;
    for (char c : name)
        if (std::isalnum(static_cast<unsigned char>(c))) text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    return lowerCase(text.substr(0, prefix.size())) == prefix;
}

// A whole decimal number, nothing else; -1 when it is not one.
int codeNumber(const std::string& text) {
    int code = -1;
    if (text.empty() || text.size() > 9) return -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    return error == std::errc() && end == text.data() + text.size() ? code : -1;
}

const char* const kRomans[] = {"I",    "II",  "III",  "IV",   "V",  "VI",  "VII",
                               "VIII", "IX",  "X",    "XI",   "XII", "XIII", "XIV",
                               "XV",   "XVI", "XVII", "XVIII", "XIX"};

std::string withCode(const std::string& name, int code) { return name + " (EPSG:" + std::to_string(code) + ")"; }

// The projected systems met with map pictures of Japan, and the common UTM families.
bool projectedName(int code, std::string& name) {
    struct Family {
        int first, last, firstZone;
        const char* prefix;
        const char* hemisphere;  // "" for the plane rectangular systems
    };
    static const Family families[] = {
        {32601, 32660, 1, "WGS 84 / UTM zone ", "N"},  {32701, 32760, 1, "WGS 84 / UTM zone ", "S"},
        {3097, 3101, 51, "JGD2000 / UTM zone ", "N"},  {6688, 6692, 51, "JGD2011 / UTM zone ", "N"},
        {3092, 3096, 51, "Tokyo / UTM zone ", "N"},    {25828, 25838, 28, "ETRS89 / UTM zone ", "N"},
        {26901, 26923, 1, "NAD83 / UTM zone ", "N"},   {26701, 26722, 1, "NAD27 / UTM zone ", "N"},
        {2443, 2461, 1, "JGD2000 / Japan Plane Rectangular CS ", ""},
        {6669, 6687, 1, "JGD2011 / Japan Plane Rectangular CS ", ""},
        {30161, 30179, 1, "Tokyo / Japan Plane Rectangular CS ", ""},
    };
    if (code == 3857) {
        name = "WGS 84 / Pseudo-Mercator";
        return true;
    }
    for (const Family& family : families) {
        if (code < family.first || code > family.last) continue;
        const int zone = family.firstZone + code - family.first;
        name = family.prefix + (*family.hemisphere ? std::to_string(zone) + family.hemisphere : kRomans[zone - 1]);
        return true;
    }
    return false;
}

bool otherGeographicName(int code, std::string& name) {
    static const std::pair<int, const char*> names[] = {
        {4301, "Tokyo"}, {4979, "WGS 84"}, {4267, "NAD27"},  {4269, "NAD83"}, {4258, "ETRS89"},
        {4283, "GDA94"}, {4322, "WGS 72"}, {6667, "JGD2011"}, {7844, "GDA2020"}, {4230, "ED50"},
    };
    for (const auto& [known, text] : names) {
        if (known == code) {
            name = text;
            return true;
        }
    }
    return false;
}

enum class Datum { Unknown, Wgs84, Jgd2000, Jgd2011 };

Datum datumOfName(const std::string& name) {
    const std::string key = simplified(name);
    for (const char* wgs : {"wgs1984", "dwgs1984", "wgs84", "worldgeodeticsystem1984", "worldgeodeticsystem1984ensemble"})
        if (key == wgs) return Datum::Wgs84;
    for (const char* jgd : {"japanesegeodeticdatum2000", "djgd2000", "jgd2000"})
        if (key == jgd) return Datum::Jgd2000;
    for (const char* jgd : {"japanesegeodeticdatum2011", "djgd2011", "jgd2011"})
        if (key == jgd) return Datum::Jgd2011;
    return Datum::Unknown;
}

// What GDAL names a geographic system on one of the three datums that carries no code of
// its own: the EPSG system it matches, or for WGS84 with longitude first and a name other
// than WGS 84's, OGC's CRS84.
std::string matchedName(Datum datum, const std::string& ownName, bool latitudeFirst) {
    switch (datum) {
        case Datum::Jgd2000: return withCode("JGD2000", 4612);
        case Datum::Jgd2011: return withCode("JGD2011", 6668);
        default: break;
    }
    const std::string key = simplified(ownName);
    if (key == "wgs84" || key == "gcswgs1984" || latitudeFirst) return withCode("WGS 84", 4326);
    return "WGS 84 (CRS84) (OGC:CRS84)";
}

const char* const kCrs84Name = "WGS 84 (CRS84) (OGC:CRS84)";

// --- authority names -----------------------------------------------------------------

// EPSG:n, urn:ogc:def:crs:EPSG:[version]:n, http(s)://www.opengis.net/def/crs/EPSG/0/n;
// OGC:CRS84, CRS:84 and their URN and URL forms; WGS84 and GDAL's other well-known names.
bool readAuthorityName(const std::string& text, NamedSystem& system) {
    int code = -1;
    if (startsWithNoCase(text, "epsg:")) {
        code = codeNumber(text.substr(5));
    } else if (startsWithNoCase(text, "urn:ogc:def:crs:epsg:")) {
        const size_t colon = text.rfind(':');
        code = colon >= 20 ? codeNumber(text.substr(colon + 1)) : -1;
    } else if (startsWithNoCase(text, "http://www.opengis.net/def/crs/epsg/") ||
               startsWithNoCase(text, "https://www.opengis.net/def/crs/epsg/")) {
        const size_t slash = text.rfind('/');
        code = codeNumber(text.substr(slash + 1));
    } else {
        const std::string lower = lowerCase(text);
        const bool crs84 = lower == "ogc:crs84" || lower == "crs:84" || lower == "crs84" ||
                           (startsWithNoCase(lower, "urn:ogc:def:crs:ogc:") && lower.size() > 6 &&
                            lower.compare(lower.size() - 6, 6, ":crs84") == 0) ||
                           ((startsWithNoCase(lower, "http://www.opengis.net/def/crs/ogc/") ||
                             startsWithNoCase(lower, "https://www.opengis.net/def/crs/ogc/")) &&
                            lower.size() > 6 && lower.compare(lower.size() - 6, 6, "/crs84") == 0);
        if (crs84) {
            system = {SystemKind::LatLon, kCrs84Name};
            return true;
        }
        static const std::pair<const char*, int> wellKnown[] = {
            {"wgs84", 4326}, {"wgs72", 4322}, {"nad27", 4267}, {"nad83", 4269}};
        for (const auto& [name, known] : wellKnown)
            if (lower == name) code = known;
    }
    if (code < 0) return false;
    system = systemOfEpsgCode(code);
    return true;
}

// --- WKT ---------------------------------------------------------------------------------

struct WktNode {
    std::string keyword;                 // upper case
    std::vector<std::string> values;     // quoted texts and bare words, in order
    std::vector<WktNode> children;
};

class WktParser {
public:
    explicit WktParser(const std::string& text) : text_(text) {}

    bool parse(WktNode& root) {
        if (!node(root, 0)) return false;
        skipSpace();
        return at_ == text_.size();
    }

private:
    static constexpr int kDeepest = 32;

    void skipSpace() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }

    std::string word() {
        size_t start = at_;
        while (at_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
            ++at_;
        return text_.substr(start, at_ - start);
    }

    bool node(WktNode& out, int depth) {
        if (depth > kDeepest) return false;
        skipSpace();
        out.keyword = word();
        for (char& c : out.keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        skipSpace();
        if (out.keyword.empty() || at_ >= text_.size() || (text_[at_] != '[' && text_[at_] != '(')) return false;
        const char close = text_[at_] == '[' ? ']' : ')';
        ++at_;
        for (;;) {
            skipSpace();
            if (at_ >= text_.size()) return false;
            if (text_[at_] == '"') {
                std::string value;
                for (++at_;; ++at_) {
                    if (at_ >= text_.size()) return false;
                    if (text_[at_] == '"') {
                        if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                            value += '"';
                            ++at_;
                            continue;
                        }
                        ++at_;
                        break;
                    }
                    value += text_[at_];
                }
                out.values.push_back(value);
            } else {
                const size_t start = at_;
                std::string name = word();
                size_t after = at_;
                skipSpace();
                if (!name.empty() && at_ < text_.size() && (text_[at_] == '[' || text_[at_] == '(')) {
                    at_ = start;
                    out.children.emplace_back();
                    if (!node(out.children.back(), depth + 1)) return false;
                } else {
                    at_ = after;
                    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != close) ++at_;
                    std::string value = text_.substr(start, at_ - start);
                    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
                    if (value.empty()) return false;
                    out.values.push_back(value);
                }
            }
            skipSpace();
            if (at_ >= text_.size()) return false;
            if (text_[at_] == close) {
                ++at_;
                return true;
            }
            if (text_[at_] != ',') return false;
            ++at_;
        }
    }

    const std::string& text_;
    size_t at_ = 0;
};

const WktNode* childOf(const WktNode& node, std::initializer_list<const char*> keywords) {
    for (const WktNode& child : node.children)
        for (const char* keyword : keywords)
            if (child.keyword == keyword) return &child;
    return nullptr;
}

double numberOf(const WktNode& node, size_t index) {
    if (index >= node.values.size()) return NAN;
    const std::string& text = node.values[index];
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    return end && *end == '\0' ? value : NAN;
}

std::string nameOf(const WktNode& node) { return node.values.empty() ? std::string() : node.values[0]; }

// AUTHORITY["EPSG","4326"] or ID["EPSG",4326] on the node itself; -1 when none.
int epsgCodeOf(const WktNode& node) {
    const WktNode* id = childOf(node, {"AUTHORITY", "ID"});
    if (!id || id->values.size() < 2 || lowerCase(id->values[0]) != "epsg") return -1;
    return codeNumber(id->values[1]);
}

bool isDegree(const WktNode& unit) {
    constexpr double kRadiansPerDegree = 0.017453292519943295;
    const double factor = numberOf(unit, 1);
    return std::fabs(factor - kRadiansPerDegree) <= 1e-12 * kRadiansPerDegree;
}

// The geographic system a GEOGCS or GEOGCRS node describes.
NamedSystem geographicSystem(const WktNode& root) {
    const std::string ownName = nameOf(root);
    const int code = epsgCodeOf(root);
    const WktNode* datumNode = childOf(root, {"DATUM", "GEODETICDATUM", "TRF", "ENSEMBLE"});
    Datum datum = datumNode ? datumOfName(nameOf(*datumNode)) : Datum::Unknown;
    if (datumNode)
        if (const WktNode* shift = childOf(*datumNode, {"TOWGS84"}))
            for (size_t i = 0; i < shift->values.size(); ++i)
                if (numberOf(*shift, i) != 0) datum = Datum::Unknown;
    bool degrees = true;
    if (const WktNode* meridian = childOf(root, {"PRIMEM", "PRIMEMERIDIAN"}))
        degrees = numberOf(*meridian, 1) == 0;
    bool latitudeFirst = false, firstAxis = true;
    for (const WktNode& child : root.children) {
        if (child.keyword == "UNIT" || child.keyword == "ANGLEUNIT") degrees = degrees && isDegree(child);
        if (child.keyword == "AXIS") {
            if (firstAxis && child.values.size() >= 2) {
                const std::string direction = lowerCase(child.values[1]);
                latitudeFirst = direction == "north" || direction == "south";
            }
            firstAxis = false;
            if (const WktNode* unit = childOf(child, {"UNIT", "ANGLEUNIT"})) degrees = degrees && isDegree(*unit);
        }
    }
    if (code >= 0) {
        NamedSystem byCode = systemOfEpsgCode(code);
        byCode.name = withCode(ownName, code);
        if (byCode.kind == SystemKind::LatLon && (datum == Datum::Unknown || !degrees)) byCode.kind = SystemKind::Geographic;
        return byCode;
    }
    if (datum == Datum::Unknown || !degrees) return {SystemKind::Geographic, ownName};
    return {SystemKind::LatLon, matchedName(datum, ownName, latitudeFirst)};
}

bool readWkt(const std::string& text, NamedSystem& system, std::string& why) {
    WktNode root;
    if (!WktParser(text).parse(root)) {
        why = "its WKT does not parse";
        return false;
    }
    const std::string& keyword = root.keyword;
    const int code = epsgCodeOf(root);
    const std::string name = code >= 0 ? withCode(nameOf(root), code) : nameOf(root);
    if (keyword == "GEOGCS" || keyword == "GEOGCRS" || keyword == "GEOGRAPHICCRS") {
        system = geographicSystem(root);
    } else if (keyword == "GEODCRS" || keyword == "GEODETICCRS") {
        const WktNode* cs = childOf(root, {"CS"});
        const bool ellipsoidal = cs && !cs->values.empty() && lowerCase(cs->values[0]) == "ellipsoidal";
        system = ellipsoidal ? geographicSystem(root) : NamedSystem{SystemKind::Other, name};
    } else if (keyword == "PROJCS" || keyword == "PROJCRS" || keyword == "PROJECTEDCRS") {
        system = {SystemKind::Projected, name};
    } else if (keyword == "GEOCCS" || keyword == "COMPD_CS" || keyword == "COMPOUNDCRS" || keyword == "BOUNDCRS" ||
               keyword == "VERT_CS" || keyword == "VERTCRS" || keyword == "LOCAL_CS" || keyword == "ENGCRS" ||
               keyword == "ENGINEERINGCRS") {
        system = {SystemKind::Other, name};
    } else {
        why = "its WKT starts with " + root.keyword + ", which names no coordinate system";
        return false;
    }
    if (system.name.empty()) system.name = "an unnamed coordinate system";
    return true;
}

// --- PROJ strings --------------------------------------------------------------------------

bool readProjString(const std::string& text, NamedSystem& system, std::string& why) {
    std::string projection, datum, zone, axis, meridian, shift;
    bool south = false, init = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of(" \t\r\n", at);
        if (end == std::string::npos) end = text.size();
        std::string token = text.substr(at, end - at);
        at = text.find_first_not_of(" \t\r\n", end);
        if (at == std::string::npos) at = text.size();
        if (token.empty()) continue;
        if (token[0] == '+') token.erase(0, 1);
        const size_t equals = token.find('=');
        const std::string key = lowerCase(token.substr(0, equals));
        const std::string value = equals == std::string::npos ? "" : token.substr(equals + 1);
        if (key == "proj") projection = lowerCase(value);
        else if (key == "datum") datum = lowerCase(value);
        else if (key == "zone") zone = value;
        else if (key == "south") south = true;
        else if (key == "axis") axis = lowerCase(value);
        else if (key == "pm") meridian = lowerCase(value);
        else if (key == "towgs84") shift = value;
        else if (key == "init") init = true;
    }
    const std::string named = "the coordinate system " + text;
    if (projection.empty() && !init) {
        why = "its PROJ string has no +proj";
        return false;
    }
    const bool shifted = !shift.empty() && shift.find_first_not_of("0., ") != std::string::npos;
    if (projection == "longlat" || projection == "latlong" || projection == "lonlat" || projection == "latlon") {
        const bool onWgs84 = datum == "wgs84" && !shifted && !init && (meridian.empty() || meridian == "greenwich");
        if (!onWgs84) {
            system = {SystemKind::Geographic, named};
        } else {
            system = {SystemKind::LatLon, axis.rfind("ne", 0) == 0 ? withCode("WGS 84", 4326) : kCrs84Name};
        }
    } else if (projection == "utm" && !zone.empty()) {
        system = {SystemKind::Projected, named + " (UTM zone " + zone + (south ? "S" : "N") + ")"};
    } else if (projection == "geocent" || projection.empty()) {
        system = {SystemKind::Other, named};
    } else {
        system = {SystemKind::Projected, named};
    }
    return true;
}

// --- ESRI's older keyword lines ------------------------------------------------------------

// "Projection GEOGRAPHIC", "Datum WGS84", "Units DD", "Zone 54", one a line, as ArcView's
// .prj files hold them.
bool readEsriKeywords(const std::string& text, NamedSystem& system) {
    std::string projection, datum, units, zone;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const size_t keyEnd = line.find_first_of(" \t");
        if (keyEnd == std::string::npos) continue;
        const size_t valueStart = line.find_first_not_of(" \t", keyEnd);
        if (valueStart == std::string::npos) continue;
        const std::string key = lowerCase(line.substr(0, keyEnd));
        std::string value = lowerCase(line.substr(valueStart));
        while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
        if (key == "projection") projection = value;
        else if (key == "datum") datum = value;
        else if (key == "units") units = value;
        else if (key == "zone") zone = value;
    }
    if (projection.empty()) return false;
    static const std::pair<const char*, int> datums[] = {{"wgs84", 4326}, {"nad27", 4267}, {"nad83", 4269}, {"wgs72", 4322}};
    int geographic = -1;
    for (const auto& [name, code] : datums)
        if (datum == name) geographic = code;
    if (projection == "geographic") {
        if (geographic < 0) {
            system = {SystemKind::Geographic, "the ESRI system on datum " + datum};
        } else {
            system = systemOfEpsgCode(geographic);
            if (!units.empty() && units != "dd") system.kind = SystemKind::Geographic;
        }
    } else if (projection == "utm" && !zone.empty()) {
        const int number = codeNumber(zone[0] == '-' ? zone.substr(1) : zone);
        const bool south = zone[0] == '-';
        system = geographic == 4326 && number >= 1 && number <= 60
                     ? systemOfEpsgCode((south ? 32700 : 32600) + number)
                     : NamedSystem{SystemKind::Projected,
                                   "UTM zone " + zone.substr(south ? 1 : 0) + (south ? "S" : "N")};
        system.kind = SystemKind::Projected;
    } else {
        system = {SystemKind::Projected, "the ESRI projection " + projection};
    }
    return true;
}

}  // namespace

NamedSystem systemOfEpsgCode(int code) {
    switch (code) {
        case 4326: return {SystemKind::LatLon, withCode("WGS 84", code)};
        case 4612: return {SystemKind::LatLon, withCode("JGD2000", code)};
        case 6668: return {SystemKind::LatLon, withCode("JGD2011", code)};
        default: break;
    }
    std::string name;
    if (projectedName(code, name)) return {SystemKind::Projected, withCode(name, code)};
    if (otherGeographicName(code, name)) return {SystemKind::Geographic, withCode(name, code)};
    return {SystemKind::Other, "EPSG:" + std::to_string(code)};
}

bool readCoordinateSystem(const std::string& definition, NamedSystem& system, std::string& why) {
    const size_t first = definition.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        why = "it is empty";
        return false;
    }
    const std::string text = definition.substr(first, definition.find_last_not_of(" \t\r\n") - first + 1);
    if (readAuthorityName(text, system)) return true;
    if (text[0] == '+' || text.find("+proj=") != std::string::npos) return readProjString(text, system, why);
    if (text.find('[') != std::string::npos || text.find('(') != std::string::npos) return readWkt(text, system, why);
    if (readEsriKeywords(text, system)) return true;
    why = "it is neither an EPSG code, WKT, a PROJ string nor ESRI's keyword lines";
    return false;
}

std::string prjDefinition(std::string text) {
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    const char* space = " \t\r\n\f\v";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return "";
    text = text.substr(first, text.find_last_not_of(space) - first + 1);
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) text = "EPSG:" + text;
    return text;
}

const char* systemKindText(SystemKind kind) {
    switch (kind) {
        case SystemKind::LatLon: return "geographic latitude/longitude";
        case SystemKind::Projected: return "a projected coordinate system";
        case SystemKind::Geographic: return "a geographic coordinate system on another datum or in other units";
        case SystemKind::Other: return "a coordinate system this build does not read";
    }
    return "";
}
