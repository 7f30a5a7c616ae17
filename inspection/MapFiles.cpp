#include "MapFiles.h"

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool missing(int error) {
#ifdef _WIN32
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
#else
    return error == ENOENT;
#endif
}

}  // namespace

ReadResult readFileStart(const std::filesystem::path& path, uint8_t* buffer, size_t capacity) {
    ReadResult result;
    FileReading& files = platformFileReading();
    FileReading::Handle file = files.openForReading(systemPath(path).c_str());
    if (file == FileReading::kNoFile) {
        const int error = files.lastError();
        result.status = missing(error) ? ReadStatus::Missing : ReadStatus::Failed;
        result.reason = systemErrorText(error);
        return result;
    }
    const int64_t read = files.readAt(file, 0, buffer, capacity);
    const int error = read < 0 ? files.lastError() : 0;
    const bool identified = read >= 0 && files.identify(file, result.identity);
    files.close(file);
    if (read < 0 || !identified) {
        result.reason = systemErrorText(read < 0 ? error : files.lastError());
        return result;
    }
    result.size = static_cast<size_t>(read);
    result.status = ReadStatus::Read;
    return result;
}

std::string systemPath(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& wide = path.native();
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string narrow(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), narrow.data(), size, nullptr,
                            nullptr);
    return narrow;
#else
    return path.native();
#endif
}

std::string displayText(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
