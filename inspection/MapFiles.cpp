#include "MapFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::FILE* openForReading(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

ReadResult readFileStart(const std::filesystem::path& path, uint8_t* buffer, size_t capacity) {
    ReadResult result;
    errno = 0;
    std::FILE* file = openForReading(path);
    if (file == nullptr) {
        int error = errno;
        result.status = error == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
        result.reason = std::strerror(error);
        return result;
    }
    result.size = std::fread(buffer, 1, capacity, file);
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed) {
        result.reason = error != 0 ? std::strerror(error) : "read error";
        return result;
    }
    result.status = ReadStatus::Read;
    return result;
}

std::string displayText(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
