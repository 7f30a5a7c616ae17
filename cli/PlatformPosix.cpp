#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Platform.h"

namespace fs = std::filesystem;

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void writeStandardOutput(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    std::fflush(stdout);
}

void writeStandardError(std::string_view utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool conversionBitmapPath(const std::string& utf8Path, std::string& path, std::string& reason) {
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(utf8Path), error);
    if (error) {
        reason = error.message();
        return false;
    }
    path = absolute.lexically_normal().string();
    return true;
}

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

bool enterFolder(const std::string& utf8Path, std::string& reason) {
    if (chdir(utf8Path.c_str()) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    return true;
}

std::string currentFolder() {
    std::error_code error;
    return fs::current_path(error).string();
}
