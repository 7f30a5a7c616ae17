#include "WorldFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "FileServices.h"
#include "SmallTextFile.h"

#ifndef _WIN32
#include <filesystem>
#endif

namespace {

// GDAL reads no more than these of a world file.
constexpr size_t kMostLines = 100;
constexpr size_t kLongestLine = 100;
// A folder with more files than this is not listed: names are tried as written instead.
constexpr size_t kMostSiblings = 1000;

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

#ifndef _WIN32
// Names differ by case only where the file system tells them apart.
std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
#endif

// Where the file name starts: after the last separator of either kind.
size_t nameStart(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

// The extension without its dot, "" when the name has none.
std::string extensionOf(const std::string& path) {
    size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < nameStart(path) ? "" : path.substr(dot + 1);
}

std::string withExtension(const std::string& path, const std::string& extension) {
    size_t dot = path.rfind('.');
    std::string base = dot == std::string::npos || dot < nameStart(path) ? path : path.substr(0, dot);
    return base + "." + extension;
}

// The lines of the text as GDAL's line reader returns them: ended by \n, \r or \r\n,
// reading stopped at a line longer than kLongestLine.
std::vector<std::string> worldFileLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size() && lines.size() < kMostLines) {
        size_t end = text.find_first_of("\r\n", at);
        if (end == std::string::npos) end = text.size();
        if (end - at > kLongestLine) break;
        lines.push_back(text.substr(at, end - at));
        at = end;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;
    }
    return lines;
}

// A number as GDAL's reader takes it: leading spaces skipped, a comma as the decimal
// point when it comes before any point, the Windows C library's spellings of infinity
// and NaN, and what follows the number ignored; 0 when no number starts there.
double worldFileNumber(std::string text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return 0;
    text.erase(0, first);
    const size_t mark = text.find_first_of(",.");
    if (mark != std::string::npos && text[mark] == ',') std::replace(text.begin(), text.end(), ',', '.');
    const bool negative = text[0] == '-';
    const std::string unsigned_ = text.substr(negative || text[0] == '+' ? 1 : 0);
    if (unsigned_.empty() || unsigned_[0] == '-' || unsigned_[0] == '+') return 0;
    if (unsigned_.rfind("1.#QNAN", 0) == 0 || unsigned_.rfind("1.#SNAN", 0) == 0 || unsigned_.rfind("1.#IND", 0) == 0)
        return std::numeric_limits<double>::quiet_NaN();
    if (unsigned_.rfind("1.#INF", 0) == 0) return negative ? -HUGE_VAL : HUGE_VAL;
    double value = 0;
    const char* begin = unsigned_.data();
    if (std::from_chars(begin, begin + unsigned_.size(), value).ec != std::errc()) return 0;
    return negative ? -value : value;
}

bool fileIsThere(FileReading& files, const std::string& path) { return files.fileExists(path.c_str()); }

// The names in the folder of path, as GDAL lists them when it opens a picture; none when
// the folder cannot be listed or holds too many. On Windows names are not listed: the
// system matches them regardless of case itself.
std::optional<std::vector<std::string>> siblingNames(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return std::nullopt;
#else
    const size_t start = nameStart(path);
    const std::string folder = start == 0 ? "." : path.substr(0, start);
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error) return std::nullopt;
    std::vector<std::string> names;
    for (auto it = entries; it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (error) return std::nullopt;
        names.push_back(it->path().filename().string());
        if (names.size() > kMostSiblings) return std::nullopt;
    }
    return names;
#endif
}

// One name GDAL tries: among the siblings regardless of case, else as written in lower
// then (on a system that tells case apart) upper case.
bool tryWorldFile(FileReading& files, const std::string& sourcePath, const std::string& extension,
                  const std::optional<std::vector<std::string>>& siblings, WorldFileFound& found) {
    const std::string lower = withExtension(sourcePath, lowerCase(extension));
    std::vector<std::string> candidates;
    if (siblings) {
        const std::string wanted = lowerCase(lower.substr(nameStart(lower)));
        for (const std::string& name : *siblings) {
            if (lowerCase(name) == wanted) {
                candidates.push_back(sourcePath.substr(0, nameStart(sourcePath)) + name);
                break;
            }
        }
    } else {
        candidates.push_back(lower);
#ifndef _WIN32
        candidates.push_back(withExtension(sourcePath, upperCase(extension)));
#endif
    }
    for (const std::string& candidate : candidates) {
        if (!fileIsThere(files, candidate)) continue;
        if (readWorldFile(files, candidate, found.grid)) {
            found.path = candidate;
            return true;
        }
        return false;
    }
    return false;
}

}  // namespace

PictureFormat pictureFormatOf(FileReading& files, const std::string& path) {
    unsigned char head[8] = {};
    FileReading::Handle file = files.openForReading(path.c_str());
    if (file == FileReading::kNoFile) return PictureFormat::Other;
    const int64_t got = files.readAt(file, 0, head, sizeof head);
    files.close(file);
    if (got < 4) return PictureFormat::Other;
    if ((head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
        (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43)))
        return PictureFormat::Tiff;
    if (head[0] == 0x89 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G') return PictureFormat::Png;
    if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return PictureFormat::Jpeg;
    if (head[0] == 'B' && head[1] == 'M') return PictureFormat::Bmp;
    if (std::memcmp(head, "GIF8", 4) == 0) return PictureFormat::Gif;
    return PictureFormat::Other;
}

bool readWorldFile(FileReading& files, const std::string& path, GeoTransform& grid) {
    std::string text;
    if (!readSmallTextFile(files, path, text)) return false;
    double world[6] = {};
    size_t count = 0;
    for (const std::string& line : worldFileLines(text)) {
        if (count == 6) break;
        const size_t first = line.find_first_not_of(" \t\r\n");
        if (first == std::string::npos) continue;
        world[count++] = worldFileNumber(line.substr(first));
    }
    // A, D, B, E, C, F: a picture needs an x and a y term.
    if (count != 6 || (world[0] == 0 && world[2] == 0) || (world[3] == 0 && world[1] == 0)) return false;
    grid.t[1] = world[0];
    grid.t[2] = world[2];
    grid.t[4] = world[1];
    grid.t[5] = world[3];
    // The numbers name the top-left pixel's centre; the grid starts at its corner.
    grid.t[0] = world[4] - 0.5 * world[0] - 0.5 * world[2];
    grid.t[3] = world[5] - 0.5 * world[1] - 0.5 * world[3];
    return true;
}

bool findWorldFile(FileReading& files, const std::string& sourcePath, PictureFormat format, WorldFileFound& found) {
    std::vector<std::string> extensions;
    const std::string own = extensionOf(sourcePath);
    if (own.size() >= 2) {
        extensions.push_back(std::string{own.front(), own.back(), 'w'});
        extensions.push_back(own + "w");
    }
    if (format == PictureFormat::Jpeg) extensions.push_back("jpw");
    extensions.push_back("wld");
    const auto siblings = format == PictureFormat::Bmp ? std::nullopt : siblingNames(sourcePath);
    for (const std::string& extension : extensions)
        if (tryWorldFile(files, sourcePath, extension, siblings, found)) return true;
    return false;
}
