// applySettings on arbitrary texts. The input is cut into the sixteen texts of one CONVERT
// (each a length byte, modulo 64, then that many bytes). Every verdict is compared with the C
// library's own atoi on the texts cut to their field lengths (short enough that atoi
// cannot overflow), and an accepted folder name must keep every output inside the output
// folder: a plain relative name, no device name of any platform.

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "OutputPaths.h"
#include "Settings.h"

namespace {

class TextReader {
public:
    TextReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    std::string next() {
        if (at_ >= size_) return {};
        size_t length = data_[at_++] % 64;
        length = std::min(length, size_ - at_);
        std::string text(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// The text as its field holds it, read by the C library.
std::string field(const std::string& text, size_t maxLength) {
    std::string cut = text.substr(0, std::min(text.size(), maxLength));
    return std::string(cut.c_str());  // up to the first zero byte
}

uint32_t libraryInteger(const std::string& text, size_t maxLength) {
    return static_cast<uint32_t>(std::atoi(field(text, maxLength).c_str()));
}

uint32_t libraryAngle(const AngleText& angle, size_t degreesLength) {
    return libraryInteger(angle.degrees, degreesLength) * 3600000u +
           libraryInteger(angle.minutes, 2) * 60000u + libraryInteger(angle.seconds, 2) * 1000u;
}

// Device names in any letter case, alone or with an extension, as Windows treats them.
bool namesDevice(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    for (char& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const devices[] = {"con", "prn", "aux", "nul"};
    for (const char* d : devices)
        if (base == d) return true;
    return base.size() == 4 && (base.rfind("com", 0) == 0 || base.rfind("lpt", 0) == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// Every component of a relative path is a plain name: not empty, not "." or "..", no
// drive letter, no device.
bool staysInside(const std::string& path) {
    if (path.empty() || path[0] == '/' || path[0] == '\\') return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos) end = path.size();
        std::string_view part(path.data() + start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find(':') != std::string_view::npos ||
            namesDevice(part))
            return false;
        start = end + 1;
    }
    return true;
}

SettingsError expectedError(const SettingsText& t) {
    if (field(t.mapName, 32).empty()) return SettingsError::IllegalMapName;
    std::string folder = field(t.folderName, 8);
    if (folder.empty()) return SettingsError::IllegalFolderName;
    for (char c : folder)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return SettingsError::IllegalFolderCharacters;
    if (namesDevice(folder)) return SettingsError::IllegalFolderName;
    if (!(libraryAngle(t.topLeftLatitude, 2) > libraryAngle(t.bottomRightLatitude, 2)))
        return SettingsError::IllegalLatitude;
    if (!(libraryAngle(t.topLeftLongitude, 3) < libraryAngle(t.bottomRightLongitude, 3)))
        return SettingsError::IllegalLongitude;
    if (libraryInteger(t.eastWestDistance, 7) * 10u == 0 || libraryInteger(t.northSouthDistance, 7) * 10u == 0)
        return SettingsError::IllegalDistance;
    return SettingsError::NoError;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TextReader reader(data, size);
    SettingsText t;
    t.mapName = reader.next();
    t.folderName = reader.next();
    for (AngleText* a : {&t.topLeftLatitude, &t.topLeftLongitude, &t.bottomRightLatitude, &t.bottomRightLongitude}) {
        a->degrees = reader.next();
        a->minutes = reader.next();
        a->seconds = reader.next();
    }
    t.eastWestDistance = reader.next();
    t.northSouthDistance = reader.next();

    ConversionJob job;
    std::memset(static_cast<void*>(&job), 0x5A, sizeof job);
    job.bitmapAccepted = 1;
    job.tileColumns = 5;
    job.tileRows = 4;
    ConversionJob before = job;

    SettingsError error = applySettings(job, t);
    FUZZ_CHECK(error == expectedError(t), "the verdict the C library's reading gives");
    FUZZ_CHECK(job.bitmapAccepted == before.bitmapAccepted && job.tileColumns == before.tileColumns &&
                   job.tileRows == before.tileRows && job.pixelDataOffset == before.pixelDataOffset &&
                   std::memcmp(job.bitmapPath, before.bitmapPath, sizeof job.bitmapPath) == 0,
               "the bitmap's fields are never touched");
    if (error == SettingsError::NoError) {
        FUZZ_CHECK(settingsErrorMessage(error) == nullptr, "no message for no error");
        std::string name = field(t.mapName, 32);
        FUZZ_CHECK(std::memcmp(job.mapName, name.data(), name.size()) == 0, "map name stored");
        for (size_t i = name.size(); i < sizeof job.mapName; ++i)
            FUZZ_CHECK(job.mapName[i] == 0, "zeros after the map name");
        FUZZ_CHECK(job.folderName[std::strlen(job.folderName)] == 0 && std::strlen(job.folderName) <= 8,
                   "folder name ends within its field");
        FUZZ_CHECK(job.folderName == field(t.folderName, 8), "folder name stored");
        std::string level = levelFolderPath(job.folderName, job.tileRows - 1);
        for (const std::string& path : {indexFilePath(job.folderName), layerFolderPath(job.folderName), level,
                                        tileFilePath(level, job.tileColumns - 1, job.tileRows - 1)}) {
            FUZZ_CHECK(staysInside(path), "every output path stays inside the output folder");
            FUZZ_CHECK(path.compare(0, std::strlen(job.folderName), job.folderName) == 0,
                       "every output path starts with the folder name");
        }
        FUZZ_CHECK(job.topLeftLatitude > job.bottomRightLatitude, "latitudes in order");
        FUZZ_CHECK(job.topLeftLongitude < job.bottomRightLongitude, "longitudes in order");
        FUZZ_CHECK(job.eastWestDistance != 0 && job.northSouthDistance != 0, "distances not zero");
    } else {
        const char* message = settingsErrorMessage(error);
        FUZZ_CHECK(message != nullptr && message[0] != 0, "every error has its message");
    }
    return 0;
}
