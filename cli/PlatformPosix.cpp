#include <climits>
#include <cstdlib>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "FileServices.h"
#include "Platform.h"

namespace fs = std::filesystem;

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool writeStandardOutput(std::string_view utf8) {
    bool written = std::fwrite(utf8.data(), 1, utf8.size(), stdout) == utf8.size();
    return std::fflush(stdout) == 0 && written;
}

void writeStandardError(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

ConsoleFacts consoleFacts() { return ConsoleFacts{}; }

void waitForKeyPress() {}

bool conversionBitmapPath(const std::string& utf8Path, std::string& path, std::string& reason) {
    // realpath resolves each name as the system does: "link/../map.bmp" is the map.bmp
    // beside the link's target, and a path through a folder that is not there is refused.
    char resolved[PATH_MAX];
    if (::realpath(utf8Path.c_str(), resolved) == nullptr) {
        reason = std::strerror(errno);
        return false;
    }
    path = resolved;
    return true;
}

bool conversionFolderPath(const std::string& utf8Path, std::string& path, std::string&) {
    path = utf8Path;
    return true;
}

std::string conversionParentFolder(const std::string& conversionPath) {
    size_t separator = conversionPath.rfind('/');
    if (separator == std::string::npos) return ".";
    return separator == 0 ? std::string("/") : conversionPath.substr(0, separator);
}

std::string reservedNameReason(const std::string&) { return std::string(); }

std::string displayPath(const std::string& conversionPath) { return conversionPath; }

bool isFolder(const std::string& utf8Path) {
    std::error_code error;
    return fs::is_directory(fs::path(utf8Path), error);
}

bool makeFolders(const std::string& utf8Path, std::string& reason) {
    std::error_code error;
    fs::create_directories(fs::path(utf8Path), error);
    if (error || !isFolder(utf8Path)) {
        reason = error ? error.message() : "not a folder";
        return false;
    }
    return true;
}
